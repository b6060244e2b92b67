#include <gtest/gtest.h>

#include "app/handover_rules.h"
#include "platform/system_folder_rules.h"
#include "platform/utf.h"

namespace {

TEST(SystemFolderRules, RenamesOnlyTheSystemFolderOfThisWindows) {
    struct Case {
        std::wstring path, native, stored;
    };
    const std::wstring windows = L"C:\\Windows";
    const Case cases[] = {
        {L"C:\\Windows\\System32\\wsl.exe", L"C:\\Windows\\Sysnative\\wsl.exe", L"C:\\Windows\\System32\\wsl.exe"},
        {L"c:\\WINDOWS\\system32", L"c:\\WINDOWS\\Sysnative", L"c:\\WINDOWS\\system32"},
        {L"C:\\Windows\\System32\\", L"C:\\Windows\\Sysnative\\", L"C:\\Windows\\System32\\"},
        {L"C:\\Windows\\Sysnative\\ssh.exe", L"C:\\Windows\\Sysnative\\ssh.exe", L"C:\\Windows\\System32\\ssh.exe"},
        {L"C:\\windows\\sysnative", L"C:\\windows\\sysnative", L"C:\\windows\\System32"},
        // Neighbours and other places keep their names.
        {L"C:\\Windows\\System32x\\a", L"C:\\Windows\\System32x\\a", L"C:\\Windows\\System32x\\a"},
        {L"C:\\Windows\\SysWOW64\\cmd.exe", L"C:\\Windows\\SysWOW64\\cmd.exe", L"C:\\Windows\\SysWOW64\\cmd.exe"},
        {L"D:\\Windows\\System32\\a", L"D:\\Windows\\System32\\a", L"D:\\Windows\\System32\\a"},
        {L"C:\\Daten\\Windows\\System32", L"C:\\Daten\\Windows\\System32", L"C:\\Daten\\Windows\\System32"},
        {L"C:\\Windows", L"C:\\Windows", L"C:\\Windows"},
        {L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NativeSystemPath(c.path, windows), c.native) << Utf8FromWide(c.path);
        EXPECT_EQ(StoredSystemPath(c.path, windows), c.stored) << Utf8FromWide(c.path);
    }
    EXPECT_EQ(NativeSystemPath(L"C:\\Windows\\System32\\a", L"C:\\Windows\\"), L"C:\\Windows\\Sysnative\\a");
    EXPECT_EQ(NativeSystemPath(L"C:\\Windows\\System32\\a", L""), L"C:\\Windows\\System32\\a");
}

TEST(HandOverRules, KeepsEverythingAfterTheProgramName) {
    struct Case {
        std::wstring commandLine, expected;
    };
    const std::wstring program = L"C:\\Pro gramme\\zeigerwerk64.exe";
    const Case cases[] = {
        {L"\"C:\\Pro gramme\\zeigerwerk.exe\" /E \"C:\\a b.lnk\"", L"\"C:\\Pro gramme\\zeigerwerk64.exe\" /E \"C:\\a b.lnk\""},
        {L"zeigerwerk.exe  C:\\x\t\"y\"", L"\"C:\\Pro gramme\\zeigerwerk64.exe\"  C:\\x\t\"y\""},
        {L"zeigerwerk", L"\"C:\\Pro gramme\\zeigerwerk64.exe\""},
        {L"\"zeigerwerk.exe\"", L"\"C:\\Pro gramme\\zeigerwerk64.exe\""},
        {L"\"zeigerwerk.exe\"/uninstall", L"\"C:\\Pro gramme\\zeigerwerk64.exe\" /uninstall"},
        {L"\"unclosed /D x", L"\"C:\\Pro gramme\\zeigerwerk64.exe\""},
        {L"z.exe Straße\\日本.exe", L"\"C:\\Pro gramme\\zeigerwerk64.exe\" Straße\\日本.exe"},
        {L"", L"\"C:\\Pro gramme\\zeigerwerk64.exe\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HandOverCommandLine(program, c.commandLine), c.expected) << Utf8FromWide(c.commandLine);
}

}  // namespace
