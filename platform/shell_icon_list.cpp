#include "platform/shell_icon_list.h"

#include <shellapi.h>

#include "platform/shell_icon.h"

namespace {
// A folder shows an icon of its own only through a Desktop.ini, which counts only in a read-only
// or system folder.
bool IsPlainFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT));
}
}  // namespace

ShellIconList::ShellIconList() : images_(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 16, 64)) {}

void ShellIconList::SetSize(int pixels) {
    size_ = pixels;
    ImageList_SetIconSize(images_.Get(), pixels, pixels);
    plainFolder_[0] = plainFolder_[1] = -1;
}

void ShellIconList::Clear() {
    ImageList_Remove(images_.Get(), -1);
    plainFolder_[0] = plainFolder_[1] = -1;
}

HICON ShellIconList::FolderIcon(bool open) const {
    const UINT flags = SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0) |
                       (size_ <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    SHFILEINFOW info{};
    if (size_ != GetSystemMetrics(SM_CXSMICON) && size_ != GetSystemMetrics(SM_CXICON) &&
        SHGetFileInfoW(L"Ordner", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags | SHGFI_ICONLOCATION) &&
        info.szDisplayName[0]) {
        if (HICON icon = FileIconAtSize(info.szDisplayName, info.iIcon, size_)) return icon;
    }
    info = {};
    if (SHGetFileInfoW(L"Ordner", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags | SHGFI_ICON)) return info.hIcon;
    return nullptr;
}

int ShellIconList::IndexFor(const std::wstring& path, bool open, DWORD knownAttributes, int current) {
    if (IsPlainFolder(knownAttributes)) {
        int& shared = plainFolder_[open ? 1 : 0];
        if (shared < 0) {
            IconHandle icon(FolderIcon(open));
            shared = ImageList_AddIcon(images_.Get(), icon.Get());
        }
        return shared;
    }
    IconHandle icon(ShellIconAtSize(path, open ? SHGFI_OPENICON : 0, size_));
    // Unreadable or overlong paths still get a folder icon rather than none.
    if (!icon) icon.Reset(FolderIcon(open));
    const bool own = current >= 0 && current != plainFolder_[0] && current != plainFolder_[1];
    return ImageList_ReplaceIcon(images_.Get(), own ? current : -1, icon.Get());
}
