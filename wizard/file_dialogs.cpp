#include "wizard/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "platform/handles.h"
#include "platform/win_error.h"

std::function<std::optional<std::wstring>(const OpenDialog&)> OpenDialog::Script;
std::function<std::optional<std::wstring>()> BrowseForFolderScript;

bool OpenDialog::Execute(HWND owner) {
    if (Script) {
        const auto chosen = Script(*this);
        if (chosen) FileName = *chosen;
        return chosen.has_value();
    }
    std::wstring filter = Filter;
    for (auto& c : filter)
        if (c == L'|') c = L'\0';
    filter += L'\0';
    filter += L'\0';
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.c_str();
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
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    if (chosen) FileName = file.data();
    return chosen;
}

std::optional<std::wstring> BrowseForFolder(HWND owner) {
    if (BrowseForFolderScript) return BrowseForFolderScript();
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

