#include "dialogs/link_settings_rules.h"

#include <iterator>

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

int RunModeOf(int showCommand) {
    switch (showCommand) {
    case 2:  // SW_SHOWMINIMIZED
    case 6:  // SW_MINIMIZE
    case 7:  // SW_SHOWMINNOACTIVE
        return 1;
    case 3:  // SW_SHOWMAXIMIZED
        return 2;
    default:
        return 0;
    }
}

int ShowCommandFor(int runMode, int originalShowCommand) {
    if (runMode < 0 || runMode >= int(std::size(kRunModeShowCommands))) return originalShowCommand;
    return RunModeOf(originalShowCommand) == runMode ? originalShowCommand : kRunModeShowCommands[runMode];
}

std::wstring WorkingFolderProblem(const std::wstring& folder,
                                  const std::function<bool(const std::wstring&)>& folderExists) {
    if (folder.empty() || folderExists(folder)) return {};
    return L"Das Verzeichnis " + folder +
           L" existiert nicht.\r\nGeben Sie einen vorhandenen Ordner an, oder lassen Sie das Feld leer.";
}
