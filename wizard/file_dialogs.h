#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/files.h"

// The wizard's file-open dialog, shared by the target and icon pages. Filters use the
// "Name|Pattern|Name|Pattern" form; FilterIndex is 1-based and survives between uses.
class OpenDialog {
public:
    std::wstring Title = L"Durchsuchen";
    std::wstring Filter;
    int FilterIndex = 1;
    std::wstring InitialDir;
    std::wstring FileName;

    // True when the user chose a file (then FileName holds it).
    bool Execute(HWND owner);

    // Test seam: while set, Execute asks this instead of showing the dialog.
    static std::function<std::optional<std::wstring>(const OpenDialog&)> Script;
};

// The shell's folder browser rooted at the desktop, file-system folders only.
std::optional<std::wstring> BrowseForFolder(HWND owner);
extern std::function<std::optional<std::wstring>()> BrowseForFolderScript;
