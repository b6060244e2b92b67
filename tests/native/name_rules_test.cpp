#include <gtest/gtest.h>

#include "platform/utf.h"
#include "wizard/name_rules.h"

namespace {

TEST(NameRules, RemovesTheNineInvalidCharacters) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"a:b?c", L"abc"}, {L"C:", L"C"}, {L"\\/:*?\"<>|", L""}, {L"Mein Editor", L"Mein Editor"},
        {L"x<y>z|w", L"xyzw"}, {L"Über", L"Über"},
    };
    for (const auto& [name, cleaned] : cases) {
        EXPECT_EQ(RemoveInvalidChars(name), cleaned) << Utf8FromWide(name);
        EXPECT_EQ(HasInvalidChars(name), name != cleaned);
    }
}

TEST(NameRules, ProposesANameFromTheTarget) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Programme\\Editor\\editor.exe", L"editor"},
        {L"C:\\", L"C"},
        {L"D:\\Daten\\Projekte\\", L"Projekte"},
        {L"x.tar.tar", L"x"},
        {L"a.exe.exe", L"a"},
        {L"C:\\Setup.exe", L"Setup"},
        {L"\\\\server\\share", L"share"},
        {L"D:\\Daten.alt", L"Daten"},
        {L"C:\\ohne", L"ohne"},
    };
    for (const auto& [target, name] : cases) EXPECT_EQ(ProposedLinkName(target), name) << Utf8FromWide(target);
}

TEST(NameRules, HidesRecycledFoldersOnlyDirectlyBelowARoot) {
    const std::pair<std::wstring, bool> cases[] = {
        {L"C:\\Recycled\\", true}, {L"C:\\RECYCLED.OLD\\", true}, {L"C:\\RECYCLER\\", false},
        {L"C:\\Daten\\Recycled\\", false}, {L"C:\\", false}, {L"C:\\recycledbin\\", true},
    };
    for (const auto& [dir, hidden] : cases) EXPECT_EQ(IsRecycledFolder(dir), hidden) << Utf8FromWide(dir);
}

TEST(NameRules, PathRepairs) {
    EXPECT_EQ(CollapseDoubleBackslashes(L"C:\\\\\\a\\\\b"), L"C:\\a\\b");
    EXPECT_EQ(ReplaceSystemRoot(L"%SystemRoot%\\system32\\shell32.dll", L"C:\\windows"),
              L"C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(ReplaceSystemRoot(L"%SYSTEMROOT%\\a;%systemroot%\\b", L"W:"), L"W:\\a;W:\\b");
    EXPECT_EQ(ReplaceSystemRoot(L"C:\\icons.dll", L"W:"), L"C:\\icons.dll");
}

}  // namespace
