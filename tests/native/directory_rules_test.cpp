#include <gtest/gtest.h>

#include <map>
#include <set>

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

    for (int mask : {0, 16, 63}) EXPECT_TRUE(IsValidSearchMask(mask)) << mask;
    for (int mask : {64, 65, 255, -1}) EXPECT_FALSE(IsValidSearchMask(mask)) << mask;
}

TEST(DirectoryRules, NameFilterAndDriveRoots) {
    for (const wchar_t* name : {L"a\"b", L"a*", L"a/b", L"c:", L"<x", L"x>", L"wer?", L"a\\b", L"a|b"})
        EXPECT_FALSE(NamePassesFilter(name)) << Utf8FromWide(name);
    for (const wchar_t* name : {L"Daten", L"Menü", L"a.b", L".versteckt", L"a b", L"x#y!%&"})
        EXPECT_TRUE(NamePassesFilter(name)) << Utf8FromWide(name);
    EXPECT_TRUE(IsDotEntry(L"."));
    EXPECT_TRUE(IsDotEntry(L".."));
    EXPECT_FALSE(IsDotEntry(L"..."));

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

// A small fake disk: folders, and links with the folder they point to.
struct FakeDisk {
    std::set<std::wstring> folders;
    std::map<std::wstring, std::wstring> links;
    PathProbe Probe() const {
        return {[this](const std::wstring& p) { return folders.count(p) > 0; },
                [this](const std::wstring& p) {
                    const auto it = links.find(p);
                    return it == links.end() ? std::wstring() : it->second;
                }};
    }
};

TEST(DirectoryRules, NodePathsResolveLinksOnTheWay) {
    FakeDisk disk;
    disk.folders = {L"C:\\", L"C:\\Daten\\", L"C:\\Ziel\\", L"C:\\Ziel\\Bin\\", L"C:\\Ordnerlink\\",
                    L"C:\\Ziel\\Bin\\Tief\\"};
    disk.links = {{L"C:\\Daten\\Werkzeug.lnk", L"C:\\Ziel\\"},
                  {L"C:\\Daten\\Alt.lnk", L"C:\\Ziel\\"},
                  {L"C:\\Ordnerlink\\", L"C:\\Ziel\\"}};
    struct Case {
        std::vector<std::wstring> captions;
        bool keepOwnLink;
        std::wstring expected;
    };
    const Case cases[] = {
        {{}, false, L"C:\\"},
        {{L"Daten"}, false, L"C:\\Daten\\"},
        {{L"Daten", L"Werkzeug.lnk"}, false, L"C:\\Ziel\\"},
        {{L"Daten", L"Werkzeug.lnk"}, true, L"C:\\Daten\\Werkzeug.lnk"},
        {{L"Daten", L"Werkzeug.lnk", L"Bin"}, false, L"C:\\Ziel\\Bin\\"},
        {{L"Daten", L"Werkzeug.lnk", L"Bin"}, true, L"C:\\Ziel\\Bin\\"},
        {{L"Daten", L"Alt"}, true, L"C:\\Daten\\Alt.lnk"},  // a caption without its ".lnk"
        {{L"Ordnerlink"}, false, L"C:\\Ziel\\"},
        {{L"Ordnerlink"}, true, L"C:\\Ordnerlink\\"},
        {{L"Ordnerlink", L"Bin", L"Tief"}, true, L"C:\\Ziel\\Bin\\Tief\\"},
        {{L"Fehlt", L"Auch"}, false, L"C:\\Fehlt\\Auch\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveNodePath(L"C:\\", c.captions, c.keepOwnLink, disk.Probe()), c.expected)
            << Utf8FromWide(c.expected);
    }
    EXPECT_EQ(ResolveNodePath(L"", {L"a"}, false, disk.Probe()), L"") << "a root without its path";
    EXPECT_EQ(RawNodePath(L"C:\\", {L"Daten", L"Werkzeug.lnk"}), L"C:\\Daten\\Werkzeug.lnk\\");
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

TEST(DirectoryRules, SpecialFolderIdentifiers) {
    EXPECT_EQ(kSystemDirectoryCount, 31);
    const std::pair<SystemDirectory, int> cases[] = {
        {SD_NO, -1},          {SD_DESKTOP, 0},     {SD_PAPERBASKED, 10}, {SD_MUSIC, 12},
        {SD_VIDEOS, 13},      {SD_COMPUTER, 17},   {SD_FONTS, 20},       {SD_AUDESKTOP, 25},
        {SD_TEMPINETFILES, 32}, {SD_WINDOWS, 36}, {SD_PICTURES, 39},    {SD_AUFILES, 40},
    };
    for (const auto& [value, id] : cases) EXPECT_EQ(SystemDirectoryFolderId(value), id) << value;
    EXPECT_EQ(SystemDirectoryFolderId(static_cast<SystemDirectory>(31)), -1);
}

}  // namespace
