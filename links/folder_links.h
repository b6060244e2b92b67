#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "links/link_rules.h"
#include "links/link_store.h"

// A folder link: a read-only folder holding a hidden Desktop.ini that names the shell's
// folder-link handler and a hidden target.lnk with the link's fields.

// Makes the folder link at folder (ending with a backslash), which must not exist yet or be an
// empty folder; what it made is taken back when it fails. Throws PlatformError with the reason.
void CreateFolderLink(const std::wstring& folder, const LinkData& link);

// Writes the Desktop.ini that makes the shell read folder (ending with a backslash) as a link.
void WriteFolderLinkDesktopIni(const std::wstring& folder);

// Whether path is a folder link, not merely a folder: read-only, its Desktop.ini names the
// folder-link class and it holds target.lnk. Never throws.
bool IsFolderLink(const std::wstring& path, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);

// The target folder (with a trailing backslash) of the folder link at path; empty when path is
// not a folder link, its target.lnk cannot be read or its target folder is gone. Never throws.
// knownAttributes spares reading the attributes again when the caller has them from a search.
std::wstring FolderLinkTarget(const std::wstring& path, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);

// The path with every leading folder link replaced by its target; ends with a backslash.
std::wstring ResolveFolderLinks(const std::wstring& path);
