#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "controls/dz_image.h"
#include "controls/file_label.h"
#include "dialogs/icon_chooser.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_open.h"
#include "wizard/command_line.h"
#include "wizard/control_ids.h"
#include "wizard/history_rules.h"
#include "controls/icon_count.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "wizard/name_rules.h"
#include "wizard/wizard_form.h"

namespace {
constexpr int kPreviewTop = 104;
const wchar_t* const kIconFilter = L"Symboldateien (ico, exe, dll)|*.ico;*.exe;*.dll|Bitmapdateien|*.bmp|Alle Dateien|*";
const wchar_t* const kProgramFilter = L"Programme|*.exe|Alle Dateien|*";
}  // namespace

// The page is made in parts (see BuildNextPart): the choice, the icon file, its buttons, the
// preview.
void TForm1::CreateIconChoice(int x, int y, int w) {
    const HWND form = Handle();
    Label6.Create(form, L"Geben Sie die Symboldatei für die Verknüpfung an:", x, y, w, 14);
    Standard.Create(form, L"Standard&datei:", x, y + 20, w, 18, IdStandard, BS_AUTORADIOBUTTON | WS_GROUP);
    IFile.Create(form, L"&Symboldatei:", x, y + 44, 92, 18, IdIFile, BS_AUTORADIOBUTTON);
    Standard.SetChecked(true);
    AddToPage(IconFilePage, Label6.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(IconFilePage, Standard.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(IconFilePage, IFile.Handle(), AnchorLayout::TopLeft);
}

void TForm1::CreateIconFileField(int x, int y, int w) {
    const HWND form = Handle();
    IconFile.Create(form, x + 94, y + 42, w - 94 - 28, 200, IdIconFile);
    IconFile.SetEnabled(false);
    ChoseIcon.Create(form, L"Symbol auswählen", x + w - 24, y + 41, 24, 23, IdChoseIcon, BS_ICON);
    ChoseIcon.SetEnabled(false);
    hints_.Set(ChoseIcon.Handle(), L"Symbol auswählen");
    AddToPage(IconFilePage, IconFile.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(IconFilePage, ChoseIcon.Handle(), AnchorLayout::TopRight);
    HookComboKeys(IconFile, iconFileKeys_);
    IconFile.SetItems(histories_[HistoryKind::IconFiles]);
}

void TForm1::CreateIconFileButtons(int x, int y, int w) {
    const HWND form = Handle();
    WinIconsFile.Create(form, L"Windows-Symbol&datei", x + 94, y + 70, 140, 23, IdWinIconsFile);
    WinIconsFile.SetEnabled(false);
    Button3.Create(form, L"Durchsuchen...", x + w - 100, y + 70, 100, 23, IdButton3);
    Button3.SetEnabled(false);
    AddToPage(IconFilePage, WinIconsFile.Handle(), AnchorLayout::TopLeft);
    AddToPage(IconFilePage, Button3.Handle(), AnchorLayout::TopRight);
}

void TForm1::CreateIconPreview(int x, int y, int w) {
    const HWND form = Handle();
    Label7.Create(form, L"Vorschau:", x, y + kPreviewTop, w, 14, SS_CENTER);

    const int centre = x + w / 2;
    Icon = std::make_unique<TDZImage>(form, centre - 16, y + kPreviewTop + 22, 33, 33);
    Icon->SetStretch(true);
    Icon->SetHandCursor(true);
    Icon->OnClick = [this] { IconClick(); };
    Icon->OnMouseEnter = [this] { IconLabelMouseEnter(); };
    Icon->OnMouseLeave = [this] { IconLabelMouseLeave(); };
    SmallIcon = std::make_unique<TDZImage>(form, centre + 60, y + kPreviewTop + 30, 16, 16);
    SmallIcon->SetStretch(true);
    SetWindowTextW(Icon->Handle(), L"Symbol der Verknüpfung");
    SetWindowTextW(SmallIcon->Handle(), L"Kleines Symbol der Verknüpfung");
    hints_.Set(SmallIcon->Handle(), L"Kleines Symbol der Verknüpfung");
    IconLabel.Create(form, L"", centre - 62, y + kPreviewTop + 60, 124, 56, SS_CENTER | SS_NOTIFY | SS_EDITCONTROL);
    SetWindowLongPtrW(IconLabel.Handle(), GWLP_ID, IdIconLabel);
    iconLabelMouse_.Attach(IconLabel.Handle(), [this](UINT message, WPARAM, LPARAM, LRESULT&) {
        iconLabelHover_.HandleMessage(IconLabel.Handle(), message, [this] { IconLabelMouseEnter(); },
                                      [this] { IconLabelMouseLeave(); });
        return false;  // the label still does its own work
    });
    IconStandardObject = std::make_unique<TFileLabel>(form, x, y + 20, 10, 18, false);
    IconStandardObject->SetDirection(drFromLeft);
    IconStandardObject->SetSeparator(L"\\");

    AddToPage(IconFilePage, Label7.Handle(), AnchorLayout::TopLeftRight);
    // The preview is centred by FormResize rather than anchored.
    PageControls(IconFilePage).push_back(Icon->Handle());
    PageControls(IconFilePage).push_back(SmallIcon->Handle());
    PageControls(IconFilePage).push_back(IconLabel.Handle());
}

void TForm1::FormResize() {
    if (!IconStandardObject) return;
    RECT client;
    GetClientRect(Handle(), &client);
    const RECT standard = Standard.Bounds();
    IconStandardObject->SetBounds(standard.left, standard.top, client.right - S(254), S(18));
    UpdateStandardCaption();

    const RECT label = Label7.Bounds();
    const int centre = (label.left + label.right) / 2;
    const int top = label.bottom + S(8);
    SetWindowPos(Icon->Handle(), nullptr, centre - S(16), top, S(33), S(33), SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(SmallIcon->Handle(), nullptr, centre + S(60), top + S(8), S(16), S(16),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceIconLabel();
}

// The label is as wide as its text needs, at most 124 pixels, and centred under the icon.
void TForm1::PlaceIconLabel() {
    RECT r{0, 0, S(124), S(56)};
    {
        const WindowDc dc(IconLabel.Handle());
        SelectedObject font(dc.Get(), Font());
        const std::wstring text = IconLabel.Text();
        DrawTextW(dc.Get(), text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL);
    }
    const RECT icon = ChildBounds(Icon->Handle());
    const int width = std::min<int>(S(124), r.right + S(2));
    SetWindowPos(IconLabel.Handle(), nullptr, icon.left + (icon.right - icon.left) / 2 - width / 2,
                 icon.bottom + S(5), width, S(56), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm1::UpdateStandardCaption() {
    Standard.SetText(L"Standard&datei: " + IconStandardObject->Caption());
}

void TForm1::SetPreview(HICON large, HICON small) {
    Icon->SetIcon(large);
    SmallIcon->SetIcon(small);
}

void TForm1::ClearPreview() { SetPreview(nullptr, nullptr); }

void TForm1::PreviewFromIconFile(int index) {
    HICON large = nullptr, small = nullptr;
    const std::wstring file = IconFile.Text();
    if (FileExists(file)) ExtractIconExW(FileSystemPath(file).c_str(), index, &large, &small, 1);
    SetPreview(large, small);
}

void TForm1::PreviewStandard(const std::wstring& path) {
    SHFILEINFOW large{}, small{};
    SHGetFileInfoW(FileSystemPath(path).c_str(), 0, &large, sizeof large, SHGFI_ICON | SHGFI_LARGEICON);
    SHGetFileInfoW(FileSystemPath(path).c_str(), 0, &small, sizeof small, SHGFI_ICON | SHGFI_SMALLICON);
    SetPreview(large.hIcon, small.hIcon);
}

void TForm1::StandardClick(const Control* sender) {
    if (sender != &IconFile) {
        const bool iconFile = IFile.Checked();
        IconFile.SetEnabled(iconFile);
        Button3.SetEnabled(iconFile);
        WinIconsFile.SetEnabled(iconFile);
    } else {
        if (!IconFile.Enabled()) return;
        if (ResetIconIndexOnChange) SelectedIconIndex = 0;
    }
    const std::wstring file = IconFile.Text();
    ChoseIcon.SetEnabled(IFile.Checked() && CountIcons(file, true) > 1);
    if (IFile.Checked()) {
        if (!FileExists(file)) {
            ClearPreview();
            return;
        }
        const std::wstring extension = UpperCase(ExtensionOf(file));
        if (extension == L".EXE" || extension == L".ICO" || extension == L".DLL" || extension == L".ICL") {
            PreviewFromIconFile(SelectedIconIndex);
            return;
        }
        if (extension == L".BMP") {
            Icon->LoadBitmapFile(file);
            SmallIcon->LoadBitmapFile(file);
            return;
        }
    }
    PreviewStandard(StandardIconPath());
}

// Only a folder is asked for with a trailing backslash; after a file name it names nothing.
std::wstring TForm1::StandardIconPath() const {
    return draft_.targetIsFolder ? WithTrailingBackslash(draft_.target) : draft_.target;
}

void TForm1::RefreshPreviewKeepingIndex() {
    ResetIconIndexOnChange = false;
    StandardClick(&IconFile);
    ResetIconIndexOnChange = true;
}

void TForm1::Button3Click() {
    ODialog.Filter = kIconFilter;
    const std::wstring folder = FolderPart(IconFile.Text());
    if (DirectoryExists(folder)) ODialog.InitialDir = folder;
    if (system_.dialogs.Open(Handle(), ODialog)) {
        IconFile.SetText(ODialog.FileName);
        StandardClick(&IconFile);
    }
    ODialog.Filter = kProgramFilter;
    ODialog.InitialDir.clear();
}

void TForm1::WinIconsFileClick() {
    IconFile.SetText(SpecialFolderPath(CSIDL_SYSTEM) + L"\\shell32.dll");
    StandardClick(&IconFile);
    ChoseIconClick();
}

void TForm1::ChoseIconClick() {
    if (IconChooser) IconChooser->ShowModal(Handle(), IconFile.Text(), SelectedIconIndex);
    PreviewFromIconFile(SelectedIconIndex);
}

void TForm1::IconFileChange() {
    const std::wstring text = IconFile.Text();
    if (UpperCase(text).find(L"%SYSTEMROOT%") != std::wstring::npos) {
        IconFile.SetText(ReplaceSystemRoot(text, SpecialFolderPath(CSIDL_WINDOWS)));
        StandardClick(&IconFile);
    }
    if (!IconFile.Enabled()) return;
    const std::wstring file = IconFile.Text();
    const int count = FileExists(file) ? CountIcons(file, true) : 0;
    if (count > 0) {
        SelectedIconIndex = 0;
        ChoseIcon.SetEnabled(count > 1);
        PreviewFromIconFile(0);
    } else {
        ChoseIcon.SetEnabled(false);
        ClearPreview();
    }
}

void TForm1::IconClick() {
    if (draft_.target.empty()) return;
    // The same argument string the link gets, so an argument holding a blank stays one argument.
    system_.shell.Open(Handle(), draft_.target, draft_.arguments, {}, SW_SHOWNORMAL);
}

void TForm1::IconLabelMouseEnter() {
    iconLabelHot_ = true;
    IconLabel.SetFont(FontVariant(Font(), FW_NORMAL, true));
    InvalidateRect(IconLabel.Handle(), nullptr, TRUE);
}

void TForm1::IconLabelMouseLeave() {
    iconLabelHot_ = false;
    IconLabel.SetFont(Font());
    InvalidateRect(IconLabel.Handle(), nullptr, TRUE);
}

void TForm1::EnterIconPage() {
    const std::wstring& target = draft_.target;
    IconLabel.SetText(NamePart(draft_.location));
    const std::wstring hint = !draft_.description.empty()
                                  ? draft_.description
                                  : L"Ort: " + WithoutTrailingBackslash(FolderPart(target));
    hints_.Set(IconLabel.Handle(), hint);
    hints_.Set(Icon->Handle(), hint);
    PlaceIconLabel();
    IconStandardObject->SetFileName(target);
    UpdateStandardCaption();
    if (WizardStage == Stage::LocationAccepted) {
        if (!IconFile.Text().empty()) {
            PreviewFromIconFile(SelectedIconIndex);
        } else {
            if (!Standard.Checked()) {
                Standard.SetChecked(true);
                IFile.SetChecked(false);
                StandardClick(&Standard);
            }
            IconFile.SetText(target);
            StandardClick(&IconFile);
            PreviewStandard(StandardIconPath());
        }
        WizardStage = Stage::IconPagePrepared;
    }
    if (!draft_.targetIsFolder) Next.SetText(L"Fertig stellen");
}

bool TForm1::LeaveIconPage() {
    const std::wstring file = IconFile.Text();
    if (!FileExists(file) && !Standard.Checked()) {
        ExclamationSound();
        WarnOk(Handle(), L"Die angegebene Symboldatei existiert nicht oder ist ungültig!");
        IconFile.SelectAll();
        IconFile.SetFocus();
        return false;
    }
    if (IFile.Checked()) {
        UpdateHistory(IconFile, [&](HistoryList& list) { RememberText(list, file); });
        RefreshPreviewKeepingIndex();
    }
    draft_.iconFile = Standard.Checked() ? std::wstring() : file;
    draft_.iconIndex = SelectedIconIndex;
    return true;
}

void TForm1::DropOnIconPage(const std::wstring& path) {
    std::wstring candidate;
    if (HasLinkExtension(path)) {
        const LinkData link = ReadLink(path);
        candidate = ExpandedPath(!link.iconFile.empty() ? link.iconFile : link.targetPath);
        if (!candidate.empty()) SelectedIconIndex = link.iconIndex;
    }
    if (!IFile.Checked()) {
        IFile.SetChecked(true);
        Standard.SetChecked(false);
        StandardClick(&IFile);
    }
    IconFile.SetText(candidate.empty() ? path : candidate);
    RefreshPreviewKeepingIndex();
}
