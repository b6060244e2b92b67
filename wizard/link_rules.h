#pragma once
#include <functional>
#include <string>

// The longest link file path the link store saves (the shell's 260-character buffer with its NUL).
inline constexpr size_t kMaxLinkPathLength = 259;

// The folder a link's target starts in: the target up to its last backslash or colon, the
// backslash dropped unless it follows a colon or another backslash.
std::wstring WorkingFolderFor(const std::wstring& target);

// Walks the path from the left and replaces each leading part that is a folder link by its
// target (which ends with a backslash); folderLinkTarget answers empty for an ordinary folder.
// Paths whose last component has an extension come back unchanged.
std::wstring ResolveFolderLinksWith(const std::wstring& path,
                                    const std::function<std::wstring(const std::wstring&)>& folderLinkTarget);
