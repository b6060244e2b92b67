#pragma once
#include <windows.h>

#include <string>

// File-system queries in the program's terms. None of them raises a system dialog.
bool FileExists(const std::wstring& path);       // an existing file, not a folder
bool DirectoryExists(const std::wstring& path);  // an existing folder (a trailing backslash is fine)
bool PathExists(const std::wstring& path);       // file or folder
DWORD AttributesOf(const std::wstring& path);    // INVALID_FILE_ATTRIBUTES when unknown
void SetAttributes(const std::wstring& path, DWORD attributes);  // throws PlatformError

// Creates and deletes a file in folder, to learn whether a file can be made there: 0 when it
// can, otherwise the system's error code (ERROR_ACCESS_DENIED for a folder the user may not write).
DWORD FileCreationError(const std::wstring& folder);

// The whole content of a file; throws PlatformError when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

// The file-system path of a special shell folder (CSIDL); no trailing backslash except for a
// drive root; empty when the shell cannot resolve it.
std::wstring SpecialFolderPath(int folderId);

std::wstring ModulePath();     // the running program's full path
std::wstring ProgramFolder();  // its folder, with a trailing backslash
