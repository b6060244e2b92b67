#pragma once
// Icon files for the icon tests: icon images, .ico files, bitmaps and programs with a known
// number of icons of known colours.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/windows/support/icon_builder.h"
#include "tests/windows/support/program_files.h"

namespace icon_files {

// An .ico file holding the given images (all 32 x 32): still one icon, whatever the number of images.
inline std::string IcoFile(const std::vector<COLORREF>& colours) {
    std::string file;
    const WORD head[3] = {0, 1, static_cast<WORD>(colours.size())};
    file.append(reinterpret_cast<const char*>(head), sizeof head);
    DWORD offset = static_cast<DWORD>(6 + colours.size() * sizeof(IconDirEntry));
    std::string images;
    for (COLORREF colour : colours) {
        const std::string image = IconImage(colour);
        const IconDirEntry entry{32, 32, 0, 0, 1, 32, static_cast<DWORD>(image.size()), offset};
        file.append(reinterpret_cast<const char*>(&entry), sizeof entry);
        offset += static_cast<DWORD>(image.size());
        images += image;
    }
    return file + images;
}

// A 24-bit bitmap file of one colour.
inline std::string BmpFile(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(GetBValue(colour));
        row[x * 3 + 1] = static_cast<char>(GetGValue(colour));
        row[x * 3 + 2] = static_cast<char>(GetRValue(colour));
    }
    for (int y = 0; y < height; ++y) data += row;
    return data;
}

// The colour of icon k in a test library.
inline COLORREF LibraryColour(int k) { return RGB(40 * (k + 1) % 256, 200 - 30 * k % 200, 60 + 25 * k); }

// A copy of this test program carrying `count` icons, icon k in LibraryColour(k). Returns the path.
inline std::wstring MakeIconLibrary(const std::wstring& path, int count) {
    EXPECT_TRUE(AddIconLibrary(path, count, LibraryColour));
    return path;
}

inline std::wstring SystemLibrary() {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\shell32.dll";
}

// Number of icons found by extracting index by index until the file has none; the extraction
// answers 1 for a file that is no icon source, which counts as none.
inline int CountByExtracting(const std::wstring& file) {
    int index = 0;
    for (; index < 100000; ++index) {
        HICON icon = ExtractIconW(GetModuleHandleW(nullptr), file.c_str(), static_cast<UINT>(index));
        if (!icon || icon == reinterpret_cast<HICON>(1)) break;
        DestroyIcon(icon);
    }
    return index;
}

}  // namespace icon_files
