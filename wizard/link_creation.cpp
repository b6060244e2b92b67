#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_file_operation.h"
#include "wizard/command_line.h"
#include "links/folder_links.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "wizard/folder_replacement.h"
#include "wizard/wizard_form.h"

namespace {
// The link being edited is moved aside rather than deleted at once, so that a failed or declined
// write gives it back instead of losing it.
class EditedLinkBackup {
public:
    EditedLinkBackup(HWND owner, const std::wstring& path) : owner_(owner), path_(path) {
        const std::wstring base = WithoutTrailingBackslash(path);
        for (int i = 0; i < 100 && backup_.empty(); ++i) {
            const std::wstring candidate = base + L".zw-alt" + (i ? std::to_wstring(i) : L"");
            if (!PathExists(candidate) && MoveFileW(base.c_str(), candidate.c_str())) backup_ = candidate;
        }
        if (backup_.empty()) Remove(path);  // cannot move it aside: delete as before
    }
    ~EditedLinkBackup() {
        if (backup_.empty()) return;
        if (kept_) {
            Remove(backup_);
            return;
        }
        // Whatever stands in the original's place now is what the failed write left half made.
        if (PathExists(path_)) Remove(path_);
        if (PathExists(path_) || !MoveFileW(backup_.c_str(), WithoutTrailingBackslash(path_).c_str()))
            Remove(backup_);
    }
    void Keep() { kept_ = true; }

private:
    void Remove(const std::wstring& item) {
        SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DirectoryExists(item))
            ShellFileOperation(FO_DELETE, owner_, {WithoutTrailingBackslash(item)}, false, true);
        else
            DeleteFileW(item.c_str());
    }
    HWND owner_;
    std::wstring path_, backup_;
    bool kept_ = false;
};
}  // namespace

bool TForm1::CreateTheLink(const LinkDraft& draft) {
    LinkData link = NewLinkData(draft.target, draft.arguments, draft.description, draft.iconFile, draft.iconIndex);

    // An edited link is written starting from the old one, so that what the wizard does not show
    // (hot key, show command, flags, extra data) survives. Read before it is moved aside.
    std::optional<StoredLink> original;
    if (!draft.editedLink.empty() && PathExists(draft.editedLink)) {
        try {
            original = ReadStoredLink(EditedLinkFile(draft.editedLink));
            KeepLinkSettings(link, original->fields);
        } catch (const PlatformError&) {
            // Gone or unreadable since it was opened: the link is written as a new one.
        }
    }
    const auto write = [&](const std::wstring& linkFile) {
        if (original)
            WriteEditedLink(linkFile, *original, link);
        else
            WriteLink(linkFile, link);
    };

    std::optional<EditedLinkBackup> edited;
    if (draft.replacesEdited && PathExists(draft.editedLink)) edited.emplace(Handle(), draft.editedLink);

    if (draft.kind == LinkKind::FolderLink) {
        const std::wstring folder = WithTrailingBackslash(draft.location);
        if (DirectoryExists(folder) && !MakeRoomForFolderLink(Handle(), folder)) return false;
        try {
            CreateFolderLink(folder, link, write);
        } catch (const PlatformError& error) {
            ExclamationSound();
            WarnOk(Handle(), L"Beim Erstellen der Ordnerverknüpfung ist ein Fehler aufgetreten.\r\n" + error.Message());
            return false;
        }
        if (edited) edited->Keep();
        return true;
    }

    const std::wstring linkFile = draft.location + L".lnk";
    if (FileExists(linkFile)) {
        ExclamationSound();
        // The save replaces the old file; deleting it first would lose it if the save then failed.
        // No is the default: the old link is replaced, not moved to the recycle bin.
        if (!WarnYesNo(Handle(), L"Die Dateiverknüpfung " + linkFile +
                                     L" kann nicht erstellt werden, da bereits eine gleichnamige Verknüpfung "
                                     L"existiert. Soll sie überschrieben werden?",
                       BoxAnswer::No))
            return false;
        SetFileAttributesW(linkFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    try {
        write(linkFile);
    } catch (const PlatformError& error) {
        ExclamationSound();
        WarnOk(Handle(), L"Beim Erstellen der Verknüpfung ist ein Fehler aufgetreten.\r\n" + error.Message());
        return false;
    }
    if (edited) edited->Keep();
    return true;
}

void TForm1::ShowNewLinkPage() {
    // The tree shows a new folder link, or a link written beside a folder it lists.
    DelCurLink.SetVisible(false);
    if (draft_.kind == LinkKind::FolderLink || draft_.targetIsFolder) Dir->UpdateDirectories(Dir->IconSize(), L"");
    ShowPage(NewLinkPage);
    Next.SetText(L"&Ja");
    Cancel.SetText(L"&Nein");
    Back.SetVisible(false);
    QuestionSound();
}
