#include "wizard/wizard_form.h"

#include <shellapi.h>

#include <utility>

#include "app/resource_ids.h"
#include "controls/directory_view.h"
#include "controls/dz_image.h"
#include "controls/file_label.h"
#include "controls/win_ani.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/window.h"
#include "platform/startup_trace.h"
#include "wizard/control_ids.h"
#include "links/link_store.h"
#include "wizard/settings.h"

namespace {
constexpr int kWidth = 516, kHeight = 376, kMinWidth = 470, kMinHeight = 376;
constexpr UINT kInfoCommand = 0xF200;
constexpr int kPageLeft = 136, kPageTop = 8;
constexpr int kActionUpdate = 0x7F55;
constexpr UINT_PTR kBuildPagesTimer = 1;

// The help topic of a page; the closing page has none.
const wchar_t* HelpTopic(TForm1::Page page) {
    switch (page) {
        case TForm1::ExistsFilePage: return L"CreateLink";
        case TForm1::LinkFilePage: return L"LinkLocation";
        case TForm1::DescriptionPage: return L"LinkDescription";
        case TForm1::IconFilePage: return L"LinkIcon";
        case TForm1::KindOfLinkPage: return L"KindOfLink";
        case TForm1::NewLinkPage: break;
    }
    return nullptr;
}

TForm1::Page PageBefore(TForm1::Page page) { return static_cast<TForm1::Page>(static_cast<int>(page) - 1); }
}  // namespace

TForm1::TForm1(std::wstring dataFolder, std::wstring userDataFolder, WizardSystem system)
    : system_(system),
      dataFolders_{dataFolder.empty() ? ProgramFolder() : std::move(dataFolder),
                   userDataFolder.empty() ? UserHistoryFolder() : std::move(userDataFolder)} {
    dpi_ = SystemDpi();
    const int x = (GetSystemMetrics(SM_CXSCREEN) - S(kWidth)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - S(kHeight)) / 2;
    CreateWindowObject(L"TForm1", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
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
    CreateControls();

    // What the form does when it is created: the "&Info" entry and the drop target.
    AppendMenuW(GetSystemMenu(Handle(), FALSE), MF_STRING, kInfoCommand, L"&Info");
    DragAcceptFiles(Handle(), TRUE);
    NoteStartupPhase("form built");
}

TForm1::~TForm1() {
    if (Handle()) FormDestroy();
}

void TForm1::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    RECT bounds;
    GetWindowRect(Handle(), &bounds);
    if (IsZoomed(Handle()) || IsIconic(Handle())) {
        WINDOWPLACEMENT placement{sizeof placement};
        GetWindowPlacement(Handle(), &placement);
        bounds = placement.rcNormalPosition;
    }
    // Kept in design units, so that a window restored on a screen of another scale keeps its look.
    const Settings settings{Unscale(bounds.right - bounds.left, dpi_), Unscale(bounds.bottom - bounds.top, dpi_),
                            ODialog.FilterIndex};
    const std::wstring settingsProblem = SaveSettings(settings, ProgramFolder(), HKEY_CURRENT_USER, SettingsKey);
    draft_ = {};
    // A page never built has not changed its history.
    histories_[HistoryKind::Files] = ExistingFile.Items();
    if (LinkFile.Handle()) histories_[HistoryKind::Directories] = LinkFile.Items();
    if (IconFile.Handle()) histories_[HistoryKind::IconFiles] = IconFile.Items();
    const std::wstring historyProblem = SaveHistories(dataFolders_, histories_);
    ReportSaveProblems(nullptr, historyProblem, settingsProblem);
}

void TForm1::Action_UpdateExecute() {
    if (!OnUpdateAction || !OnUpdateAction()) return;
    // Only-update mode: the program ends without the form's end-of-run saving.
    destroyed_ = true;
    PostQuitMessage(0);
}

std::vector<ACCEL> TForm1::Keys() {
    return {{FVIRTKEY, VK_F1, IdHelp}, {FVIRTKEY | FCONTROL, 'U', kActionUpdate}};
}

void TForm1::Show(int showCommand) {
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
    ExistingFile.SetFocus();
}

void TForm1::AddToPage(Page page, HWND control, int anchors) {
    PageControls(page).push_back(control);
    layout_.Add(control, anchors);
}

void TForm1::CreateControls() {
    pages_.assign(6, {});
    // Controls are made at their design sizes in the design client area; the layout then
    // scales them to the window's DPI.
    RECT client;
    GetClientRect(Handle(), &client);
    const int W = Unscale(client.right, dpi_), H = Unscale(client.bottom, dpi_);
    layout_.SetBase(W, H);
    pageWidth_ = W - kPageLeft - 8;
    pageHeight_ = H - 56 - kPageTop;
    const HWND form = Handle();
    hints_.Create(form);

    Image1.Create(form, L"", 8, 8, 120, 228, SS_BITMAP | SS_CENTERIMAGE);
    layout_.Add(Image1.Handle(), AnchorLayout::TopLeft);
    CreateTargetPage(kPageLeft, kPageTop, pageWidth_);
    SetFirstFocus(ExistingFile.Handle());
    SetDefaultId(IdNext);
    pagesBuilt_ = 1;
    lastPageControl_ = GetWindow(GetWindow(form, GW_CHILD), GW_HWNDLAST);

    Bevel1.Create(form, L"", 8, H - 48, W - 16, 2, SS_ETCHEDHORZ);
    layout_.Add(Bevel1.Handle(), AnchorLayout::LeftRightBottom);
    WinAni1 = std::make_unique<TWinAni>(form, 8, H - 42);
    WinAni1->SetInterval(20);
    layout_.Add(WinAni1->Handle(), AnchorLayout::BottomLeft);

    // Every caption fits its control in the form's font: "Fertig stellen" needs a wider Next
    // than the other two, and the check box's caption needs its full width.
    const int by = H - 34, cancelX = W - 8 - 75, nextX = cancelX - 8 - 84, backX = nextX - 75;
    {
        const HiddenChildren hidden;  // shown when a link is edited
        DelCurLink.Create(form, L"Aktuelle Verknüpfung löschen", backX - 12 - 190, by + 3, 190, 17, IdDelCurLink,
                          BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT);
    }
    DelCurLink.SetChecked(true);
    Back.Create(form, L"< &Zurück", backX, by, 75, 23, IdBack);
    Next.Create(form, L"&Weiter >", nextX, by, 84, 23, IdNext, BS_DEFPUSHBUTTON);
    Cancel.Create(form, L"Abbrechen", cancelX, by, 75, 23, IdCancel);
    Back.SetEnabled(false);
    Next.SetEnabled(false);
    for (HWND h : {DelCurLink.Handle(), Back.Handle(), Next.Handle(), Cancel.Handle()})
        layout_.Add(h, AnchorLayout::BottomRight);

    ApplyFonts();
    LoadPictures();
    layout_.Apply(client.right, client.bottom, dpi_);
    if (BuildPagesWhenIdle)
        SetTimer(Handle(), kBuildPagesTimer, USER_TIMER_MINIMUM, nullptr);
    else
        BuildPages();
}

void TForm1::BuildPages() {
    while (!PagesBuilt()) BuildNextPart();
}

// A few controls at a time, so that a form building its pages while idle answers within
// milliseconds at any moment.
void TForm1::BuildNextPart() {
    if (PagesBuilt()) return;
    const HWND form = Handle();
    const HWND lastBefore = GetWindow(GetWindow(form, GW_CHILD), GW_HWNDLAST);
    const size_t laidOut = layout_.Count();
    const Page page = static_cast<Page>(pagesBuilt_);
    const int part = pagePartsBuilt_++;
    bool pageDone = true;
    {
        const HiddenChildren hidden;  // shown with their page
        const int x = kPageLeft, y = kPageTop, w = pageWidth_, h = pageHeight_;
        switch (page) {
            case LinkFilePage:
                if (part == 0) CreateLocationTree(x, y, w, h);
                if (part == 1 || part == 2) CreateFolderButtons(x, y, w, h, part == 2);
                if (part == 3) CreateLinkFileField(x, y, w, h);
                pageDone = part == 3;
                break;
            case DescriptionPage: CreateDescriptionPage(x, y, w); break;
            case IconFilePage:
                if (part == 0) CreateIconChoice(x, y, w);
                if (part == 1) CreateIconFileField(x, y, w);
                if (part == 2) CreateIconFileButtons(x, y, w);
                if (part == 3) CreateIconPreview(x, y, w);
                pageDone = part == 3;
                break;
            case KindOfLinkPage: CreateKindPage(x, y, w); break;
            case NewLinkPage: CreateNewLinkPage(x, y, w); break;
            default: break;
        }
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
    if (!pageDone) return;
    pagesBuilt_ = static_cast<int>(page) + 1;
    pagePartsBuilt_ = 0;
    if (page == IconFilePage) Label7.SetFont(FontVariant(font, FW_BOLD, false));
    AttachPagePictures();
    if (page == IconFilePage) FormResize();
}

HFONT TForm1::Font() const { return font_ ? font_ : DialogFontForDpi(dpi_); }

void TForm1::ApplyFonts() {
    const HFONT regular = Font();
    SetChildrenFont(Handle(), regular);
    Label7.SetFont(FontVariant(regular, FW_BOLD, false));
    if (iconLabelHot_) IconLabel.SetFont(FontVariant(regular, FW_NORMAL, true));
}

void TForm1::LoadPictures() {
    sidePicture_.Reset(LoadPictureAtSize(nullptr, IDB_SIDE_PICTURE, IDB_SIDE_PICTURE_2X, S(120), S(228)));
    SendMessageW(Image1.Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(sidePicture_.Get()));
    const int large = LargeIconSize(dpi_);
    questionIcon_.Reset(static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_QUESTION), IMAGE_ICON, large, large, 0)));
    LoadButtonPictures();
    AttachPagePictures();
    if (!buttonIcons_.empty()) {
        buttonIcons_.clear();
        LoadFolderButtonIcons();
    }
    WinAni1->SetScale(dpi_);
}

void TForm1::AttachPagePictures() {
    if (QuestionPicture.Handle())
        SendMessageW(QuestionPicture.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(questionIcon_.Get()), 0);
    if (Up.Handle()) Up.SetIcon(upIcon_.Get());
    if (ChoseIcon.Handle()) ChoseIcon.SetIcon(chooseIcon_.Get());
}

void TForm1::DpiChanged(UINT dpi, const RECT* suggested) {
    if (dpi == 0) return;
    const HFONT old = Font();
    const UINT oldDpi = dpi_;
    dpi_ = dpi;
    font_ = FontForDpi(old, oldDpi, dpi_);
    ApplyFonts();
    LoadPictures();
    if (Dir) Dir->DpiChanged(dpi_);
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(Handle(), &client);
    layout_.Apply(client.right, client.bottom, dpi_);
    FormResize();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TForm1::CreateTargetPage(int x, int y, int w) {
    const HWND form = Handle();
    Label1.Create(form,
                  L"Geben Sie den Pfad und den Namen des Objekts ein, für das die Verknüpfung erstellt werden "
                  L"soll, oder suchen Sie es über die Schaltfläche \"Datei suchen\" oder \"Ordner suchen\".",
                  x, y, w, 56);
    Label2.Create(form, L"&Befehlszeile:", x, y + 66, w, 14);
    ExistingFile.Create(form, x, y + 82, w, 200, IdExistingFile);
    Button1.Create(form, L"&Datei suchen...", x + w - 2 * 110 - 6, y + 112, 110, 23, IdButton1);
    Button4.Create(form, L"&Ordner suchen...", x + w - 110, y + 112, 110, 23, IdButton4);
    AddToPage(ExistsFilePage, Label1.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(ExistsFilePage, Label2.Handle(), AnchorLayout::TopLeft);
    AddToPage(ExistsFilePage, ExistingFile.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(ExistsFilePage, Button1.Handle(), AnchorLayout::TopRight);
    AddToPage(ExistsFilePage, Button4.Handle(), AnchorLayout::TopRight);
    HookComboKeys(ExistingFile, existingFileKeys_);
    ExistingFile.SetItems(histories_[HistoryKind::Files]);
    ODialog.Filter = L"Programme|*.exe|Alle Dateien|*";
}

void TForm1::CreateDescriptionPage(int x, int y, int w) {
    const HWND form = Handle();
    Label5.Create(form, L"Geben &Sie die Beschreibung der Verknüpfung an:", x, y, w, 14);
    Description.Create(form, L"", x, y + 18, w, 21, IdDescription);
    AddToPage(DescriptionPage, Label5.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(DescriptionPage, Description.Handle(), AnchorLayout::TopLeftRight);
}

void TForm1::CreateKindPage(int x, int y, int w) {
    const HWND form = Handle();
    Label8.Create(form,
                  L"Ordnerverknüpfungen werden vom Explorer anders als Dateiverknüpfungen wie Ordner behandelt, "
                  L"weswegen in Menüs (z.B. Startmenü) auch deren Inhalt eingeblendet werden kann. Welche Art "
                  L"von Verknüpfung soll erstellt werden?",
                  x, y, w, 56);
    KindOfLinkGroup.Create(form, L"Art der Verknüpfung", x, y + 64, w, 72, -1, BS_GROUPBOX);
    SetWindowLongW(KindOfLinkGroup.Handle(), GWL_STYLE,
                   GetWindowLongW(KindOfLinkGroup.Handle(), GWL_STYLE) & ~WS_TABSTOP);
    KindFolderLink.Create(form, L"Ordnerverknüpfung", x + 12, y + 84, w - 24, 18, IdKindFolder,
                          BS_AUTORADIOBUTTON | WS_GROUP);
    KindFileLink.Create(form, L"Dateiverknüpfung", x + 12, y + 106, w - 24, 18, IdKindFile, BS_AUTORADIOBUTTON);
    KindFileLink.SetChecked(true);
    AddToPage(KindOfLinkPage, Label8.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(KindOfLinkPage, KindOfLinkGroup.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(KindOfLinkPage, KindFolderLink.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(KindOfLinkPage, KindFileLink.Handle(), AnchorLayout::TopLeftRight);
}

void TForm1::CreateNewLinkPage(int x, int y, int w) {
    const HWND form = Handle();
    QuestionPicture.Create(form, L"", x, y, 32, 32, SS_ICON);
    Label9.Create(form, L"Die Verknüpfung wurde erstellt. Möchten Sie eine weitere Verknüpfung erstellen?", x + 44,
                  y + 4, w - 44, 44);
    AddToPage(NewLinkPage, QuestionPicture.Handle(), AnchorLayout::TopLeft);
    AddToPage(NewLinkPage, Label9.Handle(), AnchorLayout::TopLeftRight);
}

void TForm1::SetFileTypes(int filterIndex) { ODialog.FilterIndex = filterIndex; }

TForm1::LinkKind TForm1::KindOfLink() const { return KindFolderLink.Checked() ? LinkKind::FolderLink : LinkKind::FileLink; }

void TForm1::SetKindOfLink(LinkKind kind) {
    KindFolderLink.SetChecked(kind == LinkKind::FolderLink);
    KindFileLink.SetChecked(kind == LinkKind::FileLink);
}

void TForm1::ShowPage(Page page) {
    if (page != ExistsFilePage) BuildPages();
    page_ = page;
    for (size_t p = 0; p < pages_.size(); ++p)
        for (HWND h : pages_[p]) ShowWindow(h, p == static_cast<size_t>(page) ? SW_SHOWNA : SW_HIDE);
    if (page == IconFilePage) FormResize();
    if (page == LinkFilePage) LoadFolderButtonIcons();
    // Whatever had the focus may have gone with the old page: the new one starts at its control.
    SetFocus(PageStart(page));
}

HWND TForm1::PageStart(Page page) const {
    switch (page) {
        case ExistsFilePage: return ExistingFile.Handle();
        case LinkFilePage: return LinkFile.Handle();
        case DescriptionPage: return Description.Handle();
        case IconFilePage: return (IFile.Checked() ? IFile : Standard).Handle();
        case KindOfLinkPage: return (KindFolderLink.Checked() ? KindFolderLink : KindFileLink).Handle();
        case NewLinkPage: return Next.Handle();
    }
    return nullptr;
}

std::wstring TForm1::Caption() const {
    wchar_t text[256] = {};
    GetWindowTextW(Handle(), text, 256);
    return text;
}

void TForm1::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

void TForm1::HookComboKeys(ComboBox& combo, ControlHook& hook) {
    hook.Attach(combo.EditHandle(), [this, &combo](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_KEYDOWN) ComboBoxKeyDown(combo, wParam, GetKeyState(VK_SHIFT) < 0);
        // Only a typed character completes; Backspace and Delete must be able to shorten the text.
        if (message == WM_CHAR) completeTyping_ = wParam >= L' ';
        return false;
    });
}

void TForm1::ComboNotification(ComboBox& combo, int code, const std::function<void()>& change) {
    if (code == CBN_SELENDOK) {
        combo.SetText(combo.Item(combo.ItemIndex()));
        change();
    } else if (code == CBN_EDITCHANGE && !combo.SettingText()) {
        change();
        if (std::exchange(completeTyping_, false) && combo.CompleteFromItems()) change();
    }
}

// --- navigation --------------------------------------------------------------------------

void TForm1::NextClick() {
    switch (page_) {
        case ExistsFilePage:
            if (CheckTarget()) SwitchToLocationPage();
            break;
        case LinkFilePage:
            if (CheckLocation()) {
                ShowPage(DescriptionPage);
                SetCaption(L"Beschreibung angeben");
                if (WizardStage == Stage::FolderChosen) WizardStage = Stage::LocationAccepted;
            }
            break;
        case DescriptionPage:
            draft_.description = Description.Text();
            EnterIconPage();
            ShowPage(IconFilePage);
            SetCaption(L"Symboldatei angeben");
            break;
        case IconFilePage:
            if (!LeaveIconPage()) break;
            if (WizardStage == Stage::IconPagePrepared) WizardStage = Stage::IconPageAccepted;
            if (draft_.targetIsFolder) {
                Next.SetText(L"Fertig stellen");
                SetCaption(L"Art der Verknüpfung angeben");
                SetKindOfLink(LinkKind::FolderLink);
                ShowPage(KindOfLinkPage);
                break;
            }
            // Only a folder has a choice of kinds: the file link is written at once, and the
            // icon page stays when it is not.
            draft_.kind = LinkKind::FileLink;
            TakeEditChoice();
            if (CreateTheLink(draft_))
                ShowNewLinkPage();
            else
                SetFocus(PageStart(IconFilePage));
            break;
        case KindOfLinkPage:
            draft_.kind = KindOfLink();
            TakeEditChoice();
            if (CreateTheLink(draft_)) ShowNewLinkPage();
            break;
        case NewLinkPage:
            ResetForNewLink();
            break;
    }
}

void TForm1::TakeEditChoice() {
    draft_.editedLink = EditedLinkPath;
    draft_.replacesEdited = DelCurLink.Visible() && DelCurLink.Checked();
}

void TForm1::ResetForNewLink() {
    draft_ = {};
    DelCurLink.SetVisible(false);
    EditedLinkPath.clear();
    Next.SetText(L"&Weiter >");
    Cancel.SetText(L"Abbrechen");
    Back.SetVisible(true);
    Back.SetEnabled(false);
    SetCaption(L"Verknüpfung erstellen");
    WizardStage = Stage::Nothing;
    ExistingFile.SetText(L"");
    ExistingFileChange();
    ShowPage(ExistsFilePage);
    Description.SetText(L"");
    Standard.SetChecked(true);
    IFile.SetChecked(false);
    IconFile.SetEnabled(false);
    IconFile.SetText(L"");
    StandardClick(&IconFile);
    ChoseIcon.SetEnabled(false);
    Button3.SetEnabled(false);
    WinIconsFile.SetEnabled(false);
    SetKindOfLink(LinkKind::FileLink);
    ExistingFile.SetFocus();
}

void TForm1::StartWith(const std::wstring& commandLine, const std::wstring& folder) {
    BuildPages();
    if (!commandLine.empty()) {
        ExistingFile.SetText(commandLine);
        ExistingFileChange();
    }
    if (!folder.empty()) {
        WizardStage = Stage::FolderChosen;
        Dir->SelectDirectory(folder);
    }
}

void TForm1::EditLink(const std::wstring& path, const std::wstring& commandLine, const LinkData& link) {
    BuildPages();
    EditedLinkPath = path;
    DelCurLink.SetVisible(true);
    ExistingFile.SetText(commandLine);
    ExistingFileChange();
    LinkFile.SetText(path);
    LinkFileChange();
    Description.SetText(link.description);
    IconFile.SetText(link.iconFile);
    IconFileChange();
    SelectedIconIndex = link.iconIndex;
    if (link.iconFile.empty()) {
        // The icon page takes the target's own icon when it is entered.
        WizardStage = Stage::LocationAccepted;
        return;
    }
    WizardStage = Stage::IconPagePrepared;
    Standard.SetChecked(false);
    IFile.SetChecked(true);
    StandardClick(&IFile);
}

void TForm1::BackClick() {
    // From here on the link being edited stays as it is, and the box no longer offers to delete it.
    EditedLinkPath.clear();
    DelCurLink.SetVisible(false);
    if (page_ == ExistsFilePage || page_ == NewLinkPage) return;
    ShowPage(PageBefore(page_));
    switch (page_) {
        case ExistsFilePage:
            Back.SetEnabled(false);
            SetCaption(L"Verknüpfung erstellen");
            break;
        case LinkFilePage:
            SetCaption(L"Verknüpfungsdatei angeben");
            break;
        case DescriptionPage:
            Next.SetText(L"&Weiter >");
            SetCaption(L"Beschreibung angeben");
            break;
        case IconFilePage:
            Next.SetText(L"&Weiter >");
            SetCaption(L"Symboldatei angeben");
            break;
        default: break;
    }
}

void TForm1::CancelClick() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TForm1::HelpExecute() {
    const wchar_t* topic = HelpTopic(page_);
    if (!topic || !OnHelp) return;
    OnHelp(topic);
}

void TForm1::DropFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) return;
    BuildPages();
    switch (page_) {
        case ExistsFilePage: DropOnTargetPage(paths[0]); break;
        case LinkFilePage: DropOnLocationPage(paths[0]); break;
        case IconFilePage: DropOnIconPage(paths[0]); break;
        default: break;
    }
}

void TForm1::UpdateHistory(ComboBox& combo, const std::function<void(HistoryList&)>& update) {
    // The history lives in the combo box; the text shown is kept, as moving an entry may change it.
    const std::wstring shown = combo.Text();
    HistoryList items = combo.Items();
    update(items);
    combo.SetItems(items);
    combo.SetText(shown);
}

// --- messages ----------------------------------------------------------------------------

void TForm1::OnCommand(int id, int code, HWND) {
    switch (id) {
        case IdNext:
        case IDOK:
            if (code == BN_CLICKED && Next.Enabled() && Next.Visible()) NextClick();
            break;
        case IdBack:
            if (code == BN_CLICKED && Back.Enabled() && Back.Visible()) BackClick();
            break;
        case IdCancel:
        case IDCANCEL:
            if (code == BN_CLICKED) CancelClick();
            break;
        case IdHelp: HelpExecute(); break;
        case kActionUpdate: Action_UpdateExecute(); break;
        case IdExistingFile:
            ComboNotification(ExistingFile, code, [this] { ExistingFileChange(); });
            break;
        case IdButton1: Button1Click(); break;
        case IdButton4: Button4Click(); break;
        case IdDesktop: DesktopClick(); break;
        case IdStartmenu: StartmenuClick(); break;
        case IdPrograms: ProgramsClick(); break;
        case IdSendTo: SendToClick(); break;
        case IdQuickLaunch: QuickLaunchClick(); break;
        case IdAutorun: AutorunClick(); break;
        case IdUp: UpClick(); break;
        case IdLinkFile:
            if (code == CBN_DROPDOWN) LinkFileDropDown();
            ComboNotification(LinkFile, code, [this] { LinkFileChange(); });
            break;
        case IdStandard:
        case IdIFile:
            if (code == BN_CLICKED) StandardClick(id == IdStandard ? &Standard : &IFile);
            break;
        case IdIconFile:
            ComboNotification(IconFile, code, [this] { StandardClick(&IconFile); });
            break;
        case IdChoseIcon: ChoseIconClick(); break;
        case IdButton3: Button3Click(); break;
        case IdWinIconsFile: WinIconsFileClick(); break;
        case IdIconLabel:
            if (code == STN_CLICKED) IconClick();
            break;
        default: break;
    }
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                layout_.Apply(LOWORD(lParam), HIWORD(lParam), dpi_);
                FormResize();
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
            if ((wParam & 0xFFF0) == kInfoCommand && OnAbout) OnAbout();
            return result;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == IconLabel.Handle()) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, iconLabelHot_ ? RGB(0, 0, 255) : GetSysColor(COLOR_WINDOWTEXT));
                SetBkMode(dc, TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == IconLabel.Handle()) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_TIMER:
            if (wParam != kBuildPagesTimer) break;
            BuildNextPart();
            if (PagesBuilt()) KillTimer(Handle(), kBuildPagesTimer);
            return 0;
        case WM_CLOSE:
            DestroyWindow(Handle());
            return 0;
        case WM_DESTROY:
            FormDestroy();
            PostQuitMessage(0);
            return 0;
    }
    return DialogWindow::HandleMessage(message, wParam, lParam);
}
