#include "platform/common_controls.h"

#include <commctrl.h>

namespace {
constexpr const wchar_t* kInstanceProperty = L"Zeigerwerk.CommonControls";

// A form is a top-level window of this process: not a child control, not someone else's window.
bool IsForm(HWND window) {
    if (!window || !IsWindow(window)) return false;
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}
}  // namespace

CommonControls::CommonControls(HWND owner) : owner_(owner) {
    if (!IsForm(owner)) throw ComponentError("Control parent must be a form!");
    if (GetPropW(owner, kInstanceProperty)) throw ComponentError("Only one instance of CommonControls allowed on form");
    SetPropW(owner, kInstanceProperty, reinterpret_cast<HANDLE>(this));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

CommonControls::~CommonControls() {
    if (IsWindow(owner_) && GetPropW(owner_, kInstanceProperty) == reinterpret_cast<HANDLE>(this))
        RemovePropW(owner_, kInstanceProperty);
}
