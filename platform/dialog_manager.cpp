#include "platform/dialog_manager.h"

#include <cwchar>
#include <utility>

namespace {
thread_local HHOOK focusHook = nullptr;

bool IsPushButton(HWND control) {
    return (SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// A system dialog (message box, file dialog) keeps the system's own dialog manager.
bool Managed(HWND form) {
    if (!form || !(GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
    wchar_t name[8] = {};
    GetClassNameW(form, name, 8);
    return std::wcscmp(name, L"#32770") != 0;
}

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK FindPushButton(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    if (GetDlgCtrlID(child) == search.id && IsPushButton(child)) search.found = child;
    return search.found ? FALSE : TRUE;
}

HWND FormDefault(HWND form) {
    const LRESULT answer = SendMessageW(form, DM_GETDEFID, 0, 0);
    if (HIWORD(answer) != DC_HASDEFID) return nullptr;
    Search search{LOWORD(answer), nullptr};
    EnumChildWindows(form, &FindPushButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK MarkDefault(HWND child, LPARAM chosen) {
    if (!IsPushButton(child)) return TRUE;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const LONG type = child == reinterpret_cast<HWND>(chosen) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((style & BS_TYPEMASK) != type) SendMessageW(child, BM_SETSTYLE, (style & ~BS_TYPEMASK) | type, TRUE);
    return TRUE;
}

void FollowFocus(HWND form, HWND focus) {
    if (!Managed(form)) return;
    const bool onButton = focus && focus != form && IsChild(form, focus) && IsPushButton(focus);
    EnumChildWindows(form, &MarkDefault, reinterpret_cast<LPARAM>(onButton ? focus : FormDefault(form)));
}

LRESULT CALLBACK FocusHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_SETFOCUS && wParam) {
        const HWND focus = reinterpret_cast<HWND>(wParam);
        FollowFocus(GetAncestor(focus, GA_ROOT), focus);
    }
    return CallNextHookEx(focusHook, code, wParam, lParam);
}
}  // namespace

void WatchDialogFocus() {
    if (!focusHook) focusHook = SetWindowsHookExW(WH_CBT, &FocusHook, nullptr, GetCurrentThreadId());
}

void RefreshDefaultButton(HWND form) { FollowFocus(form, GetFocus()); }

bool EndsAltCombination(const MSG& message) {
    thread_local bool combined = false;
    if (message.message == WM_SYSKEYDOWN)
        combined = message.wParam != VK_MENU || (combined && (message.lParam & (1 << 30)));
    if ((message.message == WM_KEYUP || message.message == WM_SYSKEYUP) && message.wParam == VK_MENU)
        return std::exchange(combined, false);
    return false;
}
