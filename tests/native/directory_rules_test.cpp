#include <gtest/gtest.h>

#include "controls/directory_rules.h"
#include "links/link_rules.h"
#include "platform/path_text.h"
#include "platform/utf.h"

namespace {
using namespace directory_attributes;

TEST(DirectoryRules, SearchMaskLeavesOutOnlyTheFourFilteringAttributes) {
    struct Case {
        std::uint32_t attributes, mask;
        bool accepted;
    };
    const Case cases[] = {
        {kDirectory, kAll, true},
        {kDirectory | kHidden, kAll, true},
        {kDirectory | kHidden, kDirectory, false},
        {kDirectory | kSystem, kDirectory, false},
        {kDirectory | kReadOnly, kDirectory, true},  // read-only never filters
        {kDirectory | kArchive, kDirectory, true},
        {kArchive, kDirectory, true},  // a plain file passes the search, the tree drops it later
        {kDirectory, kHidden, false},
        {kVolume, kDirectory, false},
        {kHidden, kHidden | kDirectory, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchAccepts(c.attributes, c.mask), c.accepted) << c.attributes << " / " << c.mask;
    EXPECT_FALSE(AttributesHidePath(0xFFFFFFFFu, kDirectory)) << "unreadable attributes never refuse";
    EXPECT_TRUE(AttributesHidePath(kDirectory | kHidden, kDirectory));
    EXPECT_FALSE(AttributesHidePath(kDirectory | kReadOnly, kDirectory)) << "a folder link is read-only";
}

TEST(DirectoryRules, NameFilterAndDriveRoots) {
    for (const wchar_t* name : {L"a\"b", L"a*", L"a/b", L"c:", L"<x", L"x>", L"wer?", L"a\\b", L"a|b"})
        EXPECT_FALSE(NamePassesFilter(name)) << Utf8FromWide(name);
    for (const wchar_t* name : {L"Daten", L"Menü", L"a.b", L".versteckt", L"a b", L"x#y!%&"})
        EXPECT_TRUE(NamePassesFilter(name)) << Utf8FromWide(name);

    EXPECT_TRUE(IsDriveRootPath(L"C:\\"));
    EXPECT_TRUE(IsDriveRootPath(L"x:\\"));
    for (const wchar_t* path : {L"C:", L"C:\\a", L"1:\\", L"\\\\s", L""})
        EXPECT_FALSE(IsDriveRootPath(path)) << Utf8FromWide(path);
}

TEST(DirectoryRules, ComponentsBelowTheRoot) {
    EXPECT_EQ(ComponentsBelowRoot(L"C:\\a\\b c\\"), (std::vector<std::wstring>{L"a", L"b c"}));
    EXPECT_EQ(ComponentsBelowRoot(L"D:\\Menü\\Werkzeug.lnk\\Bin"),
              (std::vector<std::wstring>{L"Menü", L"Werkzeug.lnk", L"Bin"}));
    EXPECT_TRUE(ComponentsBelowRoot(L"C:\\").empty());
    EXPECT_TRUE(ComponentsBelowRoot(L"\\\\server\\share\\").empty());
    EXPECT_TRUE(ComponentsBelowRoot(L"a\\b").empty());
}

TEST(DirectoryRules, NewFolderNamesStayInsideTheirFolder) {
    struct Case {
        std::wstring name;
        std::optional<std::vector<std::wstring>> parts;
    };
    const Case cases[] = {
        {L"Neuer Ordner", std::vector<std::wstring>{L"Neuer Ordner"}},
        {L"a\\b", std::vector<std::wstring>{L"a", L"b"}},
        {L"a\\b\\", std::vector<std::wstring>{L"a", L"b"}},
        {L"Menü", std::vector<std::wstring>{L"Menü"}},
        {L"", std::nullopt},
        {L"..\\x", std::nullopt},
        {L"a\\..\\..\\x", std::nullopt},
        {L".", std::nullopt},
        {L"\\x", std::nullopt},
        {L"a\\\\b", std::nullopt},
        {L"C:\\x", std::nullopt},
        {L"a/b", std::nullopt},
        {L"wer?", std::nullopt},
        {L"Ende.", std::nullopt},
        {L"Ende ", std::nullopt},
        {std::wstring(L"a\tb"), std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(NewFolderParts(c.name), c.parts) << Utf8FromWide(c.name);
}

}  // namespace
