#include "update/status_form.h"

#include <commctrl.h>

#include <algorithm>

#include "app/resource_ids.h"
#include "controls/win_xp.h"
#include "platform/modal_window.h"
#include "platform/dpi.h"
#include "platform/message_box.h"
#include "update/update_file.h"
#include "update/zip_message_box.h"

namespace {

enum StatusControlId {
    IdNext = 100, IdCancel, IdSettings, IdSettingsCancel, IdSettingsSave, IdCheck, IdCancelDownload, IdRestart,
    IdNoAutoUpdt, IdAutoUpdt, IdSpin, IdSpinButtons, IdStatus, IdNews,
};

constexpr int kStepListWidth = 225;
constexpr int kPagesLeft = 232, kPagesTop = 56, kPagesWidth = 417, kPagesHeight = 249;
constexpr COLORREF kTitleBlue = RGB(49, 106, 197);
constexpr COLORREF kStepListStart = RGB(155, 183, 230);
constexpr int kIconSize = 32;

HFONT MakeFont(const wchar_t* face, int height, int weight, bool italic = false) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

int PointsToHeight(int points, UINT dpi) { return -MulDiv(points, static_cast<int>(dpi), 72); }

// A system icon at the edge length, drawn for that size where the system has one.
HICON SystemIcon(LPCWSTR id, int size) {
    // In the common controls the program loads anyway (version 6 has it).
    using LoadScaled = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    const auto loadScaled = controls ? reinterpret_cast<LoadScaled>(reinterpret_cast<void*>(
                                           GetProcAddress(controls, "LoadIconWithScaleDown")))
                                     : nullptr;
    HICON icon = nullptr;
    if (loadScaled && SUCCEEDED(loadScaled(nullptr, id, size, size, &icon)) && icon) return icon;
    return static_cast<HICON>(CopyImage(LoadIconW(nullptr, id), IMAGE_ICON, size, size, 0));
}

// Texts that come from the server or a file name are shown as they are: "&" is no access key.
constexpr DWORD kPlainText = SS_LEFT | SS_NOPREFIX;

}  // namespace

const wchar_t* const TStatusForm::kTitles[6] = {
    L"Willkommen", L"Auf neue Updates prüfen", L"Ergebnis der Prüfung", L"Download der Updates", L"Installieren",
    L"Abschließen der Installation"};

TStatusForm::TStatusForm()
    : Clock(&SystemUpdateClock()), Connection(&SystemConnectionState()), Launcher(&SystemBatchLauncher()) {
    OnTerminate = [] { PostQuitMessage(0); };
    dpi_ = SystemDpi();
    CreateDialogWindow(L"TStatusForm", L"Updates installieren", S(kClientWidth), S(kClientHeight), nullptr,
                       static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Only the system menu: no size, no minimise or maximise.
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(menu, command, MF_BYCOMMAND);
    WinXP = std::make_unique<TWinXP>(Handle());
    CreateControls();
    dpi_ = WindowDpi(Handle());
    Layout();
    FormCreate();
}

TStatusForm::~TStatusForm() = default;

int TStatusForm::S(int designUnits) const { return Scale(designUnits, dpi_); }

void TStatusForm::FormCreate() {
    transfer_ = {};
}

void TStatusForm::AddToPage(int page, HWND control) {
    pages_[page].push_back(control);
    if (page != page_) ShowWindow(control, SW_HIDE);
}

void TStatusForm::CreateControls() {
    const HWND form = Handle();
    pages_.assign(7, {});

    // Made at their 96-DPI places; Layout() takes these as the design and scales them.
    Panel_Title.Create(form, kTitles[0], kPagesLeft, 8, kPagesWidth, 41, SS_CENTER | SS_CENTERIMAGE);
    const int x = kPagesLeft, y = kPagesTop, w = kPagesWidth;

    Image_Icon1.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    Label2.Create(form,
                  L"In regelmäßigen Abständen sollte im Internet nach Programmverbesserungen und -updates gesucht "
                  L"werden, um möglichen Programmfehlern vorzubeugen.\r\nKlicken Sie auf \"Weiter\", um jetzt nach "
                  L"neuen Updates zu suchen, oder auf \"Abbrechen\", um zu einem anderen Zeitpunkt nach "
                  L"Programmverbesserungen zu suchen.\r\n\r\nKlicken Sie auf \"Einstellungen\", um festzulegen, ob "
                  L"und in welchen Abständen Sie zum Suchen nach Updates aufgefordert werden möchten.",
                  x + 44, y, w - 44, kPagesHeight);
    AddToPage(Bestaetigung1, Image_Icon1.Handle());
    AddToPage(Bestaetigung1, Label2.Handle());

    Label4.Create(form,
                  L"Stellen Sie sicher, dass eine Internetverbindung besteht, und klicken Sie auf \"Jetzt auf neue "
                  L"Updates prüfen\".",
                  x, y, w, 40);
    Button_Check.Create(form, L"Jetzt auf neue Updates prüfen", x, y + 48, 220, 25, IdCheck);
    AddToPage(Pruefen, Label4.Handle());
    AddToPage(Pruefen, Button_Check.Handle());

    Label_CheckResult.Create(form, L"", x, y, w, 60, kPlainText);
    News.Create(form, L"", x, y + 62, w, 130, IdNews,
                ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP);
    Label_CheckResultEnd.Create(form, L"Klicken Sie auf \"Weiter\", um die Updates jetzt herunterzuladen.", x,
                                y + 198, w, 44, kPlainText);
    AddToPage(Bestaetigung2, Label_CheckResult.Handle());
    AddToPage(Bestaetigung2, News.Handle());
    AddToPage(Bestaetigung2, Label_CheckResultEnd.Handle());

    Label_Download.Create(form, L"", x, y, w, 84, kPlainText);
    Status.Create(form, PROGRESS_CLASSW, L"", PBS_SMOOTH, x, y + 90, w, 18, IdStatus);
    SendMessageW(Status.Handle(), PBM_SETRANGE32, 0, 100);
    PerCent.Create(form, L"", x, y + 114, w, 16, SS_CENTER);
    StatusLabel.Create(form, L"", x, y + 136, w, 16);
    TimeLeft.Create(form, L"", x, y + 156, w, 16);
    Icon.Create(form, L"", x, y + 182, kIconSize, kIconSize, SS_ICON);
    CancelDownload.Create(form, L"Download ab&brechen", x + w - 160, y + 188, 160, 25, IdCancelDownload);
    for (HWND h : {Label_Download.Handle(), Status.Handle(), PerCent.Handle(), StatusLabel.Handle(), TimeLeft.Handle(),
                   Icon.Handle(), CancelDownload.Handle()})
        AddToPage(Download, h);

    Image_Icon2.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    Label3.Create(form, L"", x + 44, y, w - 44, 160, kPlainText);
    CheckBox_Restart.Create(form, L"Programm automatisch neu starten", x + 44, y + 168, w - 44, 18, IdRestart,
                            BS_AUTOCHECKBOX);
    CheckBox_Restart.SetChecked(true);
    AddToPage(Einrichten, Image_Icon2.Handle());
    AddToPage(Einrichten, Label3.Handle());
    AddToPage(Einrichten, CheckBox_Restart.Handle());

    Image_Icon3.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    Label5.Create(form,
                  L"Die Installation wurde vorbereitet.\r\nKlicken SIe auf \"Beenden\", um die alten Dateien zu "
                  L"ersetzen. Ein Neustart des Computers ist nicht erforderlich.\r\n\r\nWenn Sie nicht die Option zum "
                  L"automatischen Neustart des Programms aktiviert haben, müssen Sie das Programm nach der "
                  L"Installation manuell neu starten.",
                  x + 44, y, w - 44, 160);
    AddToPage(Bestaetigung3, Image_Icon3.Handle());
    AddToPage(Bestaetigung3, Label5.Handle());

    GroupBox1.Create(form, L"Wie oft wollen Sie zum Suchen nach Updates aufgefordert werden?", x, y, w,
                     kPagesHeight - 8, -1, BS_GROUPBOX);
    RadioButton_NoAutoUpdt.Create(form, L"Niemals automatisch zum Updaten auffordern", x + 12, y + 22, w - 24, 18,
                                  IdNoAutoUpdt, BS_AUTORADIOBUTTON | WS_GROUP);
    Label1.Create(form,
                  L"Wenn Sie diese Option aktivieren, werden Sie nicht automatisch zum Suchen nach neuen Updates "
                  L"aufgefordert. Sie haben dann aber immer noch die Möglichkeit, über die Tastenkombination "
                  L"Strg+U die Suche nach Updates zu starten.",
                  x + 30, y + 42, w - 42, 56);
    RadioButton_AutoUpdt.Create(form, L"Regelmäßig in bestimmten Abständen zum Updaten auffordern", x + 12, y + 104,
                                w - 24, 18, IdAutoUpdt, BS_AUTORADIOBUTTON);
    RadioButton_AutoUpdt.SetChecked(true);
    Label6.Create(form,
                  L"Aktivieren Sie diese Option, um in festgelegten Abständen automatisch zum Suchen nach neuen "
                  L"Updates aufgefordert zu werden. Dies geschieht dann jeweils unmittelbar nach dem Starten des "
                  L"Programms.",
                  x + 30, y + 124, w - 42, 56);
    Label_AutoUpdt1.Create(form, L"Alle", x + 30, y + 192, 30, 16);
    SpinEdit_AutoUpdt.Create(form, L"7", x + 64, y + 189, 56, 21, IdSpin, ES_NUMBER | WS_GROUP);
    SpinEdit_Buttons.Create(form, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, x + 120,
                            y + 189, 17, 21, IdSpinButtons);
    SendMessageW(SpinEdit_Buttons.Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(SpinEdit_AutoUpdt.Handle()), 0);
    SendMessageW(SpinEdit_Buttons.Handle(), UDM_SETRANGE32, 1, 365);
    SendMessageW(SpinEdit_Buttons.Handle(), UDM_SETPOS32, 0, 7);
    Label_AutoUpdt2.Create(form, L"Tage an Updates erinnern", x + 144, y + 192, 220, 16);
    for (HWND h : {GroupBox1.Handle(), RadioButton_NoAutoUpdt.Handle(), Label1.Handle(), RadioButton_AutoUpdt.Handle(),
                   Label6.Handle(), Label_AutoUpdt1.Handle(), SpinEdit_AutoUpdt.Handle(), SpinEdit_Buttons.Handle(),
                   Label_AutoUpdt2.Handle()})
        AddToPage(Einstellungen, h);
    // The group box is drawn behind the controls it frames.
    SetWindowPos(GroupBox1.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const int by = kClientHeight - 8 - 25;
    Button_Settings.Create(form, L"Einstellungen", kPagesLeft, by, 110, 25, IdSettings);
    Button_Cancel.Create(form, L"Abbrechen", kClientWidth - 9 - 2 * 100 - 8, by, 100, 25, IdCancel);
    Button_Next.Create(form, L"Weiter >", kClientWidth - 9 - 100, by, 100, 25, IdNext, BS_DEFPUSHBUTTON);
    Button_SettingsCancel.Create(form, L"Abbrechen", kClientWidth - 9 - 2 * 100 - 8, by, 100, 25, IdSettingsCancel);
    Button_SettingsSave.Create(form, L"Speichern", kClientWidth - 9 - 100, by, 100, 25, IdSettingsSave,
                               BS_DEFPUSHBUTTON);
    Button_SettingsCancel.SetVisible(false);
    Button_SettingsSave.SetVisible(false);

    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        design_.push_back({child, ChildBounds(child)});
}

void TStatusForm::Layout() {
    font_.Reset(MakeFont(L"Verdana", PointsToHeight(8, dpi_), FW_NORMAL));
    titleFont_.Reset(MakeFont(L"Verdana", -S(19), FW_BOLD));
    stepFont_.Reset(MakeFont(L"Verdana", PointsToHeight(10, dpi_), FW_NORMAL));
    stepBoldFont_.Reset(MakeFont(L"Verdana", PointsToHeight(10, dpi_), FW_BOLD, true));
    percentFont_.Reset(MakeFont(L"MS Sans Serif", PointsToHeight(8, dpi_), FW_NORMAL));
    percentBoldFont_.Reset(MakeFont(L"MS Sans Serif", PointsToHeight(8, dpi_), FW_BOLD));
    titleBrush_.Reset(CreateSolidBrush(kTitleBlue));

    SetClientSize(Handle(), S(kClientWidth), S(kClientHeight));
    for (const auto& [child, bounds] : design_) {
        const RECT r = ScaleRect(bounds, dpi_);
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    // The up-down control keeps to its edit box.
    SendMessageW(SpinEdit_Buttons.Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(SpinEdit_AutoUpdt.Handle()), 0);
    Panel_Title.SetFont(static_cast<HFONT>(titleFont_.Get()));
    PerCent.SetFont(static_cast<HFONT>((percentBold_ ? percentBoldFont_ : percentFont_).Get()));

    const int iconSize = S(kIconSize);
    infoIcon_.Reset(SystemIcon(IDI_INFORMATION, iconSize));
    icon2_.Reset(SystemIcon(IDI_INFORMATION, iconSize));
    icon3_.Reset(SystemIcon(IDI_INFORMATION, iconSize));
    errorIcon_.Reset(SystemIcon(IDI_ERROR, iconSize));
    appIcon_.Reset(LoadIconAtSize(IDI_APP, iconSize));
    SendMessageW(Image_Icon1.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(infoIcon_.Get()), 0);
    SendMessageW(Image_Icon2.Handle(), STM_SETICON,
                 reinterpret_cast<WPARAM>((installError_ ? errorIcon_ : icon2_).Get()), 0);
    SendMessageW(Image_Icon3.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon3_.Get()), 0);
    SendMessageW(Icon.Handle(), STM_SETICON,
                 reinterpret_cast<WPARAM>(appIcon_ ? appIcon_.Get() : infoIcon_.Get()), 0);
    // A picture control takes the icon's size; it keeps the scaled place.
    for (const Label* picture : {&Image_Icon1, &Image_Icon2, &Image_Icon3, &Icon}) {
        const RECT r = picture->Bounds();
        SetWindowPos(picture->Handle(), nullptr, r.left, r.top, iconSize, iconSize, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TStatusForm::ShowPage(int page) {
    page_ = page;
    for (int p = 0; p < static_cast<int>(pages_.size()); ++p)
        for (HWND h : pages_[p]) {
            bool shown = p == page && (h != CancelDownload.Handle() || cancelDownloadShown_);
            if (h == News.Handle() || h == Label_CheckResultEnd.Handle()) shown = shown && updatesAvailable_;
            if (h == CheckBox_Restart.Handle()) shown = shown && !installError_;
            ShowWindow(h, shown ? SW_SHOWNA : SW_HIDE);
        }
}

std::wstring TStatusForm::CheckResultText() const {
    if (!updatesAvailable_) return Label_CheckResult.Text();
    return Label_CheckResult.Text() + L"\r\n" + News.Text() + L"\r\n\r\n" + Label_CheckResultEnd.Text();
}

void TStatusForm::ShowCancelDownload(bool shown) {
    cancelDownloadShown_ = shown;
    CancelDownload.SetVisible(shown && page_ == Download);
}

void TStatusForm::ShowStandardButtons(bool standard) {
    standardButtons_ = standard;
    Button_Cancel.SetVisible(standard);
    Button_Next.SetVisible(standard);
    Button_SettingsCancel.SetVisible(!standard);
    Button_SettingsSave.SetVisible(!standard);
}

void TStatusForm::SetTitle(const std::wstring& title) {
    title_ = title;
    Panel_Title.SetText(title);
}

int TStatusForm::SpinValue() const {
    const std::wstring text = SpinEdit_AutoUpdt.Text();
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9' || value > 1000) return value > 1000 ? 365 : kDefaultInterval;
        value = value * 10 + (c - L'0');
    }
    if (text.empty()) return kDefaultInterval;
    return std::clamp(value, 1, 365);
}

void TStatusForm::SetSpinValue(int value) {
    SendMessageW(SpinEdit_Buttons.Handle(), UDM_SETPOS32, 0, std::clamp(value, 1, 365));
}

void TStatusForm::ShowModal(HWND owner) {
    FormShow();
    RunModal(owner, Button_Next.Handle());
    EndRun();
}

bool TStatusForm::HandleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE)) return false;
    if (message.wParam == VK_ESCAPE) {
        OnCommand(IDCANCEL, BN_CLICKED);
        return true;
    }
    // Enter presses the focused button; elsewhere the default one.
    const HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus) && IsWindowEnabled(focus)) {
        const LONG type = GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK;
        wchar_t className[16] = {};
        GetClassNameW(focus, className, 16);
        if (lstrcmpiW(className, L"Button") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            OnCommand(GetDlgCtrlID(focus), BN_CLICKED);
            return true;
        }
    }
    OnCommand(IDOK, BN_CLICKED);
    return true;
}

void TStatusForm::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    EndModal(IDCANCEL);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

bool TStatusForm::FormCloseQuery() {
    if (!transfer_.running) return true;
    // The check is stopped at once; a download only after the user confirmed it.
    if (step_ == Step::Download && !transfer_.cancelRequested) {
        QuestionSound();
        if (ShowBox(Handle(), L"Soll der Download wirklich abgebrochen werden?", L"Updates installieren",
                    BoxKind::Question, BoxButtons::YesNo) != BoxAnswer::Yes)
            return false;
    }
    CancelTransferAndClose();
    return false;
}

void TStatusForm::CancelTransferAndClose() {
    transfer_.cancelRequested = true;
    // The transfer runs beneath this request; it closes the dialog once it has stopped.
    transfer_.closeAfter = true;
    HTTP.Abort();
}

void TStatusForm::FormClose() {
    if (step_ == Step::Finish) OnTerminate();
}

void TStatusForm::Button_CancelClick() {
    if (transfer_.running && step_ == Step::Download) {
        CancelDownloadClick();
        if (transfer_.cancelRequested) transfer_.closeAfter = true;
        return;
    }
    Close();
}

void TStatusForm::Button_SettingsClick() {
    const ::RegistryKey key = OpenUpdateSettings(HKCU, RegistryKey);
    const bool never = key.HasValue(L"NoUpdate");
    RadioButton_NoAutoUpdt.SetChecked(never);
    RadioButton_AutoUpdt.SetChecked(!never);
    const auto interval = ReadInterval(key);
    SetSpinValue(interval ? *interval : kDefaultInterval);
    RadioButton_UpdtClick();
    Button_Settings.SetVisible(false);
    SetTitle(L"Einstellungen");
    ShowStandardButtons(false);
    ShowPage(Einstellungen);
    KeepFocusOn(Button_SettingsSave);
}

void TStatusForm::RadioButton_UpdtClick() {
    const bool regularly = RadioButton_AutoUpdt.Checked();
    Label_AutoUpdt1.SetEnabled(regularly);
    SpinEdit_AutoUpdt.SetEnabled(regularly);
    SpinEdit_Buttons.SetEnabled(regularly);
    Label_AutoUpdt2.SetEnabled(regularly);
}

void TStatusForm::Button_SettingsSaveClick() {
    ::RegistryKey key = OpenUpdateSettings(HKCU, RegistryKey);
    if (RadioButton_NoAutoUpdt.Checked()) {
        RegDeleteValueW(key.Get(), L"UpdateInterval");
        key.SetString(L"NoUpdate", L"");
    } else {
        RegDeleteValueW(key.Get(), L"NoUpdate");
        key.SetInteger(L"UpdateInterval", static_cast<DWORD>(SpinValue()));
    }
    Button_SettingsCancelClick();
}

void TStatusForm::Button_SettingsCancelClick() {
    const int step = std::clamp(static_cast<int>(step_), 0, 5);
    SetTitle(kTitles[step]);
    ShowPage(step == 5 && !installPrepared_ ? Einrichten : step);
    ShowStandardButtons(true);
    Button_Settings.SetVisible(true);
    KeepFocusOn(Button_Next.Enabled() ? Button_Next : Button_Cancel);
}

void TStatusForm::PaintBox_ProcessPaint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    const int W = S(kStepListWidth), H = client.bottom;
    // Drawn off screen first, so that the list does not flicker while a download repaints it.
    DcHandle memory(CreateCompatibleDC(dc));
    GdiHandle bitmap(CreateCompatibleBitmap(dc, W + 1, H));
    SelectedObject selected(memory.Get(), bitmap.Get());
    const int r0 = GetRValue(kStepListStart), g0 = GetGValue(kStepListStart), b0 = GetBValue(kStepListStart);
    for (int x = 0; x <= W; ++x) {
        const COLORREF colour = RGB(r0 + (255 - r0) * x / W, g0 + (255 - g0) * x / W, b0 + (255 - b0) * x / W);
        GdiHandle pen(CreatePen(PS_SOLID, 1, colour));
        SelectedObject use(memory.Get(), pen.Get());
        MoveToEx(memory.Get(), x, 0, nullptr);
        LineTo(memory.Get(), x, H);
    }
    SetBkMode(memory.Get(), TRANSPARENT);
    SetTextColor(memory.Get(), RGB(0, 0, 0));
    for (int i = 0; i < 6; ++i) {
        SelectedObject font(memory.Get(), i == StepIndex() ? stepBoldFont_.Get() : stepFont_.Get());
        TextOutW(memory.Get(), S(16), S(16 + 56 * i), kTitles[i], static_cast<int>(wcslen(kTitles[i])));
    }
    BitBlt(dc, 0, 0, W + 1, H, memory.Get(), 0, 0, SRCCOPY);
}

void TStatusForm::PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitSeen_ = true;
            continue;
        }
        if ((message.hwnd == Handle() || IsChild(Handle(), message.hwnd)) && HandleKey(message)) continue;
        if (IsDialogMessageW(Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TStatusForm::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    switch (id) {
        case IdNext:
        case IDOK:
            if (standardButtons_) {
                if (Button_Next.Enabled()) Button_NextClick();
            } else {
                Button_SettingsSaveClick();
            }
            break;
        case IdCancel:
        case IDCANCEL:
            if (!standardButtons_)
                Button_SettingsCancelClick();
            else if (Button_Cancel.Enabled() || transfer_.running)
                Button_CancelClick();
            else if (id == IDCANCEL)
                Close();  // Esc does what the close box does
            break;
        case IdSettings: Button_SettingsClick(); break;
        case IdSettingsCancel: Button_SettingsCancelClick(); break;
        case IdSettingsSave: Button_SettingsSaveClick(); break;
        case IdCheck:
            if (Button_Check.Enabled()) Button_CheckClick();
            break;
        case IdCancelDownload: CancelDownloadClick(); break;
        case IdNoAutoUpdt:
        case IdAutoUpdt: RadioButton_UpdtClick(); break;
        default: break;
    }
}

LRESULT TStatusForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(standardButtons_ ? IdNext : IdSettingsSave, DC_HASDEFID);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            if (reinterpret_cast<HWND>(lParam) == Panel_Title.Handle()) {
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, kTitleBlue);
                return reinterpret_cast<LRESULT>(titleBrush_.Get());
            }
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            Layout();
            return 0;
        }
        case WM_CLOSE:
            Close();
            return 0;
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}
