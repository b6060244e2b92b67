#include "platform/reflected_control.h"

namespace {
const wchar_t kControlObject[] = L"Zeigerwerk.Control";
}

void ReflectedControl::ReflectFrom(HWND control) { SetPropW(control, kControlObject, this); }

void ReflectedControl::StopReflecting(HWND control) {
    if (control && IsWindow(control)) RemovePropW(control, kControlObject);
}

bool ReflectToControl(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND from = nullptr;
    if (message == WM_COMMAND)
        from = reinterpret_cast<HWND>(lParam);
    else if (message == WM_NOTIFY && lParam)
        from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    if (!from) return false;
    auto* control = static_cast<ReflectedControl*>(GetPropW(from, kControlObject));
    if (!control) return false;
    result = 0;
    if (message == WM_COMMAND) return control->Command(HIWORD(wParam));
    return control->Notify(*reinterpret_cast<NMHDR*>(lParam), result);
}
