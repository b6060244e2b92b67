#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "links/link_rules.h"
#include "links/link_store.h"

// A folder link: a read-only folder holding a hidden Desktop.ini that names the shell's
// folder-link handler and a hidden target.lnk with the link's fields.

// Makes the folder link at folder (ending with a backslash), which must not exist yet or be an
// empty folder. Throws PlatformError with the system's reason; the caller removes what was made.
// writeLink writes target.lnk (WriteLink with link when not given).
void CreateFolderLink(const std::wstring& folder, const LinkData& link,
                      const std::function<void(const std::wstring& linkFile)>& writeLink = {});

// The target folder (with a trailing backslash) of the folder link at path; empty when path is
// not a folder link, its target.lnk cannot be read or its target folder is gone. Never throws.
// knownAttributes spares reading the attributes again when the caller has them from a search.
std::wstring FolderLinkTarget(const std::wstring& path, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);

// The path with every leading folder link replaced by its target; ends with a backslash.
std::wstring ResolveFolderLinks(const std::wstring& path);
