#pragma once
#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "controls/directory_rules.h"
#include "platform/handles.h"
#include "platform/window.h"

enum TIconSize { isSmall, isLarge };

class TDZDirectoryView;
// Sender is null when the control announces on its own while opening or closing a node.
using TDirectoryChangingEvent =
    std::function<void(TDZDirectoryView* sender, const std::wstring& directory, HTREEITEM node, bool& allowChange)>;
using TDirectoryAddingEvent = std::function<void(TDZDirectoryView* sender, const std::wstring& directory, bool empty,
                                                 bool dirLink, bool& allowAdd)>;
using TTreeChangeEvent = std::function<void(TDZDirectoryView* sender, HTREEITEM node)>;

enum class TDirectoryMenuItem { New, Delete, Open, Refresh };

// A tree of the machine's drives and folders, opened level by level, that shows links to folders
// (link files and folder links) like folders and always reports the real folder behind them.
//
// Hosting: the control subclasses its parent window itself to receive the tree's notifications
// (one subclass per control, so several trees may share a parent). The parent needs to do
// nothing; tree notifications it does not consume (TVN_SELCHANGED, NM_CUSTOMDRAW, ...) still
// reach the parent's own window procedure afterwards.
//
// Lifecycle: after construction, set the properties and events, then call Load() (the first
// operation, or the first paint, loads the control otherwise). IconSize and StartDirectory are
// taken only before loading, as when a form is read; afterwards the icon size changes through
// UpdateDirectories and StartDirectory accepts only SD_NO.
class TDZDirectoryView {
public:
    TDZDirectoryView(HWND parent, int id, const RECT& bounds);
    ~TDZDirectoryView();
    TDZDirectoryView(const TDZDirectoryView&) = delete;
    TDZDirectoryView& operator=(const TDZDirectoryView&) = delete;

    HWND Handle() const { return tree_; }
    void Load();
    bool IsLoaded() const { return loaded_; }

    // Published properties
    bool AllowDeleteDirectory() const { return allowDelete_; }
    void SetAllowDeleteDirectory(bool value) { allowDelete_ = value; }
    bool AllowCreateDirectory() const { return allowCreate_; }
    void SetAllowCreateDirectory(bool value) { allowCreate_ = value; }
    bool AllowOpenDirectory() const { return allowOpen_; }
    void SetAllowOpenDirectory(bool value) { allowOpen_ = value; }
    bool AllowRefresh() const { return allowRefresh_; }
    void SetAllowRefresh(bool value) { allowRefresh_ = value; }
    bool ExpandingSelect() const { return expandingSelect_; }
    void SetExpandingSelect(bool value) { expandingSelect_ = value; }
    bool SelectOpenedDirs() const { return selectOpenedDirs_; }
    void SetSelectOpenedDirs(bool value) { selectOpenedDirs_ = value; }
    bool LoadImagesByCall() const { return loadImagesByCall_; }
    void SetLoadImagesByCall(bool value) { loadImagesByCall_ = value; }
    TIconSize IconSize() const { return iconSize_; }
    void SetIconSize(TIconSize value);
    // Sizes the pictures for the tree's DPI again after it moved to a screen of another scale.
    void DpiChanged(UINT dpi);
    int ImageSize() const { return imageSize_; }
    TSystemDirectory StartDirectory() const { return startDirectory_; }
    void SetStartDirectory(TSystemDirectory value);
    int DirectoriesToFind() const { return directoriesToFind_; }
    void SetDirectoriesToFind(int value);

    TDirectoryChangingEvent OnDirectoryChanging;
    TDirectoryAddingEvent OnDirectoryAdding;
    // The tree's selection has changed (free for the owner).
    TTreeChangeEvent OnChange;

    // Properties of the underlying tree view
    bool AutoExpand() const;
    void SetAutoExpand(bool value);  // single-expand mode
    bool HideSelection() const;
    void SetHideSelection(bool value);
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
    HIMAGELIST Images() const { return images_.Get(); }

    // Operations
    void UpdateDirectories(TIconSize iconSize, const std::wstring& path);
    HTREEITEM SelectDirectory(const std::wstring& path);
    std::wstring SelectedDirectory() const;
    std::wstring NodePath(HTREEITEM node, bool keepOwnLink) const;
    std::wstring LinkTargetFolder(const std::wstring& path) const;
    bool DirectoryIsEmpty(const std::wstring& path) const;
    std::wstring LastDirectory() const { return lastDirectory_; }
    static std::wstring SystemDirectoryPath(TSystemDirectory directory);

    // Folder commands (the context menu)
    void CreateDirectoryIn(const std::wstring& path);
    void DeleteThisDirectory(const std::wstring& path);
    struct MenuItemState {
        bool shown = false;
        bool enabled = false;
    };
    void MenuPopup();  // prepares the items for the selected node, as before the menu shows
    MenuItemState MenuState(TDirectoryMenuItem item) const;
    std::wstring MenuDirectory() const { return menuDirectory_; }
    void NewClick();
    void DeleteClick();
    void OpenClick();
    void RefreshClick();
    void ShowContextMenu(POINT screen);

    // A tree notification; called by the parent subclass. True when consumed (result set).
    bool HandleNotify(const NMHDR* header, LRESULT& result);

private:
    struct NodeData {
        std::wstring name;
        std::wstring rootPath;  // drive root nodes only
        int image = -1;
    };
    struct Entry;

    NodeData* DataOf(HTREEITEM node) const;
    HTREEITEM AddNode(HTREEITEM parent, NodeData data, bool withPlaceholder);
    bool HasRealChildren(HTREEITEM node) const;
    void DeleteChildren(HTREEITEM node);
    void ClearNodes();

    void FillDriveRoots();
    void PopulateRoots();
    void MakeInitialSelection();
    std::vector<Entry> CollectEntries(const std::wstring& folder) const;
    bool FolderIsEmpty(const std::wstring& folder) const;

    bool Expanding(HTREEITEM node);
    void Collapsing(HTREEITEM node);
    void ChangeHandling(TDZDirectoryView* sender, HTREEITEM node, bool& allowChange);
    void SetSelectionSilently(HTREEITEM node);

    HICON ShellIcon(const std::wstring& path, bool open) const;
    static std::wstring ShellDisplayName(const std::wstring& path);
    int ImageFor(HTREEITEM node);
    void LoadClosedImage(HTREEITEM node);
    void ShowIcon(HTREEITEM node, bool open);
    void ApplyImageSize();

    std::wstring TargetFolderOf(const std::wstring& path) const;
    bool TreeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data);

    QuietErrorMode quietErrors_;
    HWND parent_ = nullptr;
    HWND tree_ = nullptr;
    ImageListHandle images_;
    ControlHook treeHook_;
    std::deque<NodeData> nodes_;

    bool allowDelete_ = false, allowCreate_ = true, allowOpen_ = true, allowRefresh_ = true;
    bool expandingSelect_ = true, selectOpenedDirs_ = false, loadImagesByCall_ = true;
    TIconSize iconSize_ = isSmall;
    int imageSize_ = 16;
    UINT dpi_ = 0;  // 0: the tree's own when first loaded
    TSystemDirectory startDirectory_ = SD_WINDOWS;
    int directoriesToFind_ = directory_attributes::kAll;

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
