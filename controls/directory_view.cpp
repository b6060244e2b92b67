#include "controls/directory_view.h"

#include <algorithm>

#include "links/link_targets.h"
#include "links/link_kind.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/scoped_value.h"
#include "platform/win_error.h"

namespace {
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};
}  // namespace

DirectoryView::DirectoryView(HWND parent, int id, const RECT& bounds, const DirectoryViewOptions& options)
    : options_(options) {
    if (!IsValidSearchMask(options_.directoriesToFind)) options_.directoriesToFind = directory_attributes::kAll;
    source_.SetAttributesToFind(static_cast<std::uint32_t>(options_.directoriesToFind));
    DWORD style = ChildStyle() | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    if (options_.singleExpand) style |= TVS_SINGLEEXPAND;
    if (!options_.hideSelection) style |= TVS_SHOWSELALWAYS;
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, bounds.left, bounds.top,
                            bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!tree_) ThrowLastError();
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    if (options_.indent > 0) SetIndent(options_.indent);
    treeProcedure_ = reinterpret_cast<WNDPROC>(GetClassLongPtrW(tree_, GCLP_WNDPROC));
    ReflectFrom(tree_);
    treeHook_.Attach(tree_, [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return TreeMessage(message, wParam, lParam, result);
    });
}

DirectoryView::~DirectoryView() {
    eventsEnabled_ = false;
    if (tree_ && IsWindow(tree_)) {
        clearing_ = true;
        SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    }
    destroying_ = true;
    StopReflecting(tree_);
    treeHook_.Detach();
    if (tree_ && IsWindow(tree_)) {
        SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        DestroyWindow(tree_);
    }
}

bool DirectoryView::Notify(NMHDR& notification, LRESULT& result) {
    const NMHDR* header = &notification;
    switch (header->code) {
        case TVN_ITEMEXPANDINGW: {
            const auto* info = reinterpret_cast<const NMTREEVIEWW*>(header);
            result = FALSE;
            if (programmaticExpand_) return true;
            if ((info->action & 3) == TVE_EXPAND)
                result = Expanding(info->itemNew.hItem) ? FALSE : TRUE;
            else if ((info->action & 3) == TVE_COLLAPSE)
                Collapsing(info->itemNew.hItem);
            return true;
        }
        case TVN_ITEMEXPANDEDW:
            // What the opening added is drawn now, not after whatever else is waiting.
            if (updateDepth_ == 0) UpdateWindow(tree_);
            return false;
        case TVN_SELCHANGINGW: {
            const auto* info = reinterpret_cast<const NMTREEVIEWW*>(header);
            bool allow = true;
            ChangeHandling(this, info->itemNew.hItem, allow);
            result = allow ? FALSE : TRUE;
            return true;
        }
        case TVN_SELCHANGEDW: {
            const auto* info = reinterpret_cast<const NMTREEVIEWW*>(header);
            if (OnChange && !destroying_ && !clearing_) OnChange(this, info->itemNew.hItem);
            return false;
        }
        case TVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMTVDISPINFOW*>(const_cast<NMHDR*>(header));
            if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
                const int index = ImageFor(info->item.hItem);
                info->item.iImage = index;
                info->item.iSelectedImage = index;
            }
            result = 0;
            return true;
        }
        case NM_RCLICK: {
            POINT screen;
            GetCursorPos(&screen);
            TVHITTESTINFO hit{};
            hit.pt = screen;
            ScreenToClient(tree_, &hit.pt);
            const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (item && (hit.flags & TVHT_ONITEM)) Select(item);
            ShowContextMenu(screen);
            result = TRUE;
            return true;
        }
    }
    return false;
}

// ---- Properties -------------------------------------------------------------------------------

void DirectoryView::SetStartDirectory(SystemDirectory value) {
    if (!loaded_ || value == SD_NO) options_.startDirectory = value;
}

void DirectoryView::SetDirectoriesToFind(int value) {
    if (!IsValidSearchMask(value)) return;
    options_.directoriesToFind = value;
    source_.SetAttributesToFind(static_cast<std::uint32_t>(value));
    if (loaded_) UpdateDirectories(options_.iconSize, SelectedDirectory());
}

bool DirectoryView::AutoExpand() const { return (GetWindowLongW(tree_, GWL_STYLE) & TVS_SINGLEEXPAND) != 0; }
int DirectoryView::Indent() const { return static_cast<int>(SendMessageW(tree_, TVM_GETINDENT, 0, 0)); }
void DirectoryView::SetIndent(int pixels) { SendMessageW(tree_, TVM_SETINDENT, pixels, 0); }

// ---- Nodes ------------------------------------------------------------------------------------

HTREEITEM DirectoryView::Selected() const { return TreeView_GetSelection(tree_); }

void DirectoryView::Select(HTREEITEM node) { TreeView_SelectItem(tree_, node); }

HTREEITEM DirectoryView::Next(HTREEITEM node, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(TreeCall(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

HTREEITEM DirectoryView::ParentOf(HTREEITEM node) const { return node ? Next(node, TVGN_PARENT) : nullptr; }

int DirectoryView::LevelOf(HTREEITEM node) const {
    int level = -1;
    for (; node; node = ParentOf(node)) ++level;
    return level;
}

DirectoryView::NodeData* DirectoryView::DataOf(HTREEITEM node) const {
    if (!node) return nullptr;
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    if (!TreeCall(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<NodeData*>(item.lParam);
}

std::wstring DirectoryView::CaptionOf(HTREEITEM node) const {
    const NodeData* data = DataOf(node);
    return data ? data->name : std::wstring();
}

std::vector<HTREEITEM> DirectoryView::ChildrenOf(HTREEITEM node) const {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = node ? Next(node, TVGN_CHILD) : Next(nullptr, TVGN_ROOT); child;
         child = Next(child, TVGN_NEXT))
        children.push_back(child);
    return children;
}

std::vector<std::wstring> DirectoryView::ChildCaptions(HTREEITEM node) const {
    std::vector<std::wstring> captions;
    for (HTREEITEM child : ChildrenOf(node)) captions.push_back(CaptionOf(child));
    return captions;
}

bool DirectoryView::IsExpanded(HTREEITEM node) const {
    return node && (TreeView_GetItemState(tree_, node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

int DirectoryView::ImageIndexOf(HTREEITEM node) const {
    const NodeData* data = DataOf(node);
    return data ? data->image : -1;
}

bool DirectoryView::HasRealChildren(HTREEITEM node) const {
    const HTREEITEM first = Next(node, TVGN_CHILD);
    if (!first) return false;
    return Next(first, TVGN_NEXT) != nullptr || DataOf(first) != nullptr;
}

HTREEITEM DirectoryView::AddNode(HTREEITEM parent, NodeData data, bool withPlaceholder) {
    nodes_.push_back(std::move(data));
    NodeData& stored = nodes_.back();
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(stored.name.c_str());
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    insert.item.lParam = reinterpret_cast<LPARAM>(&stored);
    const HTREEITEM node = InsertItem(insert);
    if (node && withPlaceholder) {
        TVINSERTSTRUCTW placeholder{};
        placeholder.hParent = node;
        placeholder.hInsertAfter = TVI_LAST;
        placeholder.item.mask = TVIF_TEXT | TVIF_PARAM;
        placeholder.item.pszText = const_cast<wchar_t*>(L"");
        InsertItem(placeholder);
    }
    return node;
}

HTREEITEM DirectoryView::InsertItem(const TVINSERTSTRUCTW& insert) {
    return reinterpret_cast<HTREEITEM>(TreeCall(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

LRESULT DirectoryView::TreeCall(UINT message, WPARAM wParam, LPARAM lParam) const {
    // Straight to the tree view: the hooks on the tree want none of these, and passing each
    // through them costs a lookup of their data per call, which showed when a folder of
    // thousands of subfolders opened or was walked.
    return CallWindowProcW(treeProcedure_, tree_, message, wParam, lParam);
}

void DirectoryView::DeleteChildren(HTREEITEM node) {
    while (const HTREEITEM child = TreeView_GetChild(tree_, node)) TreeView_DeleteItem(tree_, child);
}

void DirectoryView::ClearNodes() {
    {
        ScopedFlag noExpansion(expansionEnabled_, false);
        ScopedFlag clearing(clearing_, true);
        TreeView_DeleteAllItems(tree_);
    }
    nodes_.clear();
}

// ---- Loading and roots ------------------------------------------------------------------------

void DirectoryView::Load() {
    if (loaded_) return;
    loaded_ = true;
    COLORREF background = TreeView_GetBkColor(tree_);
    if (background == static_cast<COLORREF>(-1)) background = GetSysColor(COLOR_WINDOW);
    icons_.SetBackground(background);
    ApplyImageSize();

    // A loaded tree announces changes, however loading ends.
    eventsEnabled_ = true;
    ScopedFlag quiet(eventsEnabled_, false);
    {
        RedrawPause pause(tree_, &updateDepth_);
        ClearNodes();
        FillDriveRoots();
        PopulateRoots();
    }
    MakeInitialSelection();
}

void DirectoryView::ApplyImageSize() {
    if (!dpi_) dpi_ = WindowDpi(tree_);
    icons_.SetSize(options_.iconSize == isLarge ? LargeIconSize(dpi_) : SmallIconSize(dpi_));
    TreeView_SetImageList(tree_, icons_.Handle(), TVSIL_NORMAL);
}

void DirectoryView::DpiChanged(UINT dpi) {
    dpi_ = dpi;
    if (!loaded_) return;
    ApplyImageSize();
    // The list lost its pictures with the size change; each node asks again when drawn.
    for (NodeData& data : nodes_) data.image = -1;
    InvalidateRect(tree_, nullptr, TRUE);
}

void DirectoryView::FillDriveRoots() {
    driveRoots_.clear();
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(drives & (1u << (letter - L'A')))) continue;
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const UINT type = GetDriveTypeW(root.c_str());
        if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) driveRoots_.push_back(root);
    }
}

void DirectoryView::PopulateRoots() {
    for (const auto& root : driveRoots_) {
        const bool empty = IsEmpty(root);
        bool allow = true;
        if (OnDirectoryAdding) OnDirectoryAdding(this, root, empty, false, allow);
        if (!allow) continue;
        std::wstring caption = ShellDisplayName(root);
        if (caption.empty()) caption = root;
        const HTREEITEM node = AddNode(nullptr, {caption, root}, !empty);
        LoadClosedImage(node);
    }
}

void DirectoryView::MakeInitialSelection() {
    if (options_.startDirectory != SD_NO) {
        const std::wstring path = SystemDirectoryPath(options_.startDirectory);
        if (!path.empty()) SelectDirectory(path);
        return;
    }
    if (!AutoExpand()) return;
    const auto roots = ChildrenOf(nullptr);
    if (roots.empty()) return;
    HTREEITEM chosen = roots.back();
    for (HTREEITEM root : roots) {
        if (GetDriveTypeW(DataOf(root)->rootPath.c_str()) == DRIVE_FIXED) {
            chosen = root;
            break;
        }
    }
    Select(chosen);
}

std::wstring DirectoryView::SystemDirectoryPath(SystemDirectory directory) {
    const int folderId = SystemDirectoryFolderId(directory);
    return folderId < 0 ? std::wstring() : SpecialFolderPath(folderId);
}

// ---- Opening and closing nodes ----------------------------------------------------------------

void DirectoryView::Expand(HTREEITEM node) {
    if (!node) return;
    if (!loaded_) Load();
    if (!Expanding(node)) return;
    if (!TreeView_GetChild(tree_, node)) return;
    {
        ScopedFlag programmatic(programmaticExpand_, true);
        TreeView_Expand(tree_, node, TVE_EXPAND);
    }
    if (updateDepth_ == 0) UpdateWindow(tree_);
}

void DirectoryView::Collapse(HTREEITEM node) {
    if (!node) return;
    Collapsing(node);
    ScopedFlag programmatic(programmaticExpand_, true);
    TreeView_Expand(tree_, node, TVE_COLLAPSE);
}

bool DirectoryView::Expanding(HTREEITEM node) {
    const std::wstring dir = NodePath(node, false);
    // The selection change announced on the way names this folder, even before it is read.
    ScopedValue<std::wstring> directory(expandingDirectory_, dir);
    ScopedFlag exists(expandingExists_, DirectoryExists(dir));
    ScopedFlag expanding(expanding_, true);

    if (destroying_ || !expansionEnabled_) return true;
    if (!expandingExists_ && !IsRemovableRoot(dir)) {
        // A folder gone since it was listed: an unopened node would show its blank placeholder.
        if (!HasRealChildren(node)) DeleteChildren(node);
        return HasRealChildren(node);
    }
    if (options_.expandingSelect) Select(node);
    if (Selected() == node) {
        bool allow = true;
        ChangeHandling(nullptr, node, allow);
    }
    if (HasRealChildren(node)) {
        ShowIcon(node, true);
        return true;
    }

    // The user waits while a large folder is read: the wait cursor says so.
    const WaitCursor waiting;
    std::vector<FolderChild> children;
    if (expandingExists_) {
        FolderSource::AddingQuestion ask;
        if (OnDirectoryAdding)
            ask = [this](const std::wstring& directory, bool empty, bool dirLink) {
                bool allow = true;
                OnDirectoryAdding(this, directory, empty, dirLink, allow);
                return allow;
            };
        children = source_.Children(dir, ask);
    }
    {
        RedrawPause pause(tree_, &updateDepth_);
        if (children.empty() && IsRemovableRoot(dir)) {
            // No medium: keep the placeholder so that the user can try again.
            if (IsExpanded(node)) {
                ScopedFlag programmatic(programmaticExpand_, true);
                TreeView_Expand(tree_, node, TVE_COLLAPSE);
            }
            return false;
        }
        DeleteChildren(node);
        for (auto& child : children) {
            const HTREEITEM added = AddNode(node, {std::move(child.name), {}, -1, child.attributes}, !child.empty);
            if (!options_.loadImagesByCall) LoadClosedImage(added);
        }
        if (TreeView_GetChild(tree_, node)) ShowIcon(node, true);
    }
    return true;
}

void DirectoryView::Collapsing(HTREEITEM node) {
    if (collapseHandlingOff_ || clearing_ || destroying_) return;
    ShowIcon(node, false);
    if (Selected() == node) {
        bool allow = true;
        ChangeHandling(nullptr, node, allow);
    }
}

// ---- Paths and the current directory ----------------------------------------------------------

std::wstring DirectoryView::NodePath(HTREEITEM node, bool keepOwnLink) const {
    if (!node) return {};
    std::vector<std::wstring> captions;
    std::wstring rootPath;
    for (HTREEITEM current = node; current; current = ParentOf(current)) {
        const NodeData* data = DataOf(current);
        if (!data) return {};
        if (!ParentOf(current))
            rootPath = data->rootPath;
        else
            captions.push_back(data->name);
    }
    std::reverse(captions.begin(), captions.end());
    if (expanding_ && !expandingExists_) return RawNodePath(rootPath, captions);
    const PathProbe probe{[](const std::wstring& path) { return DirectoryExists(path); },
                          [](const std::wstring& path) { return ::LinkTargetFolder(path); }};
    return ResolveNodePath(rootPath, captions, keepOwnLink, probe);
}

std::wstring DirectoryView::SelectedDirectory() const { return NodePath(Selected(), false); }

void DirectoryView::ChangeHandling(DirectoryView* sender, HTREEITEM node, bool& allowChange) {
    // Clearing the tree or taking the selection away is no change of directory.
    if (clearing_ || !node) return;
    const std::wstring dir = expanding_ ? expandingDirectory_ : NodePath(node, false);
    if (OnDirectoryChanging && !destroying_ && eventsEnabled_ && dir != lastDirectory_) {
        OnDirectoryChanging(sender, dir, node, allowChange);
        if (allowChange)
            lastDirectory_ = dir;
        else
            vetoed_ = true;
        return;
    }
    lastDirectory_ = dir;
}

void DirectoryView::SetSelectionSilently(HTREEITEM node) {
    ScopedFlag quiet(eventsEnabled_, false);
    Select(node);
}

HTREEITEM DirectoryView::SelectDirectory(const std::wstring& path) {
    if (path.empty()) return nullptr;
    if (!loaded_) Load();
    const bool exists = DirectoryExists(path);
    const bool isLink = !exists && !::LinkTargetFolder(path).empty();
    const std::wstring target = WithTrailingBackslash(path);

    bool refused = false;
    for (std::wstring folder = target; folder.size() > 3; folder = FolderPart(WithoutTrailingBackslash(folder))) {
        if (AttributesHidePath(AttributesOf(folder), static_cast<std::uint32_t>(options_.directoriesToFind))) {
            refused = true;
            break;
        }
    }
    if (!((exists && !refused) || isLink)) return nullptr;

    const HTREEITEM previous = Selected();
    const std::wstring previousDirectory = lastDirectory_;
    ScopedFlag quiet(eventsEnabled_, false);
    if (previous && SameText(target, WithTrailingBackslash(NodePath(previous, true)))) return previous;
    HTREEITEM current = nullptr;
    for (HTREEITEM root : ChildrenOf(nullptr)) {
        if (SameText(DataOf(root)->rootPath, target.substr(0, 3))) {
            current = root;
            break;
        }
    }
    if (!current) return nullptr;

    RedrawPause pause(tree_, &updateDepth_);
    for (const auto& component : ComponentsBelowRoot(target)) {
        Expand(current);
        HTREEITEM match = nullptr;
        for (HTREEITEM child : ChildrenOf(current)) {
            if (SameText(CaptionOf(child), component)) {
                match = child;
                break;
            }
        }
        if (!match) {
            // The walk failed: opening selected the deepest folder the path could be followed
            // to, and it stays selected (silently); without ExpandingSelect nothing moved.
            if (!options_.expandingSelect) {
                if (Selected() != previous) SetSelectionSilently(previous);
                lastDirectory_ = previousDirectory;
            }
            return nullptr;
        }
        current = match;
    }
    // Nodes opened on the way were selected silently; only the target counts as a change.
    lastDirectory_ = previousDirectory;
    ScopedFlag announce(eventsEnabled_, true);
    vetoed_ = false;
    Expand(current);
    if (!vetoed_ && Selected() != current) Select(current);
    if (Selected() != current) {
        // Vetoed: back to the node the owner still considers current.
        if (Selected() != previous) SetSelectionSilently(previous);
        lastDirectory_ = previousDirectory;
    } else {
        TreeView_EnsureVisible(tree_, current);
    }
    return current;
}

void DirectoryView::UpdateDirectories(TreeIconSize iconSize, const std::wstring& path) {
    if (!loaded_) Load();
    {
        RedrawPause pause(tree_, &updateDepth_);
        ScopedFlag quiet(eventsEnabled_, false);
        ClearNodes();
        icons_.Clear();
        if (iconSize != options_.iconSize) {
            options_.iconSize = iconSize;
            ApplyImageSize();
            if (iconSize == isSmall) SetIndent(19);
        }
        FillDriveRoots();
        PopulateRoots();
    }
    if (DirectoryExists(path)) SelectDirectory(path);
}

// ---- Icons ------------------------------------------------------------------------------------

std::wstring DirectoryView::ShellDisplayName(const std::wstring& path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

void DirectoryView::LoadClosedImage(HTREEITEM node) {
    NodeData* data = DataOf(node);
    if (!data || data->image >= 0) return;
    std::wstring path = NodePath(node, true);
    if (path.size() > 1 && IsLinkFile(path.substr(0, path.size() - 1))) path.pop_back();
    data->image = icons_.IndexFor(path, false, data->attributes);
}

int DirectoryView::ImageFor(HTREEITEM node) {
    NodeData* data = DataOf(node);
    if (!data) return 0;
    if (data->image < 0) LoadClosedImage(node);
    return data->image;
}

void DirectoryView::ShowIcon(HTREEITEM node, bool open) {
    NodeData* data = DataOf(node);
    if (!data) return;
    if (data->image < 0) {
        LoadClosedImage(node);
        if (!open) return;
    }
    if (data->image < 0) return;
    data->image = icons_.IndexFor(NodePath(node, true), open, data->attributes, data->image);
    RECT rect{};
    *reinterpret_cast<HTREEITEM*>(&rect) = node;
    if (SendMessageW(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rect)))
        InvalidateRect(tree_, &rect, FALSE);
}
