#pragma once
#include <windows.h>

#include <string>

// File-system queries in the program's terms. None of them raises a system dialog. On 64-bit
// Windows they see the real System32 in the 32-bit program too.
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

// True for the 32-bit program on 64-bit Windows, where the file system shows it the 32-bit system
// folder under the name System32.
bool RunsUnderWow64();
// The path a file-system call must use to reach path as 64-bit programs see it (System32 through
// its alias Sysnative in the 32-bit program on 64-bit Windows); unchanged everywhere else.
std::wstring FileSystemPath(const std::wstring& path);
// The form of path to show and to store: the real system folder is named System32, never by the
// alias that only a 32-bit program understands.
std::wstring StoredPath(const std::wstring& path);

std::wstring ModulePath();     // the running program's full path
std::wstring ProgramFolder();  // its folder, with a trailing backslash
