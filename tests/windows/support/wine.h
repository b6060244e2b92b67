#pragma once
#include <windows.h>

#include <string>

// Where Wine differs from Windows in what a test can observe.

bool RunningUnderWine();

// Wine ignores the read-only attribute on folders but reports a folder whose Unix directory has
// no write permission as read-only; these set the attribute either way.
bool FolderTookReadOnly(const std::wstring& folder);
void MakeFolderReadOnly(const std::wstring& folder);
void MakeFolderWritable(const std::wstring& folder);

// File attributes without the archive bit, which Wine reports on every file.
DWORD FileAttributes(const std::wstring& path);

// The Unix path of a Windows path under Wine; empty on Windows.
std::string UnixPathOf(const std::wstring& path);
// Starts a Unix program under Wine (Wine cannot wait for its end: wait for its effect); false on
// Windows or failure.
bool RunUnixProgram(const std::wstring& program, const std::wstring& commandLine);

// lnkinfo's report of a link file (empty when lnkinfo could not run).
std::string LnkInfo(const std::wstring& linkFile);
// The value of the report's first line naming field, without leading blanks; empty if none.
std::string LnkField(const std::string& report, const std::string& field);
