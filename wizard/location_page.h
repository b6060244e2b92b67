#pragma once
#include <memory>
#include <optional>

#include "controls/system_folder_reading.h"
#include "platform/handles.h"
#include "wizard/history_combo_box.h"
#include "wizard/wizard_page.h"

class DirectoryView;

// The second page: where the link goes, chosen in the folder tree or typed, with buttons for the
// shell's special folders.
class LocationPage final : public WizardPage {
public:
    LocationPage(PageHost& host, LinkDraft& draft, WizardStage& stage, const HistoryList& history);
    ~LocationPage() override;

    // The text as typed: the folder is followed in the tree.
    void SetLocation(const std::wstring& location);
    // The name of a dropped link in the folder shown (the desktop when none is).
    void TakeLinkName(const std::wstring& linkPath);
    void SelectFolder(const std::wstring& folder);
    // The tree shows again what is on the disk (after a link was written).
    void RefreshTree();
    // The history, unless the page was never built.
    std::optional<HistoryList> History() const;

    int Parts() const override { return 4; }
    void BuildPart(int part, const PageArea& area) override;
    void Enter() override;
    bool Leave() override;
    HWND FirstControl() const override { return location_.Handle(); }
    void Reset() override { SetLocation(L""); }
    void Drop(const std::wstring& path) override;
    void LoadPictures(UINT dpi) override;
    void Shown() override { LoadFolderButtonIcons(); }

private:
    struct FolderButton {
        Button* button;
        const wchar_t* hint;
        int folder;
        const wchar_t* suffix;
    };
    std::vector<FolderButton> FolderButtons();
    void BuildTree(const PageArea& area);
    void BuildFolderButtons(const PageArea& area, bool secondHalf);
    void BuildLocationField(const PageArea& area);
    void LoadFolderButtonIcons();
    void SelectSpecialFolder(int folderId, const wchar_t* suffix);
    void GoUp();
    // The tree shows folder (when it can), and the location text follows.
    void ShowFolder(const std::wstring& folder);
    void UpdateUpButton();
    // The tree moved to another folder: the location text follows, and a click (not a key)
    // takes the user on to the name.
    void FollowFolder(const std::wstring& directory, bool byKeyboard);
    static bool OffersFolder(const std::wstring& directory);
    // The location text changed: the tree follows its folder.
    void LocationChanged();
    void OfferFoldersWithName();

    LinkDraft& draft_;
    WizardStage& stage_;
    HistoryList initialHistory_;
    SystemFolderReading folderReading_;
    std::unique_ptr<DirectoryView> tree_;
    UINT treeDpi_ = 0;
    Button desktop_, startMenu_, programs_, sendTo_, quickLaunch_, autostart_, up_;
    HistoryComboBox location_;
    Label extension_;  // the extension the link file gets
    std::vector<IconHandle> folderIcons_;
    IconHandle upIcon_;
};
