#pragma once
#include <cstdint>
#include <string>

// The settings of a link beyond target, name, description and icon, as the dialog
// "Erweiterte Einstellungen" shows and returns them.
struct LinkSettings {
    std::wstring workingFolder;  // "Start in"; empty: none
    std::uint16_t hotKey = 0;    // virtual key in the low byte, HOTKEYF_ modifiers in the high byte
    int showCommand = 1;         // 1 normal window, 7 minimised, 3 maximised
    bool runAsAdmin = false;
    bool operator==(const LinkSettings&) const = default;
};

// What the link points to, as far as the settings care.
enum class SettingsTarget { Program, Document, Folder, FolderLink, WebAddress };

// A file that the system starts as a program (and can start as administrator).
bool IsProgramFile(const std::wstring& path);
SettingsTarget SettingsTargetOf(const std::wstring& target, bool targetIsFolder, bool folderLink);

// Which settings apply to a kind of target, and the one line that says why the others do not.
struct SettingsAvailability {
    bool workingFolder = true, hotKey = true, showCommand = true, runAsAdmin = true;
    std::wstring reason;  // empty when everything applies
};
SettingsAvailability AvailableSettings(SettingsTarget target);

// The settings with what does not apply to the target cleared; a "Start in" that does not apply
// becomes the one the link gets anyway (its target's folder).
LinkSettings ApplicableSettings(LinkSettings settings, SettingsTarget target, const std::wstring& ownWorkingFolder);

// The settings a link gets when the user set none: a new link starts in its target's folder; an
// edited one keeps its own, its "Start in" only while the target stays the same.
LinkSettings ProposedSettings(const std::wstring& target, const LinkSettings* edited, const std::wstring& editedTarget);

// The one line that names the settings the user set which the target does not take; empty when
// nothing the user set is lost.
std::wstring DroppedSettingsNote(const LinkSettings& set, const std::wstring& ownWorkingFolder, SettingsTarget target);

struct LinkData;
struct LinkDraft;
// The settings written for the draft, decided once, for its final kind: the user's own or the
// proposed ones, with what does not apply cleared. edited: the fields of the link being edited.
LinkSettings SettingsToWrite(const LinkDraft& draft, const LinkData* edited);
