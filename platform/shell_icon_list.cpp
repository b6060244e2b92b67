#include "platform/shell_icon_list.h"

#include <shellapi.h>

#include "platform/shell_icon.h"

ShellIconList::ShellIconList() : images_(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 16, 64)) {}

void ShellIconList::SetSize(int pixels) {
    size_ = pixels;
    ImageList_SetIconSize(images_.Get(), pixels, pixels);
}

HICON ShellIconList::Icon(const std::wstring& path, bool open) const {
    const UINT openFlag = open ? SHGFI_OPENICON : 0;
    if (HICON icon = ShellIconAtSize(path, openFlag, size_)) return icon;
    SHFILEINFOW info{};
    const UINT sizeFlag = size_ <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    // Unreadable or overlong paths still get a folder icon rather than none.
    if (SHGetFileInfoW(L"Ordner", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_ICON | sizeFlag | openFlag | SHGFI_USEFILEATTRIBUTES))
        return info.hIcon;
    return nullptr;
}

int ShellIconList::Add(const std::wstring& path, bool open) {
    IconHandle icon(Icon(path, open));
    return ImageList_AddIcon(images_.Get(), icon.Get());
}

void ShellIconList::Replace(int index, const std::wstring& path, bool open) {
    IconHandle icon(Icon(path, open));
    if (icon) ImageList_ReplaceIcon(images_.Get(), index, icon.Get());
}
