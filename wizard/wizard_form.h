#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/mouse_hover.h"
#include "platform/shell_open.h"
#include "platform/dialog_window.h"
#include "wizard/file_dialogs.h"
#include "wizard/histories.h"
#include "links/link_draft.h"
#include "wizard/settings.h"

class TDZDirectoryView;
class TDZImage;
class TFileLabel;
class TWinAni;
class TForm2;
struct LinkData;

// What the wizard asks of the system outside its window; tests pass their own.
struct WizardSystem {
    FileDialogs& dialogs = SystemFileDialogs();
    ShellOpener& shell = SystemShellOpener();
};

// The link wizard: six notebook pages, Next / Back / Cancel, and the wizard-wide state.
class TForm1 : public DialogWindow {
public:
    enum class Page { ExistsFilePage, LinkFilePage, DescriptionPage, IconFilePage, KindOfLinkPage, NewLinkPage };
    using enum Page;

    // The history files live in dataFolder (empty: the program's folder) or, when that cannot be
    // written, in userDataFolder (empty: the user's application-data folder).
    explicit TForm1(std::wstring dataFolder = {}, std::wstring userDataFolder = {}, WizardSystem system = {});
    ~TForm1() override;
    void Show(int showCommand);

    // The online update, handed over by the start-up: Ctrl+U runs Action_UpdateExecute from every
    // page. It answers true when the program is to end at once, without the form's own saving.
    std::function<bool()> OnUpdateAction;
    // The program shows the first page at once and builds the other pages while it waits for
    // input; whatever needs them first builds the rest at that moment.
    static inline bool BuildPagesWhenIdle = false;
    bool PagesBuilt() const { return pagesBuilt_ == static_cast<int>(pages_.size()); }
    int PagesBuiltCount() const { return pagesBuilt_; }
    void Action_UpdateExecute();
    // The form's keys for the message loop: F1 help, Ctrl+U update.
    static std::vector<ACCEL> Keys();

    // The link as the pages have accepted it so far.
    const LinkDraft& Draft() const { return draft_; }

    // How far the pages have been prepared; later stages compare greater.
    enum class Stage {
        Nothing,           // nothing prepared
        FolderChosen,      // the location page has its folder (the tree is not moved to the desktop again)
        LocationAccepted,  // the icon page is prepared when it is entered
        IconPagePrepared,
        IconPageAccepted,
    };
    // Starts with a command line and a folder for the link (each may be empty).
    void StartWith(const std::wstring& commandLine, const std::wstring& folder);
    // Starts editing the link at path, whose fields were read as link; commandLine is its target
    // with its arguments.
    void EditLink(const std::wstring& path, const std::wstring& commandLine, const LinkData& link);

    // The icon chooser the icon page opens (created by start-up).
    TForm2* IconChooser = nullptr;
    // Opens a help topic of the help file (wired by start-up).
    std::function<void(const std::wstring& topic)> OnHelp;
    // Shows the About dialog (wired by start-up).
    std::function<void()> OnAbout;
    // The file-type filter the target's open dialog starts with, as saved.
    void SetFileTypes(int filterIndex);
    // Where the window size and filter are saved (below HKEY_CURRENT_USER).
    std::wstring SettingsKey = kSettingsKey;

    // Notebook
    Page PageIndex() const { return page_; }
    void ShowPage(Page page);
    std::wstring Caption() const;

    // Navigation
    void NextClick();
    void BackClick();
    void CancelClick();
    void HelpExecute();
    void DropFiles(const std::vector<std::wstring>& paths);
    void FormResize();
    // The window moved to a screen of another DPI: fonts, pictures and layout follow, and the
    // window takes the suggested bounds (when given).
    void DpiChanged(UINT dpi, const RECT* suggested);
    UINT Dpi() const { return dpi_; }
    // The form's font at its DPI.
    HFONT Font() const;
    // Saves the histories and settings; runs once, when the window goes.
    void FormDestroy();

    // Target page
    void ExistingFileChange();
    void Button1Click();
    void Button4Click();

    // Location page
    void DesktopClick();
    void StartmenuClick();
    void ProgramsClick();
    void SendToClick();
    void QuickLaunchClick();
    void AutorunClick();
    void UpClick();
    void DirChange();
    void DirDirectoryChanging(const std::wstring& directory, bool& allowChange);
    void DirDirectoryAdding(const std::wstring& directory, bool& allowAdd);
    void LinkFileChange();
    void LinkFileDropDown();
    void ComboBoxKeyDown(ComboBox& combo, WPARAM key, bool shift);

    // Icon page
    void StandardClick(const Control* sender);
    void Button3Click();
    void WinIconsFileClick();
    void ChoseIconClick();
    void IconFileChange();
    void IconClick();
    void IconLabelMouseEnter();
    void IconLabelMouseLeave();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Tests drive the form through this one class, as a user does.
    friend class WizardDriver;

    std::unique_ptr<TWinAni> WinAni1;
    Button Back, Next, Cancel, DelCurLink;

    // Page 0: target
    ComboBox ExistingFile;
    Button Button4;
    OpenDialog ODialog;

    // Page 1: location
    std::unique_ptr<TDZDirectoryView> Dir;
    Button Desktop, Startmenu, Programs, SendTo, QuickLaunch, Autorun, Up;
    ComboBox LinkFile;

    // Page 2: description
    Edit Description;

    // Page 3: icon
    Button Standard, IFile, ChoseIcon, Button3, WinIconsFile;
    ComboBox IconFile;
    std::unique_ptr<TDZImage> Icon, SmallIcon;

    // Page 4: kind of link (radio group "Art der Verknüpfung")
    using LinkKind = ::LinkKind;
    LinkKind KindOfLink() const;
    void SetKindOfLink(LinkKind kind);

    // The wizard-wide state.
    Stage WizardStage = Stage::Nothing;
    std::wstring EditedLinkPath;
    int SelectedIconIndex = 0;

    Label Image1, Bevel1;
    Label Label1, Label2;
    Button Button1;
    Label Label3, Label4;
    Label Label5;
    Label Label6, Label7, IconLabel;
    std::unique_ptr<TFileLabel> IconStandardObject;
    Label Label8;
    Button KindOfLinkGroup, KindFolderLink, KindFileLink;
    Label QuestionPicture, Label9;

    bool ResetIconIndexOnChange = true;
    bool FollowTree = true;
    bool FollowLinkText = true;

    void BuildPages();
    void SetCaption(const std::wstring& caption);
    // The control a page starts with: the field the pages name, or the chosen radio button.
    HWND PageStart(Page page) const;
    // Creation step and closing page: writes the link the draft describes; false when it was not
    // written (declined or failed, the user told why).
    bool CreateTheLink(const LinkDraft& draft);
    // The closing page after a written link.
    void ShowNewLinkPage();
    // Whether the link being edited is replaced: the check box as it stands when the link is written.
    void TakeEditChoice();

    void CreateControls();
    // Gives every control the form's font (or its bold or underlined variant) at the form's DPI.
    void ApplyFonts();
    // The side picture, the question icon and the button pictures at the form's DPI.
    void LoadPictures();
    int S(int designSize) const { return Scale(designSize, dpi_); }
    void CreateTargetPage(int x, int y, int w);
    void CreateLocationTree(int x, int y, int w, int h);
    void CreateFolderButtons(int x, int y, int w, int h, bool secondHalf);
    void CreateLinkFileField(int x, int y, int w, int h);
    void CreateDescriptionPage(int x, int y, int w);
    void CreateIconChoice(int x, int y, int w);
    void CreateIconFileField(int x, int y, int w);
    void CreateIconFileButtons(int x, int y, int w);
    void CreateIconPreview(int x, int y, int w);
    void CreateKindPage(int x, int y, int w);
    void CreateNewLinkPage(int x, int y, int w);
    void AddToPage(Page page, HWND control, int anchors);
    std::vector<HWND>& PageControls(Page page) { return pages_[static_cast<size_t>(page)]; }
    void BuildNextPart();
    void AttachPagePictures();
    void OnCommand(int id, int code, HWND control);
    void HookComboKeys(ComboBox& combo, ControlHook& hook);
    // A change typed or chosen in one of the history combo boxes, with completion at the end.
    void ComboNotification(ComboBox& combo, int code, const std::function<void()>& change);

    // The pages' leave steps: each checks its page and fills its part of the draft.
    bool CheckTarget();
    void SwitchToLocationPage();
    bool CheckLocation();
    void DropOnTargetPage(const std::wstring& path);
    void DropOnLocationPage(const std::wstring& path);
    void DropOnIconPage(const std::wstring& path);
    void SelectSpecialFolder(int folderId, const std::wstring& suffix = {});
    struct FolderButton {
        Button* button;
        int id;
        const wchar_t* hint;
        int folder;
    };
    std::vector<FolderButton> FolderButtons();
    void LoadFolderButtonIcons();
    // The pictures of "Up" and of the chooser button, at the window's DPI.
    void LoadButtonPictures();

    void EnterIconPage();
    bool LeaveIconPage();
    void UpdateStandardCaption();
    void PlaceIconLabel();
    void RefreshPreviewKeepingIndex();
    std::wstring StandardIconPath() const;
    void PreviewFromIconFile(int index);
    void PreviewStandard(const std::wstring& path);
    void ClearPreview();
    void SetPreview(HICON large, HICON small);

    void ResetForNewLink();
    void UpdateHistory(ComboBox& combo, const std::function<void(HistoryList&)>& update);

    WizardSystem system_;
    HistoryFolders dataFolders_;
    Histories histories_;
    bool destroyed_ = false;
    Page page_ = ExistsFilePage;
    LinkDraft draft_;
    std::vector<std::vector<HWND>> pages_;
    int pagesBuilt_ = 0;
    int pagePartsBuilt_ = 0;  // of the page being built
    HWND lastPageControl_ = nullptr;  // the pages' controls come before the buttons
    int pageWidth_ = 0, pageHeight_ = 0;  // design units
    AnchorLayout layout_;
    Hints hints_;
    ControlHook existingFileKeys_, linkFileKeys_, iconFileKeys_;
    IconHandle questionIcon_;
    BitmapHandle sidePicture_;
    bool iconLabelHot_ = false;
    std::vector<IconHandle> buttonIcons_;
    IconHandle upIcon_, chooseIcon_;
    ControlHook iconLabelMouse_;
    MouseHover iconLabelHover_;
    bool completeTyping_ = false;
    HFONT font_ = nullptr;
    UINT dpi_ = kDesignDpi;
    // The tree handles a key: its selection changes are the keyboard's.
    bool treeKeyboard_ = false;
    ControlHook treeKeys_;
};
