#pragma once
#include <windows.h>

#include <functional>

#include "platform/window.h"

// Shows a dialog window modally over its owner until *result is no longer 0: the owner is
// disabled meanwhile, Tab, Enter, Esc and access keys work as in a dialog, and a WM_QUIT that
// arrives is passed on to the caller's loop. keyHook sees each key message first and answers
// true when it has handled it. Returns *result (IDCANCEL when the loop ended by WM_QUIT).
int RunModal(HWND dialog, HWND owner, int& result, const std::function<bool(const MSG&)>& keyHook = {});

// Centres a window on the screen.
void CenterOnScreen(HWND window);


// Gives a window exactly this client size, whatever frame the system draws around it.
void SetClientSize(HWND window, int width, int height);
