#include <shlobj.h>

#include <utility>

#include "app/resource_ids.h"
#include "controls/directory_view.h"
#include "platform/dpi.h"
#include "platform/shell_icon.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/win_error.h"
#include "wizard/control_ids.h"
#include "links/folder_links.h"
#include "wizard/history_rules.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "wizard/location_rules.h"
#include "wizard/name_rules.h"
#include "wizard/wizard_form.h"

namespace {
// What would keep the link from being written at a location whose folder exists, as a message:
// a link file path longer than the link store takes, or a folder in which no file can be made.
std::wstring WriteProblem(const std::wstring& location, const std::wstring& folder) {
    const std::wstring linkFile = LinkFileAt(location, false);
    if (linkFile.size() > kMaxLinkPathLength)
        return L"Der Pfad der Verknüpfung ist zu lang:\r\n\r\n" + linkFile + L"\r\n\r\nEr hat " +
               std::to_wstring(linkFile.size()) + L" Zeichen, erlaubt sind höchstens " +
               std::to_wstring(kMaxLinkPathLength) + L".";
    if (const DWORD error = FileCreationError(folder))
        return L"Im Verzeichnis " + folder + L" kann keine Verknüpfung erstellt werden:\r\n" + SystemMessage(error);
    return {};
}
}  // namespace

// The page is made in parts (see BuildNextPart): the tree, the folder buttons in two halves,
// the link text.
void TForm1::CreateLocationTree(int x, int y, int w, int h) {
    const HWND form = Handle();
    Label3.Create(form, L"Geben &Sie die Verknüpfungsdatei an:", x, y, w, 14);
    const int treeTop = y + 18, treeHeight = h - 18 - 30, treeWidth = w - 32;
    DirectoryViewOptions options;
    options.allowDeleteDirectory = true;
    options.startDirectory = SD_NO;
    options.hideSelection = false;
    options.singleExpand = true;
    options.indent = 19;
    Dir = std::make_unique<TDZDirectoryView>(form, IdDir, RECT{x, treeTop, x + treeWidth, treeTop + treeHeight},
                                             options);
    Dir->OnChange = [this](TDZDirectoryView*, HTREEITEM) { DirChange(); };
    Dir->OnDirectoryChanging = [this](TDZDirectoryView*, const std::wstring& directory, HTREEITEM, bool& allow) {
        DirDirectoryChanging(directory, allow);
    };
    Dir->OnDirectoryAdding = [this](TDZDirectoryView*, const std::wstring& directory, bool, bool, bool& allow) {
        DirDirectoryAdding(directory, allow);
    };
    AddToPage(LinkFilePage, Label3.Handle(), AnchorLayout::TopLeftRight);
    AddToPage(LinkFilePage, Dir->Handle(), AnchorLayout::All);
    treeKeys_.Attach(Dir->Handle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_KEYDOWN && message != WM_CHAR) return false;
        const bool outer = std::exchange(treeKeyboard_, true);
        result = DefSubclassProc(Dir->Handle(), message, wParam, lParam);
        treeKeyboard_ = outer;
        return true;
    });
}

void TForm1::CreateFolderButtons(int x, int y, int w, int h, bool secondHalf) {
    const HWND form = Handle();
    const int treeTop = y + 18, treeHeight = h - 18 - 30;
    const std::vector<FolderButton> buttons = FolderButtons();
    const size_t half = buttons.size() / 2, from = secondHalf ? half : 0, to = secondHalf ? buttons.size() : half;
    for (size_t i = from; i < to; ++i) {
        const FolderButton& b = buttons[i];
        // The name is not drawn (the button shows the folder's icon); screen readers say it.
        b.button->Create(form, b.hint, x + w - 26, treeTop + 28 * static_cast<int>(i), 26, 26, b.id, BS_ICON);
        hints_.Set(b.button->Handle(), b.hint);
        AddToPage(LinkFilePage, b.button->Handle(), AnchorLayout::TopRight);
    }
    if (!secondHalf) return;
    Up.Create(form, L"Aufwärts", x + w - 26, treeTop + treeHeight - 26, 26, 26, IdUp, BS_ICON);
    Up.SetEnabled(false);
    hints_.Set(Up.Handle(), L"Aufwärts");
    AddToPage(LinkFilePage, Up.Handle(), AnchorLayout::BottomRight);
}

void TForm1::CreateLinkFileField(int x, int y, int w, int h) {
    const HWND form = Handle();
    LinkFile.Create(form, x, y + h - 23, w - 32, 200, IdLinkFile);
    Label4.Create(form, L".lnk", x + w - 28, y + h - 20, 28, 14);
    AddToPage(LinkFilePage, LinkFile.Handle(), AnchorLayout::LeftRightBottom);
    AddToPage(LinkFilePage, Label4.Handle(), AnchorLayout::BottomRight);
    HookComboKeys(LinkFile, linkFileKeys_);
    LinkFile.SetItems(histories_[HistoryKind::Directories]);
}

std::vector<TForm1::FolderButton> TForm1::FolderButtons() {
    return {
        {&Desktop, IdDesktop, L"Desktop", CSIDL_DESKTOPDIRECTORY},
        {&Startmenu, IdStartmenu, L"Startmenü", CSIDL_STARTMENU},
        {&Programs, IdPrograms, L"Startmenü/Programme", CSIDL_PROGRAMS},
        {&SendTo, IdSendTo, L"SendTo (Senden an)", CSIDL_SENDTO},
        {&QuickLaunch, IdQuickLaunch, L"Quick Launch (Schnellstart)", CSIDL_APPDATA},
        {&Autorun, IdAutorun, L"Autostart", CSIDL_STARTUP},
    };
}

// The buttons show their folders' shell icons; asking the shell for them is slow the first
// time, so it waits until the page is first shown.
void TForm1::LoadFolderButtonIcons() {
    if (!buttonIcons_.empty()) return;
    const int size = SmallIconSize(dpi_);
    for (const auto& b : FolderButtons()) {
        const std::wstring path = SpecialFolderPath(b.folder);
        if (path.empty()) continue;
        if (HICON icon = ShellIconAtSize(path, 0, size)) {
            buttonIcons_.emplace_back(icon);
            b.button->SetIcon(icon);
        }
    }
}

void TForm1::LoadButtonPictures() {
    const int size = SmallIconSize(dpi_);
    upIcon_.Reset(LoadIconAtSize(IDI_UP, size));
    chooseIcon_.Reset(LoadIconAtSize(IDI_CHOOSE, size));
}

void TForm1::SelectSpecialFolder(int folderId, const std::wstring& suffix) {
    const std::wstring base = SpecialFolderPath(folderId);
    if (base.empty()) return;
    const std::wstring folder = base + suffix;
    if (!DirectoryExists(folder)) return;
    Dir->SelectDirectory(folder);
}

void TForm1::DesktopClick() { SelectSpecialFolder(CSIDL_DESKTOP); }
void TForm1::StartmenuClick() { SelectSpecialFolder(CSIDL_STARTMENU); }
void TForm1::ProgramsClick() { SelectSpecialFolder(CSIDL_PROGRAMS); }
void TForm1::SendToClick() { SelectSpecialFolder(CSIDL_SENDTO); }
void TForm1::QuickLaunchClick() { SelectSpecialFolder(CSIDL_APPDATA, L"\\Microsoft\\Internet Explorer\\Quick Launch"); }
void TForm1::AutorunClick() { SelectSpecialFolder(CSIDL_STARTUP); }

void TForm1::UpClick() {
    const HTREEITEM selected = Dir->Selected();
    if (!selected) return;
    if (const HTREEITEM parent = Dir->ParentOf(selected)) Dir->Select(parent);
}

void TForm1::DirChange() {
    const HTREEITEM selected = Dir->Selected();
    Up.SetEnabled(selected && Dir->LevelOf(selected) > 0);
}

void TForm1::DirDirectoryChanging(const std::wstring& directory, bool&) {
    if (!FollowTree || draft_.target.empty()) return;
    const std::wstring typed = NamePart(LinkFile.Text());
    const std::wstring name = typed.empty() ? ProposedLinkName(draft_.target) : CleanLinkName(typed);
    FollowLinkText = false;
    // No folder selected (a desktop the tree does not show) proposes the bare name, which the
    // location check then refuses, rather than a path in the root of the current drive.
    LinkFile.SetText((directory.empty() ? directory : WithTrailingBackslash(directory)) + name);
    // Walking the tree by keyboard stays in the tree; a click takes the user on to the name.
    if (!treeKeyboard_) LinkFile.SetFocus();
    LinkFile.CaretToEnd();
    FollowLinkText = true;
}

void TForm1::DirDirectoryAdding(const std::wstring& directory, bool& allowAdd) {
    if (directory.size() > 3) {
        if (IsRecycledFolder(directory)) allowAdd = false;
        return;
    }
    QuietErrorMode quiet;
    const UINT type = GetDriveTypeW(directory.c_str());
    if (type == DRIVE_REMOVABLE) return;
    if (type == DRIVE_FIXED) {
        ULARGE_INTEGER freeBytes{};
        if (GetDiskFreeSpaceExW(directory.c_str(), &freeBytes, nullptr, nullptr) &&
            freeBytes.QuadPart / 1024.0 > 2.0)
            return;
    }
    allowAdd = false;
}

void TForm1::LinkFileChange() {
    if (!FollowLinkText) return;
    const std::wstring text = LinkFile.Text();
    std::wstring folder = FolderPart(text);
    if (!DirectoryExists(folder) && !DirectoryExists(ResolveFolderLinks(folder))) return;
    const size_t typedLength = folder.size();
    folder = CollapseDoubleBackslashes(folder);
    const std::wstring resolved = ResolveFolderLinks(folder);
    folder = WithTrailingBackslash(folder);
    if (resolved != folder) {
        LinkFile.SetText(resolved + text.substr(std::min(typedLength, text.size())));
        LinkFileChange();
        LinkFile.SetSelection(static_cast<int>(resolved.size()), static_cast<int>(resolved.size()));
    }
    FollowTree = false;
    Dir->SelectDirectory(resolved);
    FollowTree = true;
}

void TForm1::LinkFileDropDown() {
    const std::wstring text = LinkFile.Text();
    const std::wstring name = NamePart(text);
    const auto items = LinkFile.Items();
    std::vector<std::wstring> offered;
    for (const auto& item : items) offered.push_back(FolderPart(item) + name);
    LinkFile.SetItems(offered);
    LinkFile.SetText(text);
    LinkFileChange();
}

void TForm1::ComboBoxKeyDown(ComboBox& combo, WPARAM key, bool shift) {
    const int length = static_cast<int>(combo.Text().size());
    combo.AutoComplete = length - combo.SelStart() - combo.SelLength() == 0;
    if (key != VK_DELETE) return;
    if (shift) {
        combo.Clear();
    } else if (combo.ItemIndex() >= 0) {
        const std::wstring text = combo.Text();
        combo.DeleteItem(combo.ItemIndex());
        combo.SetText(text);
    }
}

bool TForm1::CheckLocation() {
    const std::wstring text = LinkFile.Text();
    const LocationCheck check = CheckLocationText(text, DirectoryExists, [](const std::wstring& root) {
        QuietErrorMode quiet;
        return GetDriveTypeW(root.c_str()) == DRIVE_CDROM;
    });
    if (check.Accepted()) {
        if (const std::wstring problem = WriteProblem(text, check.folder); !problem.empty()) {
            ExclamationSound();
            WarnOk(Handle(), problem);
            LinkFile.SelectAll();
            LinkFile.SetFocus();
            return false;
        }
        UpdateHistory(LinkFile, [&](HistoryList& list) { MoveToTop(list, IndexOfFolder(check.folder, list), check.folder); });
        LinkFile.SetText(text);
        LinkFileChange();
        draft_.location = text;
        return true;
    }
    ExclamationSound();
    if (check.nameEmpty) WarnOk(Handle(), L"Geben Sie einen Namen für die Verknüpfung ein.");
    if (check.onCdRom)
        WarnOk(Handle(), L"Auf diesem Gerät kann nicht geschrieben werden.");
    else if (check.folderMissing)
        WarnOk(Handle(), L"Das Verzeichnis " + check.folder + L" existiert nicht.");
    if (!check.proposal.empty() && WarnYesNo(Handle(), L"Der angegebene Name ist ungültig.\r\n\r\n" + check.proposal +
                                                           L"\r\n\r\nMöchten Sie diesen Vorschlag annehmen?")) {
        LinkFile.SetText(check.proposal);
        LinkFileChange();
        return CheckLocation();
    }
    LinkFile.SelectAll();
    LinkFile.SetFocus();
    return false;
}

void TForm1::DropOnLocationPage(const std::wstring& path) {
    std::wstring folder = path;
    if (HasLinkExtension(path)) folder = ExpandedPath(ReadLink(path).targetPath);
    if (DirectoryExists(folder)) Dir->SelectDirectory(folder);
}
