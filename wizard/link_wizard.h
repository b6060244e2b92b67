#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog_window.h"
#include "platform/handles.h"
#include "wizard/histories.h"
#include "wizard/page_flow.h"
#include "wizard/settings.h"
#include "wizard/wizard_page.h"

class DescriptionPage;
class ClosingPage;
class IconChooser;
class IconPage;
class KindPage;
class LocationPage;
class TargetPage;
class AnimationControl;
struct LinkData;

// What the start-up hands the wizard.
struct WizardConnections {
    // Ctrl+U on every page; true when the program is to end at once, without the wizard's saving.
    std::function<bool()> update;
    // Opens a topic of the help file.
    std::function<void(const std::wstring& topic)> help;
    // The About dialog, from the system menu's "Info".
    std::function<void()> about;
    // Opened by the icon page's icon button.
    IconChooser* iconChooser = nullptr;
};

// The link wizard: the pages in a notebook, Next / Back / Cancel, and the draft they fill.
class LinkWizard final : public DialogWindow, private PageHost {
public:
    using Page = WizardPageId;
    using enum WizardPageId;

    // The history files live in dataFolder (empty: the program's folder) or, when that cannot be
    // written, in userDataFolder (empty: the user's application-data folder).
    explicit LinkWizard(std::wstring dataFolder = {}, std::wstring userDataFolder = {}, WizardSystem system = {});
    ~LinkWizard() override;
    void Show(int showCommand);
    WizardConnections Connections;
    // Where the window size and filter are saved (below HKEY_CURRENT_USER).
    std::wstring SettingsKey = kSettingsKey;
    // The file-type filter the target's open dialog starts with, as saved.
    void SetFileTypes(int filterIndex);

    // The program shows the first page at once and builds the other pages while it waits for
    // input; whatever needs them first builds the rest at that moment.
    static inline bool BuildPagesWhenIdle = false;
    int PagesBuiltCount() const { return pagesBuilt_; }
    bool PagesBuilt() const { return pagesBuilt_ == static_cast<int>(pages_.size()); }
    // The wizard's keys for the message loop: F1 help, Ctrl+U update.
    static std::vector<ACCEL> Keys();
    void RunUpdate();
    void ShowHelp();

    // Starts with a command line and a folder for the link (each may be empty).
    void StartWith(const std::wstring& commandLine, const std::wstring& folder);
    // Starts editing the link at path, read as link; commandLine is its target with its arguments.
    void EditLink(const std::wstring& path, const std::wstring& commandLine, const LinkData& link);
    void DropFiles(const std::vector<std::wstring>& paths);

    const LinkDraft& Draft() const { return draft_; }
    Page CurrentPage() const { return page_; }
    void ShowPage(Page page);
    std::wstring Caption() const;
    HFONT Font() const override;
    UINT Dpi() const override { return dpi_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:

    HWND Owner() const override { return Handle(); }
    Hints& PageHints() override { return hints_; }
    void Lay(HWND control, int anchors) override;
    int S(int designSize) const { return Scale(designSize, dpi_); }
    WizardPage& PageAt(Page page) const { return *pages_[static_cast<size_t>(page)]; }

    void CreateControls();
    void CreateButtons(int width, int height);
    void BuildPages();
    // A few controls at a time, so that a wizard building its pages while idle answers at once.
    void BuildNextPart();
    void ApplyFonts();
    void LoadPictures();
    void DpiChanged(UINT dpi, const RECT* suggested);
    void Resize();
    void SaveOnClose();

    void GoNext();
    void GoBack();
    // Shows the page; entering runs its Enter step first (Next, not Back).
    void ShowPage(Page page, bool entering);
    // Writes the link the draft describes; the closing page follows a written one.
    void Finish();
    void StartNewLink();
    void TargetChanged();
    void LinkDropped(const std::wstring& path, const LinkData& link);
    // What the link gets without settings of the user's own: the target's folder to start in, or
    // what the edited link holds.
    LinkSettings ProposedSettings() const;
    PageTarget PageTargetOfDraft() const { return {draft_.targetIsFolder, draft_.targetIsWebAddress}; }

    WizardSystem system_;
    HistoryFolders dataFolders_;
    Histories histories_;
    OpenDialog openDialog_;
    LinkDraft draft_;
    WizardStage stage_ = WizardStage::Nothing;
    std::unique_ptr<LinkData> editedFields_;  // as read when the edit started

    std::unique_ptr<TargetPage> target_;
    std::unique_ptr<LocationPage> location_;
    std::unique_ptr<DescriptionPage> description_;
    std::unique_ptr<IconPage> icon_;
    std::unique_ptr<KindPage> kind_;
    std::unique_ptr<ClosingPage> closing_;
    std::vector<WizardPage*> pages_;
    Page page_ = Target;
    int pagesBuilt_ = 0;
    int pagePartsBuilt_ = 0;          // of the page being built
    HWND lastPageControl_ = nullptr;  // the pages' controls come before the buttons
    PageArea pageArea_{};

    Label sidePicture_;
    std::unique_ptr<AnimationControl> animation_;
    Button back_, next_, cancel_, deleteEdited_;
    BitmapHandle sideBitmap_;
    AnchorLayout layout_;
    Hints hints_;
    HFONT font_ = nullptr;
    UINT dpi_ = kDesignDpi;
    bool closed_ = false;
};
