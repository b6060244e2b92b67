#include "wizard/location_page.h"

#include <shlobj.h>

#include "platform/resource_ids.h"
#include "controls/directory_view.h"
#include "links/folder_links.h"
#include "links/link_kind.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_icon.h"
#include "platform/win_error.h"
#include "wizard/location_rules.h"
#include "wizard/name_rules.h"
#include "wizard/web_address_rules.h"

namespace {
// What would keep the link from being written at a location whose folder exists, as a message:
// a link file path longer than the link store takes, or a folder in which no file can be made.
std::wstring WriteProblem(const std::wstring& location, const std::wstring& folder) {
    const std::wstring linkFile = LinkFileName(location, LinkKind::ShellLink);
    if (linkFile.size() > kMaxLinkPathLength)
        return L"Der Pfad der Verknüpfung ist zu lang:\r\n\r\n" + linkFile + L"\r\n\r\nEr hat " +
               std::to_wstring(linkFile.size()) + L" Zeichen, erlaubt sind höchstens " +
               std::to_wstring(kMaxLinkPathLength) + L".";
    if (const DWORD error = FileCreationError(folder))
        return L"Im Verzeichnis " + folder + L" kann keine Verknüpfung erstellt werden:\r\n" + SystemMessage(error);
    return {};
}

bool OnCdRom(const std::wstring& root) {
    QuietErrorMode quiet;
    return GetDriveTypeW(root.c_str()) == DRIVE_CDROM;
}
}  // namespace

LocationPage::LocationPage(PageHost& host, LinkDraft& draft, WizardStage& stage, const HistoryList& history)
    : WizardPage(host), draft_(draft), stage_(stage), initialHistory_(history) {}

LocationPage::~LocationPage() = default;

void LocationPage::BuildPart(int part, const PageArea& area) {
    if (part == 0) BuildTree(area);
    if (part == 1 || part == 2) BuildFolderButtons(area, part == 2);
    if (part == 3) BuildLocationField(area);
}

void LocationPage::BuildTree(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width, h = area.height;
    Label caption;
    caption.Create(form, L"Geben &Sie die Verknüpfungsdatei an:", x, y, w, 14);
    const int treeTop = y + 18, treeHeight = h - 18 - 30, treeWidth = w - 32;
    tree_ = std::make_unique<DirectoryView>(form, RECT{x, treeTop, x + treeWidth, treeTop + treeHeight},
                                            folderReading_);
    treeDpi_ = host_.Dpi();
    tree_->OnFolderChanged = [this](const std::wstring& folder, DirectoryView::Cause cause) {
        UpdateUpButton();
        FollowFolder(folder, cause == DirectoryView::Cause::Keyboard);
    };
    tree_->ShowsFolder = OffersFolder;
    Add(caption.Handle(), AnchorLayout::TopLeftRight);
    Add(tree_->Handle(), AnchorLayout::All);
}

std::vector<LocationPage::FolderButton> LocationPage::FolderButtons() {
    return {
        {&desktop_, L"Desktop", CSIDL_DESKTOPDIRECTORY, nullptr},
        {&startMenu_, L"Startmenü", CSIDL_STARTMENU, nullptr},
        {&programs_, L"Startmenü/Programme", CSIDL_PROGRAMS, nullptr},
        {&sendTo_, L"SendTo (Senden an)", CSIDL_SENDTO, nullptr},
        {&quickLaunch_, L"Quick Launch (Schnellstart)", CSIDL_APPDATA, L"\\Microsoft\\Internet Explorer\\Quick Launch"},
        {&autostart_, L"Autostart", CSIDL_STARTUP, nullptr},
    };
}

void LocationPage::BuildFolderButtons(const PageArea& area, bool secondHalf) {
    const HWND form = Owner();
    const int x = area.x, w = area.width, treeTop = area.y + 18, treeHeight = area.height - 18 - 30;
    const std::vector<FolderButton> buttons = FolderButtons();
    const size_t half = buttons.size() / 2, from = secondHalf ? half : 0, to = secondHalf ? buttons.size() : half;
    for (size_t i = from; i < to; ++i) {
        const FolderButton& b = buttons[i];
        // The name is not drawn (the button shows the folder's icon); screen readers say it.
        b.button->Create(form, b.hint, x + w - 26, treeTop + 28 * static_cast<int>(i), 26, 26, -1, BS_ICON);
        PageHints().Set(b.button->Handle(), b.hint);
        // The desktop button shows the user's desktop folder but goes to the shell's desktop.
        const int folder = b.folder == CSIDL_DESKTOPDIRECTORY ? CSIDL_DESKTOP : b.folder;
        b.button->OnClick = [this, folder, suffix = b.suffix] { SelectSpecialFolder(folder, suffix); };
        Add(b.button->Handle(), AnchorLayout::TopRight);
    }
    if (!secondHalf) return;
    up_.Create(form, L"Aufwärts", x + w - 26, treeTop + treeHeight - 26, 26, 26, -1, BS_ICON);
    up_.SetEnabled(false);
    up_.OnClick = [this] { GoUp(); };
    PageHints().Set(up_.Handle(), L"Aufwärts");
    Add(up_.Handle(), AnchorLayout::BottomRight);
}

void LocationPage::BuildLocationField(const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width, h = area.height;
    location_.Create(form, x, y + h - 23, w - 32, 200, initialHistory_);
    extension_.Create(form, LinkFileExtension(LinkKind::ShellLink), x + w - 28, y + h - 20, 28, 14);
    Add(location_.Handle(), AnchorLayout::LeftRightBottom);
    Add(extension_.Handle(), AnchorLayout::BottomRight);
    location_.OnChange = [this] { LocationChanged(); };
    location_.OnDropDown = [this] { OfferFoldersWithName(); };
}

std::optional<HistoryList> LocationPage::History() const {
    if (!location_.Handle()) return std::nullopt;
    return location_.Items();
}

// The buttons show their folders' shell icons; asking the shell for them is slow the first
// time, so it waits until the page is first shown.
void LocationPage::LoadFolderButtonIcons() {
    if (!folderIcons_.empty()) return;
    const int size = SmallIconSize(host_.Dpi());
    for (const auto& b : FolderButtons()) {
        const std::wstring path = SpecialFolderPath(b.folder);
        if (path.empty()) continue;
        if (HICON icon = ShellIconAtSize(path, 0, size)) {
            folderIcons_.emplace_back(icon);
            b.button->SetIcon(icon);
        }
    }
}

void LocationPage::LoadPictures(UINT dpi) {
    upIcon_.Reset(LoadIconAtSize(IDI_UP, SmallIconSize(dpi)));
    if (up_.Handle()) up_.SetIcon(upIcon_.Get());
    if (!folderIcons_.empty()) {
        folderIcons_.clear();
        LoadFolderButtonIcons();
    }
    if (tree_ && dpi != treeDpi_) tree_->DpiChanged(dpi);
    treeDpi_ = dpi;
}

void LocationPage::SelectSpecialFolder(int folderId, const wchar_t* suffix) {
    const std::wstring base = SpecialFolderPath(folderId);
    if (!base.empty()) ShowFolder(base + (suffix ? suffix : L""));
}

void LocationPage::SelectFolder(const std::wstring& folder) { ShowFolder(folder); }

void LocationPage::ShowFolder(const std::wstring& folder) {
    const bool shown = DirectoryExists(folder) && tree_->SelectFolder(folder);
    UpdateUpButton();
    if (shown) FollowFolder(tree_->SelectedFolder(), false);
}

void LocationPage::RefreshTree() {
    tree_->Reload();
    UpdateUpButton();
}

void LocationPage::GoUp() {
    if (!tree_->CanGoUp()) return;
    tree_->GoUp();
    UpdateUpButton();
    FollowFolder(tree_->SelectedFolder(), false);
}

void LocationPage::UpdateUpButton() { up_.SetEnabled(tree_->CanGoUp()); }

void LocationPage::FollowFolder(const std::wstring& directory, bool byKeyboard) {
    if (draft_.target.empty()) return;
    const std::wstring typed = NamePart(location_.Text());
    const bool web = draft_.targetIsWebAddress;
    const std::wstring name = !typed.empty() ? (web ? CleanWebLinkName(typed) : CleanLinkName(typed))
                              : web          ? WebAddressName(draft_.target)
                                             : ProposedLinkName(draft_.target);
    // No folder selected (a desktop the tree does not show) proposes the bare name, which the
    // location check then refuses, rather than a path in the root of the current drive.
    location_.SetText((directory.empty() ? directory : WithTrailingBackslash(directory)) + name);
    if (!byKeyboard) location_.SetFocus();
    location_.CaretToEnd();
}

bool LocationPage::OffersFolder(const std::wstring& directory) {
    if (directory.size() > 3) return !IsRecycledFolder(directory);
    QuietErrorMode quiet;
    const UINT type = GetDriveTypeW(directory.c_str());
    if (type == DRIVE_REMOVABLE) return true;
    ULARGE_INTEGER freeBytes{};
    return type == DRIVE_FIXED && GetDiskFreeSpaceExW(directory.c_str(), &freeBytes, nullptr, nullptr) &&
           freeBytes.QuadPart / 1024.0 > 2.0;
}

void LocationPage::SetLocation(const std::wstring& location) {
    location_.SetText(location);
    LocationChanged();
}

void LocationPage::LocationChanged() {
    const std::wstring text = location_.Text();
    std::wstring folder = FolderPart(text);
    if (!DirectoryExists(folder) && !DirectoryExists(ResolveFolderLinks(folder))) return;
    const size_t typedLength = folder.size();
    folder = CollapseDoubleBackslashes(folder);
    const std::wstring resolved = ResolveFolderLinks(folder);
    folder = WithTrailingBackslash(folder);
    if (resolved != folder) {
        SetLocation(resolved + text.substr(std::min(typedLength, text.size())));
        location_.SetSelection(static_cast<int>(resolved.size()), static_cast<int>(resolved.size()));
    }
    tree_->SelectFolder(resolved);
    UpdateUpButton();
}

void LocationPage::OfferFoldersWithName() {
    const std::wstring text = location_.Text();
    const std::wstring name = NamePart(text);
    std::vector<std::wstring> offered;
    for (const auto& item : location_.Items()) offered.push_back(FolderPart(item) + name);
    location_.SetItems(offered);
    SetLocation(text);
}

void LocationPage::TakeLinkName(const std::wstring& linkPath) {
    if (location_.Text().empty()) ShowFolder(SpecialFolderPath(CSIDL_DESKTOP));
    SetLocation(FolderPart(location_.Text()) + WithoutExtension(NamePart(linkPath)));
}

void LocationPage::Enter() {
    extension_.SetText(LinkFileExtension(draft_.targetIsWebAddress ? LinkKind::InternetShortcut : LinkKind::ShellLink));
    if (stage_ == WizardStage::Nothing) {
        tree_->SelectFolder(SpecialFolderPath(CSIDL_DESKTOP));
        UpdateUpButton();
        stage_ = WizardStage::FolderChosen;
    }
    FollowFolder(tree_->SelectedFolder(), false);
}

bool LocationPage::Leave() {
    const std::wstring text = location_.Text();
    const LocationCheck check = CheckLocationText(text, DirectoryExists, OnCdRom);
    if (check.Accepted()) {
        if (const std::wstring problem = WriteProblem(text, check.folder); !problem.empty()) {
            ExclamationSound();
            WarnOk(Owner(), problem);
            location_.SelectAll();
            location_.SetFocus();
            return false;
        }
        location_.Remember([&](HistoryList& list) { MoveToTop(list, IndexOfFolder(check.folder, list), check.folder); });
        SetLocation(text);
        draft_.location = text;
        return true;
    }
    ExclamationSound();
    if (check.nameEmpty) WarnOk(Owner(), L"Geben Sie einen Namen für die Verknüpfung ein.");
    if (check.onCdRom)
        WarnOk(Owner(), L"Auf diesem Gerät kann nicht geschrieben werden.");
    else if (check.folderMissing)
        WarnOk(Owner(), L"Das Verzeichnis " + check.folder + L" existiert nicht.");
    if (!check.proposal.empty() && WarnYesNo(Owner(), L"Der angegebene Name ist ungültig.\r\n\r\n" + check.proposal +
                                                          L"\r\n\r\nMöchten Sie diesen Vorschlag annehmen?")) {
        SetLocation(check.proposal);
        return Leave();
    }
    location_.SelectAll();
    location_.SetFocus();
    return false;
}

void LocationPage::Drop(const std::wstring& path) {
    std::wstring folder = path;
    if (LinkFileKind(path) == LinkKind::ShellLink) folder = ExpandedPath(ReadLink(path).targetPath);
    ShowFolder(folder);
}
