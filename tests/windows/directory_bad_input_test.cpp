#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

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
        TreeFixture fx(temp.Path(), false);
        fx.keepOtherDrives = true;
        fx.tree->Load();
        HTREEITEM root = nullptr;
        for (HTREEITEM node : fx.tree->ChildrenOf(nullptr))
            if (SameText(fx.tree->NodePath(node, false), drive.Root())) root = node;
        ASSERT_TRUE(root);
        EXPECT_EQ(fx.tree->ChildCaptions(root), std::vector<std::wstring>{L""}) << "an expand button";
        for (int attempt = 0; attempt < 2; ++attempt) {
            fx.tree->Expand(root);
            EXPECT_FALSE(fx.tree->IsExpanded(root));
            EXPECT_EQ(fx.tree->ChildCaptions(root), std::vector<std::wstring>{L""}) << "the button stays";
        }
        SendMessageW(fx.tree->Handle(), WM_KEYDOWN, VK_ADD, 0);  // the user tries too
        PumpPending();
        EXPECT_EQ(fx.tree->ChildCaptions(root), std::vector<std::wstring>{L""});
        EXPECT_FALSE(fx.tree->SelectDirectory(drive.Root() + L"fehlt"));
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
    const HTREEITEM node = fx.tree->SelectDirectory(parent);
    ASSERT_TRUE(node);
    const HTREEITEM gone = ChildNamed(*fx.tree, node, L"weg");
    ASSERT_EQ(fx.tree->ChildCaptions(gone), std::vector<std::wstring>{L""});
    RemoveTree(parent + L"weg");
    fx.announced.clear();
    fx.tree->Expand(gone);
    EXPECT_TRUE(fx.tree->ChildrenOf(gone).empty()) << "no blank placeholder row and no button";
    EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), parent) << "a vanished folder is not selected";
    EXPECT_TRUE(fx.announced.empty());
    EXPECT_FALSE(fx.tree->SelectDirectory(parent + L"weg"));
    EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), parent);
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
    const HTREEITEM node = fx.tree->SelectDirectory(parent);
    ASSERT_TRUE(node);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const HTREEITEM child = ChildNamed(*fx.tree, node, c.name);
        ASSERT_TRUE(child);
        if (!c.lockedBeforeListing) {
            ChangeMode(parent + c.name, L"000");
            ASSERT_TRUE(WaitUntil([&] { return !CanList(parent + c.name); }));
        }
        fx.tree->Select(node);
        fx.tree->Expand(child);
        EXPECT_TRUE(fx.tree->ChildrenOf(child).empty()) << "nothing to show, no button";
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), parent + c.name + L"\\");
    }
    for (const auto& c : cases) ChangeMode(parent + c.name, L"755");
    EXPECT_TRUE(boxes.Events().empty());
}

TEST_F(DirectoryBadInputTest, NamesWindowsCannotUseNeverAppear) {
    const std::wstring parent = temp.MakeFolder(L"Namen");
    temp.MakeFolder(L"Namen\\gut");
    for (const wchar_t* name : {L"frage?", L"a|b", L"stern*", L"x<y>"})
        ASSERT_TRUE(RunUnixProgram(L"/bin/mkdir", L"mkdir \"" + UnixPath(parent) + L"/" + name + L"\""));
    TreeFixture fx(temp.Path());
    const HTREEITEM node = fx.tree->SelectDirectory(parent);
    ASSERT_TRUE(node);
    for (const auto& caption : fx.tree->ChildCaptions(node)) {
        EXPECT_TRUE(NamePassesFilter(caption)) << Utf8FromWide(caption);
        const HTREEITEM child = ChildNamed(*fx.tree, node, caption);
        fx.tree->Expand(child);
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), parent + caption + L"\\");
    }
    EXPECT_TRUE(ChildNamed(*fx.tree, node, L"gut"));
}

TEST_F(DirectoryBadInputTest, FoldersNestedPastTheClassicPathLimitAreHandledQuietly) {
    const std::wstring base = temp.MakeFolder(L"Tief");
    std::wstring deep = base;
    for (int i = 0; i < 12; ++i) {
        deep += L"Ein sehr tiefer Ordner " + std::to_wstring(10 + i) + L"\\";
        CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr);
    }
    ASSERT_GT(deep.size(), 300u);
    BoxScript boxes;
    TreeFixture fx(temp.Path());
    HTREEITEM node = fx.tree->SelectDirectory(base);
    ASSERT_TRUE(node);
    int depth = 0;
    while (node) {
        fx.tree->Expand(node);
        const std::wstring path = fx.tree->NodePath(node, false);
        EXPECT_TRUE(SameText(path, deep.substr(0, path.size()))) << Utf8FromWide(path);
        const auto children = fx.tree->ChildrenOf(node);
        node = children.empty() || fx.tree->CaptionOf(children[0]).empty() ? nullptr : children[0];
        ++depth;
    }
    EXPECT_GE(depth, 2);
    const HTREEITEM found = fx.tree->SelectDirectory(deep);
    if (found)
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), deep);
    else
        EXPECT_TRUE(SameText(deep.substr(0, fx.tree->SelectedDirectory().size()), fx.tree->SelectedDirectory()));
    EXPECT_TRUE(boxes.Events().empty());
    RemoveTree(L"\\\\?\\" + base);
}

}  // namespace
