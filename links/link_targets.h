#pragma once
#include <windows.h>

#include <string>

// How the directory tree recognises links that point to folders. Nothing here raises a system
// dialog or an exception: an unreadable link counts as no link.

// A removable or CD-ROM drive root: searched only when the user opens it.
bool IsRemovableRoot(const std::wstring& path);

// The folder (with a trailing backslash) that a link file or folder link at path points to;
// empty for anything else. knownAttributes spares reading the attributes again when the caller
// has them from a folder search.
std::wstring LinkTargetFolder(const std::wstring& path, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);
