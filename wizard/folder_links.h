#pragma once
#include <windows.h>

#include <string>

#include "wizard/link_store.h"

// A folder link: a read-only folder holding a hidden Desktop.ini that names the shell's
// folder-link handler and a hidden target.lnk with the link's fields.
inline constexpr const wchar_t* kFolderLinkClassId = L"{0AFACED1-E828-11D1-9187-B532F1E9575D}";

enum class FolderLinkResult { Created, Declined, Failed };

// folder ends with a backslash. A same-named existing folder is emptied after the user agrees.
FolderLinkResult CreateFolderLink(HWND owner, const std::wstring& folder, const std::wstring& target,
                                  const std::wstring& arguments, const std::wstring& description,
                                  const std::wstring& iconFile, int iconIndex);

// The target folder (with a trailing backslash) of the folder link at path; empty when path is
// not a folder link or its target folder is gone.
std::wstring FolderLinkTarget(const std::wstring& path);

// The path with every leading folder link replaced by its target; ends with a backslash.
std::wstring ResolveFolderLinks(const std::wstring& path);
