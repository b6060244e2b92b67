#pragma once
#include <string>

// Where the icon page's preview comes from for the icon file chosen.
enum class PreviewSource {
    IconsInFile,  // programs, libraries and icon files: the icon at the chosen index
    Bitmap,       // the picture itself
    TargetIcon,   // anything else shows the target's own icon
};
PreviewSource PreviewSourceOf(const std::wstring& iconFile);

// The path the shell is asked for the target's own icon: only a folder ends with a backslash,
// after a file name it would name nothing.
std::wstring TargetIconPath(const std::wstring& target, bool targetIsFolder);
