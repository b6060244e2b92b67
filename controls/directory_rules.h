#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rules of the directory tree that need no file system: which search entries it shows, how a
// node's path is put together, and which names a new folder may have.

// File attributes in the platform's numbering, as the folder search mask uses them.
namespace directory_attributes {
inline constexpr std::uint32_t kReadOnly = 1, kHidden = 2, kSystem = 4, kVolume = 8, kDirectory = 16,
                               kArchive = 32;
inline constexpr std::uint32_t kAll = 63;
}  // namespace directory_attributes

// A folder search with this mask returns the entry: hidden, system, volume-label and directory
// entries are left out unless the mask carries that attribute.
bool SearchAccepts(std::uint32_t attributes, std::uint32_t mask);
// The masks the control takes: 0 to 63.
bool IsValidSearchMask(int mask);
// Whether a folder on the way to a path to select keeps it out of the tree: the same attributes
// as the search, so read-only and archive folders (folder links among them) never refuse.
// Attributes that could not be read (all bits set) never refuse.
bool AttributesHidePath(std::uint32_t attributes, std::uint32_t mask);

// Names with one of the nine characters " * / : < > ? \ | are never shown.
bool NamePassesFilter(std::wstring_view name);
bool IsDotEntry(std::wstring_view name);

// The folder components of a path below its drive root ("C:\a\b\" gives a, b); empty for a path
// that does not start with a drive root.
std::vector<std::wstring> ComponentsBelowRoot(const std::wstring& path);

// Rebuilds a node's path from its root path and captions, resolving links on the way: a
// component that is no existing folder becomes its link file ("x.lnk" or "x" + ".lnk" when that
// is a link to a folder), and a link becomes the folder it points to, except the last component
// when keepOwnLink is set.
struct PathProbe {
    std::function<bool(const std::wstring&)> directoryExists;
    std::function<std::wstring(const std::wstring&)> linkTargetFolder;  // ends with "\" or is empty
};
std::wstring ResolveNodePath(const std::wstring& rootPath, const std::vector<std::wstring>& captions,
                             bool keepOwnLink, const PathProbe& probe);
// The same path without resolving anything.
std::wstring RawNodePath(const std::wstring& rootPath, const std::vector<std::wstring>& captions);

// The folders a name for a new folder creates, one per backslash-separated part; none when the
// name would leave the folder it is created in or could not be created as typed (a part that is
// empty, "." or "..", holds a forbidden character, or ends with a dot or a blank).
std::optional<std::vector<std::wstring>> NewFolderParts(const std::wstring& name);

// Special folders the control can start in, with their shell folder identifiers.
enum SystemDirectory {
    SD_NO, SD_DESKTOP, SD_IE, SD_SMPROGRAMS, SD_SETTINGS, SD_PRINTER, SD_PERSONAL, SD_FAVORITES, SD_RUN,
    SD_RECENT, SD_SENDTO, SD_PAPERBASKED, SD_STARTMENU, SD_MUSIC, SD_VIDEOS, SD_COMPUTER, SD_NETWORK,
    SD_FONTS, SD_SHELLNEW, SD_AUDESKTOP, SD_APPDATA, SD_PRINTHOOD, SD_TEMPINETFILES, SD_COOKIES, SD_COURSE,
    SD_AUAPPDATA, SD_WINDOWS, SD_SYSTEM, SD_PROGRAMS, SD_PICTURES, SD_AUFILES
};
inline constexpr int kSystemDirectoryCount = SD_AUFILES + 1;
// The shell folder identifier (CSIDL) of a value; -1 for SD_NO.
int SystemDirectoryFolderId(SystemDirectory directory);
