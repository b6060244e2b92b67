#include "platform/preview_icon.h"

#include <shellapi.h>

#include "platform/files.h"

namespace {
HICON ShellIcon(const std::wstring& path, UINT flags, DWORD attributes = 0) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), attributes, &info, sizeof info, SHGFI_ICON | flags);
    return info.hIcon;
}
}  // namespace

PreviewIcons StandardPreviewIcons(const std::wstring& path) {
    const std::wstring reach = FileSystemPath(path);
    PreviewIcons icons{ShellIcon(reach, SHGFI_LARGEICON), ShellIcon(reach, SHGFI_SMALLICON)};
    if (icons.large || !FileExists(path)) return icons;
    if (icons.small) DestroyIcon(icons.small);
    icons = {};
    if (ExtractIconExW(reach.c_str(), 0, &icons.large, &icons.small, 1) > 0 && icons.large) return icons;
    icons = {ShellIcon(path, SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_NORMAL),
             ShellIcon(path, SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_NORMAL)};
    return icons;
}

PreviewIcons KindPreviewIcons(const std::wstring& extension) {
    return {ShellIcon(extension, SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_NORMAL),
            ShellIcon(extension, SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES, FILE_ATTRIBUTE_NORMAL)};
}
