#include "update/update_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "platform/resource_ids.h"
#include "platform/common_controls.h"
#include "platform/dpi.h"
#include "platform/message_box.h"
#include "update/reminder_choice.h"
#include "update/step_list.h"
#include "update/wizard_look.h"
#include "update/wizard_texts.h"
#include "update/transfer_worker.h"
#include "update/update_settings.h"
#include "update/zip_message_box.h"

namespace {

using Page = UpdateRun::Page;
using Focus = UpdateRun::Focus;

constexpr UINT kProgressMessage = WM_APP + 20, kEndMessage = WM_APP + 21;
constexpr int kPagesLeft = 232, kPagesTop = 56, kPagesWidth = 417, kPagesHeight = 249;
constexpr int kIconSize = 32;
// Texts that come from the server or a file name are shown as they are: "&" is no access key.
constexpr DWORD kPlainText = SS_LEFT | SS_NOPREFIX;

}  // namespace

UpdateDialog::UpdateDialog()
    : Clock(&SystemUpdateClock()), Connection(&SystemConnectionState()), Launcher(&SystemBatchLauncher()) {
    OnTerminate = [] { PostQuitMessage(0); };
    dpi_ = SystemDpi();
    CreateDialogWindow(L"ZwUpdateDialog", L"Updates installieren", S(kClientWidth), S(kClientHeight), nullptr,
                       static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Only the system menu: no size, no minimise or maximise.
    const HMENU menu = GetSystemMenu(Handle(), FALSE);
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(menu, command, MF_BYCOMMAND);
    visualStyles_ = std::make_unique<CommonControls>(Handle());
    ends_ = std::make_unique<TransferEnds>(Handle(), kEndMessage);
    CreateControls();
    dpi_ = WindowDpi(Handle());
    Layout();
}

UpdateDialog::~UpdateDialog() {
    if (run_) run_->Closed();
}

int UpdateDialog::S(int designUnits) const { return Scale(designUnits, dpi_); }

void UpdateDialog::AddToPage(Page page, Control& control) {
    pageControls_.push_back({page, control.Handle()});
    ShowWindow(control.Handle(), page == Page::Welcome ? SW_SHOWNA : SW_HIDE);
}

void UpdateDialog::CreateControls() {
    const HWND form = Handle();
    // Made at their 96-DPI places; Layout() takes these as the design and scales them.
    titleBar_.Create(form, UpdateRun::kTitles[0], kPagesLeft, 8, kPagesWidth, 41, SS_CENTER | SS_CENTERIMAGE);
    // The first control starts a group, so that the arrow keys never wrap from the buttons to it.
    SetWindowLongW(titleBar_.Handle(), GWL_STYLE, GetWindowLongW(titleBar_.Handle(), GWL_STYLE) | WS_GROUP);
    const int x = kPagesLeft, y = kPagesTop, w = kPagesWidth;

    welcomeIcon_.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    welcomeText_.Create(form,
                        kWelcomeText,
                        x + 44, y, w - 44, kPagesHeight);
    AddToPage(Page::Welcome, welcomeIcon_);
    AddToPage(Page::Welcome, welcomeText_);

    checkText_.Create(form,
                      kCheckText,
                      x, y, w, 40);
    checkButton_.Create(form, L"Jetzt auf neue Updates prüfen", x, y + 48, 220, 25, 110);
    checkButton_.OnClick = [this] {
        run_->Check();
        Render();
    };
    AddToPage(Page::Check, checkText_);
    AddToPage(Page::Check, checkButton_);

    resultText_.Create(form, L"", x, y, w, 60, kPlainText);
    newsList_.Create(form, L"", x, y + 62, w, 130, 117,
                     ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP);
    resultClosing_.Create(form, L"Klicken Sie auf \"Weiter\", um die Updates jetzt herunterzuladen.", x, y + 198, w,
                          44, kPlainText);
    AddToPage(Page::Result, resultText_);
    AddToPage(Page::Result, newsList_);
    AddToPage(Page::Result, resultClosing_);

    downloadText_.Create(form, L"", x, y, w, 84, kPlainText);
    progressBar_.Create(form, PROGRESS_CLASSW, L"", PBS_SMOOTH, x, y + 90, w, 18, 118);
    percent_.Create(form, L"", x, y + 114, w, 16, SS_CENTER);
    sizes_.Create(form, L"", x, y + 136, w, 16);
    timeLeft_.Create(form, L"", x, y + 156, w, 16);
    downloadIcon_.Create(form, L"", x, y + 182, kIconSize, kIconSize, SS_ICON);
    downloadButton_.Create(form, L"Download ab&brechen", x + w - 160, y + 188, 160, 25, 111);
    downloadButton_.OnClick = [this] { ToggleDownload(); };
    for (Control* c : std::initializer_list<Control*>{&downloadText_, &progressBar_, &percent_, &sizes_, &timeLeft_,
                                                      &downloadIcon_, &downloadButton_})
        AddToPage(Page::Download, *c);

    installIcon_.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    installText_.Create(form, L"", x + 44, y, w - 44, 160, kPlainText);
    restartBox_.Create(form, L"Programm automatisch neu starten", x + 44, y + 168, w - 44, 18, 112, BS_AUTOCHECKBOX);
    restartBox_.SetChecked(true);
    AddToPage(Page::Install, installIcon_);
    AddToPage(Page::Install, installText_);
    AddToPage(Page::Install, restartBox_);

    finishIcon_.Create(form, L"", x, y, kIconSize, kIconSize, SS_ICON);
    finishText_.Create(form,
                       kFinishText,
                       x + 44, y, w - 44, 160);
    AddToPage(Page::Finish, finishIcon_);
    AddToPage(Page::Finish, finishText_);

    scheduleFrame_.Create(form, L"Wie oft wollen Sie zum Suchen nach Updates aufgefordert werden?", x, y, w,
                          kPagesHeight - 8, -1, BS_GROUPBOX);
    // A frame takes no focus: it could not show it.
    SetWindowLongW(scheduleFrame_.Handle(), GWL_STYLE, GetWindowLongW(scheduleFrame_.Handle(), GWL_STYLE) & ~WS_TABSTOP);
    neverRadio_.Create(form, L"Niemals automatisch zum Updaten auffordern", x + 12, y + 22, w - 24, 18, 113,
                       BS_AUTORADIOBUTTON | WS_GROUP);
    neverText_.Create(form,
                      kNeverText,
                      x + 30, y + 42, w - 42, 56);
    regularRadio_.Create(form, L"Regelmäßig in bestimmten Abständen zum Updaten auffordern", x + 12, y + 104, w - 24,
                         18, 114, BS_AUTORADIOBUTTON);
    regularRadio_.SetChecked(true);
    regularText_.Create(form,
                        kRegularText,
                        x + 30, y + 124, w - 42, 56);
    everyLabel_.Create(form, L"Alle", x + 30, y + 192, 30, 16);
    intervalEdit_.Create(form, L"7", x + 64, y + 189, 56, 21, 115, ES_NUMBER | WS_GROUP);
    intervalSpin_.Create(form, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, x + 120,
                         y + 189, 17, 21, 116);
    SendMessageW(intervalSpin_.Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(intervalEdit_.Handle()), 0);
    SendMessageW(intervalSpin_.Handle(), UDM_SETRANGE32, 1, 365);
    SendMessageW(intervalSpin_.Handle(), UDM_SETPOS32, 0, 7);
    daysLabel_.Create(form, L"Tage an Updates erinnern", x + 144, y + 192, 220, 16);
    neverRadio_.OnClick = regularRadio_.OnClick = [this] { FollowScheduleChoice(); };
    for (Control* c : std::initializer_list<Control*>{&scheduleFrame_, &neverRadio_, &neverText_, &regularRadio_,
                                                      &regularText_, &everyLabel_, &intervalEdit_, &intervalSpin_,
                                                      &daysLabel_})
        AddToPage(Page::Settings, *c);
    // The frame is drawn behind the controls it holds.
    SetWindowPos(scheduleFrame_.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const int by = kClientHeight - 8 - 25, left = kClientWidth - 9 - 2 * 100 - 8, right = kClientWidth - 9 - 100;
    settingsButton_.Create(form, L"Einstellungen", kPagesLeft, by, 110, 25, 102);
    // The row of buttons is a group of its own.
    SetWindowLongW(settingsButton_.Handle(), GWL_STYLE, GetWindowLongW(settingsButton_.Handle(), GWL_STYLE) | WS_GROUP);
    cancelButton_.Create(form, L"Abbrechen", left, by, 100, 25, 103);
    nextButton_.Create(form, L"Weiter >", right, by, 100, 25, 100, BS_DEFPUSHBUTTON);
    settingsCancelButton_.Create(form, L"Abbrechen", left, by, 100, 25, 104);
    saveButton_.Create(form, L"Speichern", right, by, 100, 25, 101, BS_DEFPUSHBUTTON);
    settingsCancelButton_.SetVisible(false);
    saveButton_.SetVisible(false);
    settingsButton_.OnClick = [this] { ShowSettings(); };
    cancelButton_.OnClick = [this] { CancelRun(); };
    nextButton_.OnClick = [this] { GoNext(); };
    settingsCancelButton_.OnClick = [this] {
        run_->CloseSettings();
        Render();
    };
    saveButton_.OnClick = [this] { SaveSettings(); };

    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        design_.push_back({child, ChildBounds(child)});
}

void UpdateDialog::Layout() {
    look_ = WizardLook(dpi_, S(kIconSize));

    SetClientSize(Handle(), S(kClientWidth), S(kClientHeight));
    for (const auto& [child, bounds] : design_) {
        const RECT r = ScaleRect(bounds, dpi_);
        SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(look_.font), FALSE);
    }
    // The up-down control keeps to its edit box.
    SendMessageW(intervalSpin_.Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(intervalEdit_.Handle()), 0);
    titleBar_.SetFont(look_.titleFont);
    percent_.SetFont(look_.percentFont);
    const int iconSize = S(kIconSize);
    const bool installError = run_ && run_->Shown().installError;
    const HICON info = look_.infoIcon.Get();
    for (const auto& [picture, icon] : {std::pair{&welcomeIcon_, info},
                                        std::pair{&installIcon_, installError ? look_.errorIcon.Get() : info},
                                        std::pair{&finishIcon_, info},
                                        std::pair{&downloadIcon_, look_.appIcon ? look_.appIcon.Get() : info}}) {
        SendMessageW(picture->Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        // A picture control takes the icon's size; it keeps the scaled place.
        const RECT r = picture->Bounds();
        SetWindowPos(picture->Handle(), nullptr, r.left, r.top, iconSize, iconSize, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(Handle(), nullptr, TRUE);
}

void UpdateDialog::ShowModal(HWND owner) {
    if (run_) run_->Closed();
    run_.reset();
    transfers_.reset();
    worker_ = nullptr;
    if (MakeTransfers) {
        transfers_ = MakeTransfers(*ends_);
    } else {
        // The proxy is settled once for the run, on the transfers' threads.
        auto worker = std::make_unique<TransferWorker>(Handle(), kProgressMessage, *ends_, Server,
                                                       std::make_shared<SystemProxy>(AutomaticProxy), PrepareClient);
        worker_ = worker.get();
        transfers_ = std::move(worker);
    }
    files_ = std::make_unique<RunFiles>(Files, zip_);
    run_ = std::make_unique<UpdateRun>(
        UpdateRun::Services{transfers_.get(), files_.get(), Clock, Connection, Launcher}, Files.programName,
        ArchiveFile, Files.programDate);
    run_->Begin();
    ShowZipMessagesInBoxes(zip_, Handle());
    restartBox_.SetChecked(true);
    settingsButton_.SetVisible(true);
    appliedFocus_ = Focus::Next;
    paintedStep_ = -1;
    Render();
    RunModal(owner, nextButton_.Handle());
    // However the loop ended, nothing of the run keeps running.
    run_->Closed();
    if (run_->TakeTerminateRequest()) OnTerminate();
}

void UpdateDialog::FinishProcess() {
    if (!run_) return;
    const std::wstring problem = run_->EndOfProcess();
    if (!problem.empty()) ShowBox(nullptr, problem, L"Updates installieren", BoxKind::Error, BoxButtons::Ok);
}

Control& UpdateDialog::FocusControl(Focus focus) {
    switch (focus) {
        case Focus::Check: return checkButton_;
        case Focus::Cancel: return cancelButton_;
        case Focus::DownloadButton: return downloadButton_;
        case Focus::SettingsSave: return saveButton_;
        case Focus::Next: break;
    }
    return nextButton_;
}

void UpdateDialog::Render() {
    const UpdateRun::View& view = run_->Shown();
    const bool settings = view.page == Page::Settings;
    titleBar_.SetText(view.title);
    for (const auto& [page, control] : pageControls_) {
        bool shown = page == view.page;
        if (control == newsList_.Handle() || control == resultClosing_.Handle()) shown = shown && !view.news.empty();
        if (control == restartBox_.Handle()) shown = shown && !view.installError;
        if (control == downloadButton_.Handle()) shown = shown && view.downloadButtonShown;
        ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    }
    nextButton_.SetText(view.nextText);
    nextButton_.SetEnabled(view.nextEnabled);
    cancelButton_.SetEnabled(view.cancelEnabled);
    checkButton_.SetEnabled(view.checkEnabled);
    for (Button* b : {&cancelButton_, &nextButton_}) b->SetVisible(!settings);
    for (Button* b : {&settingsCancelButton_, &saveButton_}) b->SetVisible(settings);
    settingsButton_.SetVisible(!settings);
    resultText_.SetText(view.resultText);
    newsList_.SetText(view.news);
    downloadText_.SetText(view.downloadText);
    downloadButton_.SetText(view.downloadButtonText);
    // The bar counts in units that fit its 32-bit range.
    int shift = 0;
    while ((view.barTotal >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
    SendMessageW(progressBar_.Handle(), PBM_SETRANGE32, 0, static_cast<LPARAM>(view.barTotal >> shift));
    SendMessageW(progressBar_.Handle(), PBM_SETPOS, static_cast<WPARAM>(view.barPosition >> shift), 0);
    percent_.SetText(view.percent);
    sizes_.SetText(view.sizes);
    timeLeft_.SetText(view.timeLeft);
    installText_.SetText(view.installText);
    SendMessageW(installIcon_.Handle(), STM_SETICON,
                 reinterpret_cast<WPARAM>((view.installError ? look_.errorIcon : look_.infoIcon).Get()), 0);

    // The keyboard follows the run, and never stays on a control that was disabled or hidden.
    const HWND focus = GetFocus();
    const bool usable = focus && IsChild(Handle(), focus) && IsWindowEnabled(focus) && IsWindowVisible(focus);
    if (view.focus != appliedFocus_ || !usable) {
        Control& target = FocusControl(view.focus);
        if (target.Enabled() && IsWindowVisible(target.Handle()))
            target.SetFocus();
        else
            (view.nextEnabled ? static_cast<Control&>(nextButton_) : cancelButton_).SetFocus();
        appliedFocus_ = view.focus;
    }
    if (paintedStep_ != static_cast<int>(view.step)) {
        paintedStep_ = static_cast<int>(view.step);
        RECT list{0, 0, S(kStepListWidth) + 1, S(kClientHeight)};
        InvalidateRect(Handle(), &list, FALSE);
    }
    if (view.box) {
        const UpdateRun::Box box = *view.box;
        run_->ClearBox();
        ShowBox(Handle(), box.text, box.caption,
                box.kind == UpdateRun::BoxKind::Error ? BoxKind::Error : BoxKind::Warning, BoxButtons::Ok);
    }
    if (view.closed && Open()) {
        EndModal(run_->CurrentStep() == UpdateRun::Step::Ended ? IDOK : IDCANCEL);
        PostMessageW(Handle(), WM_NULL, 0, 0);
    }
    if (OnChanged) OnChanged();
}

void UpdateDialog::ConfirmStopThen(const std::function<void()>& stop) {
    // A transfer that ends while the question is open must not change what "Ja" means.
    ends_->Hold();
    QuestionSound();
    if (ShowBox(Handle(), L"Soll der Download wirklich abgebrochen werden?", L"Updates installieren",
                BoxKind::Question, BoxButtons::YesNo) == BoxAnswer::Yes)
        stop();
    for (const TransferEnds::Note& note : ends_->Release()) ApplyEnd(note.outcome);
    Render();
}

void UpdateDialog::ApplyEnd(const TransferOutcome& outcome) {
    if (worker_) run_->Progress(worker_->Received(), worker_->Total());
    run_->TransferEnded(outcome);
}

void UpdateDialog::GoNext() {
    run_->SetRestart(restartBox_.Checked());
    run_->Next();
    Render();
}

void UpdateDialog::CancelRun() {
    if (run_->CancelNeedsConfirmation()) return ConfirmStopThen([this] { run_->Cancel(); });
    run_->Cancel();
    Render();
}

void UpdateDialog::ToggleDownload() {
    if (run_->Downloading()) return ConfirmStopThen([this] { run_->DownloadButton(); });
    run_->DownloadButton();
    Render();
}

void UpdateDialog::ShowSettings() {
    const ReminderChoice choice = ReadReminderChoice(Files.hkcu, Files.registryKey);
    neverRadio_.SetChecked(choice.never);
    regularRadio_.SetChecked(!choice.never);
    SendMessageW(intervalSpin_.Handle(), UDM_SETPOS32, 0, choice.interval);
    FollowScheduleChoice();
    run_->OpenSettings();
    Render();
}

void UpdateDialog::FollowScheduleChoice() {
    const bool regularly = regularRadio_.Checked();
    for (Control* c : std::initializer_list<Control*>{&everyLabel_, &intervalEdit_, &intervalSpin_, &daysLabel_})
        c->SetEnabled(regularly);
}

void UpdateDialog::SaveSettings() {
    SaveReminderChoice(Files.hkcu, Files.registryKey, {neverRadio_.Checked(), IntervalFromText(intervalEdit_.Text())});
    run_->CloseSettings();
    Render();
}

bool UpdateDialog::MoveAmongButtons(const MSG& message) {
    const WPARAM key = message.wParam;
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
    const int step = key == VK_LEFT || key == VK_UP ? -1 : 1;
    const HWND focus = GetFocus();
    if (focus == neverRadio_.Handle() || focus == regularRadio_.Handle()) {
        Button& other = focus == neverRadio_.Handle() ? regularRadio_ : neverRadio_;
        neverRadio_.SetChecked(&other == &neverRadio_);
        regularRadio_.SetChecked(&other == &regularRadio_);
        other.SetFocus();
        FollowScheduleChoice();
        return true;
    }
    Button* const row[] = {&settingsButton_, &cancelButton_, &nextButton_, &settingsCancelButton_, &saveButton_};
    const auto at = std::find_if(std::begin(row), std::end(row), [&](Button* b) { return b->Handle() == focus; });
    if (at == std::end(row)) return false;
    // The arrows stay on the row of buttons, as they would in a group of their own.
    const int count = static_cast<int>(std::size(row));
    for (int i = 1; i < count; ++i) {
        Button* next = row[((at - std::begin(row)) + step * i + count * 2) % count];
        if (next->Enabled() && IsWindowVisible(next->Handle())) {
            next->SetFocus();
            return true;
        }
    }
    return true;
}

bool UpdateDialog::PreTranslateKey(const MSG& message) {
    return message.message == WM_KEYDOWN && MoveAmongButtons(message);
}

void UpdateDialog::ApplyDpi(UINT dpi, const RECT* suggested) {
    dpi_ = dpi;
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void UpdateDialog::Dismiss() {
    if (run_) CancelRun();
}

void UpdateDialog::CloseAll() {
    // The close box closes from the settings page too, and asks before a download stops.
    if (!run_) return;
    const auto close = [this] {
        run_->CloseSettings();
        run_->Cancel();
    };
    if (run_->CancelNeedsConfirmation()) return ConfirmStopThen(close);
    close();
    Render();
}

RECT UpdateDialog::StepTitleBounds(int step) const {
    const HDC dc = GetDC(Handle());
    const RECT r = StepTitleRect(dc, step, run_ ? static_cast<int>(run_->CurrentStep()) : 0, StepLook());
    ReleaseDC(Handle(), dc);
    return r;
}

StepListLook UpdateDialog::StepLook() const { return {look_.stepFont, look_.stepBoldFont, dpi_}; }

void UpdateDialog::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    PaintStepList(dc, client.bottom, run_ ? static_cast<int>(run_->CurrentStep()) : 0, StepLook());
}

LRESULT UpdateDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kProgressMessage:
            if (worker_ && run_ && ends_->Counts(static_cast<unsigned>(wParam))) {
                worker_->ProgressSeen();
                run_->Progress(worker_->Received(), worker_->Total());
                Render();
            }
            return 0;
        case kEndMessage:
            if (const auto note = ends_->Take(lParam); note && run_) {
                ApplyEnd(note->outcome);
                Render();
            }
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(GetDlgCtrlID(run_ && run_->Shown().page == Page::Settings ? saveButton_.Handle()
                                                                                         : nextButton_.Handle()),
                               DC_HASDEFID);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            if (reinterpret_cast<HWND>(lParam) == titleBar_.Handle()) {
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, WizardLook::kTitleBlue);
                return reinterpret_cast<LRESULT>(look_.titleBrush.Get());
            }
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_CLOSE:
            CloseAll();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The session ends before the program's own end would start a prepared install: it starts now.
            if (wParam && run_ && run_->InstallPrepared()) FinishProcess();
            return 0;
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}
