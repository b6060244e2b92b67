#include <gtest/gtest.h>

#include <windows.h>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "tests/windows/support/attribute_spy.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "links/folder_links.h"
#include "links/link_writing.h"
#include "wizard/link_writing_boxes.h"

namespace {

std::wstring IniValue(const std::wstring& ini, const wchar_t* key) {
    wchar_t buffer[MAX_PATH] = {};
    GetPrivateProfileStringW(L".ShellClassInfo", key, L"", buffer, MAX_PATH, ini.c_str());
    return buffer;
}

class FolderLinksTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::wstring target = temp.MakeFolder(L"Archiv");
};

TEST_F(FolderLinksTest, CreatedLayoutHasItsFilesAndAttributes) {
    const std::wstring link = temp.Path() + L"Menü Daten\\";
    BoxScript boxes;
    AttributeSpy spy;
    ASSERT_TRUE(spy.Active());
    ASSERT_NO_THROW(CreateFolderLink(link, NewLinkData(temp.Path() + L"Archiv", L"", L"Beschreibung", L"", 0)));
    EXPECT_TRUE(boxes.Events().empty());
    EXPECT_EQ(FileAttributes(link + L"Desktop.ini"), DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(FileAttributes(link + L"target.lnk"), DWORD{FILE_ATTRIBUTE_HIDDEN});
    // Wine drops a folder's read-only attribute without a trace; what the program asked for shows it.
    EXPECT_EQ(spy.Requested(link) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY})
        << "the folder link must be read-only";
    if (!RunningUnderWine()) { EXPECT_TRUE(FolderTookReadOnly(link)); }
    MakeFolderReadOnly(link);
    EXPECT_EQ(IniValue(link + L"Desktop.ini", L"CLSID2"), kFolderLinkClassId);
    EXPECT_EQ(IniValue(link + L"Desktop.ini", L"Flags"), L"2");
    const std::string ini = ReadFileBytes(link + L"Desktop.ini");
    EXPECT_LT(ini.find("CLSID2"), ini.find("Flags"));
    EXPECT_EQ(ReadLink(link + L"target.lnk").description, L"Beschreibung");
    EXPECT_EQ(FolderLinkTarget(link), target);
    EXPECT_EQ(FolderLinkTarget(WithoutTrailingBackslash(link)), target);
}

TEST_F(FolderLinksTest, LookalikesAreNotFolderLinks) {
    const std::wstring link = temp.Path() + L"Daten\\";
    ASSERT_NO_THROW(CreateFolderLink(link, NewLinkData(target, L"", L"", L"", 0)));
    MakeFolderWritable(link);
    EXPECT_EQ(FolderLinkTarget(link), L"") << "without the read-only attribute";
    MakeFolderReadOnly(link);
    ASSERT_EQ(FolderLinkTarget(link), target);

    const std::wstring ini = link + L"Desktop.ini";
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    WritePrivateProfileStringW(L".ShellClassInfo", L"CLSID2", L"{0afaced1-e828-11d1-9187-b532f1e9575d}", ini.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    EXPECT_EQ(FolderLinkTarget(link), L"") << "class identifier in lower case";

    WritePrivateProfileStringW(L".ShellClassInfo", L"CLSID2", kFolderLinkClassId, ini.c_str());
    WritePrivateProfileStringW(L".ShellClassInfo", L"Flags", L"1", ini.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    EXPECT_EQ(FolderLinkTarget(link), L"") << "other flags";

    WritePrivateProfileStringW(L".ShellClassInfo", L"Flags", L"2", ini.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    EXPECT_EQ(FolderLinkTarget(link), target);

    RemoveTree(target);
    EXPECT_EQ(FolderLinkTarget(link), L"") << "target folder gone";
    EXPECT_EQ(FolderLinkTarget(temp.Path() + L"fehlt"), L"");
    EXPECT_EQ(FolderLinkTarget(temp.Path()), L"");
}

TEST_F(FolderLinksTest, ReplacingASameNamedFolderAsksFirst) {
    const std::wstring link = temp.MakeFolder(L"Vorhanden");
    temp.MakeFile(L"Vorhanden\\alt.txt");
    LinkDraft draft;
    draft.target = target;
    draft.targetIsFolder = true;
    draft.location = link;
    draft.kind = LinkKind::FolderLink;
    LinkWritingBoxes questions(nullptr);
    {
        BoxScript boxes({BoxAnswer::No});
        EXPECT_FALSE(WriteLinkDraft(draft, questions));
        ASSERT_EQ(boxes.Events().size(), 2u);
        EXPECT_EQ(boxes.Events()[0].type, BoxEvent::Type::Sound);
        EXPECT_EQ(boxes.Events()[1].text,
                  L"Die Ordnerverknüpfung " + temp.Path() + L"Vorhanden kann nicht erstellt werden, da bereits ein "
                  L"gleichnamiger Ordner existiert. Sollen der Ordner und alle in ihm enthaltenen Dateien gelöscht "
                  L"werden?");
        EXPECT_EQ(boxes.Events()[1].buttons, BoxButtons::YesNo);
        EXPECT_TRUE(FileExists(link + L"alt.txt"));
    }
    BoxScript boxes({BoxAnswer::Yes});
    ASSERT_TRUE(WriteLinkDraft(draft, questions));
    EXPECT_FALSE(FileExists(link + L"alt.txt"));
    MakeFolderReadOnly(link);
    EXPECT_EQ(FolderLinkTarget(link), target);
}

TEST_F(FolderLinksTest, AnUnreadableTargetLinkIsNoFolderLink) {
    const std::wstring link = temp.Path() + L"Kaputt\\";
    ASSERT_NO_THROW(CreateFolderLink(link, NewLinkData(target)));
    SetFileAttributesW((link + L"target.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
    temp.MakeFile(L"Kaputt\\target.lnk", "kein Link");
    MakeFolderReadOnly(link);
    EXPECT_EQ(FolderLinkTarget(link), L"");
    EXPECT_EQ(ResolveFolderLinks(link + L"a"), link + L"a\\");
}

}  // namespace
