#pragma once
// A window that hosts a directory tree for a test, with the tree's announcements recorded.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/directory_view.h"
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
    std::wstring directory;
    bool fromTree;  // the control was the sender (not null)
};

struct Adding {
    std::wstring directory;
    bool empty;
    bool dirLink;
};

// A tree on its own window, recording every announcement and every question before adding.
// Drives other than the test folder's are left out, so that loading stays quick.
class TreeFixture {
public:
    // The tests' own defaults: no start folder, the delete command shown.
    static DirectoryViewOptions Options() {
        DirectoryViewOptions options;
        options.startDirectory = SD_NO;
        options.allowDeleteDirectory = true;
        return options;
    }
    explicit TreeFixture(const std::wstring& testFolder, bool load = true, const DirectoryViewOptions& options = Options()) {
        RECT client;
        GetClientRect(host.Handle(), &client);
        InflateRect(&client, -8, -8);
        tree = std::make_unique<DirectoryView>(host.Handle(), 100, client, options);
        const std::wstring drive = UpperCase(testFolder.substr(0, 3));
        tree->OnDirectoryAdding = [this, drive](DirectoryView*, const std::wstring& directory, bool empty,
                                                bool dirLink, bool& allowAdd) {
            adding.push_back({directory, empty, dirLink});
            if (directory.size() == 3 && directory != drive && !keepOtherDrives) allowAdd = false;
            for (const auto& hidden : refuse)
                if (SameText(directory, hidden)) allowAdd = false;
        };
        tree->OnDirectoryChanging = [this](DirectoryView* sender, const std::wstring& directory, HTREEITEM,
                                           bool& allowChange) {
            announced.push_back({directory, sender != nullptr});
            if (vetoes > 0) {
                --vetoes;
                allowChange = false;
            }
        };
        if (load) tree->Load();
    }

    std::vector<std::wstring> Directories() const {
        std::vector<std::wstring> result;
        for (const auto& a : announced) result.push_back(a.directory);
        return result;
    }

    HostWindow host;
    std::unique_ptr<DirectoryView> tree;
    std::vector<Announcement> announced;
    std::vector<Adding> adding;
    std::vector<std::wstring> refuse;  // directories (with backslash) the owner leaves out
    int vetoes = 0;
    bool keepOtherDrives = false;
};

inline HTREEITEM ChildNamed(const DirectoryView& tree, HTREEITEM node, const std::wstring& caption) {
    for (HTREEITEM child : tree.ChildrenOf(node))
        if (tree.CaptionOf(child) == caption) return child;
    return nullptr;
}

}  // namespace directory_test

#define EXPECT_SAME_PATH(actual, expected) \
    EXPECT_TRUE(SameText(actual, expected)) << Utf8FromWide(actual) << " != " << Utf8FromWide(expected)
