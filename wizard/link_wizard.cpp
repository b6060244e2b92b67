#include "wizard/link_wizard.h"

#include <shellapi.h>

#include <utility>

#include "platform/resource_ids.h"
#include "controls/animation_control.h"
#include "dialogs/icon_chooser.h"
#include "links/internet_shortcut.h"
#include "links/link_store.h"
#include "links/link_writing.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/startup_trace.h"
#include "wizard/icon_page.h"
#include "wizard/link_writing_boxes.h"
#include "wizard/location_page.h"
#include "wizard/page_flow.h"
#include "wizard/description_page.h"
#include "wizard/kind_and_closing_pages.h"
#include "wizard/target_page.h"

namespace {
constexpr int kWidth = 516, kHeight = 376, kMinWidth = 470, kMinHeight = 376;
constexpr int kPageLeft = 136, kPageTop = 8;
constexpr UINT kInfoCommand = 0xF200;
// Next is the button Enter presses; the others are keys of the message loop.
constexpr int kNextId = 100, kHelpCommand = 104, kUpdateCommand = 0x7F55;
constexpr UINT_PTR kBuildPagesTimer = 1;
}  // namespace

LinkWizard::LinkWizard(std::wstring dataFolder, std::wstring userDataFolder, WizardSystem system)
    : system_(system),
      dataFolders_{dataFolder.empty() ? ProgramFolder() : std::move(dataFolder),
                   userDataFolder.empty() ? UserHistoryFolder() : std::move(userDataFolder)} {
    dpi_ = SystemDpi();
    const int x = (GetSystemMetrics(SM_CXSCREEN) - S(kWidth)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - S(kHeight)) / 2;
    CreateWindowObject(L"ZeigerwerkWizard", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       L"Verknüpfung erstellen", x, y, S(kWidth), S(kHeight), nullptr, nullptr,
                       LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
    // A window that opened on a screen of another scale is sized for that screen.
    if (const UINT windowDpi = WindowDpi(Handle()); windowDpi != dpi_) {
        dpi_ = windowDpi;
        SetWindowPos(Handle(), nullptr, 0, 0, S(kWidth), S(kHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    NoteStartupPhase("window");
    histories_ = LoadHistories(dataFolders_);
    NoteStartupPhase("histories");

    PageHost& host = *this;
    target_ = std::make_unique<TargetPage>(host, draft_, system_, openDialog_, histories_[HistoryKind::Files]);
    location_ = std::make_unique<LocationPage>(host, draft_, stage_, histories_[HistoryKind::Directories]);
    description_ = std::make_unique<DescriptionPage>(host, draft_);
    icon_ = std::make_unique<IconPage>(host, draft_, stage_, system_, openDialog_, histories_[HistoryKind::IconFiles]);
    kind_ = std::make_unique<KindPage>(host, draft_);
    closing_ = std::make_unique<ClosingPage>(host);
    pages_ = {target_.get(), location_.get(), description_.get(), icon_.get(), kind_.get(), closing_.get()};
    target_->OnTargetChanged = [this] { TargetChanged(); };
    description_->ProposedSettings = [this] { return ProposedSettings(); };
    icon_->OnEditSettings = [this] { description_->EditSettings(); };
    target_->OnLinkDropped = [this](const std::wstring& path, const LinkData& link) { LinkDropped(path, link); };
    icon_->OnChooseIcon = [this](const std::wstring& file, int& index) {
        if (Connections.iconChooser) Connections.iconChooser->ShowModal(Handle(), file, index);
    };
    description_->OnHelp = [this](const std::wstring& topic) {
        if (Connections.help) Connections.help(topic);
    };
    CreateControls();

    // The "&Info" entry of the system menu, and files dropped on the window.
    AppendMenuW(GetSystemMenu(Handle(), FALSE), MF_STRING, kInfoCommand, L"&Info");
    DragAcceptFiles(Handle(), TRUE);
    NoteStartupPhase("form built");
}

LinkWizard::~LinkWizard() {
    if (Handle()) SaveOnClose();
    // The pages go one by one; what their controls still send the window reaches none of them.
    pages_.clear();
}

void LinkWizard::SaveOnClose() {
    if (std::exchange(closed_, true)) return;
    RECT bounds;
    GetWindowRect(Handle(), &bounds);
    if (IsZoomed(Handle()) || IsIconic(Handle())) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(Handle(), &placement);
        bounds = placement.rcNormalPosition;
    }
    // Kept in design units, so that a window restored on a screen of another scale keeps its look.
    const Settings settings{Unscale(bounds.right - bounds.left, dpi_), Unscale(bounds.bottom - bounds.top, dpi_),
                            openDialog_.FilterIndex};
    const std::wstring settingsProblem = SaveSettings(settings, ProgramFolder(), HKEY_CURRENT_USER, SettingsKey);
    draft_ = {};
    // A page never built has not changed its history.
    histories_[HistoryKind::Files] = target_->History();
    if (auto history = location_->History()) histories_[HistoryKind::Directories] = *history;
    if (auto history = icon_->History()) histories_[HistoryKind::IconFiles] = *history;
    const std::wstring historyProblem = SaveHistories(dataFolders_, histories_);
    ReportSaveProblems(nullptr, historyProblem, settingsProblem);
}

void LinkWizard::RunUpdate() {
    if (!Connections.update || !Connections.update()) return;
    // Only-update mode: the program ends without the wizard's end-of-run saving.
    closed_ = true;
    PostQuitMessage(0);
}

std::vector<ACCEL> LinkWizard::Keys() {
    return {{FVIRTKEY, VK_F1, kHelpCommand}, {FVIRTKEY | FCONTROL, 'U', kUpdateCommand}};
}

void LinkWizard::Show(int showCommand) {
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
    SetFocus(target_->FirstControl());
}

void LinkWizard::SetFileTypes(int filterIndex) { openDialog_.FilterIndex = filterIndex; }

void LinkWizard::Lay(HWND control, int anchors) { layout_.Add(control, anchors); }

void LinkWizard::CreateControls() {
    // Controls are made at their design sizes in the design client area; the layout then
    // scales them to the window's DPI.
    RECT client;
    GetClientRect(Handle(), &client);
    const int width = Unscale(client.right, dpi_), height = Unscale(client.bottom, dpi_);
    layout_.SetBase(width, height);
    pageArea_ = {kPageLeft, kPageTop, width - kPageLeft - 8, height - 56 - kPageTop};
    hints_.Create(Handle());

    sidePicture_.Create(Handle(), L"", 8, 8, 120, 228, SS_BITMAP | SS_CENTERIMAGE);
    layout_.Add(sidePicture_.Handle(), AnchorLayout::TopLeft);
    target_->BuildPart(0, pageArea_);
    SetFirstFocus(target_->FirstControl());
    SetDefaultId(kNextId);
    pagesBuilt_ = 1;
    lastPageControl_ = GetWindow(GetWindow(Handle(), GW_CHILD), GW_HWNDLAST);
    CreateButtons(width, height);

    ApplyFonts();
    LoadPictures();
    layout_.Apply(client.right, client.bottom, dpi_);
    if (BuildPagesWhenIdle)
        SetTimer(Handle(), kBuildPagesTimer, USER_TIMER_MINIMUM, nullptr);
    else
        BuildPages();
}

void LinkWizard::CreateButtons(int width, int height) {
    const HWND form = Handle();
    Label bevel;
    bevel.Create(form, L"", 8, height - 48, width - 16, 2, SS_ETCHEDHORZ);
    layout_.Add(bevel.Handle(), AnchorLayout::LeftRightBottom);
    animation_ = std::make_unique<AnimationControl>(form, 8, height - 42);
    animation_->SetInterval(20);
    layout_.Add(animation_->Handle(), AnchorLayout::BottomLeft);

    // Every caption fits its control in the form's font: "Fertig stellen" needs a wider Next
    // than the other two, and the check box's caption needs its full width.
    const int by = height - 34, cancelX = width - 8 - 75, nextX = cancelX - 8 - 84, backX = nextX - 75;
    {
        const HiddenChildren hidden;  // shown when a link is edited
        deleteEdited_.Create(form, L"Aktuelle Verknüpfung löschen", backX - 12 - 190, by + 3, 190, 17, -1,
                             BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT);
    }
    deleteEdited_.SetChecked(true);
    back_.Create(form, L"< &Zurück", backX, by, 75, 23, -1);
    next_.Create(form, L"&Weiter >", nextX, by, 84, 23, kNextId, BS_DEFPUSHBUTTON);
    cancel_.Create(form, L"Abbrechen", cancelX, by, 75, 23, -1);
    back_.SetEnabled(false);
    next_.SetEnabled(false);
    back_.OnClick = [this] { GoBack(); };
    next_.OnClick = [this] { GoNext(); };
    cancel_.OnClick = [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); };
    for (HWND h : {deleteEdited_.Handle(), back_.Handle(), next_.Handle(), cancel_.Handle()})
        layout_.Add(h, AnchorLayout::BottomRight);
}

void LinkWizard::BuildPages() {
    while (!PagesBuilt()) BuildNextPart();
}

void LinkWizard::BuildNextPart() {
    if (PagesBuilt()) return;
    const HWND form = Handle();
    const HWND lastBefore = GetWindow(GetWindow(form, GW_CHILD), GW_HWNDLAST);
    const size_t laidOut = layout_.Count();
    WizardPage& page = *pages_[static_cast<size_t>(pagesBuilt_)];
    {
        const HiddenChildren hidden;  // shown with their page
        page.BuildPart(pagePartsBuilt_++, pageArea_);
    }
    // The new controls follow the pages' controls made before them in the tab order, ahead of
    // the buttons.
    HWND insertAfter = lastPageControl_;
    std::vector<HWND> made;
    for (HWND h = GetWindow(lastBefore, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) made.push_back(h);
    const HFONT font = Font();
    for (HWND h : made) {
        SetWindowPos(h, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        insertAfter = lastPageControl_ = h;
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    RECT client;
    GetClientRect(form, &client);
    layout_.Apply(client.right, client.bottom, dpi_, laidOut);
    if (pagePartsBuilt_ < page.Parts()) return;
    ++pagesBuilt_;
    pagePartsBuilt_ = 0;
    page.FontChanged(font);
    page.LoadPictures(dpi_);
    page.Resize();
}

HFONT LinkWizard::Font() const { return font_ ? font_ : DialogFontForDpi(dpi_); }

void LinkWizard::ApplyFonts() {
    const HFONT regular = Font();
    SetChildrenFont(Handle(), regular);
    for (WizardPage* page : pages_) page->FontChanged(regular);
}

void LinkWizard::LoadPictures() {
    sideBitmap_.Reset(LoadPictureAtSize(nullptr, IDB_SIDE_PICTURE, IDB_SIDE_PICTURE_2X, S(120), S(228)));
    SendMessageW(sidePicture_.Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(sideBitmap_.Get()));
    for (WizardPage* page : pages_) page->LoadPictures(dpi_);
    animation_->SetScale(dpi_);
}

void LinkWizard::Resize() {
    for (WizardPage* page : pages_) page->Resize();
}

void LinkWizard::DpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0) return;
    const HFONT old = Font();
    const UINT oldDpi = dpi_;
    dpi_ = dpi;
    font_ = FontForDpi(old, oldDpi, dpi_);
    ApplyFonts();
    LoadPictures();
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(Handle(), &client);
    layout_.Apply(client.right, client.bottom, dpi_);
    Resize();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

std::wstring LinkWizard::Caption() const {
    wchar_t text[256] = {};
    GetWindowTextW(Handle(), text, 256);
    return text;
}

// --- navigation --------------------------------------------------------------------------

void LinkWizard::ShowPage(Page page) { ShowPage(page, false); }

void LinkWizard::ShowPage(Page page, bool entering) {
    if (page != Target) BuildPages();
    page_ = page;
    for (size_t p = 0; p < pages_.size(); ++p)
        for (HWND h : pages_[p]->Controls()) ShowWindow(h, p == static_cast<size_t>(page) ? SW_SHOWNA : SW_HIDE);
    WizardPage& shown = PageAt(page);
    if (entering) shown.Enter();
    shown.Resize();
    shown.Shown();

    if (const wchar_t* caption = PageCaption(page)) SetWindowTextW(Handle(), caption);
    next_.SetText(NextCaption(page, PageTargetOfDraft()));
    cancel_.SetText(page == Closing ? L"&Nein" : L"Abbrechen");
    back_.SetVisible(page != Closing);
    back_.SetEnabled(page != Target);
    // Whatever had the focus may have gone with the old page: the new one starts at its control.
    const HWND first = shown.FirstControl();
    SetFocus(first ? first : next_.Handle());
}

void LinkWizard::GoNext() {
    if (!next_.Enabled() || !next_.Visible()) return;
    const NextStep step = StepAfter(page_, PageTargetOfDraft());
    if (step == NextStep::StartNewLink) {
        StartNewLink();
        return;
    }
    if (!PageAt(page_).Leave()) return;
    if (step == NextStep::WriteLink) {
        if (page_ == Icon) draft_.kind = draft_.targetIsWebAddress ? LinkKind::InternetShortcut : LinkKind::ShellLink;
        Finish();
        return;
    }
    if (page_ == Location && stage_ == WizardStage::FolderChosen) stage_ = WizardStage::LocationAccepted;
    ShowPage(PageAfter(page_, PageTargetOfDraft()), true);
}

void LinkWizard::Finish() {
    draft_.replacesEdited = deleteEdited_.Visible() && deleteEdited_.Checked();
    LinkWritingBoxes boxes(Handle());
    if (!WriteLinkDraft(draft_, boxes)) {
        // The page stays, and so does the link being edited.
        if (page_ == Icon) SetFocus(icon_->FirstControl());
        return;
    }
    deleteEdited_.SetVisible(false);
    // The tree shows a new folder link, or a link written beside a folder it lists.
    if (draft_.kind == LinkKind::FolderLink || draft_.targetIsFolder) location_->RefreshTree();
    ShowPage(Closing, true);
    QuestionSound();
}

void LinkWizard::GoBack() {
    if (!back_.Enabled() || !back_.Visible()) return;
    // From here on the link being edited stays where it is, and the box no longer offers to delete
    // it; its own settings still serve the link written.
    deleteEdited_.SetVisible(false);
    const Page before = PageBefore(page_, PageTargetOfDraft());
    if (before != page_) ShowPage(before, false);
}

void LinkWizard::StartNewLink() {
    draft_ = {};
    deleteEdited_.SetVisible(false);
    stage_ = WizardStage::Nothing;
    for (WizardPage* page : pages_) page->Reset();
    ShowPage(Target, false);
}

void LinkWizard::TargetChanged() {
    BuildPages();
    next_.SetEnabled(!target_->CommandLine().empty());
    location_->SetLocation(L"");
    if (stage_ > WizardStage::FolderChosen) {
        stage_ = WizardStage::FolderChosen;
        if (draft_.editedLink.empty()) icon_->ForgetIconFile();
    }
}

void LinkWizard::LinkDropped(const std::wstring& path, const LinkData& link) {
    location_->TakeLinkName(path);
    description_->SetDescription(link.description);
    icon_->TakeLinkIcon(link.iconFile, link.iconIndex);
    stage_ = WizardStage::LocationAccepted;
}

void LinkWizard::StartWith(const std::wstring& commandLine, const std::wstring& folder) {
    BuildPages();
    if (!commandLine.empty()) target_->SetCommandLine(commandLine);
    if (!folder.empty()) {
        stage_ = WizardStage::FolderChosen;
        location_->SelectFolder(folder);
    }
}

void LinkWizard::EditLink(const std::wstring& path, const std::wstring& commandLine, const LinkData& link) {
    BuildPages();
    draft_.editedLink = path;
    editedFields_ = std::make_unique<LinkData>(link);
    deleteEdited_.SetVisible(true);
    target_->SetCommandLine(commandLine);
    location_->SetLocation(path);
    description_->SetDescription(link.description);
    icon_->TakeLinkIcon(link.iconFile, link.iconIndex);
    // Without an icon file the icon page takes the target's own icon when it is entered.
    stage_ = link.iconFile.empty() ? WizardStage::LocationAccepted : WizardStage::IconPagePrepared;
}

LinkSettings LinkWizard::ProposedSettings() const {
    LinkDraft draft = draft_;
    draft.settings.reset();
    return SettingsToWrite(draft, draft_.editedLink.empty() ? nullptr : editedFields_.get());
}

void LinkWizard::ShowHelp() {
    if (const wchar_t* topic = PageHelpTopic(page_); topic && Connections.help) Connections.help(topic);
}

void LinkWizard::DropFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    BuildPages();
    PageAt(page_).Drop(paths[0]);
}

// --- messages ----------------------------------------------------------------------------

LRESULT LinkWizard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    for (WizardPage* page : pages_)
        if (LRESULT result = 0; page->Message(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_COMMAND:
            // What is left are the keys: Enter and Escape without a button of theirs, F1, Ctrl+U.
            switch (LOWORD(wParam)) {
                case IDOK: GoNext(); break;
                case IDCANCEL: PostMessageW(Handle(), WM_CLOSE, 0, 0); break;
                case kHelpCommand: ShowHelp(); break;
                case kUpdateCommand: RunUpdate(); break;
                default: break;
            }
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                layout_.Apply(LOWORD(lParam), HIWORD(lParam), dpi_);
                Resize();
                // Moved controls keep no stale pixels: after maximising and restoring, every
                // control paints itself again.
                RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(Font());
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            ApplyFonts();
            return 0;
        case WM_DPICHANGED:
            DpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {S(kMinWidth), S(kMinHeight)};
            return 0;
        }
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            std::vector<std::wstring> paths;
            const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
                paths.push_back(path);
            }
            DragFinish(drop);
            DropFiles(paths);
            return 0;
        }
        case WM_SYSCOMMAND: {
            const LRESULT result = Default(message, wParam, lParam);
            if ((wParam & 0xFFF0) == kInfoCommand && Connections.about) Connections.about();
            return result;
        }
        case WM_TIMER:
            if (wParam != kBuildPagesTimer) break;
            BuildNextPart();
            if (PagesBuilt()) KillTimer(Handle(), kBuildPagesTimer);
            return 0;
        case WM_CLOSE:
            DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            SaveOnClose();
            PostQuitMessage(0);
            return 0;
    }
    return DialogWindow::HandleMessage(message, wParam, lParam);
}
