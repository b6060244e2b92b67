#include "controls/directory_view.h"

#include <algorithm>
#include <utility>

#include "controls/folder_commands.h"
#include "links/link_kind.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/path_text.h"
#include "platform/scoped_value.h"
#include "platform/shell_icon.h"
#include "platform/win_error.h"

namespace {
constexpr int kIndent = 19;

HWND CreateTree(HWND parent, const RECT& bounds) {
    const DWORD style = ChildStyle() | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                        TVS_SINGLEEXPAND | TVS_SHOWSELALWAYS;
    const HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, bounds.left, bounds.top,
                                      bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    if (!tree) ThrowLastError();
    return tree;
}
}  // namespace

DirectoryView::DirectoryView(HWND parent, const RECT& bounds, FolderReading& reading)
    : tree_(CreateTree(parent, bounds)), nodes_(tree_), reading_(reading), source_(reading) {
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    SendMessageW(tree_, TVM_SETINDENT, kIndent, 0);
    ReflectFrom(tree_);
    treeHook_.Attach(tree_, [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return TreeMessage(message, wParam, lParam, result);
    });
}

DirectoryView::~DirectoryView() {
    clearing_ = true;
    input_.reset();
    StopReflecting(tree_);
    treeHook_.Detach();
    if (tree_ && IsWindow(tree_)) {
        SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        DestroyWindow(tree_);
    }
}

bool DirectoryView::Notify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case TVN_ITEMEXPANDINGW: {
            const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
            result = FALSE;
            if ((info.action & 3) == TVE_EXPAND && !programmaticExpand_)
                result = Expanding(info.itemNew.hItem) ? FALSE : TRUE;
            else if ((info.action & 3) == TVE_COLLAPSE)
                Collapsing(info.itemNew.hItem);
            return true;
        }
        case TVN_ITEMEXPANDEDW:
            // What the opening added is drawn now, not after whatever else is waiting.
            if (updateDepth_ == 0) UpdateWindow(tree_);
            return false;
        case TVN_SELCHANGEDW:
            if (input_ && !clearing_) {
                if (clicking_)
                    clickSelected_ = true;
                else
                    Announce(*input_);
            }
            return false;
        case TVN_GETDISPINFOW: {
            auto& info = reinterpret_cast<NMTVDISPINFOW&>(header);
            if (info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))
                info.item.iImage = info.item.iSelectedImage = ImageFor(info.item.hItem);
            result = 0;
            return true;
        }
        case NM_RCLICK: {
            const ScopedValue mouse(input_, std::optional<Cause>(Cause::Mouse));
            POINT screen;
            GetCursorPos(&screen);
            if (const HTREEITEM node = nodes_.At(screen)) TreeView_SelectItem(tree_, node);
            ShowContextMenu(screen);
            result = TRUE;
            return true;
        }
    }
    return false;
}

void DirectoryView::Announce(Cause cause) {
    const std::wstring folder = SelectedFolder();
    // Taking the selection away is no move to another folder.
    if (folder.empty() || folder == announced_) return;
    announced_ = folder;
    if (OnFolderChanged) OnFolderChanged(folder, cause);
}

void DirectoryView::Load() {
    if (loaded_) return;
    loaded_ = true;
    COLORREF background = TreeView_GetBkColor(tree_);
    if (background == static_cast<COLORREF>(-1)) background = GetSysColor(COLOR_WINDOW);
    icons_.SetBackground(background);
    ApplyImageSize();
    const ScopedValue quiet(input_, std::optional<Cause>());
    {
        RedrawPause pause(tree_, &updateDepth_);
        TreeView_SelectItem(tree_, PopulateRoots());
    }
    announced_ = SelectedFolder();
}

void DirectoryView::Rebuild(const std::wstring& select) {
    Load();
    const ScopedValue quiet(input_, std::optional<Cause>());
    {
        RedrawPause pause(tree_, &updateDepth_);
        {
            const ScopedFlag clearing(clearing_, true);
            nodes_.Clear();
        }
        icons_.Clear();
        PopulateRoots();
    }
    if (!select.empty() && source_.IsFolder(select)) WalkTo(select);
}

HTREEITEM DirectoryView::PopulateRoots() {
    HTREEITEM firstFixed = nullptr, last = nullptr;
    for (const auto& drive : reading_.Drives()) {
        const bool empty = source_.IsEmpty(drive.root);
        if (ShowsFolder && !ShowsFolder(drive.root)) continue;
        std::wstring caption = ShellDisplayName(drive.root);
        if (caption.empty()) caption = drive.root;
        last = nodes_.Add(nullptr, {caption, drive.root}, !empty);
        LoadClosedImage(last);
        if (drive.fixed && !firstFixed) firstFixed = last;
    }
    return firstFixed ? firstFixed : last;
}

void DirectoryView::Reload() {
    Rebuild(L"");
    announced_.clear();
}

void DirectoryView::ApplyImageSize() {
    if (!dpi_) dpi_ = WindowDpi(tree_);
    icons_.SetSize(SmallIconSize(dpi_));
    TreeView_SetImageList(tree_, icons_.Handle(), TVSIL_NORMAL);
}

void DirectoryView::DpiChanged(UINT dpi) {
    dpi_ = dpi;
    if (!loaded_) return;
    ApplyImageSize();
    // The list lost its pictures with the size change; each node asks again when drawn.
    nodes_.ForgetImages();
    InvalidateRect(tree_, nullptr, TRUE);
}

void DirectoryView::Expand(HTREEITEM node) {
    if (!node || !Expanding(node) || !nodes_.Next(node, TVGN_CHILD)) return;
    {
        const ScopedFlag programmatic(programmaticExpand_, true);
        TreeView_Expand(tree_, node, TVE_EXPAND);
    }
    if (updateDepth_ == 0) UpdateWindow(tree_);
}

bool DirectoryView::Expanding(HTREEITEM node) {
    if (clearing_) return true;
    const std::wstring folder = NodePath(node, false);
    const bool exists = source_.IsFolder(folder);
    const bool removable = IsDriveRootPath(folder) && reading_.IsRemovableRoot(folder);
    if (!exists && !removable) {
        // A folder gone since it was listed: an unopened node would show its blank placeholder.
        if (!nodes_.HasRealChildren(node)) nodes_.DeleteChildren(node);
        return nodes_.HasRealChildren(node);
    }
    // Opening a node selects it (the user's opening is announced as the user's move), which in a
    // single-expand tree opens it once more: that opening is let through, this one reads.
    {
        const ScopedFlag programmatic(programmaticExpand_, true);
        TreeView_SelectItem(tree_, node);
    }
    if (nodes_.HasRealChildren(node)) {
        ShowIcon(node, true);
        return true;
    }

    // The user waits while a large folder is read: the wait cursor says so.
    const WaitCursor waiting;
    std::vector<FolderChild> children;
    if (exists) {
        FolderSource::AddingQuestion ask;
        if (ShowsFolder) ask = [this](const std::wstring& child, bool, bool) { return ShowsFolder(child); };
        children = source_.Children(folder, ask);
    }
    RedrawPause pause(tree_, &updateDepth_);
    if (children.empty() && removable) {
        // No medium: keep the placeholder so that the user can try again.
        if (TreeView_GetItemState(tree_, node, TVIS_EXPANDED) & TVIS_EXPANDED) {
            const ScopedFlag programmatic(programmaticExpand_, true);
            TreeView_Expand(tree_, node, TVE_COLLAPSE);
        }
        return false;
    }
    nodes_.DeleteChildren(node);
    for (auto& child : children) nodes_.Add(node, {std::move(child.name), {}, -1, child.attributes}, !child.empty);
    if (nodes_.Next(node, TVGN_CHILD)) ShowIcon(node, true);
    return true;
}

void DirectoryView::Collapsing(HTREEITEM node) {
    if (!clearing_) ShowIcon(node, false);
}

std::wstring DirectoryView::NodePath(HTREEITEM node, bool keepOwnLink) const {
    if (!node) return {};
    std::vector<std::wstring> captions;
    std::wstring root;
    for (HTREEITEM current = node; current; current = nodes_.Next(current, TVGN_PARENT)) {
        const FolderNode* data = nodes_.DataOf(current);
        if (!data) return {};
        if (!data->rootPath.empty())
            root = data->rootPath;
        else
            captions.push_back(data->name);
    }
    std::reverse(captions.begin(), captions.end());
    return source_.NodePath(root, captions, keepOwnLink);
}

std::wstring DirectoryView::SelectedFolder() const { return NodePath(nodes_.Selected(), false); }

bool DirectoryView::CanGoUp() const {
    const HTREEITEM selected = nodes_.Selected();
    return selected && nodes_.Next(selected, TVGN_PARENT);
}

void DirectoryView::GoUp() {
    if (!CanGoUp()) return;
    const ScopedValue quiet(input_, std::optional<Cause>());
    TreeView_SelectItem(tree_, nodes_.Next(nodes_.Selected(), TVGN_PARENT));
    announced_ = SelectedFolder();
}

bool DirectoryView::SelectFolder(const std::wstring& path) {
    const bool found = WalkTo(path);
    announced_ = SelectedFolder();
    return found;
}

bool DirectoryView::WalkTo(const std::wstring& path) {
    if (path.empty()) return false;
    Load();
    if (!source_.CanShow(path)) return false;
    const ScopedValue quiet(input_, std::optional<Cause>());
    const std::wstring target = WithTrailingBackslash(path);
    if (const HTREEITEM selected = nodes_.Selected(); selected && SameText(target, WithTrailingBackslash(NodePath(selected, true))))
        return true;
    HTREEITEM current = nullptr;
    for (HTREEITEM root : nodes_.ChildrenOf(nullptr))
        if (SameText(nodes_.DataOf(root)->rootPath, target.substr(0, 3))) current = root;
    if (!current) return false;

    RedrawPause pause(tree_, &updateDepth_);
    for (const auto& component : ComponentsBelowRoot(target)) {
        Expand(current);
        const auto children = nodes_.ChildrenOf(current);
        const auto match = std::find_if(children.begin(), children.end(), [&](HTREEITEM child) {
            const FolderNode* data = nodes_.DataOf(child);
            return data && SameText(data->name, component);
        });
        // The walk stops at the deepest folder it could open, which stays selected.
        if (match == children.end()) return false;
        current = *match;
    }
    Expand(current);
    TreeView_SelectItem(tree_, current);
    TreeView_EnsureVisible(tree_, current);
    return true;
}

void DirectoryView::LoadClosedImage(HTREEITEM node) {
    FolderNode* data = nodes_.DataOf(node);
    if (!data || data->image >= 0) return;
    std::wstring path = NodePath(node, true);
    if (path.size() > 1 && IsLinkFile(path.substr(0, path.size() - 1))) path.pop_back();
    data->image = icons_.IndexFor(path, false, data->attributes);
}

int DirectoryView::ImageFor(HTREEITEM node) {
    FolderNode* data = nodes_.DataOf(node);
    if (!data) return 0;
    if (data->image < 0) LoadClosedImage(node);
    return data->image;
}

void DirectoryView::ShowIcon(HTREEITEM node, bool open) {
    FolderNode* data = nodes_.DataOf(node);
    if (!data) return;
    if (data->image < 0) {
        LoadClosedImage(node);
        if (!open) return;
    }
    if (data->image < 0) return;
    data->image = icons_.IndexFor(NodePath(node, true), open, data->attributes, data->image);
    RECT rect{};
    if (TreeView_GetItemRect(tree_, node, &rect, FALSE)) InvalidateRect(tree_, &rect, FALSE);
}

bool DirectoryView::TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            Load();
            return false;
        case WM_CONTEXTMENU: {
            const bool byKey = static_cast<DWORD>(lParam) == 0xFFFFFFFF;
            const ScopedValue cause(input_, std::optional<Cause>(byKey ? Cause::Keyboard : Cause::Mouse));
            ShowContextMenu(byKey ? nodes_.Below(nodes_.Selected())
                                  : POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
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
        case WM_CHAR:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: {
            const bool key = message == WM_KEYDOWN || message == WM_CHAR;
            const ScopedValue cause(input_, std::optional<Cause>(key ? Cause::Keyboard : Cause::Mouse));
            if (message == WM_KEYDOWN && wParam == VK_F5) {
                RefreshFolder();
                return true;
            }
            // The tree takes the focus as its click ends, so a click's move is told afterwards:
            // where the owner then puts the focus, it stays.
            const bool click = !clicking_ && (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK);
            if (click) clicking_ = true;
            result = DefSubclassProc(tree_, message, wParam, lParam);
            if (click) {
                clicking_ = false;
                if (std::exchange(clickSelected_, false)) Announce(Cause::Mouse);
            }
            return true;
        }
        case WM_DESTROY:
            clearing_ = true;
            return false;
    }
    return false;
}

void DirectoryView::ShowContextMenu(POINT screen) {
    Load();
    const std::wstring selected = NodePath(nodes_.Selected(), true);
    const std::wstring target = source_.TargetFolder(selected);
    const bool canCreate = source_.IsFolder(target);
    const bool canDelete = selected.size() > 3 && reading_.Attributes(selected) != FolderReading::kUnknownAttributes;
    switch (ChooseFolderCommand(tree_, screen, canCreate, canDelete)) {
        case FolderCommand::New: NewFolder(); break;
        case FolderCommand::Delete: DeleteFolder(); break;
        case FolderCommand::Open: OpenFolder(); break;
        case FolderCommand::Refresh: RefreshFolder(); break;
        case FolderCommand::None: break;
    }
}

void DirectoryView::NewFolder() {
    const Cause cause = InputCause();
    const std::wstring folder = source_.TargetFolder(NodePath(nodes_.Selected(), true));
    if (!source_.IsFolder(folder)) return;
    const std::wstring created = CreateFolderAsked(GetAncestor(tree_, GA_ROOT), WithTrailingBackslash(folder), reading_);
    if (created.empty()) return;
    Rebuild(created);
    Announce(cause);
}

void DirectoryView::DeleteFolder() {
    const Cause cause = InputCause();
    const HTREEITEM node = nodes_.Selected();
    // A link file's path names the file itself, so the folder it points to is never touched.
    const std::wstring item = WithoutTrailingBackslash(NodePath(node, true));
    if (item.size() <= 2 || reading_.Attributes(item) == FolderReading::kUnknownAttributes) return;
    const std::wstring parent = NodePath(nodes_.Next(node, TVGN_PARENT), false);
    DeleteThroughShell(tree_, item);
    if (reading_.Attributes(item) != FolderReading::kUnknownAttributes) return;
    Rebuild(parent);
    Announce(cause);
}

void DirectoryView::OpenFolder() {
    const std::wstring folder = source_.TargetFolder(NodePath(nodes_.Selected(), true));
    if (!folder.empty()) ExploreFolder(GetAncestor(tree_, GA_ROOTOWNER), folder);
}

void DirectoryView::RefreshFolder() {
    const Cause cause = InputCause();
    Rebuild(source_.TargetFolder(NodePath(nodes_.Selected(), true)));
    Announce(cause);
}
