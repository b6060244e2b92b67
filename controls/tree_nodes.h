#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// What the folder tree keeps about one node.
struct FolderNode {
    std::wstring name;
    std::wstring rootPath;  // drive root nodes only
    int image = -1;         // -1 while its icon is not loaded
    std::uint32_t attributes = 0xFFFFFFFF;  // as the folder search found it
};

// The nodes of a tree view and their data, read and written straight through the tree view's own
// procedure: passing each call through the hooks on the tree costs a lookup of their data per
// call, which showed when a folder of thousands of subfolders opened or was walked.
class TreeNodes {
public:
    explicit TreeNodes(HWND tree)
        : tree_(tree), procedure_(reinterpret_cast<WNDPROC>(GetClassLongPtrW(tree, GCLP_WNDPROC))) {}
    LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcW(procedure_, tree_, message, wParam, lParam);
    }
    HTREEITEM Next(HTREEITEM node, UINT relation) const {
        return reinterpret_cast<HTREEITEM>(Call(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
    }
    HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }
    FolderNode* DataOf(HTREEITEM node) const;
    // null parent: a root. withPlaceholder: the node shows an expand button before it is read.
    HTREEITEM Add(HTREEITEM parent, FolderNode data, bool withPlaceholder);
    std::vector<HTREEITEM> ChildrenOf(HTREEITEM node) const;  // null: the roots
    // Children other than the placeholder.
    bool HasRealChildren(HTREEITEM node) const;
    void DeleteChildren(HTREEITEM node);
    void Clear();
    void ForgetImages();
    // The node under a screen point (null for none), and the screen point below a node's caption.
    HTREEITEM At(POINT screen) const;
    POINT Below(HTREEITEM node) const;

private:
    HWND tree_;
    WNDPROC procedure_;
    std::deque<FolderNode> nodes_;
};
