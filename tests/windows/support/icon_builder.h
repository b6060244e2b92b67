#pragma once
// Icon images and icon libraries made on the fly, for tests and benchmarks (no test framework here).
#include <windows.h>

#include <functional>
#include <string>

namespace icon_files {

// One 32 x 32 icon image (header, 32-bit colour, mask) in a single colour, opaque everywhere.
inline std::string IconImage(COLORREF colour) {
    std::string image;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 32;
    header.biHeight = 64;  // colour and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biSizeImage = 32 * 32 * 4 + 32 * 4;
    image.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int i = 0; i < 32 * 32; ++i) {
        const char pixel[4] = {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                               static_cast<char>(GetRValue(colour)), static_cast<char>(255)};
        image.append(pixel, 4);
    }
    image.append(32 * 4, '\0');  // mask: every pixel opaque
    return image;
}

#pragma pack(push, 1)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    DWORD offset;
};
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// Copies this program (which carries no icons) to path and adds `count` icons, icon k in colour(k).
inline bool AddIconLibrary(const std::wstring& path, int count, const std::function<COLORREF(int)>& colour) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!CopyFileW(self, path.c_str(), FALSE)) return false;
    HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
    if (!update) return false;
    const WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    bool ok = true;
    for (int k = 0; k < count && ok; ++k) {
        const std::string image = IconImage(colour(k));
        const WORD iconId = static_cast<WORD>(100 + k);
        std::string group;
        const WORD head[3] = {0, 1, 1};
        group.append(reinterpret_cast<const char*>(head), sizeof head);
        const GroupIconEntry entry{32, 32, 0, 0, 1, 32, static_cast<DWORD>(image.size()), iconId};
        group.append(reinterpret_cast<const char*>(&entry), sizeof entry);
        ok = UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(iconId), language, const_cast<char*>(image.data()),
                             static_cast<DWORD>(image.size())) &&
             UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(1 + k), language, group.data(),
                             static_cast<DWORD>(group.size()));
    }
    return EndUpdateResourceW(update, !ok) && ok;
}

}  // namespace icon_files
