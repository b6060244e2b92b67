#pragma once
#include <string>
#include <vector>

#include "app/start_mode.h"
#include "platform/shell_open.h"

class LinkWizard;

// Puts the wizard into the state the command line asks for: a target, a folder, or a link to edit.
void PrepareWizard(LinkWizard& form, const StartMode& mode);

// The program: arguments are the command line's arguments after the program's name; shell
// starts what the program hands on to the system.
int RunZeigerwerk(const std::vector<std::wstring>& arguments, int showCommand,
                  ShellOpener& shell = SystemShellOpener());
