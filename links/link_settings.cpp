#include "links/link_settings.h"

#include "links/link_draft.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "platform/path_text.h"

bool IsProgramFile(const std::wstring& path) {
    const std::wstring extension = UpperCase(ExtensionOf(path));
    for (const wchar_t* program : {L".EXE", L".COM", L".BAT", L".CMD", L".MSC", L".SCR"})
        if (extension == program) return true;
    return false;
}

SettingsTarget SettingsTargetOf(const std::wstring& target, bool targetIsFolder, bool folderLink) {
    if (folderLink) return SettingsTarget::FolderLink;
    if (targetIsFolder) return SettingsTarget::Folder;
    return IsProgramFile(target) ? SettingsTarget::Program : SettingsTarget::Document;
}

SettingsAvailability AvailableSettings(SettingsTarget target) {
    switch (target) {
    case SettingsTarget::Program:
        return {};
    case SettingsTarget::Document:
        return {true, true, true, false, L"Als Administrator lassen sich nur Programme ausführen."};
    case SettingsTarget::Folder:
        return {false, true, true, false,
                L"Für einen Ordner gelten „Ausführen in“ und „Als Administrator“ nicht."};
    case SettingsTarget::FolderLink:
        break;
    }
    return {false, false, false, false,
            L"Eine Ordnerverknüpfung zeigt den Ordner selbst; diese Einstellungen gelten dort nicht."};
}

LinkSettings ApplicableSettings(LinkSettings settings, SettingsTarget target, const std::wstring& ownWorkingFolder) {
    const SettingsAvailability available = AvailableSettings(target);
    const LinkSettings none;
    if (!available.workingFolder) settings.workingFolder = ownWorkingFolder;
    if (!available.hotKey) settings.hotKey = none.hotKey;
    if (!available.showCommand) settings.showCommand = none.showCommand;
    if (!available.runAsAdmin) settings.runAsAdmin = none.runAsAdmin;
    return settings;
}

LinkSettings ProposedSettings(const std::wstring& target, const LinkSettings* edited, const std::wstring& editedTarget) {
    LinkSettings settings{WorkingFolderFor(target)};
    if (!edited) return settings;
    const std::wstring workingFolder = target == editedTarget ? edited->workingFolder : settings.workingFolder;
    settings = *edited;
    settings.workingFolder = workingFolder;
    return settings;
}

LinkSettings SettingsToWrite(const LinkDraft& draft, const LinkData* edited) {
    std::optional<LinkSettings> editedSettings;
    if (edited) editedSettings = LinkSettings{edited->workingFolder, edited->hotKey, edited->showCommand, edited->runAsAdmin};
    const LinkSettings settings = draft.settings.value_or(
        ProposedSettings(draft.target, editedSettings ? &*editedSettings : nullptr, edited ? edited->targetPath : L""));
    const SettingsTarget target = SettingsTargetOf(draft.target, draft.targetIsFolder, draft.kind == LinkKind::FolderLink);
    return ApplicableSettings(settings, target, WorkingFolderFor(draft.target));
}
