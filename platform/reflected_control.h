#pragma once
#include <windows.h>

// An object behind a child control, to which the parent window hands the control's WM_COMMAND
// and WM_NOTIFY (every Window does, before its own handling).
class ReflectedControl {
public:
    ReflectedControl() = default;
    ReflectedControl(const ReflectedControl&) = delete;
    ReflectedControl& operator=(const ReflectedControl&) = delete;
    virtual ~ReflectedControl() = default;
    // True when the notification was handled.
    virtual bool Command(UINT) { return false; }
    virtual bool Notify(NMHDR&, LRESULT&) { return false; }

protected:
    void ReflectFrom(HWND control);
    void StopReflecting(HWND control);
};

// Hands WM_COMMAND or WM_NOTIFY from a control to its object; true with result set when handled.
bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
