#pragma once
#include <functional>
#include <string>
#include <string_view>

// The class a folder link's Desktop.ini names: the shell then treats the folder as a link.
inline constexpr const wchar_t* kFolderLinkClassId = L"{0AFACED1-E828-11D1-9187-B532F1E9575D}";

// The longest link file path the link store saves (the shell's 260-character buffer with its NUL).
inline constexpr size_t kMaxLinkPathLength = 259;

// The file the link store writes for a link at location (the path the user gives, without
// ".lnk"): location + ".lnk", or for a folder link the target.lnk inside the folder location.
std::wstring LinkFileAt(const std::wstring& location, bool folderLink);

// The folder a link's target starts in: the target up to its last backslash or colon, the
// backslash dropped unless it follows a colon or another backslash.
std::wstring WorkingFolderFor(const std::wstring& target);

// Walks the path from the left and replaces each leading part that is a folder link by its
// target (which ends with a backslash); folderLinkTarget answers empty for an ordinary folder.
// Paths whose last component has an extension come back unchanged.
std::wstring ResolveFolderLinksWith(const std::wstring& path,
                                    const std::function<std::wstring(const std::wstring&)>& folderLinkTarget);

bool HasLinkExtension(const std::wstring& path);

// Whether the bytes hold a link whose parts follow one another as its header announces them:
// the item list, the location block, the strings the flags name, then extra data blocks ending
// with the terminal block within the file. Other readers (Explorer among them) rely on exactly
// that; a shell object that writes a part without its flag breaks them.
bool LinkLayoutIsWhole(std::string_view bytes);

// The saved link's bytes with the original's show command, hot key and run-as flag: header fields
// no page of the wizard shows, which some shell objects (Wine's) write from their own defaults.
// Unchanged when either is no link.
std::string WithHeaderFieldsOf(std::string saved, std::string_view original);

enum class LinkPathKind { None, LinkFile, FolderLinkCandidate };
// What a path may be as a link: paths of three characters or fewer are none; a path whose last
// component has an extension is a link file candidate only for ".lnk"; a path without one may be
// a folder link. A trailing backslash is ignored, so a folder with a dot in its name is never a
// folder link, however it is written.
LinkPathKind ClassifyLinkPath(const std::wstring& path);

// The file that holds an edited link's fields: the link itself, or target.lnk in a folder link.
std::wstring EditedLinkFile(const std::wstring& path);
