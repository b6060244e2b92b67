#include "wizard/icon_page.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/resource_ids.h"
#include "controls/image_control.h"
#include "controls/path_label.h"
#include "links/internet_shortcut.h"
#include "controls/icon_count.h"
#include "links/link_kind.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/preview_icon.h"
#include "platform/shell_icon.h"
#include "wizard/command_line.h"
#include "wizard/icon_rules.h"
#include "wizard/name_rules.h"

namespace {
constexpr int kPreviewTop = 104;
const wchar_t* const kIconFilter = L"Symboldateien (ico, exe, dll)|*.ico;*.exe;*.dll|Bitmapdateien|*.bmp|Alle Dateien|*";
const wchar_t* const kProgramFilter = L"Programme|*.exe|Alle Dateien|*";
}  // namespace

IconPage::IconPage(PageHost& host, LinkDraft& draft, WizardStage& stage, WizardSystem system, OpenDialog& openDialog,
                   const HistoryList& history)
    : WizardPage(host), draft_(draft), stage_(stage), system_(system), openDialog_(openDialog), initialHistory_(history) {}

IconPage::~IconPage() = default;

void IconPage::BuildPart(int part, const PageArea& area) {
    if (part == 0) BuildChoice(area);
    if (part == 1) BuildIconFileField(area);
    if (part == 2) BuildIconFileButtons(area);
    if (part == 3) BuildPreview(area);
}

void IconPage::BuildChoice(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    Label caption;
    caption.Create(form, L"Geben Sie die Symboldatei für die Verknüpfung an:", x, y, w, 14);
    standardIcon_.Create(form, L"Standard&datei:", x, y + 20, w, 18, -1, BS_AUTORADIOBUTTON | WS_GROUP);
    iconFileChoice_.Create(form, L"&Symboldatei:", x, y + 44, 92, 18, -1, BS_AUTORADIOBUTTON);
    standardIcon_.SetChecked(true);
    standardIcon_.OnClick = iconFileChoice_.OnClick = [this] { ChoiceChanged(); };
    Add(caption.Handle(), AnchorLayout::TopLeftRight);
    Add(standardIcon_.Handle(), AnchorLayout::TopLeftRight);
    Add(iconFileChoice_.Handle(), AnchorLayout::TopLeft);
}

void IconPage::BuildIconFileField(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    iconFile_.Create(form, x + 94, y + 42, w - 94 - 28, 200, initialHistory_);
    iconFile_.SetEnabled(false);
    iconFile_.OnChange = [this] { IconFileTyped(); };
    chooseIcon_.Create(form, L"Symbol auswählen", x + w - 24, y + 41, 24, 23, -1, BS_ICON);
    chooseIcon_.SetEnabled(false);
    chooseIcon_.OnClick = [this] { ChooseIconIndex(); };
    PageHints().Set(chooseIcon_.Handle(), L"Symbol auswählen");
    Add(iconFile_.Handle(), AnchorLayout::TopLeftRight);
    Add(chooseIcon_.Handle(), AnchorLayout::TopRight);
}

void IconPage::BuildIconFileButtons(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    windowsIcons_.Create(form, L"Windows-Symbol&datei", x + 94, y + 70, 140, 23, -1);
    windowsIcons_.SetEnabled(false);
    windowsIcons_.OnClick = [this] { ChooseWindowsIcon(); };
    browseIconFile_.Create(form, L"Durchsuchen...", x + w - 100, y + 70, 100, 23, -1);
    browseIconFile_.SetEnabled(false);
    browseIconFile_.OnClick = [this] { BrowseIconFile(); };
    Add(windowsIcons_.Handle(), AnchorLayout::TopLeft);
    Add(browseIconFile_.Handle(), AnchorLayout::TopRight);
}

void IconPage::BuildPreview(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    previewCaption_.Create(form, L"Vorschau:", x, y + kPreviewTop, w, 14, SS_CENTER);

    const int centre = x + w / 2;
    preview_ = std::make_unique<ImageControl>(form, centre - 16, y + kPreviewTop + 22, 33, 33);
    preview_->SetStretch(true);
    preview_->SetHandCursor(true);
    preview_->OnClick = [this] { LaunchTarget(); };
    preview_->OnMouseEnter = [this] { HighlightName(true); };
    preview_->OnMouseLeave = [this] { HighlightName(false); };
    smallPreview_ = std::make_unique<ImageControl>(form, centre + 60, y + kPreviewTop + 30, 16, 16);
    smallPreview_->SetStretch(true);
    SetWindowTextW(preview_->Handle(), L"Symbol der Verknüpfung");
    SetWindowTextW(smallPreview_->Handle(), L"Kleines Symbol der Verknüpfung");
    PageHints().Set(smallPreview_->Handle(), L"Kleines Symbol der Verknüpfung");
    targetName_.Create(form, L"", centre - 62, y + kPreviewTop + 60, 124, 56, SS_CENTER | SS_NOTIFY | SS_EDITCONTROL);
    targetName_.OnClick = [this] { LaunchTarget(); };
    nameMouse_.Attach(targetName_.Handle(), [this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (MouseHover::ShowHand(message, lParam)) {
            result = TRUE;
            return true;
        }
        nameHover_.HandleMessage(targetName_.Handle(), message, [this] { HighlightName(true); },
                                 [this] { HighlightName(false); });
        return false;  // the label still does its own work
    });
    standardFileName_ = std::make_unique<PathLabel>(form, x, y + 20, 10, 18, false);
    standardFileName_->SetDirection(drFromLeft);
    standardFileName_->SetSeparator(L"\\");

    settings_.Create(form, L"&Erweitert…", x, y + area.height - 23, 110, 23, -1);
    settings_.OnClick = [this] {
        if (OnEditSettings) OnEditSettings();
        settings_.SetFocus();
    };
    Add(settings_.Handle(), AnchorLayout::BottomLeft);
    Add(previewCaption_.Handle(), AnchorLayout::TopLeftRight);
    // The preview is centred by Resize rather than anchored.
    AddUnlaid(preview_->Handle());
    AddUnlaid(smallPreview_->Handle());
    AddUnlaid(targetName_.Handle());
}

std::optional<HistoryList> IconPage::History() const {
    if (!iconFile_.Handle()) return std::nullopt;
    return iconFile_.Items();
}

HWND IconPage::FirstControl() const { return (iconFileChoice_.Checked() ? iconFileChoice_ : standardIcon_).Handle(); }

void IconPage::FontChanged(HFONT font) {
    if (!previewCaption_.Handle()) return;
    previewCaption_.SetFont(FontVariant(font, FW_BOLD, false));
    if (nameHot_) targetName_.SetFont(FontVariant(font, FW_NORMAL, true));
}

void IconPage::LoadPictures(UINT dpi) {
    chooseIconPicture_.Reset(LoadIconAtSize(IDI_CHOOSE, SmallIconSize(dpi)));
    if (chooseIcon_.Handle()) chooseIcon_.SetIcon(chooseIconPicture_.Get());
}

void IconPage::Resize() {
    if (!standardFileName_) return;
    RECT client;
    GetClientRect(Owner(), &client);
    const RECT standard = standardIcon_.Bounds();
    standardFileName_->SetBounds(standard.left, standard.top, client.right - S(254), S(18));
    UpdateStandardCaption();

    const RECT label = previewCaption_.Bounds();
    const int centre = (label.left + label.right) / 2;
    const int top = label.bottom + S(8);
    SetWindowPos(preview_->Handle(), nullptr, centre - S(16), top, S(33), S(33), SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(smallPreview_->Handle(), nullptr, centre + S(60), top + S(8), S(16), S(16),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceIconLabel();
}

// The label is as wide as its text needs, at most 124 pixels, and centred under the icon.
void IconPage::PlaceIconLabel() {
    RECT r{0, 0, S(124), S(56)};
    {
        const WindowDc dc(targetName_.Handle());
        SelectedObject font(dc.Get(), Font());
        const std::wstring text = targetName_.Text();
        DrawTextW(dc.Get(), text.c_str(), -1, &r, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL);
    }
    const RECT icon = ChildBounds(preview_->Handle());
    const int width = std::min<int>(S(124), r.right + S(2));
    SetWindowPos(targetName_.Handle(), nullptr, icon.left + (icon.right - icon.left) / 2 - width / 2,
                 icon.bottom + S(5), width, S(56), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IconPage::Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_CTLCOLORSTATIC || !targetName_.Handle() || reinterpret_cast<HWND>(lParam) != targetName_.Handle())
        return false;
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, nameHot_ ? RGB(0, 0, 255) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

void IconPage::UpdateStandardCaption() { standardIcon_.SetText(L"Standard&datei: " + standardFileName_->Caption()); }

void IconPage::SetPreview(HICON large, HICON small) {
    preview_->SetIcon(large);
    smallPreview_->SetIcon(small);
}

void IconPage::PreviewFromIconFile(int index) {
    HICON large = nullptr, small = nullptr;
    const std::wstring file = ExpandedPath(iconFile_.Text());
    if (FileExists(file)) ExtractIconExW(FileSystemPath(file).c_str(), index, &large, &small, 1);
    SetPreview(large, small);
}

void IconPage::PreviewTargetIcon() {
    // A web address has the icon every Internet shortcut shows.
    const PreviewIcons icons = draft_.targetIsWebAddress
                                   ? KindPreviewIcons(L".url")
                                   : StandardPreviewIcons(ExpandedPath(TargetIconPath(draft_.target, draft_.targetIsFolder)));
    SetPreview(icons.large, icons.small);
}

void IconPage::ChoiceChanged() {
    const bool iconFile = iconFileChoice_.Checked();
    iconFile_.SetEnabled(iconFile);
    browseIconFile_.SetEnabled(iconFile);
    windowsIcons_.SetEnabled(iconFile);
    UpdatePreview();
}

void IconPage::UseIconFile(bool iconFile) {
    iconFileChoice_.SetChecked(iconFile);
    standardIcon_.SetChecked(!iconFile);
    ChoiceChanged();
}

void IconPage::IconFileTyped() {
    if (!iconFile_.Enabled()) return;
    iconIndex_ = 0;
    UpdatePreview();
}

void IconPage::UpdatePreview() {
    const std::wstring file = ExpandedPath(iconFile_.Text());
    chooseIcon_.SetEnabled(iconFileChoice_.Checked() && CountIcons(file, true) > 1);
    if (iconFileChoice_.Checked()) {
        if (!FileExists(file)) {
            SetPreview(nullptr, nullptr);
            return;
        }
        switch (PreviewSourceOf(file)) {
            case PreviewSource::IconsInFile: PreviewFromIconFile(iconIndex_); return;
            case PreviewSource::Bitmap:
                preview_->LoadBitmapFile(file);
                smallPreview_->LoadBitmapFile(file);
                return;
            case PreviewSource::TargetIcon: break;
        }
    }
    PreviewTargetIcon();
}

void IconPage::BrowseIconFile() {
    openDialog_.Filter = kIconFilter;
    const std::wstring folder = ExpandedPath(FolderPart(iconFile_.Text()));
    if (DirectoryExists(folder)) openDialog_.InitialDir = folder;
    if (system_.dialogs.Open(Owner(), openDialog_)) {
        iconFile_.SetText(openDialog_.FileName);
        IconFileTyped();
    }
    openDialog_.Filter = kProgramFilter;
    openDialog_.InitialDir.clear();
}

void IconPage::ChooseWindowsIcon() {
    iconFile_.SetText(SpecialFolderPath(CSIDL_SYSTEM) + L"\\shell32.dll");
    IconFileTyped();
    ChooseIconIndex();
}

void IconPage::ChooseIconIndex() {
    if (OnChooseIcon) OnChooseIcon(ExpandedPath(iconFile_.Text()), iconIndex_);
    PreviewFromIconFile(iconIndex_);
}

void IconPage::LoadIconFile() {
    const std::wstring text = iconFile_.Text();
    if (UpperCase(text).find(L"%SYSTEMROOT%") != std::wstring::npos) {
        iconFile_.SetText(ReplaceSystemRoot(text, SpecialFolderPath(CSIDL_WINDOWS)));
        IconFileTyped();
    }
    if (!iconFile_.Enabled()) return;
    const std::wstring file = ExpandedPath(iconFile_.Text());
    const int count = FileExists(file) ? CountIcons(file, true) : 0;
    if (count > 0) {
        iconIndex_ = 0;
        chooseIcon_.SetEnabled(count > 1);
        PreviewFromIconFile(0);
    } else {
        chooseIcon_.SetEnabled(false);
        SetPreview(nullptr, nullptr);
    }
}

void IconPage::LaunchTarget() {
    if (draft_.target.empty()) return;
    // The same argument string the link gets, so an argument holding a blank stays one argument.
    system_.shell.Open(Owner(), ExpandedPath(draft_.target), draft_.arguments, {}, SW_SHOWNORMAL);
}

void IconPage::HighlightName(bool hot) {
    nameHot_ = hot;
    targetName_.SetFont(hot ? FontVariant(Font(), FW_NORMAL, true) : Font());
    InvalidateRect(targetName_.Handle(), nullptr, TRUE);
}

void IconPage::Enter() {
    const std::wstring& target = draft_.target;
    targetName_.SetText(NamePart(draft_.location));
    const std::wstring hint = !draft_.description.empty()
                                  ? draft_.description
                                  : L"Ort: " + WithoutTrailingBackslash(FolderPart(target));
    PageHints().Set(targetName_.Handle(), hint);
    PageHints().Set(preview_->Handle(), hint);
    PlaceIconLabel();
    standardFileName_->SetFileName(target);
    UpdateStandardCaption();
    if (stage_ == WizardStage::LocationAccepted) {
        if (!iconFile_.Text().empty()) {
            PreviewFromIconFile(iconIndex_);
        } else {
            UseIconFile(false);
            iconFile_.SetText(draft_.targetIsWebAddress ? std::wstring() : target);
            IconFileTyped();
            PreviewTargetIcon();
        }
        stage_ = WizardStage::IconPagePrepared;
    }
}

void IconPage::Shown() { settings_.SetVisible(draft_.targetIsWebAddress); }

bool IconPage::Leave() {
    const std::wstring file = iconFile_.Text();
    if (!FileExists(ExpandedPath(file)) && !standardIcon_.Checked()) {
        ExclamationSound();
        WarnOk(Owner(), L"Die angegebene Symboldatei existiert nicht oder ist ungültig!");
        iconFile_.SelectAll();
        iconFile_.SetFocus();
        return false;
    }
    if (iconFileChoice_.Checked()) {
        iconFile_.Remember([&](HistoryList& list) { RememberText(list, file); });
        UpdatePreview();
    }
    draft_.iconFile = standardIcon_.Checked() ? std::wstring() : file;
    draft_.iconIndex = iconIndex_;
    if (stage_ == WizardStage::IconPagePrepared) stage_ = WizardStage::IconPageAccepted;
    return true;
}

void IconPage::TakeLinkIcon(const std::wstring& iconFile, int iconIndex) {
    iconFile_.SetText(iconFile);
    LoadIconFile();
    iconIndex_ = iconIndex;
    UseIconFile(!iconFile.empty());
}

void IconPage::ForgetIconFile() { iconFile_.SetText(L""); }

void IconPage::Reset() {
    iconFile_.SetText(L"");
    UseIconFile(false);
    iconIndex_ = 0;
    chooseIcon_.SetEnabled(false);
}

void IconPage::Drop(const std::wstring& path) {
    std::wstring candidate;
    if (LinkFileKind(path) == LinkKind::ShellLink) {
        const LinkData link = ReadLink(path);
        candidate = ExpandedPath(!link.iconFile.empty() ? link.iconFile : link.targetPath);
        if (!candidate.empty()) iconIndex_ = link.iconIndex;
    } else if (LinkFileKind(path) == LinkKind::InternetShortcut) {
        const InternetShortcutFields shortcut = ReadInternetShortcut(path);
        candidate = ExpandedPath(shortcut.iconFile);
        if (!candidate.empty()) iconIndex_ = shortcut.iconIndex;
    }
    UseIconFile(true);
    iconFile_.SetText(candidate.empty() ? path : candidate);
    UpdatePreview();
}
