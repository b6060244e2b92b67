#include "platform/shell_open.h"

#include <shellapi.h>

namespace {
class SystemOpener final : public ShellOpener {
public:
    void Open(HWND owner, const std::wstring& file, const std::wstring& parameters, const std::wstring& folder,
              int showCommand) override {
        ShellExecuteW(owner, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                      folder.empty() ? nullptr : folder.c_str(), showCommand);
    }
};
}  // namespace

ShellOpener& SystemShellOpener() {
    static SystemOpener opener;
    return opener;
}
