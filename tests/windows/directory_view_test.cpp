#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "controls/directory_view.h"
#include "links/folder_links.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"

namespace {
using namespace directory_test;
using Cause = DirectoryView::Cause;

// Folder links must be read-only to count; under Wine that takes the Unix write permission,
// which has to come back before the temporary folder can be removed.
struct ReadOnlyFolder {
    explicit ReadOnlyFolder(std::wstring f) : folder(std::move(f)) { MakeFolderReadOnly(folder); }
    ~ReadOnlyFolder() { MakeFolderWritable(folder); }
    std::wstring folder;
};

class DirectoryViewTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::wstring target = temp.MakeFolder(L"Ziel");
    void SetUp() override {
        temp.MakeFolder(L"Ziel\\Eins");
        temp.MakeFolder(L"Ziel\\Zwei");
    }
};

TEST_F(DirectoryViewTest, LinksToFoldersOpenLikeFoldersAndReportTheirTarget) {
    const std::wstring list = temp.MakeFolder(L"Liste");
    temp.MakeFolder(L"Liste\\b");
    temp.MakeFolder(L"Liste\\Ärger\\innen");  // the user's order, not the code points'
    temp.MakeFile(L"Liste\\e.txt");
    ASSERT_NO_THROW(WriteLink(list + L"c.lnk", NewLinkData(target, L"", L"", L"", 0)));
    ASSERT_NO_THROW(WriteLink(list + L"d.lnk", NewLinkData(list + L"e.txt", L"", L"", L"", 0)));
    const std::wstring withFolderLink = temp.MakeFolder(L"Ordnerlinks");
    ASSERT_NO_THROW(CreateFolderLink(withFolderLink + L"f\\", NewLinkData(target, L"", L"", L"", 0)));
    ReadOnlyFolder readOnly(withFolderLink + L"f");
    // Wine answers a Greek target path from the link's code-page copy, with '?' in it.
    const std::wstring greek = temp.MakeFolder(L"Ζήτα");
    temp.MakeFolder(L"Ζήτα\\Eins");
    temp.MakeFolder(L"Ζήτα\\Zwei");
    const std::wstring greekLinks = temp.MakeFolder(L"Griechisch");
    ASSERT_NO_THROW(CreateFolderLink(greekLinks + L"g\\", NewLinkData(greek)));
    ReadOnlyFolder greekReadOnly(greekLinks + L"g");

    TreeFixture fx(temp.Path());
    struct Case {
        std::wstring folder;
        std::vector<std::wstring> children;
        std::wstring link, target;
    };
    const Case cases[] = {
        {list, {L"Ärger", L"b", L"c.lnk"}, L"c.lnk", target},
        {withFolderLink, {L"f"}, L"f", target},
        {greekLinks, {L"g"}, L"g", greek},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.link));
        ASSERT_TRUE(fx.tree->SelectFolder(c.folder));
        const HTREEITEM folder = fx.Selection();
        EXPECT_EQ(fx.Captions(folder), c.children);
        EXPECT_EQ(fx.Captions(fx.Child(folder, c.link)), std::vector<std::wstring>{L""}) << "a button before opening";
        EXPECT_NE(std::find(fx.asked.begin(), fx.asked.end(), c.folder + c.link + L"\\"), fx.asked.end());

        ASSERT_TRUE(fx.tree->SelectFolder(c.folder + c.link));
        EXPECT_EQ(fx.Captions(fx.Selection()), (std::vector<std::wstring>{L"Eins", L"Zwei"}));
        EXPECT_SAME_PATH(fx.tree->SelectedFolder(), c.target) << "a link reports its target";
    }
    ASSERT_TRUE(fx.tree->SelectFolder(list));
    EXPECT_TRUE(fx.Captions(fx.Child(fx.Selection(), L"b")).empty()) << "an empty folder has no button";
    EXPECT_TRUE(fx.announced.empty()) << "selecting from code stays silent";
}

TEST_F(DirectoryViewTest, CodeSelectsSilentlyAndTheUsersKeysAndClicksAreAnnouncedWithTheirCause) {
    const std::wstring choice = temp.MakeFolder(L"Auswahl");
    const std::wstring one = temp.MakeFolder(L"Auswahl\\Eins");
    const std::wstring two = temp.MakeFolder(L"Auswahl\\Zwei");
    temp.MakeFolder(L"Auswahl\\Zwei\\Innen");
    const std::wstring filtered = temp.MakeFolder(L"Auswahl\\gefiltert");
    ASSERT_NO_THROW(WriteLink(choice + L"c.lnk", NewLinkData(target, L"", L"", L"", 0)));
    TreeFixture fx(temp.Path());
    fx.refuse = {filtered};
    UpdateWindow(fx.Tree());
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), UpperCase(temp.Path().substr(0, 3))) << "the fixed disk first";

    struct Step {
        const char* what;
        std::wstring path;
        bool found;
        std::wstring selectedAfter;
    };
    const Step steps[] = {
        {"other letter case", UpperCase(one), true, one},
        {"left out by the owner: the walk ends at the deepest folder", filtered, false, choice},
        {"missing", choice + L"fehlt", false, choice},
        {"empty path", L"", false, choice},
        {"link file", choice + L"c.lnk", true, target},
        {"back", one, true, one},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(fx.tree->SelectFolder(step.path), step.found);
        EXPECT_SAME_PATH(fx.tree->SelectedFolder(), step.selectedAfter);
    }
    EXPECT_TRUE(fx.announced.empty());
    EXPECT_EQ(fx.Captions(TreeView_GetParent(fx.Tree(), fx.Selection())),
              (std::vector<std::wstring>{L"c.lnk", L"Eins", L"Zwei"}))
        << "sorted without regard to case, the refused folder left out";

    const HTREEITEM eins = fx.Selection();
    struct Action {
        const char* what;
        std::function<void()> act;
        std::vector<Announcement> announced;
    };
    const Action actions[] = {
        {"down", [&] { fx.Key(VK_DOWN); }, {{two, Cause::Keyboard}}},
        {"open by key", [&] {
             fx.Key(VK_ADD);
             EXPECT_EQ(fx.Captions(fx.Selection()), std::vector<std::wstring>{L"Innen"});
         }, {}},
        {"click", [&] { fx.Click(eins); }, {{one, Cause::Mouse}}},
        {"click on the selected node", [&] { fx.Click(eins); }, {}},
        {"up to the parent", [&] { fx.Key(VK_LEFT); }, {{choice, Cause::Keyboard}}},
        {"refresh", [&] { fx.Key(VK_F5); }, {}},
        {"code", [&] { fx.tree->GoUp(); }, {}},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.what);
        fx.announced.clear();
        action.act();
        ASSERT_EQ(fx.announced.size(), action.announced.size());
        for (size_t i = 0; i < action.announced.size(); ++i) {
            EXPECT_SAME_PATH(fx.announced[i].folder, action.announced[i].folder);
            EXPECT_EQ(fx.announced[i].cause, action.announced[i].cause);
        }
    }
}

TEST_F(DirectoryViewTest, OpenedFoldersLookOpenAndADpiChangeResizesThePictures) {
    const std::wstring folder = temp.MakeFolder(L"Bilder");
    for (const wchar_t* name : {L"a", L"b"}) temp.MakeFolder(std::wstring(L"Bilder\\") + name + L"\\x");
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(folder));
    const auto image = [&](HTREEITEM node) {
        TVITEMW item{};
        item.mask = TVIF_IMAGE;
        item.hItem = node;
        TreeView_GetItem(fx.Tree(), &item);
        return item.iImage;
    };
    const HTREEITEM a = fx.Child(fx.Selection(), L"a"), b = fx.Child(fx.Selection(), L"b");
    const int closed = image(a);
    EXPECT_GE(closed, 0);
    EXPECT_EQ(image(b), closed);
    ASSERT_TRUE(fx.tree->SelectFolder(folder + L"a"));
    EXPECT_NE(image(a), image(b)) << "the opened folder looks open";
    EXPECT_EQ(image(b), closed) << "its closed siblings look as before";

    for (const auto& [dpi, pixels] : {std::pair{192u, 32}, std::pair{96u, 16}}) {
        fx.tree->DpiChanged(dpi);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(TreeView_GetImageList(fx.Tree(), TVSIL_NORMAL), &cx, &cy);
        EXPECT_EQ(cx, pixels);
        EXPECT_GE(image(b), 0) << "drawn again at the new size";
    }
}

TEST_F(DirectoryViewTest, AnOwnerThatThrowsLeavesTheTreeDrawingAndAnnouncing) {
    const std::wstring inner = temp.MakeFolder(L"Wurf\\Innen");
    TreeFixture fx(temp.Path());
    UpdateWindow(fx.Tree());  // loaded: the owner fails in a call of its own, not in the first paint
    const auto record = fx.tree->ShowsFolder;
    fx.tree->ShowsFolder = [&](const std::wstring& folder) -> bool {
        if (folder.size() > 3) throw std::runtime_error("the owner failed");
        return record(folder);
    };
    EXPECT_THROW(fx.tree->SelectFolder(inner), std::runtime_error);
    fx.tree->ShowsFolder = record;

    UpdateWindow(fx.Tree());
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"neu");
    const HTREEITEM added = TreeView_InsertItem(fx.Tree(), &insert);
    EXPECT_TRUE(GetUpdateRect(fx.Tree(), nullptr, FALSE)) << "drawing again";
    TreeView_DeleteItem(fx.Tree(), added);

    EXPECT_TRUE(fx.tree->SelectFolder(inner));
    fx.Key(VK_LEFT);
    ASSERT_EQ(fx.announced.size(), 1u) << "announcing again";
    EXPECT_SAME_PATH(fx.announced[0].folder, temp.Path() + L"Wurf\\");
}

// Draws the tree with a drive, an opened folder and a link file node; ZW_SCREENSHOT holds it
// on screen to be looked at.
TEST_F(DirectoryViewTest, TheTreeDrawsDrivesFoldersAndLinkIcons) {
    const std::wstring list = temp.MakeFolder(L"Menü");
    temp.MakeFolder(L"Menü\\Bilder");
    temp.MakeFolder(L"Menü\\Programme\\Editor");
    ASSERT_NO_THROW(WriteLink(list + L"Werkzeug.lnk", NewLinkData(target, L"", L"", L"", 0)));
    TreeFixture fx(temp.Path());
    fx.keepOtherDrives = true;
    ASSERT_TRUE(fx.tree->SelectFolder(list + L"Werkzeug.lnk"));
    RedrawWindow(fx.host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();

    RECT client;
    GetClientRect(fx.Tree(), &client);
    const WindowDc screen(fx.Tree());
    std::vector<COLORREF> colours;
    for (int y = 0; y < client.bottom; y += 2)
        for (int x = 0; x < client.right; x += 2) colours.push_back(GetPixel(screen.Get(), x, y));
    std::sort(colours.begin(), colours.end());
    EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 10) << "icons and text, not a blank tree";
    HoldForScreenshot();
}

}  // namespace
