#include "platform/shell_icon.h"

#include <shellapi.h>

#include "platform/files.h"

HICON FileIconAtSize(const std::wstring& file, int index, int size) {
    HICON icon = nullptr;
    const UINT count = PrivateExtractIconsW(FileSystemPath(file).c_str(), index, size, size, &icon, nullptr, 1, 0);
    if (count == 0 || count == 0xFFFFFFFF) return nullptr;
    return icon;
}

HICON ShellIconAtSize(const std::wstring& shownPath, UINT flags, int size) {
    const std::wstring path = FileSystemPath(shownPath);
    const bool small = size <= GetSystemMetrics(SM_CXSMICON);
    const UINT sizeFlag = small ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    SHFILEINFOW info{};
    // At the system's own sizes the shell's icon is already right (and carries its overlays).
    if (size != GetSystemMetrics(SM_CXSMICON) && size != GetSystemMetrics(SM_CXICON) &&
        SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION | sizeFlag | flags) &&
        info.szDisplayName[0]) {
        if (HICON icon = FileIconAtSize(info.szDisplayName, info.iIcon, size)) return icon;
    }
    info = {};
    if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | sizeFlag | flags)) return info.hIcon;
    return nullptr;
}

std::wstring ShellDisplayName(const std::wstring& path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}
