#pragma once
#include <windows.h>

#include <functional>

// Tells a control when the mouse pointer comes onto it and when it leaves (TrackMouseEvent).
class MouseHover {
public:
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
