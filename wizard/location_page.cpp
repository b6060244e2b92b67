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
#include "platform/scoped_value.h"
#include "platform/shell_icon.h"
#include "platform/win_error.h"
#include "wizard/location_rules.h"
#include "wizard/name_rules.h"

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
    DirectoryViewOptions options;
    options.allowDeleteDirectory = true;
    options.startDirectory = SD_NO;
    options.hideSelection = false;
    options.singleExpand = true;
    options.indent = 19;
    tree_ = std::make_unique<DirectoryView>(form, -1, RECT{x, treeTop, x + treeWidth, treeTop + treeHeight},
                                               options);
    treeDpi_ = host_.Dpi();
    tree_->OnChange = [this](DirectoryView*, HTREEITEM) { TreeSelectionChanged(); };
    tree_->OnDirectoryChanging = [this](DirectoryView*, const std::wstring& directory, HTREEITEM, bool&) {
        FollowFolder(directory);
    };
    tree_->OnDirectoryAdding = [this](DirectoryView*, const std::wstring& directory, bool, bool, bool& allow) {
        OfferFolder(directory, allow);
    };
    Add(caption.Handle(), AnchorLayout::TopLeftRight);
    Add(tree_->Handle(), AnchorLayout::All);
    treeKeys_.Attach(tree_->Handle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_KEYDOWN && message != WM_CHAR) return false;
        const ScopedValue keyboard(treeKeyboard_, true);
        result = DefSubclassProc(tree_->Handle(), message, wParam, lParam);
        return true;
    });
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
    Label extension;
    extension.Create(form, LinkFileExtension(LinkKind::ShellLink), x + w - 28, y + h - 20, 28, 14);
    Add(location_.Handle(), AnchorLayout::LeftRightBottom);
    Add(extension.Handle(), AnchorLayout::BottomRight);
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
    if (base.empty()) return;
    const std::wstring folder = base + (suffix ? suffix : L"");
    if (DirectoryExists(folder)) tree_->SelectDirectory(folder);
}

void LocationPage::SelectFolder(const std::wstring& folder) { tree_->SelectDirectory(folder); }

void LocationPage::RefreshTree() { tree_->UpdateDirectories(tree_->IconSize(), L""); }

void LocationPage::GoUp() {
    const HTREEITEM selected = tree_->Selected();
    if (!selected) return;
    if (const HTREEITEM parent = tree_->ParentOf(selected)) tree_->Select(parent);
}

void LocationPage::TreeSelectionChanged() {
    const HTREEITEM selected = tree_->Selected();
    up_.SetEnabled(selected && tree_->LevelOf(selected) > 0);
}

void LocationPage::FollowFolder(const std::wstring& directory) {
    if (followingText_ || draft_.target.empty()) return;
    const std::wstring typed = NamePart(location_.Text());
    const std::wstring name = typed.empty() ? ProposedLinkName(draft_.target) : CleanLinkName(typed);
    // No folder selected (a desktop the tree does not show) proposes the bare name, which the
    // location check then refuses, rather than a path in the root of the current drive.
    location_.SetText((directory.empty() ? directory : WithTrailingBackslash(directory)) + name);
    // Walking the tree by keyboard stays in the tree; a click takes the user on to the name.
    if (!treeKeyboard_) location_.SetFocus();
    location_.CaretToEnd();
}

void LocationPage::OfferFolder(const std::wstring& directory, bool& allowAdd) {
    if (directory.size() > 3) {
        if (IsRecycledFolder(directory)) allowAdd = false;
        return;
    }
    QuietErrorMode quiet;
    const UINT type = GetDriveTypeW(directory.c_str());
    if (type == DRIVE_REMOVABLE) return;
    if (type == DRIVE_FIXED) {
        ULARGE_INTEGER freeBytes{};
        if (GetDiskFreeSpaceExW(directory.c_str(), &freeBytes, nullptr, nullptr) && freeBytes.QuadPart / 1024.0 > 2.0)
            return;
    }
    allowAdd = false;
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
    const ScopedValue following(followingText_, true);
    tree_->SelectDirectory(resolved);
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
    if (location_.Text().empty()) tree_->SelectDirectory(SpecialFolderPath(CSIDL_DESKTOP));
    SetLocation(FolderPart(location_.Text()) + WithoutExtension(NamePart(linkPath)));
}

void LocationPage::Enter() {
    if (stage_ == WizardStage::Nothing) {
        tree_->SelectDirectory(SpecialFolderPath(CSIDL_DESKTOP));
        stage_ = WizardStage::FolderChosen;
    }
    FollowFolder(tree_->SelectedDirectory());
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
    if (IsLinkFile(path)) folder = ExpandedPath(ReadLink(path).targetPath);
    if (DirectoryExists(folder)) tree_->SelectDirectory(folder);
}
