#pragma once
#include <windows.h>

#include "platform/window.h"

// A window that holds controls as a dialog does: the push button Enter presses (DM_GETDEFID,
// DM_SETDEFID) and the focus kept across activation, given first to the control named.
class DialogWindow : public Window {
protected:
    void SetDefaultId(int id) { defaultId_ = id; }
    int DefaultId() const { return defaultId_; }
    // The control that gets the focus when the window is activated and none had it before.
    void SetFirstFocus(HWND control) { firstFocus_ = lastFocus_ = control; }

    // Answers the messages every dialog-like window shares; the rest goes to Default.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int defaultId_ = IDOK;
    HWND lastFocus_ = nullptr;
    HWND firstFocus_ = nullptr;
};
