#include "wizard/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/handles.h"
#include "platform/win_error.h"

namespace {
class SystemDialogs final : public FileDialogs {
public:
    bool Open(HWND owner, OpenDialog& dialog) override;
    std::optional<std::wstring> BrowseForFolder(HWND owner) override;
};
}  // namespace

FileDialogs& SystemFileDialogs() {
    static SystemDialogs dialogs;
    return dialogs;
}

bool SystemDialogs::Open(HWND owner, OpenDialog& dialog) {
    std::wstring filter = dialog.Filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter += L'\0';
    filter += L'\0';
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(dialog.FilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dialog.InitialDir.empty() ? nullptr : dialog.InitialDir.c_str();
    ofn.lpstrTitle = dialog.Title.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING | OFN_EXPLORER;
    // The common dialog library (and the printing libraries it pulls in) is loaded only when the
    // dialog is first opened, which keeps the wizard's start-up short.
    static const auto getOpenFileName = [] {
        const HMODULE library = LoadLibraryW(L"comdlg32.dll");
        return library ? reinterpret_cast<decltype(&GetOpenFileNameW)>(
                             reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameW")))
                       : nullptr;
    }();
    if (!getOpenFileName) ThrowLastError();
    const bool chosen = getOpenFileName(&ofn) != FALSE;
    dialog.FilterIndex = static_cast<int>(ofn.nFilterIndex);
    if (chosen) dialog.FileName = file.data();
    return chosen;
}

std::optional<std::wstring> SystemDialogs::BrowseForFolder(HWND owner) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = L"";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PidlHandle chosen(SHBrowseForFolderW(&info));
    if (!chosen) return std::nullopt;
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(chosen.Get(), path)) return std::nullopt;
    return std::wstring(path);
}

