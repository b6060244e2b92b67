#pragma once
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "controls/directory_rules.h"
#include "controls/folder_source.h"
#include "controls/system_folder_reading.h"
#include "platform/reflected_control.h"
#include "platform/handles.h"
#include "platform/shell_icon_list.h"
#include "platform/window.h"

enum TreeIconSize { isSmall, isLarge };

class DirectoryView;
// Sender is null when the control announces on its own while opening or closing a node.
using DirectoryChangingEvent =
    std::function<void(DirectoryView* sender, const std::wstring& directory, HTREEITEM node, bool& allowChange)>;
using DirectoryAddingEvent = std::function<void(DirectoryView* sender, const std::wstring& directory, bool empty,
                                                 bool dirLink, bool& allowAdd)>;
using TreeChangeEvent = std::function<void(DirectoryView* sender, HTREEITEM node)>;

enum class DirectoryMenuItem { New, Delete, Open, Refresh };

// The control's settings, given once when it is made; the defaults are the control's own.
struct DirectoryViewOptions {
    bool allowDeleteDirectory = false;
    bool allowCreateDirectory = true;
    bool allowOpenDirectory = true;
    bool allowRefresh = true;
    bool expandingSelect = true;    // opening a node also selects it
    bool selectOpenedDirs = false;  // "open" shows the folder selected in its parent
    bool loadImagesByCall = true;   // a folder's icon is fetched when the node is first drawn
    TreeIconSize iconSize = isSmall;
    SystemDirectory startDirectory = SD_WINDOWS;
    int directoriesToFind = directory_attributes::kAll;
    bool singleExpand = false;  // the tree view's own: opening a node closes the others
    bool hideSelection = true;
    int indent = 0;  // 0: the tree view's own
};

// A tree of the machine's drives and folders, opened level by level, that shows links to folders
// (link files and folder links) like folders and always reports the real folder behind them.
// What a node shows comes from a FolderSource; the control only shows it.
//
// Hosting: the parent must be a Window, which hands the tree's notifications to the control.
//
// Lifecycle: after construction, assign the events, then call Load() (the first operation, or
// the first paint, loads the control otherwise). Afterwards the icon size changes only through
// UpdateDirectories and StartDirectory accepts only SD_NO.
class DirectoryView : public ReflectedControl {
public:
    DirectoryView(HWND parent, int id, const RECT& bounds, const DirectoryViewOptions& options = {});
    ~DirectoryView() override;

    HWND Handle() const { return tree_; }
    void Load();
    bool IsLoaded() const { return loaded_; }

    const DirectoryViewOptions& Options() const { return options_; }
    void SetAllowDeleteDirectory(bool value) { options_.allowDeleteDirectory = value; }
    void SetAllowCreateDirectory(bool value) { options_.allowCreateDirectory = value; }
    TreeIconSize IconSize() const { return options_.iconSize; }
    // Sizes the pictures for the tree's DPI again after it moved to a screen of another scale.
    void DpiChanged(UINT dpi);
    int ImageSize() const { return icons_.Size(); }
    SystemDirectory StartDirectory() const { return options_.startDirectory; }
    void SetStartDirectory(SystemDirectory value);
    int DirectoriesToFind() const { return options_.directoriesToFind; }
    void SetDirectoriesToFind(int value);

    DirectoryChangingEvent OnDirectoryChanging;
    DirectoryAddingEvent OnDirectoryAdding;
    // The tree's selection has changed (free for the owner).
    TreeChangeEvent OnChange;

    // Properties of the underlying tree view
    bool AutoExpand() const;  // single-expand mode
    int Indent() const;
    void SetIndent(int pixels);

    // Nodes
    HTREEITEM Selected() const;
    void Select(HTREEITEM node);  // through the tree's own selection: announced, may be vetoed
    HTREEITEM ParentOf(HTREEITEM node) const;
    int LevelOf(HTREEITEM node) const;
    std::wstring CaptionOf(HTREEITEM node) const;
    std::vector<HTREEITEM> ChildrenOf(HTREEITEM node) const;  // null: the root nodes
    std::vector<std::wstring> ChildCaptions(HTREEITEM node) const;
    bool IsExpanded(HTREEITEM node) const;
    void Expand(HTREEITEM node);
    void Collapse(HTREEITEM node);
    int ImageIndexOf(HTREEITEM node) const;  // -1 while its icon is not loaded
    HIMAGELIST Images() const { return icons_.Handle(); }
    // What opening folders has read so far.
    const FolderSource::Work& SourceWork() const { return source_.Done(); }

    // Operations
    void UpdateDirectories(TreeIconSize iconSize, const std::wstring& path);
    HTREEITEM SelectDirectory(const std::wstring& path);
    std::wstring SelectedDirectory() const;
    std::wstring NodePath(HTREEITEM node, bool keepOwnLink) const;
    std::wstring LastDirectory() const { return lastDirectory_; }
    static std::wstring SystemDirectoryPath(SystemDirectory directory);

    // Folder commands (the context menu)
    void CreateDirectoryIn(const std::wstring& path);
    void DeleteThisDirectory(const std::wstring& path);
    struct MenuItemState {
        bool shown = false;
        bool enabled = false;
    };
    void MenuPopup();  // prepares the items for the selected node, as before the menu shows
    MenuItemState MenuState(DirectoryMenuItem item) const;
    std::wstring MenuDirectory() const { return menuDirectory_; }
    void NewFolder();
    void DeleteFolder();
    void OpenFolder();
    void RefreshFolder();
    void ShowContextMenu(POINT screen);

    // A tree notification, handed over by the parent. True when consumed (result set).
    bool Notify(NMHDR& header, LRESULT& result) override;

private:
    struct NodeData {
        std::wstring name;
        std::wstring rootPath;  // drive root nodes only
        int image = -1;
        DWORD attributes = INVALID_FILE_ATTRIBUTES;  // as the folder search found the entry
    };

    NodeData* DataOf(HTREEITEM node) const;
    HTREEITEM AddNode(HTREEITEM parent, NodeData data, bool withPlaceholder);
    HTREEITEM InsertItem(const TVINSERTSTRUCTW& insert);
    // Reads and insertions that no hook on the tree needs to see.
    LRESULT TreeCall(UINT message, WPARAM wParam, LPARAM lParam) const;
    HTREEITEM Next(HTREEITEM node, UINT relation) const;
    bool HasRealChildren(HTREEITEM node) const;
    void DeleteChildren(HTREEITEM node);
    void ClearNodes();

    void FillDriveRoots();
    void PopulateRoots();
    void MakeInitialSelection();
    bool IsEmpty(const std::wstring& path) { return source_.IsEmpty(path); }

    bool Expanding(HTREEITEM node);
    void Collapsing(HTREEITEM node);
    void ChangeHandling(DirectoryView* sender, HTREEITEM node, bool& allowChange);
    void SetSelectionSilently(HTREEITEM node);

    static std::wstring ShellDisplayName(const std::wstring& path);
    int ImageFor(HTREEITEM node);
    void LoadClosedImage(HTREEITEM node);
    void ShowIcon(HTREEITEM node, bool open);
    void ApplyImageSize();

    std::wstring TargetFolderOf(const std::wstring& path) const;
    bool TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    QuietErrorMode quietErrors_;
    DirectoryViewOptions options_;
    HWND tree_ = nullptr;
    WNDPROC treeProcedure_ = nullptr;  // the tree view's own, past every hook
    ShellIconList icons_;
    SystemFolderReading reading_;
    FolderSource source_{reading_};
    ControlHook treeHook_;
    std::deque<NodeData> nodes_;
    UINT dpi_ = 0;  // 0: the tree's own when first loaded

    std::vector<std::wstring> driveRoots_;
    std::wstring lastDirectory_;
    bool loaded_ = false;
    bool eventsEnabled_ = false;
    bool expansionEnabled_ = true;
    bool clearing_ = false;
    bool destroying_ = false;
    bool expanding_ = false;
    bool expandingExists_ = false;
    std::wstring expandingDirectory_;
    bool programmaticExpand_ = false;
    bool collapseHandlingOff_ = false;
    bool vetoed_ = false;
    int updateDepth_ = 0;  // nested redraw pauses

    std::wstring menuDirectory_;
    bool newEnabled_ = false, deleteEnabled_ = false;
};
