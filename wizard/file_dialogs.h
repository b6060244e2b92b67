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

};

// The file dialogs the wizard opens; tests pass their own.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Shows the open dialog as dialog describes it; true when the user chose a file (then
    // dialog.FileName holds it). The filter the user picked stays in dialog.FilterIndex.
    virtual bool Open(HWND owner, OpenDialog& dialog) = 0;
    // The shell's folder browser rooted at the desktop, file-system folders only.
    virtual std::optional<std::wstring> BrowseForFolder(HWND owner) = 0;
};

// The system's dialogs.
FileDialogs& SystemFileDialogs();
