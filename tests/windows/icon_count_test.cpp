#include <gtest/gtest.h>

#include <windows.h>

#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/temp_folder.h"
#include "controls/icon_count.h"

namespace {

using namespace icon_files;

TEST(CountIcons, OnePassAgreesWithExtractingIndexByIndex) {
    TempFolder temp;
    const std::wstring program = ProgramUnderTest();
    ASSERT_FALSE(program.empty()) << "ZW_PROGRAM names the built program";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    struct Case {
        const char* what;
        std::wstring file;
        int expected;  // -1: whatever the system library holds, but many
    };
    const Case cases[] = {
        {"the system's icon library", SystemLibrary(), -1},
        {"an icon file with three images", temp.MakeFile(L"drei.ico", IcoFile({RGB(255, 0, 0), RGB(0, 255, 0),
                                                                                RGB(0, 0, 255)})), 1},
        {"an icon file with one image", temp.MakeFile(L"eins.ico", IcoFile({RGB(1, 2, 3)})), 1},
        {"a library with five icons", MakeIconLibrary(temp / L"fünf.dll", 5), 5},
        {"a library with two icons", MakeIconLibrary(temp / L"zwei.exe", 2), 2},
        {"a library with one icon", MakeIconLibrary(temp / L"eins.exe", 1), 1},
        {"the built program (its icon and two button pictures)", program, 3},
        {"a program without icons", self, 0},
        {"a text file", temp.MakeFile(L"notiz.txt", "Kein Symbol hier.\r\n"), 0},
        {"a text file named like an icon file", temp.MakeFile(L"falsch.ico", "Kein Symbol hier.\r\n"), 0},
        {"an empty file", temp.MakeFile(L"leer.dll", ""), 0},
        {"a missing file", temp / L"fehlt.ico", 0},
        {"an empty name", L"", 0},
        {"a folder", temp.Path(), 0},
    };
    for (const auto& c : cases) {
        const int byIndex = CountByExtracting(c.file);
        const int full = CountIcons(c.file, false);
        EXPECT_EQ(full, byIndex) << c.what;
        if (c.expected >= 0) {
            EXPECT_EQ(full, c.expected) << c.what;
        } else {
            EXPECT_GT(full, 50) << c.what;
        }
        EXPECT_EQ(CountIcons(c.file, true), std::min(full, 2)) << c.what;
    }
}

TEST(CountIcons, BitmapFileCountsAsExtractingItGives) {
    TempFolder temp;
    const std::wstring bitmap = temp.MakeFile(L"bild.bmp", BmpFile(16, 16, RGB(200, 10, 10)));
    const int full = CountIcons(bitmap, false);
    EXPECT_EQ(full, CountByExtracting(bitmap));
    EXPECT_LE(full, 1);
    EXPECT_EQ(CountIcons(bitmap, true), full);
}

}  // namespace
