#include <gtest/gtest.h>

#include <windows.h>

#include "controls/folder_source.h"
#include "controls/system_folder_reading.h"
#include "links/folder_links.h"
#include "links/link_store.h"
#include "platform/handles.h"
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

TEST(DirectorySourceTest, ReadsWhatANodeShowsFromTheRealFolder) {
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

    // The real reading: attributes, link files, a folder link and the locale's order.
    const std::vector<Shown> expected{{L"Ärger", false, true}, {L"c.lnk", true, false}, {L"f", true, false},
                                      {L"leer", false, true},  {L"System", false, true}, {L"versteckt", false, true},
                                      {L"Voll", false, false}};
    SystemFolderReading reading;
    FolderSource source(reading, kAll);
    std::vector<Shown> shown;
    for (const FolderChild& child : source.Children(list)) {
        shown.push_back({child.name, !child.linkTarget.empty(), child.empty});
        if (!child.linkTarget.empty()) EXPECT_EQ(child.linkTarget, target);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(source.Done().searches, 1u);
    EXPECT_EQ(source.Done().probes, expected.size());
    MakeFolderWritable(list + L"f");
}

}  // namespace
