#include "platform/shell_open.h"

#include <shellapi.h>

std::function<void(const std::wstring& file, const std::wstring& parameters)> ShellOpenScript;
int ShellOpenLastShowCommand = SW_SHOWNORMAL;

void ShellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters, const std::wstring& folder,
               int showCommand) {
    ShellOpenLastShowCommand = showCommand;
    if (ShellOpenScript) {
        ShellOpenScript(file, parameters);
        return;
    }
    ShellExecuteW(owner, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                  folder.empty() ? nullptr : folder.c_str(), showCommand);
}
