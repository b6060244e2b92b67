// Runs in a 64-bit prefix, as the 32-bit program (where Windows redirects System32 and the
// registry) and as the 64-bit one: both must see the machine as 64-bit programs do.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include "controls/directory_view.h"
#include "controls/icon_count.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/preview_icon.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"

namespace {
using namespace directory_test;

std::wstring WindowsFolder() {
    wchar_t buffer[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(buffer, MAX_PATH);
    return buffer;
}

bool Is32BitOn64BitWindows() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// The 32-bit build runs this test only in a 64-bit prefix.
bool On64BitWindows() {
#ifdef _WIN64
    return true;
#else
    return Is32BitOn64BitWindows();
#endif
}

// A file and a folder that only the real (64-bit) System32 holds, made through the way the test
// process reaches it, removed at the end.
class Wow64Files : public ::testing::Test {
protected:
    std::wstring system32 = WindowsFolder() + L"\\System32\\";
    std::wstring reach = WindowsFolder() + (Is32BitOn64BitWindows() ? L"\\Sysnative\\" : L"\\System32\\");
    std::wstring name = L"zw_nur64.exe";
    std::wstring folder = L"zw_nur64";

    void SetUp() override {
        ASSERT_TRUE(On64BitWindows());
        ASSERT_TRUE(CopyFileW((WindowsFolder() + L"\\notepad.exe").c_str(), (reach + name).c_str(), FALSE));
        ASSERT_TRUE(CreateDirectoryW((reach + folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        DeleteFileW((reach + name).c_str());
        RemoveDirectoryW((reach + folder).c_str());
    }
};

TEST_F(Wow64Files, TheRealSystemFolderIsCheckedAndNamedSystem32) {
    EXPECT_TRUE(FileExists(system32 + name));
    EXPECT_TRUE(PathExists(system32 + name));
    EXPECT_TRUE(DirectoryExists(system32 + folder));
    EXPECT_FALSE(FileExists(system32 + L"zw_nirgends.exe")) << "a missing file stays missing";
    EXPECT_GT(ReadWholeFile(system32 + name).size(), 0u);
    EXPECT_TRUE(SameText(SpecialFolderPath(CSIDL_SYSTEM), WindowsFolder() + L"\\System32"))
        << Utf8FromWide(SpecialFolderPath(CSIDL_SYSTEM));
    EXPECT_GT(CountIcons(SpecialFolderPath(CSIDL_SYSTEM) + L"\\" + name, false), 0);
    const PreviewIcons preview = StandardPreviewIcons(system32 + name);
    EXPECT_TRUE(preview.large && preview.small) << "the preview shows the real System32's file";
    for (HICON icon : {preview.large, preview.small})
        if (icon) DestroyIcon(icon);
}

TEST_F(Wow64Files, LinksStoreSystem32AndReadBackUnchanged) {
    TempFolder temp;
    struct Case {
        const wchar_t* file;
        std::wstring target;
    };
    const Case cases[] = {
        {L"system32.lnk", system32 + name},
        {L"sysnative.lnk", WindowsFolder() + L"\\Sysnative\\" + name},
    };
    for (const auto& c : cases) {
        if (!Is32BitOn64BitWindows() && c.target.find(L"Sysnative") != std::wstring::npos) continue;
        const std::wstring link = temp / c.file;
        ASSERT_NO_THROW(WriteLink(link, NewLinkData(c.target, L"-x", L"Nur 64")));
        const LinkData read = ReadLink(link);
        EXPECT_TRUE(SameText(read.targetPath, system32 + name)) << Utf8FromWide(read.targetPath);
        EXPECT_TRUE(SameText(read.workingFolder, WindowsFolder() + L"\\System32")) << Utf8FromWide(read.workingFolder);
        const std::string info = LnkInfo(link);
        EXPECT_EQ(info.find("Sysnative"), std::string::npos) << info;
        EXPECT_EQ(info.find("SysWOW64"), std::string::npos) << info;

        // An edit that changes only the description keeps the target as it was.
        StoredLink stored = ReadStoredLink(link);
        LinkData edited = stored.fields;
        edited.description = L"Geändert";
        ASSERT_NO_THROW(WriteEditedLink(link, stored, edited));
        EXPECT_TRUE(SameText(ReadLink(link).targetPath, system32 + name));
    }
}

TEST_F(Wow64Files, TheTreeListsTheRealSystemFolder) {
    TreeFixture fx(system32);
    ASSERT_TRUE(fx.tree->SelectFolder(system32));
    EXPECT_NE(fx.Child(fx.Selection(), folder), nullptr);
    EXPECT_TRUE(SameText(fx.tree->SelectedFolder(), system32)) << Utf8FromWide(fx.tree->SelectedFolder());
}

// The machine-wide settings live in the 64-bit view; a value an earlier 32-bit program left in the
// 32-bit view is taken over once, and a value both hold keeps the 64-bit one.
TEST(Wow64Registry, MachineSettingsLiveInThe64BitViewAndOld32BitValuesAreTakenOver) {
    ASSERT_TRUE(On64BitWindows());
    const std::wstring path = L"Software\\DZ\\ZeigerwerkViewTest";
    auto write = [&](REGSAM view, const wchar_t* name, const wchar_t* value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    };
    auto read = [&](REGSAM view, const wchar_t* name) -> std::wstring {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return L"(keiner)";
        wchar_t buffer[64] = {};
        DWORD size = sizeof buffer - sizeof(wchar_t);
        const LSTATUS status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::wstring(buffer) : L"(keiner)";
    };
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0);

    write(KEY_WOW64_64KEY, L"NoUpdate", L"");
    const auto opened = RegistryKey::Open(HKEY_LOCAL_MACHINE, path);
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(opened->HasValue(L"NoUpdate")) << "written with 64-bit tools, read by the program";

    write(KEY_WOW64_32KEY, L"OnlyUpdate", L"alt");
    write(KEY_WOW64_32KEY, L"NoUpdate", L"alt");
    write(KEY_WOW64_64KEY, L"UpdateServer", L"neu");
    write(KEY_WOW64_32KEY, L"UpdateServer", L"alt");
    RegistryKey::TakeOverMachineValues(path);
    EXPECT_EQ(read(KEY_WOW64_64KEY, L"OnlyUpdate"), L"alt");
    EXPECT_EQ(read(KEY_WOW64_64KEY, L"NoUpdate"), L"");
    EXPECT_EQ(read(KEY_WOW64_64KEY, L"UpdateServer"), L"neu");
    EXPECT_EQ(read(KEY_WOW64_32KEY, L"OnlyUpdate"), L"(keiner)") << "taken over once";

    RegistryKey::Create(HKEY_LOCAL_MACHINE, path).SetString(L"ApplicationFileName", L"x");
    EXPECT_EQ(read(KEY_WOW64_64KEY, L"ApplicationFileName"), L"x");
    EXPECT_TRUE(RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, path));
    EXPECT_EQ(read(KEY_WOW64_64KEY, L"OnlyUpdate"), L"(keiner)");
}

}  // namespace
