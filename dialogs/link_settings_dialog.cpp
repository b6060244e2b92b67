#include "dialogs/link_settings_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "links/link_store.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/message_box.h"

namespace {
constexpr int kWorkingFolderId = 100, kHotKeyId = 101, kRunModeId = 102, kRunAsAdminId = 103, kReasonId = 104;
constexpr int kMargin = 11, kGap = 7, kRowHeight = 23, kFieldWidth = 240, kButtonWidth = 80, kButtonHeight = 25;
}  // namespace

void LinkSettingsDialog::CreateControls(HWND owner) {
    dpi_ = DpiForNewWindow(owner);
    font_ = DialogFontForDpi(dpi_);
    CreateDialogWindow(L"ZeigerwerkLinkSettings", L"Erweiterte Einstellungen", S(360), S(180), owner,
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND self = Handle();
    workingFolderLabel_.Create(self, L"Ausführen &in:", 0, 0, 1, 1);
    workingFolder_.Create(self, L"", 0, 0, 1, 1, kWorkingFolderId);
    hotKeyLabel_.Create(self, L"&Tastenkombination:", 0, 0, 1, 1);
    hotKey_.Create(self, HOTKEY_CLASSW, L"", WS_TABSTOP, 0, 0, 1, 1, kHotKeyId, WS_EX_CLIENTEDGE);
    // As the system's own dialog does: a key without Ctrl, Alt or Shift becomes Ctrl+Alt+key.
    SendMessageW(hotKey_.Handle(), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    runModeLabel_.Create(self, L"Aus&führen:", 0, 0, 1, 1);
    runMode_.Control::Create(self, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 1, 200,
                             kRunModeId);
    runAsAdmin_.Create(self, L"Als &Administrator ausführen", 0, 0, 1, 1, kRunAsAdminId, BS_AUTOCHECKBOX | WS_TABSTOP);
    reason_.Create(self, L"", 0, 0, 1, 1, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS);
    ok_.Create(self, L"OK", 0, 0, 1, 1, IDOK, BS_DEFPUSHBUTTON);
    cancel_.Create(self, L"Abbrechen", 0, 0, 1, 1, IDCANCEL);
    Layout();
}

void LinkSettingsDialog::Layout() {
    HWND self = Handle();
    for (HWND control : {workingFolderLabel_.Handle(), workingFolder_.Handle(), hotKeyLabel_.Handle(), hotKey_.Handle(),
                         runModeLabel_.Handle(), runMode_.Handle(), runAsAdmin_.Handle(), reason_.Handle(),
                         ok_.Handle(), cancel_.Handle()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    const WindowDc dc(self);
    // The label column fits its longest text in the font of this DPI; the reason gets its own line.
    int labelWidth = 0;
    for (const wchar_t* text : {L"Ausführen in:", L"Tastenkombination:", L"Ausführen:"})
        labelWidth = std::max<int>(labelWidth, TextExtent(dc.Get(), font_, text).cx);
    const int textHeight = static_cast<int>(TextExtent(dc.Get(), font_, L"Ag").cy);
    const int rowHeight = std::max(S(kRowHeight), textHeight + S(8));
    const int labelTop = (rowHeight - textHeight) / 2;
    const int fieldLeft = S(kMargin) + labelWidth + S(kGap);
    const int checkWidth = static_cast<int>(TextExtent(dc.Get(), font_, L"Als Administrator ausführen").cx) + S(24);
    int fieldWidth = std::max(S(kFieldWidth), checkWidth);
    // Every reason fits its one line, whichever the target; the window keeps one width.
    for (const SettingsTarget target :
         {SettingsTarget::Program, SettingsTarget::Document, SettingsTarget::Folder, SettingsTarget::FolderLink}) {
        const int reasonWidth = static_cast<int>(TextExtent(dc.Get(), font_, AvailableSettings(target).reason).cx);
        fieldWidth = std::max(fieldWidth, reasonWidth - labelWidth - S(kGap));
    }
    clientWidth_ = fieldLeft + fieldWidth + S(kMargin);
    // The fields as high as the closed list, which the system sizes to its text (an edit draws
    // its text at the top, so a taller one would look empty below it).
    runMode_.SetBounds(fieldLeft, 0, fieldWidth, rowHeight * 6);  // the list drops below
    RECT combo{};
    GetWindowRect(runMode_.Handle(), &combo);
    const int fieldHeight = combo.bottom - combo.top;
    int top = S(kMargin);
    for (auto [label, field] : {std::pair<Label*, Control*>{&workingFolderLabel_, &workingFolder_},
                                {&hotKeyLabel_, &hotKey_}, {&runModeLabel_, &runMode_}}) {
        label->SetBounds(S(kMargin), top + labelTop, labelWidth, textHeight);
        field->SetBounds(fieldLeft, top + (rowHeight - fieldHeight) / 2, fieldWidth,
                         field == &runMode_ ? rowHeight * 6 : fieldHeight);
        top += rowHeight + S(kGap) / 2;
    }
    runAsAdmin_.SetBounds(fieldLeft, top, fieldWidth, rowHeight);
    top += rowHeight + S(kGap);
    reason_.SetBounds(S(kMargin), top, clientWidth_ - 2 * S(kMargin), textHeight);
    top += textHeight + S(kGap) * 2;
    const int buttonHeight = std::max(S(kButtonHeight), textHeight + S(10));
    const int buttonWidth = std::max<int>(S(kButtonWidth), TextExtent(dc.Get(), font_, L"Abbrechen").cx + S(20));
    cancel_.SetBounds(clientWidth_ - S(kMargin) - buttonWidth, top, buttonWidth, buttonHeight);
    ok_.SetBounds(clientWidth_ - S(kMargin) - 2 * buttonWidth - S(kGap), top, buttonWidth, buttonHeight);
    clientHeight_ = top + buttonHeight + S(kMargin);
    SetClientSize(self, clientWidth_, clientHeight_);
}

void LinkSettingsDialog::ApplyDpi(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == dpi_) return;
    dpi_ = dpi;
    font_ = DialogFontForDpi(dpi_);
    Layout();
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void LinkSettingsDialog::Fill() {
    const SettingsAvailability available = AvailableSettings(target_);
    workingFolder_.SetText(settings_->workingFolder);
    SendMessageW(hotKey_.Handle(), HKM_SETHOTKEY, available.hotKey ? settings_->hotKey : 0, 0);
    std::vector<std::wstring> modes(std::begin(kRunModes), std::end(kRunModes));
    runMode_.SetItems(modes);
    runMode_.SetItemIndex(available.showCommand ? RunModeOf(settings_->showCommand) : 0);
    runAsAdmin_.SetChecked(available.runAsAdmin && settings_->runAsAdmin);
    workingFolder_.SetEnabled(available.workingFolder);
    workingFolderLabel_.SetEnabled(available.workingFolder);
    hotKey_.SetEnabled(available.hotKey);
    hotKeyLabel_.SetEnabled(available.hotKey);
    runMode_.SetEnabled(available.showCommand);
    runModeLabel_.SetEnabled(available.showCommand);
    runAsAdmin_.SetEnabled(available.runAsAdmin);
    reason_.SetText(available.reason);
}

int LinkSettingsDialog::ShowModal(HWND owner, SettingsTarget target, LinkSettings& settings) {
    if (Handle() && DpiForNewWindow(owner) != dpi_) DestroyWindow(Handle());
    if (!Handle()) CreateControls(owner);
    target_ = target;
    settings_ = &settings;
    Fill();
    HWND first = OKButton();
    for (HWND control : {WorkingFolderEdit(), HotKeyControl(), RunModeCombo(), RunAsAdminCheck()})
        if (IsWindowEnabled(control)) {
            first = control;
            break;
        }
    const int result = RunModal(owner, first);
    settings_ = nullptr;
    return result;
}

void LinkSettingsDialog::Accept() {
    const SettingsAvailability available = AvailableSettings(target_);
    LinkSettings chosen = *settings_;
    if (available.workingFolder) {
        chosen.workingFolder = workingFolder_.Text();
        const std::wstring problem = WorkingFolderProblem(
            chosen.workingFolder, [](const std::wstring& folder) { return DirectoryExists(ExpandedPath(folder)); });
        if (!problem.empty()) {
            ExclamationSound();
            WarnOk(Handle(), problem);
            workingFolder_.SetFocus();
            workingFolder_.SelectAll();
            return;
        }
    }
    if (available.hotKey)
        chosen.hotKey = static_cast<std::uint16_t>(SendMessageW(hotKey_.Handle(), HKM_GETHOTKEY, 0, 0));
    if (available.showCommand) chosen.showCommand = ShowCommandFor(runMode_.ItemIndex(), settings_->showCommand);
    if (available.runAsAdmin) chosen.runAsAdmin = runAsAdmin_.Checked();
    *settings_ = chosen;
    EndModal(IDOK);
}

LRESULT LinkSettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(font_);
    return ModalWindow::HandleMessage(message, wParam, lParam);
}
