#include "links/link_writing.h"

#include <shellapi.h>

#include <optional>

#include "links/folder_links.h"
#include "links/link_kind.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/shell_file_operation.h"

namespace {
void RemoveItem(HWND owner, const std::wstring& item) {
    SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DirectoryExists(item))
        ShellFileOperation(FO_DELETE, owner, {WithoutTrailingBackslash(item)}, false, true);
    else
        DeleteFileW(item.c_str());
}

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
        if (backup_.empty()) RemoveItem(owner_, path);  // cannot move it aside: delete as before
    }
    ~EditedLinkBackup() {
        if (backup_.empty()) return;
        if (kept_) {
            RemoveItem(owner_, backup_);
            return;
        }
        // Whatever stands in the original's place now is what the failed write left half made.
        if (PathExists(path_)) RemoveItem(owner_, path_);
        if (PathExists(path_) || !MoveFileW(backup_.c_str(), WithoutTrailingBackslash(path_).c_str()))
            RemoveItem(owner_, backup_);
    }
    EditedLinkBackup(const EditedLinkBackup&) = delete;
    EditedLinkBackup& operator=(const EditedLinkBackup&) = delete;
    void Keep() { kept_ = true; }

private:
    HWND owner_;
    std::wstring path_, backup_;
    bool kept_ = false;
};

// An edited link is written starting from the old one, so that what the wizard does not show
// (hot key, show command, flags, extra data) survives. Read before it is moved aside.
std::optional<StoredLink> EditedOriginal(const std::wstring& editedLink) {
    if (editedLink.empty() || !PathExists(editedLink)) return std::nullopt;
    try {
        return ReadStoredLink(EditedLinkFile(editedLink));
    } catch (const PlatformError&) {
        return std::nullopt;  // gone or unreadable since it was opened: written as a new link
    }
}
}  // namespace

bool WriteLinkDraft(const LinkDraft& draft, LinkWritingQuestions& questions) {
    LinkData link = NewLinkData(draft.target, draft.arguments, draft.description, draft.iconFile, draft.iconIndex);
    const std::optional<StoredLink> original = EditedOriginal(draft.editedLink);
    // A folder link's target is the folder itself: the settings of a link to a program do not apply.
    if (draft.settings && draft.kind != LinkKind::FolderLink) {
        link.workingFolder = draft.settings->workingFolder;
        link.hotKey = draft.settings->hotKey;
        link.showCommand = draft.settings->showCommand;
        link.runAsAdmin = draft.settings->runAsAdmin;
    } else if (original) {
        KeepLinkSettings(link, original->fields);
    }
    const auto write = [&](const std::wstring& linkFile) {
        if (original)
            WriteEditedLink(linkFile, *original, link);
        else
            WriteLink(linkFile, link);
    };

    std::optional<EditedLinkBackup> edited;
    if (draft.replacesEdited && PathExists(draft.editedLink)) edited.emplace(questions.Owner(), draft.editedLink);

    if (draft.kind == LinkKind::FolderLink) {
        const std::wstring folder = WithTrailingBackslash(draft.location);
        if (DirectoryExists(folder)) {
            if (!questions.ReplaceFolder(folder)) return false;
            // A folder link left read-only would keep the shell from emptying it.
            SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
            ShellFileOperation(FO_DELETE, questions.Owner(), {folder + L"*.*"}, false, false);
        }
        try {
            CreateFolderLink(folder, link, write);
        } catch (const PlatformError& error) {
            questions.ReportWriteError(draft.kind, error.Message());
            return false;
        }
    } else {
        const std::wstring linkFile = LinkFileName(draft.location, LinkKind::ShellLink);
        if (FileExists(linkFile)) {
            // The save replaces the old file; deleting it first would lose it if the save then failed.
            if (!questions.OverwriteLink(linkFile)) return false;
            SetFileAttributesW(linkFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        try {
            write(linkFile);
        } catch (const PlatformError& error) {
            questions.ReportWriteError(draft.kind, error.Message());
            return false;
        }
    }
    if (edited) edited->Keep();
    return true;
}
