#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>

#include "controls/folder_source.h"
#include "controls/tree_nodes.h"
#include "platform/handles.h"
#include "platform/reflected_control.h"
#include "platform/shell_icon_list.h"
#include "platform/window.h"

// A tree of the machine's drives and folders, opened level by level, that shows links to folders
// (link files and folder links) like folders and always reports the real folder behind them.
// Everything it reads from the disk comes through the FolderReading handed in; a context menu
// (and F5) creates, deletes, opens and re-reads folders. Like every control, it announces only
// what the user does: selecting from code stays silent. Its parent must be a Window.
class DirectoryView : public ReflectedControl {
public:
    enum class Cause { Keyboard, Mouse };

    DirectoryView(HWND parent, const RECT& bounds, FolderReading& reading);
    ~DirectoryView() override;
    HWND Handle() const { return tree_; }

    // The folder the user moved to (a link's target), and whether a key or the mouse did it.
    std::function<void(const std::wstring& folder, Cause cause)> OnFolderChanged;
    // Asked once before a folder (trailing backslash) or drive root is shown; false leaves it out.
    std::function<bool(const std::wstring& folder)> ShowsFolder;

    // The selected folder (a link's target), empty when none is selected.
    std::wstring SelectedFolder() const;
    // Opens the folders on the way to path and selects it; false (selecting the deepest folder
    // reached) when the tree does not show it.
    bool SelectFolder(const std::wstring& path);
    // Whether the selection has a parent node, and selecting that.
    bool CanGoUp() const;
    void GoUp();
    // Reads the drives again, with nothing selected.
    void Reload();
    // Sizes the pictures for the tree's DPI again after it moved to a screen of another scale.
    void DpiChanged(UINT dpi);

    // The context menu's commands, on the selected folder.
    void NewFolder();
    void DeleteFolder();
    void OpenFolder();
    void RefreshFolder();

    bool Notify(NMHDR& header, LRESULT& result) override;

private:
    void Load();
    // Reads the drives again and walks to select, quietly.
    void Rebuild(const std::wstring& select);
    // Adds the drive roots; the one to start on (the first fixed disk).
    HTREEITEM PopulateRoots();

    void Expand(HTREEITEM node);
    bool Expanding(HTREEITEM node);
    void Collapsing(HTREEITEM node);
    bool WalkTo(const std::wstring& path);
    std::wstring NodePath(HTREEITEM node, bool keepOwnLink) const;

    // What the user's key or click is doing now; none while code acts.
    std::optional<Cause> input_;
    void Announce(Cause cause);
    Cause InputCause() const { return input_.value_or(Cause::Mouse); }
    void ShowContextMenu(POINT screen);
    bool TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    int ImageFor(HTREEITEM node);
    void LoadClosedImage(HTREEITEM node);
    void ShowIcon(HTREEITEM node, bool open);
    void ApplyImageSize();

    QuietErrorMode quietErrors_;
    HWND tree_;
    TreeNodes nodes_;
    ShellIconList icons_;
    FolderReading& reading_;
    mutable FolderSource source_;
    ControlHook treeHook_;
    UINT dpi_ = 0;  // 0: the tree's own when first loaded

    std::wstring announced_;  // the folder the owner last heard of or set
    bool loaded_ = false;
    bool clearing_ = false;
    bool clicking_ = false;       // inside the tree's own handling of a click
    bool clickSelected_ = false;  // and that click moved the selection
    bool programmaticExpand_ = false;
    int updateDepth_ = 0;  // nested redraw pauses
};
