#include "controls/directory_view.h"

#include <algorithm>

#include "links/link_targets.h"
#include "links/link_rules.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/scoped_value.h"
#include "platform/shell_icon.h"
#include "platform/win_error.h"

struct TDZDirectoryView::Entry {
    std::wstring name;
    std::wstring linkTarget;  // the folder a link entry points to
    bool empty = false;
    bool emptyKnown = false;
};

namespace {
// A bare folder search: one call per entry, with the information the tree needs.
template <typename Visit>
void SearchFolder(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW find;
    FindHandle search(NullIfInvalid(FindFirstFileExW((FileSystemPath(folder) + L"*").c_str(), FindExInfoBasic, &find,
                                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)));
    if (!search) return;
    do {
        if (!visit(find)) return;
    } while (FindNextFileW(search.Get(), &find));
}

bool IsPlainOrLinkDirectory(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
}  // namespace

TDZDirectoryView::TDZDirectoryView(HWND parent, int id, const RECT& bounds) : parent_(parent) {
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                            ChildStyle() | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                            bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!tree_) ThrowLastError();
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    images_.Reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 16, 64));
    SetWindowSubclass(parent_, &TDZDirectoryView::ParentProcedure, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
    treeHook_.Attach(tree_, [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return TreeMessage(message, wParam, lParam, result);
    });
}

TDZDirectoryView::~TDZDirectoryView() {
    eventsEnabled_ = false;
    if (tree_ && IsWindow(tree_)) {
        clearing_ = true;
        SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    }
    destroying_ = true;
    RemoveWindowSubclass(parent_, &TDZDirectoryView::ParentProcedure, reinterpret_cast<UINT_PTR>(this));
    treeHook_.Detach();
    if (tree_ && IsWindow(tree_)) {
        SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        DestroyWindow(tree_);
    }
}

LRESULT CALLBACK TDZDirectoryView::ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                                   UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<TDZDirectoryView*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &TDZDirectoryView::ParentProcedure, id);
        self->parent_ = nullptr;
    } else if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == self->tree_) {
            LRESULT result = 0;
            bool handled = false;
            GuardedCall(GetAncestor(hwnd, GA_ROOT), [&]() -> LRESULT {
                handled = self->HandleNotify(header, result);
                return 0;
            });
            if (handled) return result;
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool TDZDirectoryView::HandleNotify(const NMHDR* header, LRESULT& result) {
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

bool TDZDirectoryView::TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            if (!loaded_) Load();
            return false;
        case WM_CONTEXTMENU: {
            POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (screen.x == -1 && screen.y == -1) {
                RECT rect{};
                HTREEITEM selected = Selected();
                *reinterpret_cast<HTREEITEM*>(&rect) = selected;
                if (selected && SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)))
                    screen = {rect.left, rect.bottom};
                else
                    screen = {0, 0};
                ClientToScreen(tree_, &screen);
            }
            ShowContextMenu(screen);
            result = 0;
            return true;
        }
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
            // The menu by keyboard (Shift+F10, the menu key): Wine's default handling does not
            // turn these keys into WM_CONTEXTMENU.
            if ((message == WM_SYSKEYDOWN && wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) ||
                (message == WM_KEYUP && wParam == VK_APPS)) {
                SendMessageW(tree_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree_), -1);
                result = 0;
                return true;
            }
            return false;
        case WM_KEYDOWN:
            if (wParam == VK_F5 && allowRefresh_) {
                MenuPopup();
                RefreshClick();
                result = 0;
                return true;
            }
            return false;
        case WM_DESTROY:
            destroying_ = true;
            eventsEnabled_ = false;
            return false;
    }
    return false;
}

// ---- Properties -------------------------------------------------------------------------------

void TDZDirectoryView::SetIconSize(TIconSize value) {
    if (!loaded_) iconSize_ = value;
}

void TDZDirectoryView::SetStartDirectory(TSystemDirectory value) {
    if (!loaded_ || value == SD_NO) startDirectory_ = value;
}

void TDZDirectoryView::SetDirectoriesToFind(int value) {
    if (!IsValidSearchMask(value)) return;
    directoriesToFind_ = value;
    if (loaded_) UpdateDirectories(iconSize_, SelectedDirectory());
}

namespace {
void SetStyleBit(HWND hwnd, DWORD bit, bool on) {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(on ? style | bit : style & ~bit));
    InvalidateRect(hwnd, nullptr, TRUE);
}
}  // namespace

bool TDZDirectoryView::AutoExpand() const { return (GetWindowLongW(tree_, GWL_STYLE) & TVS_SINGLEEXPAND) != 0; }
void TDZDirectoryView::SetAutoExpand(bool value) { SetStyleBit(tree_, TVS_SINGLEEXPAND, value); }
bool TDZDirectoryView::HideSelection() const { return (GetWindowLongW(tree_, GWL_STYLE) & TVS_SHOWSELALWAYS) == 0; }
void TDZDirectoryView::SetHideSelection(bool value) { SetStyleBit(tree_, TVS_SHOWSELALWAYS, !value); }
int TDZDirectoryView::Indent() const { return static_cast<int>(SendMessageW(tree_, TVM_GETINDENT, 0, 0)); }
void TDZDirectoryView::SetIndent(int pixels) { SendMessageW(tree_, TVM_SETINDENT, pixels, 0); }

// ---- Nodes ------------------------------------------------------------------------------------

HTREEITEM TDZDirectoryView::Selected() const { return TreeView_GetSelection(tree_); }

void TDZDirectoryView::Select(HTREEITEM node) { TreeView_SelectItem(tree_, node); }

HTREEITEM TDZDirectoryView::ParentOf(HTREEITEM node) const { return node ? TreeView_GetParent(tree_, node) : nullptr; }

int TDZDirectoryView::LevelOf(HTREEITEM node) const {
    int level = -1;
    for (; node; node = ParentOf(node)) ++level;
    return level;
}

TDZDirectoryView::NodeData* TDZDirectoryView::DataOf(HTREEITEM node) const {
    if (!node) return nullptr;
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = node;
    if (!TreeView_GetItem(tree_, &item)) return nullptr;
    return reinterpret_cast<NodeData*>(item.lParam);
}

std::wstring TDZDirectoryView::CaptionOf(HTREEITEM node) const {
    const NodeData* data = DataOf(node);
    return data ? data->name : std::wstring();
}

std::vector<HTREEITEM> TDZDirectoryView::ChildrenOf(HTREEITEM node) const {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = node ? TreeView_GetChild(tree_, node) : TreeView_GetRoot(tree_); child;
         child = TreeView_GetNextSibling(tree_, child))
        children.push_back(child);
    return children;
}

std::vector<std::wstring> TDZDirectoryView::ChildCaptions(HTREEITEM node) const {
    std::vector<std::wstring> captions;
    for (HTREEITEM child : ChildrenOf(node)) captions.push_back(CaptionOf(child));
    return captions;
}

bool TDZDirectoryView::IsExpanded(HTREEITEM node) const {
    return node && (TreeView_GetItemState(tree_, node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

int TDZDirectoryView::ImageIndexOf(HTREEITEM node) const {
    const NodeData* data = DataOf(node);
    return data ? data->image : -1;
}

bool TDZDirectoryView::HasRealChildren(HTREEITEM node) const {
    const HTREEITEM first = TreeView_GetChild(tree_, node);
    if (!first) return false;
    return TreeView_GetNextSibling(tree_, first) != nullptr || DataOf(first) != nullptr;
}

HTREEITEM TDZDirectoryView::AddNode(HTREEITEM parent, NodeData data, bool withPlaceholder) {
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
    const HTREEITEM node = TreeView_InsertItem(tree_, &insert);
    if (node && withPlaceholder) {
        TVINSERTSTRUCTW placeholder{};
        placeholder.hParent = node;
        placeholder.hInsertAfter = TVI_LAST;
        placeholder.item.mask = TVIF_TEXT | TVIF_PARAM;
        placeholder.item.pszText = const_cast<wchar_t*>(L"");
        TreeView_InsertItem(tree_, &placeholder);
    }
    return node;
}

void TDZDirectoryView::DeleteChildren(HTREEITEM node) {
    while (const HTREEITEM child = TreeView_GetChild(tree_, node)) TreeView_DeleteItem(tree_, child);
}

void TDZDirectoryView::ClearNodes() {
    {
        ScopedFlag noExpansion(expansionEnabled_, false);
        ScopedFlag clearing(clearing_, true);
        TreeView_DeleteAllItems(tree_);
    }
    nodes_.clear();
}

// ---- Loading and roots ------------------------------------------------------------------------

void TDZDirectoryView::Load() {
    if (loaded_) return;
    loaded_ = true;
    COLORREF background = TreeView_GetBkColor(tree_);
    if (background == static_cast<COLORREF>(-1)) background = GetSysColor(COLOR_WINDOW);
    ImageList_SetBkColor(images_.Get(), background);
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

void TDZDirectoryView::ApplyImageSize() {
    if (!dpi_) dpi_ = WindowDpi(tree_);
    imageSize_ = iconSize_ == isLarge ? LargeIconSize(dpi_) : SmallIconSize(dpi_);
    ImageList_SetIconSize(images_.Get(), imageSize_, imageSize_);
    TreeView_SetImageList(tree_, images_.Get(), TVSIL_NORMAL);
}

void TDZDirectoryView::DpiChanged(UINT dpi) {
    dpi_ = dpi;
    if (!loaded_) return;
    ApplyImageSize();
    // The list lost its pictures with the size change; each node asks again when drawn.
    for (NodeData& data : nodes_) data.image = -1;
    InvalidateRect(tree_, nullptr, TRUE);
}

void TDZDirectoryView::FillDriveRoots() {
    driveRoots_.clear();
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(drives & (1u << (letter - L'A')))) continue;
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const UINT type = GetDriveTypeW(root.c_str());
        if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) driveRoots_.push_back(root);
    }
}

void TDZDirectoryView::PopulateRoots() {
    for (const auto& root : driveRoots_) {
        const bool empty = DirectoryIsEmpty(root);
        bool allow = true;
        if (OnDirectoryAdding) OnDirectoryAdding(this, root, empty, false, allow);
        if (!allow) continue;
        std::wstring caption = ShellDisplayName(root);
        if (caption.empty()) caption = root;
        const HTREEITEM node = AddNode(nullptr, {caption, root, -1}, !empty);
        LoadClosedImage(node);
    }
}

void TDZDirectoryView::MakeInitialSelection() {
    if (startDirectory_ != SD_NO) {
        const std::wstring path = SystemDirectoryPath(startDirectory_);
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

std::wstring TDZDirectoryView::SystemDirectoryPath(TSystemDirectory directory) {
    const int folderId = SystemDirectoryFolderId(directory);
    return folderId < 0 ? std::wstring() : SpecialFolderPath(folderId);
}

// ---- Folder searches --------------------------------------------------------------------------

std::wstring TDZDirectoryView::LinkTargetFolder(const std::wstring& path) const { return ::LinkTargetFolder(path); }

bool TDZDirectoryView::DirectoryIsEmpty(const std::wstring& path) const {
    std::wstring folder = path;
    if (HasLinkExtension(WithoutTrailingBackslash(folder))) {
        folder = ::LinkTargetFolder(folder);
        if (folder.empty()) return true;
    }
    return FolderIsEmpty(WithTrailingBackslash(folder));
}

bool TDZDirectoryView::FolderIsEmpty(const std::wstring& folder) const {
    if (IsDriveRootPath(folder) && IsRemovableRoot(folder)) return false;
    bool empty = true;
    SearchFolder(folder, [&](const WIN32_FIND_DATAW& find) {
        const DWORD attributes = find.dwFileAttributes;
        if (!SearchAccepts(attributes, static_cast<std::uint32_t>(directoriesToFind_))) return true;
        const std::wstring name = find.cFileName;
        if (IsDotEntry(name)) return true;
        if (!IsPlainOrLinkDirectory(attributes) && ::LinkTargetFolder(folder + name, attributes).empty())
            return true;
        // An entry the search has just returned always has a display name; asking the shell for it
        // in every probe made opening a large folder a hundred times slower than the search.
        empty = false;
        return false;
    });
    return empty;
}

std::vector<TDZDirectoryView::Entry> TDZDirectoryView::CollectEntries(const std::wstring& folder) const {
    std::vector<Entry> kept;
    SearchFolder(folder, [&](const WIN32_FIND_DATAW& find) {
        const DWORD attributes = find.dwFileAttributes;
        if (!SearchAccepts(attributes, static_cast<std::uint32_t>(directoriesToFind_))) return true;
        std::wstring name = find.cFileName;
        if (IsDotEntry(name) || !NamePassesFilter(name)) return true;
        const std::wstring full = folder + name;
        Entry entry{std::move(name), ::LinkTargetFolder(full, attributes)};
        if (!IsPlainOrLinkDirectory(attributes) && entry.linkTarget.empty()) return true;
        if (OnDirectoryAdding) {
            // Asked once per child: the same answer serves the owner and the expand button.
            entry.empty = DirectoryIsEmpty(entry.linkTarget.empty() ? full : entry.linkTarget);
            entry.emptyKnown = true;
            bool allow = true;
            OnDirectoryAdding(const_cast<TDZDirectoryView*>(this), full + L"\\", entry.empty,
                              !entry.linkTarget.empty(), allow);
            if (!allow) return true;
        }
        kept.push_back(std::move(entry));
        return true;
    });
    std::sort(kept.begin(), kept.end(), [](const Entry& a, const Entry& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.name.c_str(), static_cast<int>(a.name.size()),
                              b.name.c_str(), static_cast<int>(b.name.size())) == CSTR_LESS_THAN;
    });
    return kept;
}

// ---- Opening and closing nodes ----------------------------------------------------------------

void TDZDirectoryView::Expand(HTREEITEM node) {
    if (!node) return;
    if (!loaded_) Load();
    if (!Expanding(node)) return;
    if (!TreeView_GetChild(tree_, node)) return;
    ScopedFlag programmatic(programmaticExpand_, true);
    TreeView_Expand(tree_, node, TVE_EXPAND);
}

void TDZDirectoryView::Collapse(HTREEITEM node) {
    if (!node) return;
    Collapsing(node);
    ScopedFlag programmatic(programmaticExpand_, true);
    TreeView_Expand(tree_, node, TVE_COLLAPSE);
}

bool TDZDirectoryView::Expanding(HTREEITEM node) {
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
    if (expandingSelect_) Select(node);
    if (Selected() == node) {
        bool allow = true;
        ChangeHandling(nullptr, node, allow);
    }
    if (HasRealChildren(node)) {
        ShowIcon(node, true);
        return true;
    }

    std::vector<Entry> entries;
    if (expandingExists_) entries = CollectEntries(dir);

    RedrawPause pause(tree_, &updateDepth_);
    if (entries.empty() && IsRemovableRoot(dir)) {
        // No medium: keep the placeholder so that the user can try again.
        if (IsExpanded(node)) {
            ScopedFlag programmatic(programmaticExpand_, true);
            TreeView_Expand(tree_, node, TVE_COLLAPSE);
        }
        return false;
    }
    DeleteChildren(node);
    for (auto& entry : entries) {
        const std::wstring path = dir + entry.name;
        const std::wstring folder = entry.linkTarget.empty() ? path : entry.linkTarget;
        const bool empty = entry.emptyKnown ? entry.empty : DirectoryIsEmpty(folder);
        const HTREEITEM child = AddNode(node, {std::move(entry.name), {}, -1}, !empty);
        if (!loadImagesByCall_) LoadClosedImage(child);
    }
    if (TreeView_GetChild(tree_, node)) ShowIcon(node, true);
    return true;
}

void TDZDirectoryView::Collapsing(HTREEITEM node) {
    if (collapseHandlingOff_ || clearing_ || destroying_) return;
    ShowIcon(node, false);
    if (Selected() == node) {
        bool allow = true;
        ChangeHandling(nullptr, node, allow);
    }
}

// ---- Paths and the current directory ----------------------------------------------------------

std::wstring TDZDirectoryView::NodePath(HTREEITEM node, bool keepOwnLink) const {
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

std::wstring TDZDirectoryView::SelectedDirectory() const { return NodePath(Selected(), false); }

void TDZDirectoryView::ChangeHandling(TDZDirectoryView* sender, HTREEITEM node, bool& allowChange) {
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

void TDZDirectoryView::SetSelectionSilently(HTREEITEM node) {
    ScopedFlag quiet(eventsEnabled_, false);
    Select(node);
}

HTREEITEM TDZDirectoryView::SelectDirectory(const std::wstring& path) {
    if (path.empty()) return nullptr;
    if (!loaded_) Load();
    const bool exists = DirectoryExists(path);
    const bool isLink = !exists && !::LinkTargetFolder(path).empty();
    const std::wstring target = WithTrailingBackslash(path);

    bool refused = false;
    for (std::wstring folder = target; folder.size() > 3; folder = FolderPart(WithoutTrailingBackslash(folder))) {
        if (AttributesHidePath(AttributesOf(folder), static_cast<std::uint32_t>(directoriesToFind_))) {
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
            if (!expandingSelect_) {
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

void TDZDirectoryView::UpdateDirectories(TIconSize iconSize, const std::wstring& path) {
    if (!loaded_) Load();
    {
        RedrawPause pause(tree_, &updateDepth_);
        ScopedFlag quiet(eventsEnabled_, false);
        ClearNodes();
        ImageList_Remove(images_.Get(), -1);
        if (iconSize != iconSize_) {
            iconSize_ = iconSize;
            ApplyImageSize();
            if (iconSize_ == isSmall) SetIndent(19);
        }
        FillDriveRoots();
        PopulateRoots();
    }
    if (DirectoryExists(path)) SelectDirectory(path);
}

// ---- Icons ------------------------------------------------------------------------------------

HICON TDZDirectoryView::ShellIcon(const std::wstring& path, bool open) const {
    if (HICON icon = ShellIconAtSize(path, open ? SHGFI_OPENICON : 0, imageSize_)) return icon;
    SHFILEINFOW info{};
    UINT flags = SHGFI_ICON | (iconSize_ == isSmall ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    if (open) flags |= SHGFI_OPENICON;
    // Unreadable or overlong paths still get a folder icon rather than none.
    if (SHGetFileInfoW(L"Ordner", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags | SHGFI_USEFILEATTRIBUTES))
        return info.hIcon;
    return nullptr;
}

std::wstring TDZDirectoryView::ShellDisplayName(const std::wstring& path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

void TDZDirectoryView::LoadClosedImage(HTREEITEM node) {
    NodeData* data = DataOf(node);
    if (!data || data->image >= 0) return;
    std::wstring path = NodePath(node, true);
    if (path.size() > 1 && HasLinkExtension(path.substr(0, path.size() - 1))) path.pop_back();
    IconHandle icon(ShellIcon(path, false));
    data->image = ImageList_AddIcon(images_.Get(), icon.Get());
}

int TDZDirectoryView::ImageFor(HTREEITEM node) {
    NodeData* data = DataOf(node);
    if (!data) return 0;
    if (data->image < 0) LoadClosedImage(node);
    return data->image;
}

void TDZDirectoryView::ShowIcon(HTREEITEM node, bool open) {
    NodeData* data = DataOf(node);
    if (!data) return;
    if (data->image < 0) {
        LoadClosedImage(node);
        if (!open) return;
    }
    if (data->image < 0) return;
    IconHandle icon(ShellIcon(NodePath(node, true), open));
    if (icon) ImageList_ReplaceIcon(images_.Get(), data->image, icon.Get());
    RECT rect{};
    *reinterpret_cast<HTREEITEM*>(&rect) = node;
    if (SendMessageW(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rect)))
        InvalidateRect(tree_, &rect, FALSE);
}
