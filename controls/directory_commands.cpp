#include "controls/directory_view.h"

#include <shellapi.h>

#include "links/link_targets.h"
#include "platform/files.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/scoped_value.h"
#include "platform/shell_file_operation.h"

namespace {
constexpr const wchar_t* kErrorCaption = L"Fehler";

struct MenuEntry {
    DirectoryMenuItem item;
    const wchar_t* caption;
};
constexpr MenuEntry kMenu[] = {
    {DirectoryMenuItem::New, L"Neuer Ord&ner"},
    {DirectoryMenuItem::Delete, L"Ordner &löschen"},
    {DirectoryMenuItem::Open, L"Ordner im Ex&plorer öffnen"},
    {DirectoryMenuItem::Refresh, L"&Aktualisieren"},
};

// Creates each missing folder of the chain; on failure removes again what it created.
bool CreateFolderChain(const std::wstring& folder, const std::vector<std::wstring>& parts) {
    std::vector<std::wstring> created;
    std::wstring path = folder;
    for (const auto& part : parts) {
        path += part;
        if (!DirectoryExists(path)) {
            if (!CreateDirectoryW(path.c_str(), nullptr)) {
                for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
                return false;
            }
            created.push_back(path);
        }
        path += L'\\';
    }
    return true;
}
}  // namespace

std::wstring DirectoryView::TargetFolderOf(const std::wstring& path) const {
    // A folder link's own folder is no place for new folders: the node shows its target.
    const std::wstring target = ::LinkTargetFolder(path);
    if (!target.empty()) return target;
    return path;
}

void DirectoryView::MenuPopup() {
    if (!loaded_) Load();
    const std::wstring selected = NodePath(Selected(), true);
    menuDirectory_ = selected;
    const std::wstring target = TargetFolderOf(selected);
    const bool exists = DirectoryExists(target) || FileExists(selected);
    newEnabled_ = exists && DirectoryExists(target);
    deleteEnabled_ = exists && selected.size() > 3;
}

DirectoryView::MenuItemState DirectoryView::MenuState(DirectoryMenuItem item) const {
    switch (item) {
        case DirectoryMenuItem::New: return {options_.allowCreateDirectory, newEnabled_};
        case DirectoryMenuItem::Delete: return {options_.allowDeleteDirectory, deleteEnabled_};
        case DirectoryMenuItem::Open: return {options_.allowOpenDirectory, true};
        case DirectoryMenuItem::Refresh: return {options_.allowRefresh, true};
    }
    return {};
}

void DirectoryView::ShowContextMenu(POINT screen) {
    MenuPopup();
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return;
    for (const auto& entry : kMenu) {
        const MenuItemState state = MenuState(entry.item);
        if (!state.shown) continue;
        AppendMenuW(menu.Get(), MF_STRING | (state.enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(entry.item) + 1, entry.caption);
    }
    if (GetMenuItemCount(menu.Get()) <= 0) return;
    const int command = TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                                       screen.y, 0, tree_, nullptr);
    switch (command) {
        case 1: NewFolder(); break;
        case 2: DeleteFolder(); break;
        case 3: OpenFolder(); break;
        case 4: RefreshFolder(); break;
    }
}

bool DirectoryView::TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
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
            if (wParam == VK_F5 && options_.allowRefresh) {
                MenuPopup();
                RefreshFolder();
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

void DirectoryView::CreateDirectoryIn(const std::wstring& path) {
    if (!DirectoryExists(path)) return;
    menuDirectory_ = WithTrailingBackslash(path);
    NewFolder();
}

void DirectoryView::DeleteThisDirectory(const std::wstring& path) {
    const std::wstring folder = WithTrailingBackslash(path);
    if (!DirectoryExists(folder) || folder.size() <= 3) return;
    menuDirectory_ = folder;
    DeleteFolder();
}

void DirectoryView::NewFolder() {
    const std::wstring folder = WithTrailingBackslash(TargetFolderOf(menuDirectory_));
    const HWND owner = GetAncestor(tree_, GA_ROOT);
    std::wstring name = L"Neuer Ordner";
    for (;;) {
        if (!InputQuery(owner, L"Neuer Ordner", L"Geben Sie den Namen des neuen Ordners ein:", name)) return;
        if (name.empty()) {
            ShowBox(owner, L"Sie müssen einen Ordnernamen angeben.", kErrorCaption, BoxKind::Warning, BoxButtons::Ok);
            return;
        }
        if (!DirectoryExists(folder + name)) break;
        ErrorSound();
        if (ShowBox(owner, L"Das angegebene Verzeichnis existiert bereits. Möchten Sie einen anderen Namen angeben?",
                    kErrorCaption, BoxKind::Error, BoxButtons::YesNo) != BoxAnswer::Yes)
            return;
    }
    const auto parts = NewFolderParts(name);
    if (!parts || !CreateFolderChain(folder, *parts)) {
        ShowBox(owner, L"Der Ordner \"" + folder + name + L"\" konnte nicht erstellt werden.", kErrorCaption,
                BoxKind::Error, BoxButtons::Ok);
        return;
    }
    std::wstring created = folder;
    for (const auto& part : *parts) created += part + L'\\';
    UpdateDirectories(options_.iconSize, created);
}

void DirectoryView::DeleteFolder() {
    const std::wstring path = menuDirectory_;
    const HTREEITEM node = SelectDirectory(path);
    const HTREEITEM parent = node ? ParentOf(node) : nullptr;
    // A link file's path names the file itself, so the folder it points to is never touched; a
    // folder (or a folder link's own folder) goes with its content.
    const std::wstring item = WithoutTrailingBackslash(path);
    ShellFileOperation(FO_DELETE, tree_, {item}, true, false);
    if (PathExists(item)) return;
    if (parent) {
        ScopedFlag noCollapseHandling(collapseHandlingOff_, true);
        Select(parent);
    }
    UpdateDirectories(options_.iconSize, SelectedDirectory());
}

void DirectoryView::OpenFolder() {
    const std::wstring folder = TargetFolderOf(menuDirectory_);
    const HWND owner = GetAncestor(tree_, GA_ROOTOWNER);
    if (options_.selectOpenedDirs) {
        const std::wstring explorer = SystemDirectoryPath(SD_WINDOWS) + L"\\explorer";
        const std::wstring parameters = L"/E,/select,\"" + WithoutTrailingBackslash(folder) + L"\"";
        ShellExecuteW(owner, L"open", explorer.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    } else {
        ShellExecuteW(owner, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void DirectoryView::RefreshFolder() { UpdateDirectories(options_.iconSize, TargetFolderOf(menuDirectory_)); }
