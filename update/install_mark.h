// The mark an update's batch leaves when it kept the old program (or could not put it back whole):
// in the user's own %LOCALAPPDATA%\Zeigerwerk, one file per run, so that nothing another account
// or an earlier run left there stands in its way. The next start reads it, tells the user and
// removes it.
#pragma once
#include <windows.h>

#include <string>

// The folder of the marks, with a trailing backslash, made when missing; empty when it cannot be.
std::wstring InstallMarkFolder();

// The mark's file for the run folder's batch: "Update-" + the run folder's name + ".txt".
std::wstring InstallMarkPath(const std::wstring& runFolder);

// Shows each mark in a box over `owner` (OK) and removes it; a mark that names no plain file is
// removed without a word. Answers whether a box was shown.
bool ReportFailedInstall(HWND owner, const std::wstring& caption);
