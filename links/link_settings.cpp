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
    case SettingsTarget::WebAddress:
        return {false, true, true, false,
                L"Eine Internetverknüpfung öffnet eine Adresse; „Ausführen in“ und „Als Administrator“ gelten dort nicht."};
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

std::wstring DroppedSettingsNote(const LinkSettings& set, const std::wstring& ownWorkingFolder, SettingsTarget target) {
    const LinkSettings kept = ApplicableSettings(set, target, ownWorkingFolder);
    std::wstring names;
    const auto add = [&](bool dropped, const wchar_t* name) {
        if (dropped) names += (names.empty() ? L"" : L", ") + std::wstring(name);
    };
    add(kept.workingFolder != set.workingFolder && !set.workingFolder.empty(), L"„Ausführen in“");
    add(kept.hotKey != set.hotKey, L"„Tastenkombination“");
    add(kept.showCommand != set.showCommand, L"„Ausführen“");
    add(kept.runAsAdmin != set.runAsAdmin, L"„Als Administrator ausführen“");
    return names.empty() ? names : L"Diese Einstellungen gelten hier nicht und werden nicht übernommen: " + names + L".";
}

LinkSettings ProposedSettings(const std::wstring& target, const LinkSettings* edited, const std::wstring& editedTarget) {
    LinkSettings settings{WorkingFolderFor(target)};
    if (!edited) return settings;
    const std::wstring workingFolder = target == editedTarget ? edited->workingFolder : settings.workingFolder;
    settings = *edited;
    settings.workingFolder = workingFolder;
    return settings;
}

namespace {
// A relative "Start in" ("." or "Daten\\..") taken in the target's folder; others as they are.
std::wstring AbsoluteWorkingFolder(const std::wstring& folder, const std::wstring& target) {
    const bool absolute = folder.empty() || folder[0] == L'%' || folder[0] == L'\\' ||
                          (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\');
    const std::wstring base = WorkingFolderFor(target);
    if (absolute || base.empty()) return folder;
    std::wstring path = WithoutTrailingBackslash(base);
    size_t at = 0;
    while (at <= folder.size()) {
        size_t end = folder.find(L'\\', at);
        if (end == std::wstring::npos) end = folder.size();
        const std::wstring part = folder.substr(at, end - at);
        if (part == L"..") {
            const size_t cut = path.find_last_of(L'\\');
            if (cut != std::wstring::npos && cut > 2) path.resize(cut);
        } else if (!part.empty() && part != L".") {
            path += L"\\" + part;
        }
        at = end + 1;
    }
    return path.size() == 2 ? path + L"\\" : path;
}
}  // namespace

LinkSettings SettingsToWrite(const LinkDraft& draft, const LinkData* edited) {
    std::optional<LinkSettings> editedSettings;
    if (edited) editedSettings = LinkSettings{edited->workingFolder, edited->hotKey, edited->showCommand, edited->runAsAdmin};
    LinkSettings settings = draft.settings.value_or(
        ProposedSettings(draft.target, editedSettings ? &*editedSettings : nullptr, edited ? edited->targetPath : L""));
    settings.workingFolder = AbsoluteWorkingFolder(settings.workingFolder, draft.target);
    if (draft.kind == LinkKind::InternetShortcut) return ApplicableSettings(settings, SettingsTarget::WebAddress, L"");
    const SettingsTarget target = SettingsTargetOf(draft.target, draft.targetIsFolder, draft.kind == LinkKind::FolderLink);
    return ApplicableSettings(settings, target, WorkingFolderFor(draft.target));
}
