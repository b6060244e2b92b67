#pragma once

// On 64-bit Windows the 32-bit program hands over to zeigerwerk64.exe beside it, so that one
// program owns the Explorer verbs and the uninstall entry and sees the machine as Explorer does.
// Starts it with the same arguments, current folder and show command; true when it runs and this
// program must end. False on 32-bit Windows, in the 64-bit program, without that file, or when it
// cannot be started (then this program carries on itself).
bool HandOverTo64BitProgram();

// Moves machine-wide settings that a 32-bit program once left in the 32-bit registry view to the
// view both programs use.
void TakeOverMachineSettings();
