#pragma once
#include <functional>
#include <string>
#include <string_view>

// The class a folder link's Desktop.ini names: the shell then treats the folder as a link.
inline constexpr const wchar_t* kFolderLinkClassId = L"{0AFACED1-E828-11D1-9187-B532F1E9575D}";

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

// Whether the bytes hold a link whose parts follow one another as its header announces them:
// the item list, the location block, the strings the flags name, then extra data blocks ending
// with the terminal block within the file. Other readers (Explorer among them) rely on exactly
// that; a shell object that writes a part without its flag breaks them.
bool LinkLayoutIsWhole(std::string_view bytes);
