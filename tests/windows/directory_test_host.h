#pragma once
// A window that hosts a directory tree for a test, with what the tree announces and asks recorded,
// and the tree's nodes read and driven through its window messages.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/directory_view.h"
#include "controls/system_folder_reading.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "platform/window.h"
#include "tests/windows/support/messages.h"

namespace directory_test {

// A plain Window, which hands the tree its notifications as every form does.
class HostWindow : public Window {
public:
    HostWindow(int width = 360, int height = 420) {
        CreateWindowObject(L"ZwDirectoryTestHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Verzeichnisbaum", 20, 20,
                           width, height, nullptr, nullptr);
    }
    ~HostWindow() override { DestroyWindow(Handle()); }
};

struct Announcement {
    std::wstring folder;
    DirectoryView::Cause cause;
};

// A tree on its own window reading the real disk. Drives other than the test folder's are left
// out, so that loading stays quick.
class TreeFixture {
public:
    explicit TreeFixture(const std::wstring& testFolder) : drive_(UpperCase(testFolder.substr(0, 3))) {
        RECT client;
        GetClientRect(host.Handle(), &client);
        InflateRect(&client, -8, -8);
        tree = std::make_unique<DirectoryView>(host.Handle(), client, reading);
        tree->ShowsFolder = [this](const std::wstring& folder) {
            asked.push_back(folder);
            if (folder.size() == 3 && folder != drive_ && !keepOtherDrives) return false;
            for (const auto& refused : refuse)
                if (SameText(folder, refused)) return false;
            return true;
        };
        tree->OnFolderChanged = [this](const std::wstring& folder, DirectoryView::Cause cause) {
            announced.push_back({folder, cause});
        };
    }

    HWND Tree() const { return tree->Handle(); }
    HTREEITEM Selection() const { return TreeView_GetSelection(Tree()); }
    // The captions of node's children (null: the drives); a node not yet opened has one blank.
    std::vector<std::wstring> Captions(HTREEITEM node) const {
        std::vector<std::wstring> captions;
        for (HTREEITEM child = node ? TreeView_GetChild(Tree(), node) : TreeView_GetRoot(Tree()); child;
             child = TreeView_GetNextSibling(Tree(), child))
            captions.push_back(Caption(child));
        return captions;
    }
    std::wstring Caption(HTREEITEM node) const {
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = node;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        TreeView_GetItem(Tree(), &item);
        return text;
    }
    HTREEITEM Child(HTREEITEM node, const std::wstring& caption) const {
        for (HTREEITEM child = TreeView_GetChild(Tree(), node); child; child = TreeView_GetNextSibling(Tree(), child))
            if (Caption(child) == caption) return child;
        return nullptr;
    }
    bool Expanded(HTREEITEM node) const { return (TreeView_GetItemState(Tree(), node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }
    void Key(WORD key) {
        SendMessageW(Tree(), WM_KEYDOWN, key, 0);
        PumpPending();
    }
    // A left click on node's caption.
    void Click(HTREEITEM node) {
        RECT rect{};
        TreeView_GetItemRect(Tree(), node, &rect, TRUE);
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(Tree(), WM_LBUTTONUP, 0, at);  // the tree follows the button until it is up
        SendMessageW(Tree(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PumpPending();
    }

    HostWindow host;
    SystemFolderReading reading;
    std::unique_ptr<DirectoryView> tree;
    std::vector<Announcement> announced;
    std::vector<std::wstring> asked;   // every folder the tree asked about
    std::vector<std::wstring> refuse;  // folders (with backslash) the owner leaves out
    bool keepOtherDrives = false;

private:
    std::wstring drive_;
};

}  // namespace directory_test

#define EXPECT_SAME_PATH(actual, expected) \
    EXPECT_TRUE(SameText(actual, expected)) << Utf8FromWide(actual) << " != " << Utf8FromWide(expected)
