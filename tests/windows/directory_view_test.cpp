#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "links/folder_links.h"
#include "links/link_store.h"

namespace {
using namespace directory_test;


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
    temp.MakeFolder(L"Liste\\Ärger");  // the user's order, not the code points'
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
        std::wstring link;
        std::wstring ownPath;
        std::wstring target;
    };
    const Case cases[] = {
        {list, {L"Ärger", L"b", L"c.lnk"}, L"c.lnk", list + L"c.lnk", target},
        {withFolderLink, {L"f"}, L"f", withFolderLink + L"f\\", target},
        {greekLinks, {L"g"}, L"g", greekLinks + L"g\\", greek},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.link));
        fx.adding.clear();
        const HTREEITEM folder = fx.tree->SelectDirectory(c.folder);
        ASSERT_TRUE(folder);
        EXPECT_EQ(fx.tree->ChildCaptions(folder), c.children);
        const HTREEITEM link = ChildNamed(*fx.tree, folder, c.link);
        ASSERT_TRUE(link);
        EXPECT_EQ(fx.tree->ChildCaptions(link), std::vector<std::wstring>{L""}) << "one placeholder before opening";
        EXPECT_SAME_PATH(fx.tree->NodePath(link, false), c.target);
        EXPECT_SAME_PATH(fx.tree->NodePath(link, true), c.ownPath);
        const auto asked = std::find_if(fx.adding.begin(), fx.adding.end(),
                                        [&](const Adding& a) { return SameText(a.directory, c.ownPath + (c.ownPath.back() == L'\\' ? L"" : L"\\")); });
        ASSERT_NE(asked, fx.adding.end());
        EXPECT_TRUE(asked->dirLink);
        EXPECT_FALSE(asked->empty);

        fx.tree->Expand(link);
        EXPECT_EQ(fx.tree->ChildCaptions(link), (std::vector<std::wstring>{L"Eins", L"Zwei"}));
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), c.target) << "opening selects, and the link reports its target";
        EXPECT_SAME_PATH(fx.tree->NodePath(ChildNamed(*fx.tree, link, L"Eins"), true), c.target + L"Eins\\");
    }
}

TEST_F(DirectoryViewTest, AnEmptyFolderIsAskedForAsEmptyAndHasNoExpandButton) {
    const std::wstring list = temp.MakeFolder(L"Liste");
    temp.MakeFolder(L"Liste\\b");
    temp.MakeFolder(L"Liste\\voll\\innen");
    TreeFixture fx(temp.Path());
    const HTREEITEM node = fx.tree->SelectDirectory(list);
    ASSERT_TRUE(node);
    const std::pair<const wchar_t*, bool> cases[] = {{L"b", true}, {L"voll", false}};
    for (const auto& [name, empty] : cases) {
        SCOPED_TRACE(Utf8FromWide(name));
        EXPECT_EQ(fx.tree->ChildrenOf(ChildNamed(*fx.tree, node, name)).empty(), empty);
        const auto asked = std::find_if(fx.adding.begin(), fx.adding.end(), [&](const Adding& a) {
            return SameText(a.directory, list + name + L"\\");
        });
        ASSERT_NE(asked, fx.adding.end());
        EXPECT_EQ(asked->empty, empty);
        EXPECT_FALSE(asked->dirLink);
        EXPECT_EQ(std::count_if(fx.adding.begin(), fx.adding.end(),
                                [&](const Adding& a) { return SameText(a.directory, asked->directory); }),
                  1);
    }

    // Opening shows the wait cursor while the folder is read.
    HCURSOR whileReading = nullptr;
    const auto record = fx.tree->OnDirectoryAdding;
    fx.tree->OnDirectoryAdding = [&](DirectoryView* sender, const std::wstring& directory, bool empty, bool link,
                                     bool& allow) {
        whileReading = GetCursor();
        record(sender, directory, empty, link, allow);
    };
    const HCURSOR before = GetCursor();
    fx.tree->Expand(ChildNamed(*fx.tree, node, L"voll"));
    EXPECT_EQ(whileReading, LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(GetCursor(), before);
}

TEST_F(DirectoryViewTest, HiddenFoldersFollowTheSearchMask) {
    const std::wstring parent = temp.MakeFolder(L"Versteckt");
    const std::wstring hidden = temp.MakeFolder(L"Versteckt\\.geheim");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(FileAttributes(hidden) & FILE_ATTRIBUTE_HIDDEN);

    TreeFixture fx(temp.Path());
    HTREEITEM node = fx.tree->SelectDirectory(parent);
    ASSERT_TRUE(node);
    EXPECT_EQ(fx.tree->ChildCaptions(node), std::vector<std::wstring>{L".geheim"});
    EXPECT_TRUE(fx.tree->SelectDirectory(hidden));

    fx.tree->SetDirectoriesToFind(16);
    EXPECT_EQ(fx.tree->SelectedDirectory(), L"") << "the rebuild cannot reselect a folder it no longer shows";
    node = fx.tree->SelectDirectory(parent);
    ASSERT_TRUE(node);
    EXPECT_TRUE(fx.tree->ChildrenOf(node).empty()) << "the parent loses its expand button";
    EXPECT_FALSE(fx.tree->SelectDirectory(hidden));
    EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), parent);

    for (int refused : {64, 100, -1}) {
        fx.tree->SetDirectoriesToFind(refused);
        EXPECT_EQ(fx.tree->DirectoriesToFind(), 16);
    }
    fx.tree->SetDirectoriesToFind(63);
    EXPECT_TRUE(fx.tree->SelectDirectory(hidden));
}

TEST_F(DirectoryViewTest, EachDirectoryIsAnnouncedOnceAndAVetoKeepsThePreviousNode) {
    const std::wstring choice = temp.MakeFolder(L"Auswahl");
    const std::wstring one = temp.MakeFolder(L"Auswahl\\Eins");
    const std::wstring two = temp.MakeFolder(L"Auswahl\\Zwei");
    const std::wstring filtered = temp.MakeFolder(L"Auswahl\\gefiltert");
    ASSERT_NO_THROW(WriteLink(choice + L"c.lnk", NewLinkData(target, L"", L"", L"", 0)));
    TreeFixture fx(temp.Path());
    fx.refuse = {filtered};

    struct Step {
        const char* what;
        std::wstring path;
        int vetoes;
        bool found;
        std::vector<std::wstring> announced;  // by this step
        std::wstring selectedAfter;
    };
    const Step steps[] = {
        {"other letter case", UpperCase(one), 0, true, {one}, one},
        // the walk stops at the deepest folder it could open, which stays selected unannounced
        {"filtered out", filtered, 0, false, {}, choice},
        {"back", one, 0, true, {one}, one},
        {"already selected", one, 0, true, {}, one},
        {"vetoed", two, 1, true, {two}, one},
        {"next attempt", two, 0, true, {two}, two},
        {"link file", choice + L"c.lnk", 0, true, {target}, target},
        {"missing", choice + L"fehlt", 0, false, {}, target},
        {"empty path", L"", 0, false, {}, target},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        fx.announced.clear();
        fx.vetoes = step.vetoes;
        const HTREEITEM node = fx.tree->SelectDirectory(step.path);
        EXPECT_EQ(node != nullptr, step.found);
        ASSERT_EQ(fx.Directories().size(), step.announced.size());
        for (size_t i = 0; i < step.announced.size(); ++i) {
            EXPECT_SAME_PATH(fx.announced[i].directory, step.announced[i]);
            EXPECT_TRUE(fx.announced[i].fromTree);
        }
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), step.selectedAfter);
        EXPECT_SAME_PATH(fx.tree->LastDirectory(), step.selectedAfter);
    }
    EXPECT_EQ(fx.tree->CaptionOf(fx.tree->Selected()), L"c.lnk");
    EXPECT_EQ(fx.tree->ChildCaptions(fx.tree->ParentOf(fx.tree->Selected())),
              (std::vector<std::wstring>{L"c.lnk", L"Eins", L"Zwei"}))
        << "sorted without regard to case, the refused folder left out";
}

TEST_F(DirectoryViewTest, TheUserOpensNodesThroughTheTreeItself) {
    const std::wstring folder = temp.MakeFolder(L"Tastatur");
    temp.MakeFolder(L"Tastatur\\Alpha\\Innen");
    temp.MakeFolder(L"Tastatur\\beta");
    DirectoryViewOptions options = TreeFixture::Options();
    options.expandingSelect = false;
    TreeFixture fx(temp.Path(), true, options);
    const HTREEITEM node = fx.tree->SelectDirectory(folder);
    ASSERT_TRUE(node);
    const HTREEITEM alpha = ChildNamed(*fx.tree, node, L"Alpha");
    ASSERT_TRUE(alpha);
    fx.tree->Select(alpha);
    fx.announced.clear();
    RedrawWindow(fx.host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageW(fx.tree->Handle(), WM_KEYDOWN, VK_ADD, 0);  // the keyboard's "open"
    EXPECT_FALSE(GetUpdateRect(fx.tree->Handle(), nullptr, FALSE)) << "the opened folder is drawn at once";
    PumpPending();
    EXPECT_TRUE(fx.tree->IsExpanded(alpha));
    EXPECT_EQ(fx.tree->ChildCaptions(alpha), std::vector<std::wstring>{L"Innen"});
    EXPECT_TRUE(fx.announced.empty()) << "selected and announced before";

    SendMessageW(fx.tree->Handle(), WM_KEYDOWN, VK_SUBTRACT, 0);
    PumpPending();
    EXPECT_FALSE(fx.tree->IsExpanded(alpha));
    const HTREEITEM beta = ChildNamed(*fx.tree, node, L"beta");
    SendMessageW(fx.tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PumpPending();
    EXPECT_EQ(fx.tree->Selected(), beta);
    ASSERT_EQ(fx.announced.size(), 1u);
    EXPECT_SAME_PATH(fx.announced[0].directory, folder + L"beta\\");
}

TEST_F(DirectoryViewTest, StartDirectoryChoosesTheFirstSelection) {
    {
        TreeFixture fx(temp.Path(), false);
        fx.tree->SetStartDirectory(SD_WINDOWS);
        fx.tree->Load();
        const std::wstring windows = WithTrailingBackslash(DirectoryView::SystemDirectoryPath(SD_WINDOWS));
        ASSERT_FALSE(windows.empty());
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), windows);
        ASSERT_EQ(fx.announced.size(), 1u);
        EXPECT_SAME_PATH(fx.announced[0].directory, windows);

        fx.tree->SetStartDirectory(SD_DESKTOP);
        EXPECT_EQ(fx.tree->StartDirectory(), SD_WINDOWS) << "only SD_NO is taken once loaded";
        fx.tree->SetStartDirectory(SD_NO);
        EXPECT_EQ(fx.tree->StartDirectory(), SD_NO);
    }
    {
        TreeFixture fx(temp.Path(), false);
        fx.tree->SetStartDirectory(SD_COMPUTER);
        fx.tree->Load();
        EXPECT_EQ(fx.tree->Selected(), nullptr);
        EXPECT_TRUE(fx.announced.empty());
    }
    {
        DirectoryViewOptions options = TreeFixture::Options();
        options.singleExpand = true;
        TreeFixture fx(temp.Path(), true, options);
        const HTREEITEM selected = fx.tree->Selected();
        ASSERT_TRUE(selected);
        EXPECT_EQ(fx.tree->LevelOf(selected), 0);
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), UpperCase(temp.Path().substr(0, 3)));
        EXPECT_TRUE(fx.announced.empty()) << "the first fixed disk is selected silently";
        EXPECT_SAME_PATH(fx.tree->LastDirectory(), fx.tree->SelectedDirectory());
    }
}

TEST_F(DirectoryViewTest, IconSizesSwitchAndTheCurrentDirectorySurvivesARebuild) {
    const std::wstring folder = temp.MakeFolder(L"Bilder");
    for (const wchar_t* name : {L"a", L"b", L"c"}) temp.MakeFolder(std::wstring(L"Bilder\\") + name + L"\\x");
    TreeFixture fx(temp.Path());
    const HTREEITEM node = fx.tree->SelectDirectory(folder);
    ASSERT_TRUE(node);
    EXPECT_GE(fx.tree->ImageIndexOf(fx.tree->ChildrenOf(nullptr).front()), 0) << "root icons load at once";
    const auto children = fx.tree->ChildrenOf(node);
    ASSERT_EQ(children.size(), 3u);
    for (HTREEITEM child : children) EXPECT_EQ(fx.tree->ImageIndexOf(child), -1) << "not drawn yet";
    RedrawWindow(fx.tree->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpPending();
    std::vector<int> indexes;
    for (HTREEITEM child : children) indexes.push_back(fx.tree->ImageIndexOf(child));
    for (int index : indexes) EXPECT_GE(index, 0) << "drawn nodes have their icon";
    fx.tree->Expand(children[0]);
    EXPECT_NE(fx.tree->ImageIndexOf(children[0]), fx.tree->ImageIndexOf(children[1])) << "the opened folder looks open";
    EXPECT_EQ(fx.tree->ImageIndexOf(children[1]), indexes[1]) << "its closed siblings look as before";
    fx.tree->Collapse(children[0]);
    EXPECT_EQ(fx.tree->ImageIndexOf(children[0]), fx.tree->ImageIndexOf(children[1])) << "closed again";
    fx.tree->SelectDirectory(folder);

    const size_t announcedBefore = fx.announced.size();
    fx.tree->SetIndent(40);
    struct Case {
        TreeIconSize size;
        int pixels;
    };
    for (const Case c : {Case{isLarge, 32}, Case{isSmall, 16}}) {
        fx.tree->UpdateDirectories(c.size, folder);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(fx.tree->Images(), &cx, &cy);
        EXPECT_EQ(cx, c.pixels);
        EXPECT_EQ(cy, c.pixels);
        EXPECT_EQ(fx.tree->IconSize(), c.size);
        EXPECT_SAME_PATH(fx.tree->SelectedDirectory(), folder);
        EXPECT_EQ(fx.announced.size(), announcedBefore) << "reselecting the current directory announces nothing";
    }
    EXPECT_EQ(fx.tree->Indent(), 19) << "back to small icons, back to the small indent";
}

TEST_F(DirectoryViewTest, AnOwnerThatThrowsLeavesTheTreeDrawingAndAnnouncing) {
    const std::wstring inner = temp.MakeFolder(L"Wurf\\Innen");
    TreeFixture fx(temp.Path());
    const auto record = fx.tree->OnDirectoryAdding;
    fx.tree->OnDirectoryAdding = [&](DirectoryView*, const std::wstring&, bool, bool, bool&) {
        throw std::runtime_error("the owner failed");
    };
    EXPECT_THROW(fx.tree->SelectDirectory(inner), std::runtime_error);
    fx.tree->OnDirectoryAdding = record;

    // A node added now is drawn.
    const HWND tree = fx.tree->Handle();
    UpdateWindow(tree);
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"neu");
    const HTREEITEM added = TreeView_InsertItem(tree, &insert);
    EXPECT_TRUE(GetUpdateRect(tree, nullptr, FALSE)) << "drawing again";
    TreeView_DeleteItem(tree, added);

    fx.announced.clear();
    EXPECT_TRUE(fx.tree->SelectDirectory(inner));
    fx.tree->Select(fx.tree->ChildrenOf(nullptr).front());
    ASSERT_EQ(fx.Directories().size(), 2u) << "announcing again";
    EXPECT_SAME_PATH(fx.announced[1].directory, temp.Path().substr(0, 3));
}

// Draws the tree with drives, an opened folder and a link file node; the picture is written to
// the file named by ZW_SCREENSHOT (a .bmp) so that it can be looked at.
TEST_F(DirectoryViewTest, TheTreeDrawsDrivesFoldersAndLinkIcons) {
    const std::wstring list = temp.MakeFolder(L"Menü");
    temp.MakeFolder(L"Menü\\Bilder");
    temp.MakeFolder(L"Menü\\Programme\\Editor");
    ASSERT_NO_THROW(WriteLink(list + L"Werkzeug.lnk", NewLinkData(target, L"", L"", L"", 0)));
    DirectoryViewOptions options = TreeFixture::Options();
    options.hideSelection = false;
    TreeFixture fx(temp.Path(), false, options);
    fx.keepOtherDrives = true;
    fx.tree->Load();
    const HTREEITEM node = fx.tree->SelectDirectory(list);
    ASSERT_TRUE(node);
    fx.tree->Expand(ChildNamed(*fx.tree, node, L"Werkzeug.lnk"));
    UpdateWindow(fx.host.Handle());
    RedrawWindow(fx.tree->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();

    RECT client;
    GetClientRect(fx.host.Handle(), &client);
    const WindowDc screen(fx.host.Handle());
    const DcHandle memory(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB};
    void* bits = nullptr;
    const BitmapHandle bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        SelectedObject drawing(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, client.right, client.bottom, screen.Get(), 0, 0, SRCCOPY);
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    std::vector<DWORD> colours(pixels, pixels + client.right * client.bottom);
    std::sort(colours.begin(), colours.end());
    const auto distinct = std::unique(colours.begin(), colours.end()) - colours.begin();
    EXPECT_GT(distinct, 10) << "icons and text drawn, not a blank tree";
    EXPECT_GE(fx.tree->ImageIndexOf(ChildNamed(*fx.tree, node, L"Werkzeug.lnk")), 0) << "the link's icon was drawn";

    wchar_t file[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"ZW_SCREENSHOT", file, MAX_PATH)) {
        BITMAPFILEHEADER header{};
        const DWORD size = static_cast<DWORD>(client.right * client.bottom * 4);
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + size;
        HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(out, &header, sizeof header, &written, nullptr);
        WriteFile(out, &info.bmiHeader, sizeof(BITMAPINFOHEADER), &written, nullptr);
        WriteFile(out, bits, size, &written, nullptr);
        CloseHandle(out);
    }
    HoldForScreenshot();
}

}  // namespace
