#pragma once
#include <windows.h>

#include <string>

// The large and small icon the shell shows for a file or folder; both owned by the caller.
struct PreviewIcons {
    HICON large = nullptr;
    HICON small = nullptr;
};

// The shell's icons for path. Where the shell gives none (the 32-bit program on 64-bit Windows
// asking for a file that only the real System32 holds), the file's own first icon, and failing
// that the icon of its kind of file.
PreviewIcons StandardPreviewIcons(const std::wstring& path);

// The shell's icons for files of a kind, named by extension (".url"), whether or not one exists.
PreviewIcons KindPreviewIcons(const std::wstring& extension);
