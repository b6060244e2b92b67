#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "controls/folder_source.h"
#include "links/folder_links.h"
#include "links/link_store.h"
#include "platform/handles.h"
#include "platform/utf.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"

namespace {
using namespace directory_attributes;

struct Shown {
    std::wstring name;
    bool link;
    bool empty;
    bool operator==(const Shown&) const = default;
};

TEST(DirectorySourceTest, ListsWhatANodeShowsReadingEachFolderOnce) {
    ComApartment com;
    TempFolder temp;
    const std::wstring target = temp.MakeFolder(L"Ziel");
    temp.MakeFolder(L"Ziel\\innen");
    const std::wstring list = temp.MakeFolder(L"Liste");
    temp.MakeFolder(L"Liste\\leer");
    temp.MakeFolder(L"Liste\\Voll\\innen");
    temp.MakeFolder(L"Liste\\Ärger");
    temp.MakeFile(L"Liste\\e.txt");
    const std::wstring hidden = temp.MakeFolder(L"Liste\\versteckt");
    const std::wstring system = temp.MakeFolder(L"Liste\\System");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_NO_THROW(WriteLink(list + L"c.lnk", NewLinkData(target)));
    ASSERT_NO_THROW(WriteLink(list + L"d.lnk", NewLinkData(list + L"e.txt")));
    ASSERT_NO_THROW(CreateFolderLink(list + L"f\\", NewLinkData(target)));
    MakeFolderReadOnly(list + L"f");

    const Shown folderLink{L"f", true, false}, linkFile{L"c.lnk", true, false}, umlaut{L"Ärger", false, true},
        empty{L"leer", false, true}, full{L"Voll", false, false}, hiddenFolder{L"versteckt", false, true},
        systemFolder{L"System", false, true};
    struct Case {
        const char* what;
        std::wstring folder;
        std::uint32_t mask;
        std::wstring refused;  // the owner leaves this name out
        std::vector<Shown> shown;
        size_t asked;
    };
    const Case cases[] = {
        {"every attribute", list, kAll, L"", {umlaut, linkFile, folderLink, empty, systemFolder, hiddenFolder, full}, 7},
        {"folders only", list, kDirectory, L"", {umlaut, linkFile, folderLink, empty, full}, 5},
        {"hidden too", list, kDirectory | kHidden, L"", {umlaut, linkFile, folderLink, empty, hiddenFolder, full}, 6},
        {"system too", list, kDirectory | kSystem, L"", {umlaut, linkFile, folderLink, empty, systemFolder, full}, 6},
        {"the owner refuses", list, kAll, L"leer", {umlaut, linkFile, folderLink, systemFolder, hiddenFolder, full}, 7},
        {"a vanished folder", list + L"weg\\", kAll, L"", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FolderSource source(c.mask);
        std::map<std::wstring, int> asked;
        const auto children = source.Children(c.folder, [&](const std::wstring& directory, bool, bool) {
            ++asked[directory];
            return directory != c.folder + c.refused + L"\\";
        });
        std::vector<Shown> shown;
        for (const FolderChild& child : children) {
            shown.push_back({child.name, !child.linkTarget.empty(), child.empty});
            if (!child.linkTarget.empty()) EXPECT_EQ(child.linkTarget, target);
        }
        EXPECT_EQ(shown.size(), c.shown.size());
        for (size_t i = 0; i < std::min(shown.size(), c.shown.size()); ++i)
            EXPECT_EQ(shown[i], c.shown[i]) << i << ": " << Utf8FromWide(shown[i].name);
        EXPECT_EQ(asked.size(), c.asked);
        for (const auto& [directory, times] : asked) EXPECT_EQ(times, 1) << Utf8FromWide(directory);
        EXPECT_EQ(source.Done().searches, 1u);
        EXPECT_EQ(source.Done().probes, c.asked) << "one probe per child, none repeated";
    }
    MakeFolderWritable(list + L"f");
}

}  // namespace
