#include "controls/tree_nodes.h"

FolderNode* TreeNodes::DataOf(HTREEITEM node) const {
    if (!node) return nullptr;
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    if (!Call(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<FolderNode*>(item.lParam);
}

HTREEITEM TreeNodes::Add(HTREEITEM parent, FolderNode data, bool withPlaceholder) {
    nodes_.push_back(std::move(data));
    FolderNode& stored = nodes_.back();
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(stored.name.c_str());
    insert.item.iImage = insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.lParam = reinterpret_cast<LPARAM>(&stored);
    const auto node = reinterpret_cast<HTREEITEM>(Call(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (node && withPlaceholder) {
        TVINSERTSTRUCTW placeholder{};
        placeholder.hParent = node;
        placeholder.hInsertAfter = TVI_LAST;
        placeholder.item.mask = TVIF_TEXT;
        placeholder.item.pszText = const_cast<wchar_t*>(L"");
        Call(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&placeholder));
    }
    return node;
}

std::vector<HTREEITEM> TreeNodes::ChildrenOf(HTREEITEM node) const {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = node ? Next(node, TVGN_CHILD) : Next(nullptr, TVGN_ROOT); child;
         child = Next(child, TVGN_NEXT))
        children.push_back(child);
    return children;
}

bool TreeNodes::HasRealChildren(HTREEITEM node) const {
    const HTREEITEM first = Next(node, TVGN_CHILD);
    return first && (Next(first, TVGN_NEXT) || DataOf(first));
}

void TreeNodes::DeleteChildren(HTREEITEM node) {
    while (const HTREEITEM child = Next(node, TVGN_CHILD)) TreeView_DeleteItem(tree_, child);
}

void TreeNodes::Clear() {
    TreeView_DeleteAllItems(tree_);
    nodes_.clear();
}

void TreeNodes::ForgetImages() {
    for (FolderNode& node : nodes_) node.image = -1;
}

HTREEITEM TreeNodes::At(POINT screen) const {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tree_, &hit.pt);
    const auto node = reinterpret_cast<HTREEITEM>(Call(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return hit.flags & TVHT_ONITEM ? node : nullptr;
}

POINT TreeNodes::Below(HTREEITEM node) const {
    RECT rect{};
    POINT point{0, 0};
    if (node && TreeView_GetItemRect(tree_, node, &rect, TRUE)) point = {rect.left, rect.bottom};
    ClientToScreen(tree_, &point);
    return point;
}
