#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/wine_drive.h"

namespace {
using namespace directory_test;


std::wstring UnixPath(const std::wstring& path) {
    std::wstring unix = WideFromUtf8(UnixPathOf(path));
    while (unix.size() > 1 && unix.back() == L'/') unix.pop_back();
    return unix;
}

void ChangeMode(const std::wstring& folder, const wchar_t* mode) {
    ASSERT_TRUE(RunUnixProgram(L"/bin/chmod", L"chmod " + std::wstring(mode) + L" \"" + UnixPath(folder) + L"\""));
}

class DirectoryBadInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RunningUnderWine()) << "these cases are built with Wine's drive letters"; }
    TempFolder temp;
};

TEST_F(DirectoryBadInputTest, ARemovableDriveWithoutMediumOpensToNothingAndKeepsItsButton) {
    const std::wstring empty = temp.MakeFolder(L"Diskette");
    const std::pair<const char*, std::wstring> cases[] = {
        {"empty medium", UnixPath(empty)},
        {"no medium", UnixPath(temp.Path()) + L"/fehlt"},
    };
    for (const auto& [what, unixTarget] : cases) {
        SCOPED_TRACE(what);
        WineDrive drive(DRIVE_REMOVABLE, unixTarget);
        ASSERT_EQ(GetDriveTypeW(drive.Root().c_str()), UINT{DRIVE_REMOVABLE});
        BoxScript boxes;
        TreeFixture fx(temp.Path());
        fx.keepOtherDrives = true;
        UpdateWindow(fx.Tree());
        HTREEITEM root = nullptr;
        for (HTREEITEM node = TreeView_GetRoot(fx.Tree()); node; node = TreeView_GetNextSibling(fx.Tree(), node))
            if (fx.Caption(node).find(drive.Root().substr(0, 2)) != std::wstring::npos) root = node;
        ASSERT_TRUE(root);
        EXPECT_EQ(fx.Captions(root), std::vector<std::wstring>{L""}) << "an expand button";
        fx.Click(root);
        for (int attempt = 0; attempt < 2; ++attempt) {
            fx.Key(VK_ADD);
            EXPECT_FALSE(fx.Expanded(root));
            EXPECT_EQ(fx.Captions(root), std::vector<std::wstring>{L""}) << "the button stays";
        }
        EXPECT_FALSE(fx.tree->SelectFolder(drive.Root() + L"fehlt"));
        EXPECT_TRUE(boxes.Events().empty());
    }
}

bool CanList(const std::wstring& folder) {
    WIN32_FIND_DATAW find;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &find);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

TEST_F(DirectoryBadInputTest, AFolderDeletedAfterListingOpensQuietly) {
    const std::wstring parent = temp.MakeFolder(L"Eltern");
    temp.MakeFolder(L"Eltern\\weg\\innen");
    temp.MakeFolder(L"Eltern\\bleibt");
    BoxScript boxes;
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(parent));
    const HTREEITEM gone = fx.Child(fx.Selection(), L"weg");
    ASSERT_EQ(fx.Captions(gone), std::vector<std::wstring>{L""});
    RemoveTree(parent + L"weg");
    TreeView_Expand(fx.Tree(), gone, TVE_EXPAND);  // as its expand button does
    EXPECT_TRUE(fx.Captions(gone).empty()) << "no blank placeholder row and no button";
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), parent) << "a vanished folder is not selected";
    EXPECT_FALSE(fx.tree->SelectFolder(parent + L"weg"));
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), parent);
    EXPECT_TRUE(fx.announced.empty());
    EXPECT_TRUE(boxes.Events().empty());
}

TEST_F(DirectoryBadInputTest, UnreadableFoldersOpenToNothing) {
    const std::wstring parent = temp.MakeFolder(L"Eltern");
    struct Case {
        const char* what;
        std::wstring name;
        bool lockedBeforeListing;
    };
    const Case cases[] = {
        {"unreadable from the start", L"gesperrt", true},
        {"unreadable after listing", L"spaeter", false},
    };
    for (const auto& c : cases) temp.MakeFolder(L"Eltern\\" + c.name + L"\\innen");
    ChangeMode(parent + L"gesperrt", L"000");
    ASSERT_TRUE(WaitUntil([&] { return !CanList(parent + L"gesperrt"); }))
        << "folder permissions must bind the tests: run them as a plain user";
    BoxScript boxes;
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(parent));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.lockedBeforeListing) {
            ChangeMode(parent + c.name, L"000");
            ASSERT_TRUE(WaitUntil([&] { return !CanList(parent + c.name); }));
        }
        ASSERT_TRUE(fx.tree->SelectFolder(parent + c.name));
        EXPECT_TRUE(fx.Captions(fx.Selection()).empty()) << "nothing to show, no button";
        EXPECT_SAME_PATH(fx.tree->SelectedFolder(), parent + c.name + L"\\");
    }
    for (const auto& c : cases) ChangeMode(parent + c.name, L"755");
    EXPECT_TRUE(boxes.Events().empty());
}

// Folders made under Unix with characters Windows refuses: the tree shows what the system lists
// for them where Windows can use the name (32-bit Wine lists short names), none with such a
// character, and each opens.
TEST_F(DirectoryBadInputTest, NamesWindowsCannotUseNeverAppear) {
    const std::wstring parent = temp.MakeFolder(L"Namen");
    temp.MakeFolder(L"Namen\\gut");
    const std::vector<const wchar_t*> names = {L"frage?", L"a|b", L"stern*", L"x<y>"};
    for (const wchar_t* name : names)
        ASSERT_TRUE(RunUnixProgram(L"/bin/mkdir", L"mkdir \"" + UnixPath(parent) + L"/" + name + L"\""));
    std::vector<std::wstring> listed;
    ASSERT_TRUE(WaitUntil([&] {
        listed.clear();
        WIN32_FIND_DATAW find;
        HANDLE search = FindFirstFileW((parent + L"*").c_str(), &find);
        if (search == INVALID_HANDLE_VALUE) return false;
        do
            if (find.cFileName[0] != L'.') listed.push_back(find.cFileName);
        while (FindNextFileW(search, &find));
        FindClose(search);
        return listed.size() == names.size() + 1;
    })) << "the folders made under Unix show up";
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(parent));
    std::vector<std::wstring> shown = fx.Captions(fx.Selection());
    std::sort(shown.begin(), shown.end());
    // What the system lists as it is (Wine's 64-bit listing gives the Unix names) shows unless
    // Windows cannot use the name.
    std::vector<std::wstring> usable;
    for (const auto& name : listed)
        if (name.find_first_of(L"?|*<>") == std::wstring::npos) usable.push_back(name);
    std::sort(usable.begin(), usable.end());
    EXPECT_EQ(shown, usable);
    for (const auto& caption : shown) {
        EXPECT_EQ(caption.find_first_of(L"?|*<>"), std::wstring::npos) << Utf8FromWide(caption);
        EXPECT_TRUE(fx.tree->SelectFolder(parent + caption)) << Utf8FromWide(caption);
        EXPECT_SAME_PATH(fx.tree->SelectedFolder(), parent + caption + L"\\");
    }
}

TEST_F(DirectoryBadInputTest, FoldersNestedPastTheClassicPathLimitAreShown) {
    const std::wstring base = temp.MakeFolder(L"Tief");
    std::wstring deep = base;
    for (int i = 0; i < 12; ++i) {
        deep += L"Ein sehr tiefer Ordner " + std::to_wstring(10 + i) + L"\\";
        CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr);
    }
    ASSERT_GT(deep.size(), 300u);
    BoxScript boxes;
    TreeFixture fx(temp.Path());
    EXPECT_TRUE(fx.tree->SelectFolder(deep));
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), deep);
    EXPECT_TRUE(boxes.Events().empty());
    RemoveTree(L"\\\\?\\" + base);
}

}  // namespace
