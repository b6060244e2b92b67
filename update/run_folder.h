// The update's own folder below the system's temporary folder: made new for each run, open to the
// current user only, removed without ever following a link planted in it.
#pragma once
#include <windows.h>

#include <string>

inline constexpr const wchar_t* kRunFolderPrefix = L"ZwUpdate-";

// Makes the folder (with a trailing backslash) below `base` (default: the temporary folder). Only
// the user, SYSTEM and the Administrators may open it, as for a profile folder: where the
// temporary folder is shared, no other account can swap a file between its check and its use.
std::wstring MakeRunFolder(const std::wstring& base = {});

// Removes the folder and what it holds. A junction or symbolic link inside is removed itself;
// what it points to is never touched.
void RemoveRunFolder(const std::wstring& folder);

// Removes this user's run folders below `base` (default: the temporary folder) that were made
// before `olderThan` (a FILETIME as 100 ns units); folders of other accounts stay.
void RemoveStaleRunFolders(ULONGLONG olderThan, const std::wstring& base = {});

// The current user's security identifier as text ("S-1-5-21-…").
std::wstring CurrentUserSid();
