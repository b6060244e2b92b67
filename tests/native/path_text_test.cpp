#include <gtest/gtest.h>

#include "platform/path_text.h"
#include "platform/utf.h"

namespace {

struct PathCase {
    std::wstring path, folder, name, extension;
};

TEST(PathText, SplitsAtLastBackslashOrColon) {
    const PathCase cases[] = {
        {L"C:\\Programme\\x.exe", L"C:\\Programme\\", L"x.exe", L".exe"},
        {L"C:x.exe", L"C:", L"x.exe", L".exe"},
        {L"C:\\", L"C:\\", L"", L""},
        {L"D:\\Daten.alt\\Neu", L"D:\\Daten.alt\\", L"Neu", L""},
        {L"name", L"", L"name", L""},
        {L"a.b.c", L"", L"a.b.c", L".c"},
        {L"C:\\ordner\\.hidden", L"C:\\ordner\\", L".hidden", L".hidden"},
        {L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << Utf8FromWide(c.path);
        EXPECT_EQ(NamePart(c.path), c.name) << Utf8FromWide(c.path);
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << Utf8FromWide(c.path);
        EXPECT_EQ(FolderPart(c.path) + NamePart(c.path), c.path);
    }
}

TEST(PathText, TrailingBackslashAndCase) {
    EXPECT_EQ(WithTrailingBackslash(L"C:\\a"), L"C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\a\\"), L"C:\\a");
    EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
    EXPECT_TRUE(SameText(L"C:\\Menü\\Über", L"c:\\MENÜ\\über"));
    EXPECT_FALSE(SameText(L"C:\\a", L"C:\\ab"));
    EXPECT_EQ(WithoutExtension(L"Programm.exe"), L"Programm");
    EXPECT_EQ(WithoutExtension(L"Programm"), L"Programm");
}

TEST(Utf, RoundTripsAndReplacesInvalidBytes) {
    const std::wstring text = L"Verknüpfung \u20AC \u4E2D";
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(text)), text);
    EXPECT_EQ(Utf8FromWide(L"ä"), "\xC3\xA4");
    const std::pair<std::string, std::wstring> invalid[] = {
        {"a\xFF" "b", L"a\uFFFDb"},
        {"\xC3", L"\uFFFD"},              // truncated sequence
        {"\xC0\xAF", L"\uFFFD\uFFFD"},    // overlong slash
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
    };
    for (const auto& [bytes, expected] : invalid) EXPECT_EQ(WideFromUtf8(bytes), expected);
}

}  // namespace
