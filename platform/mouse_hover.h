#pragma once
#include <windows.h>

#include <functional>
#include <utility>

// Tells a control when the mouse pointer comes onto it and when it leaves (TrackMouseEvent).
class MouseHover {
public:
    // WM_SETCURSOR over the client area: shows the hand that says "click here"; true then.
    static bool ShowHand(UINT message, LPARAM lParam) {
        if (message != WM_SETCURSOR || LOWORD(lParam) != HTCLIENT) return false;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return true;
    }
    // Handles WM_MOUSEMOVE and WM_MOUSELEAVE: true for them, false for every other message.
    bool HandleMessage(HWND window, UINT message, const std::function<void()>& onEnter,
                       const std::function<void()>& onLeave) {
        if (message == WM_MOUSEMOVE) {
            if (!inside_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
                TrackMouseEvent(&track);
                inside_ = true;
                if (onEnter) onEnter();
            }
            return true;
        }
        if (message == WM_MOUSELEAVE) {
            inside_ = false;
            if (onLeave) onLeave();
            return true;
        }
        return false;
    }
    bool Inside() const { return inside_; }

private:
    bool inside_ = false;
};

// A click as a push button counts it: the button pressed on the window (which captures the mouse
// meanwhile) and released over it again.
class ClickTracker {
public:
    void Press(HWND window) {
        pressed_ = true;
        SetCapture(window);
    }
    // A mouse button went up at lParam's client point: true when that completes a click.
    bool Release(HWND window, UINT message, LPARAM lParam) {
        const bool wasPressed = std::exchange(pressed_, false);
        if (GetCapture() == window) ReleaseCapture();
        RECT client{};
        GetClientRect(window, &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        return message == WM_LBUTTONUP && wasPressed && PtInRect(&client, at);
    }
    // The capture went elsewhere: the press no longer counts.
    void Cancel() { pressed_ = false; }

private:
    bool pressed_ = false;
};
