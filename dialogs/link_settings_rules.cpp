#include "dialogs/link_settings_rules.h"

#include <iterator>

#include "platform/path_text.h"

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
