#pragma once
#include <functional>
#include <string>

#include "links/link_settings.h"

// The run modes of the list "Ausführen:", in its order, and the system's show command of each.
inline constexpr const wchar_t* kRunModes[] = {L"Normales Fenster", L"Minimiert", L"Maximiert"};
inline constexpr int kRunModeShowCommands[] = {1, 7, 3};
// The list entry a show command belongs to (any minimising command is "Minimiert").
int RunModeOf(int showCommand);
// The show command for the chosen entry: the link's own where the entry is still its own, so
// that an unchanged choice writes back exactly what the link held.
int ShowCommandFor(int runMode, int originalShowCommand);

// The warning for a "Start in" text that cannot be taken, empty when it can: empty, or an
// existing folder.
std::wstring WorkingFolderProblem(const std::wstring& folder,
                                  const std::function<bool(const std::wstring&)>& folderExists);
