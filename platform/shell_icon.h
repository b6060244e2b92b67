#pragma once
#include <windows.h>

#include <string>

// The shell's icon for a file or folder at exactly size x size pixels (owned by the caller).
// flags: extra SHGFI_ flags such as SHGFI_OPENICON. Where the shell names no icon file, its
// own icon at the system size is taken and drawn at the asked size by whoever shows it.
HICON ShellIconAtSize(const std::wstring& path, UINT flags, int size);

// Icon number index of an icon source (program, library or icon file) at exactly size x size;
// null where the file has no such icon.
HICON FileIconAtSize(const std::wstring& file, int index, int size);

// The name the shell shows for a file, folder or drive; empty when it has none.
std::wstring ShellDisplayName(const std::wstring& path);
