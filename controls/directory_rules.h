#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rules of the directory tree that need no file system: which search entries it shows, how a
// path splits into nodes, and which names a new folder may have.

// File attributes in the platform's numbering, as the folder search mask uses them.
namespace directory_attributes {
inline constexpr std::uint32_t kReadOnly = 1, kHidden = 2, kSystem = 4, kVolume = 8, kDirectory = 16,
                               kArchive = 32;
inline constexpr std::uint32_t kAll = 63;
}  // namespace directory_attributes

// A folder search with this mask returns the entry: hidden, system, volume-label and directory
// entries are left out unless the mask carries that attribute.
bool SearchAccepts(std::uint32_t attributes, std::uint32_t mask);
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

// The folders a name for a new folder creates, one per backslash-separated part; none when the
// name would leave the folder it is created in or could not be created as typed (a part that is
// empty, "." or "..", holds a forbidden character, or ends with a dot or a blank).
std::optional<std::vector<std::wstring>> NewFolderParts(const std::wstring& name);
