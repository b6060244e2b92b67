#pragma once
#include <windows.h>

// The default push button of the forms, kept as a dialog keeps it: exactly one push button is
// the default (BS_DEFPUSHBUTTON) at a time. A push button that has the focus is the default, so
// that Enter presses the button the focus rectangle is on; when the focus is anywhere else, the
// form's own default (its answer to DM_GETDEFID) is the default again.
// Applies to every window with WS_EX_CONTROLPARENT that is not a system dialog.

// Makes the default button follow the focus on this thread from now on (once per thread).
void WatchDialogFocus();

// Gives the default look to the right button of form for the focus it has now; for a form whose
// default (DM_GETDEFID) has changed.
void RefreshDefaultButton(HWND form);

// True for the release of Alt after Alt and another key (Alt+Down opening a drop-down), which the
// caller then drops: when a control kept the combination to itself, the default handling would
// take the release for a lone Alt and open the window menu, and the next Esc would only close that.
bool EndsAltCombination(const MSG& message);
