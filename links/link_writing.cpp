#include "links/link_writing.h"

#include <shellapi.h>

#include <optional>

#include "links/internet_shortcut.h"
#include "links/link_file_system.h"
#include "links/link_kind.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/shell_file_operation.h"
#include "platform/win_error.h"

namespace {
// An edited link is written starting from the old one, so that what the wizard does not show
// (hot key, show command, flags, extra data) survives.
std::optional<StoredLink> EditedOriginal(const std::wstring& editedLink) {
    if (editedLink.empty() || !PathExists(editedLink)) return std::nullopt;
    try {
        return ReadStoredLink(EditedLinkFile(editedLink));
    } catch (const PlatformError&) {
        return std::nullopt;  // gone or unreadable since it was opened: written as a new link
    }
}

std::string DraftBytes(const LinkDraft& draft, const std::optional<StoredLink>& original, const std::wstring& file) {
    if (file.size() > kMaxLinkPathLength) ThrowError(ERROR_FILENAME_EXCED_RANGE);
    LinkData link = NewLinkData(draft.target, draft.arguments, draft.description, draft.iconFile, draft.iconIndex);
    const LinkSettings settings = SettingsToWrite(draft, original ? &original->fields : nullptr);
    link.workingFolder = settings.workingFolder;
    link.hotKey = settings.hotKey;
    link.showCommand = settings.showCommand;
    link.runAsAdmin = settings.runAsAdmin;
    return original ? EditedLinkBytes(*original, link) : NewLinkBytes(link);
}
}  // namespace

bool WriteLinkDraft(const LinkDraft& draft, LinkWritingQuestions& questions) {
    const bool folderLink = draft.kind == LinkKind::FolderLink;
    const std::wstring file = LinkFileName(draft.location, draft.kind);
    const std::wstring replaced = draft.replacesEdited && PathExists(draft.editedLink) ? draft.editedLink : L"";
    const bool inPlace = !replaced.empty() && SameText(WithoutTrailingBackslash(replaced),
                                                       folderLink ? WithoutTrailingBackslash(draft.location) : file);
    if (folderLink) {
        const std::wstring folder = WithTrailingBackslash(draft.location);
        if (DirectoryExists(folder) && !inPlace) {
            if (!questions.ReplaceFolder(folder)) return false;
            // A folder link left read-only would keep the shell from emptying it.
            SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
            ShellFileOperation(FO_DELETE, questions.Owner(), {folder + L"*.*"}, false, false);
        }
    } else if (FileExists(file) && !inPlace && !questions.OverwriteLink(file)) {
        return false;
    }
    // A read-only folder link takes its new target.lnk only while it is writable (where the
    // attribute is a permission, as under Wine); a write that fails leaves it as it was.
    const std::wstring folder = WithTrailingBackslash(draft.location);
    const DWORD folderAttributes = folderLink ? AttributesOf(folder) : INVALID_FILE_ATTRIBUTES;
    const bool lifted = folderAttributes != INVALID_FILE_ATTRIBUTES && (folderAttributes & FILE_ATTRIBUTE_READONLY) &&
                        SetFileAttributesW(folder.c_str(), folderAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    LinkWriteResult result;
    try {
        SystemLinkFiles files;
        const std::string bytes = draft.kind == LinkKind::InternetShortcut
                                      ? InternetShortcutDraftBytes(draft, file)
                                      : DraftBytes(draft, EditedOriginal(draft.editedLink), file);
        result = WriteLinkTransaction(files, {draft.kind, file, bytes, replaced});
    } catch (const PlatformError& error) {
        result.error = error.Message();
    }
    if (lifted && !result.written) SetFileAttributesW(folder.c_str(), folderAttributes);
    for (const std::wstring& note : result.notes) questions.Tell(note);
    if (!result.written) questions.ReportWriteError(draft.kind, result.error);
    return result.written;
}
