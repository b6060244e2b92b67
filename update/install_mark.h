// The mark an update's batch leaves in the temporary folder when a file stayed in use and the old
// program was kept; the next start reads it, tells the user and removes it.
#pragma once
#include <windows.h>

#include <string>

// The mark's file: kInstallMarkName in `tempFolder` (default: the system's temporary folder).
std::wstring InstallMarkPath(const std::wstring& tempFolder = {});

// When a mark is there: removes it and shows the message box over `owner` (OK). A mark that names
// no plain file is removed without a word. Answers whether a box was shown.
bool ReportFailedInstall(HWND owner, const std::wstring& caption, const std::wstring& tempFolder = {});
