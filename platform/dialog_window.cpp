#include "platform/dialog_window.h"

LRESULT DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        RestoreFocusOnActivate(Handle(), wParam, lastFocus_, firstFocus_);
        return 0;
    case DM_GETDEFID:
        return defaultId_ ? MAKELRESULT(defaultId_, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        defaultId_ = static_cast<int>(wParam);
        return TRUE;
    }
    return Default(message, wParam, lParam);
}
