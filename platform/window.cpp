#include "platform/window.h"

#include <commctrl.h>

#include "platform/app_title.h"
#include "platform/reflected_control.h"
#include "platform/dialog_manager.h"
#include "platform/message_box.h"
#include "platform/platform_error.h"
#include "platform/utf.h"
#include "platform/win_error.h"

LRESULT GuardedCall(HWND owner, const std::function<LRESULT()>& body, LRESULT onError) {
    try {
        return body();
    } catch (const PlatformError& error) {
        ShowErrorBox(owner, error.Message());
    } catch (const std::exception& error) {
        ShowErrorBox(owner, WideFromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(owner, L"Unbekannter Fehler.");
    }
    return onError;
}

Window::~Window() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Window::CreateWindowObject(const wchar_t* className, DWORD exStyle, DWORD style, const std::wstring& caption,
                                int x, int y, int width, int height, HWND parent, HMENU menuOrId, HICON icon,
                                HBRUSH background) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) ThrowLastError();
    }
    if (exStyle & WS_EX_CONTROLPARENT) WatchDialogFocus();
    if (!CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, parent, menuOrId,
                         instance, this))
        ThrowLastError();
}

void Window::CreateDialogWindow(const wchar_t* className, const std::wstring& caption, int clientWidth,
                                int clientHeight, HWND owner, HBRUSH background) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    CreateWindowObject(className, exStyle, style, caption, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                       frame.bottom - frame.top, owner, nullptr, nullptr, background);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NEXTDLGCTL) {
        NextDialogControl(hwnd_, wParam, LOWORD(lParam) != 0);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd_, &ps);
        Paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    if (message == WM_PRINTCLIENT) {
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void NextDialogControl(HWND form, WPARAM wParam, bool byHandle) {
    const HWND target = byHandle ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(form, GetFocus(), wParam != 0);
    if (!target) return;
    SetFocus(target);
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

void RestoreFocusOnActivate(HWND form, WPARAM wParam, HWND& lastFocus, HWND defaultFocus) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(form, focus)) lastFocus = focus;
        return;
    }
    if (HIWORD(wParam)) return;  // minimised: nothing can have the focus
    const auto usable = [form](HWND control) {
        return control && IsWindow(control) && IsChild(form, control) && IsWindowVisible(control) &&
               IsWindowEnabled(control);
    };
    // A control that has the focus already keeps it; only a focus that went with the other
    // window is given back.
    if (usable(GetFocus())) return;
    if (usable(lastFocus))
        SetFocus(lastFocus);
    else if (usable(defaultFocus))
        SetFocus(defaultFocus);
}

bool RouteDialogMessage(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (!root || !(GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) return false;
    if (EndsAltCombination(message)) return true;
    if (!IsDialogMessageW(root, &message)) return false;
    // The system's Tab handling leaves no default button when the focus leaves the push buttons.
    RefreshDefaultButton(root);
    return true;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        self->hwnd_ = nullptr;
        self->FinalMessage();
        return result;
    }
    return GuardedCall(hwnd, [&] {
        LRESULT reflected = 0;
        if ((message == WM_COMMAND || message == WM_NOTIFY) && ReflectToControl(message, wParam, lParam, reflected))
            return reflected;
        return self->HandleMessage(message, wParam, lParam);
    });
}

ControlHook::~ControlHook() { Detach(); }

void ControlHook::Attach(HWND control, Handler handler) {
    Detach();
    control_ = control;
    handler_ = std::move(handler);
    // Each hook is a subclass of its own: two hooks on one control (the tree's own and its
    // form's) must not replace one another.
    SetWindowSubclass(control_, &ControlHook::Procedure, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this));
}

void ControlHook::Detach() {
    if (control_ && IsWindow(control_))
        RemoveWindowSubclass(control_, &ControlHook::Procedure, reinterpret_cast<UINT_PTR>(this));
    control_ = nullptr;
}

LRESULT CALLBACK ControlHook::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<ControlHook*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &ControlHook::Procedure, reinterpret_cast<UINT_PTR>(self));
        self->control_ = nullptr;
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = false;
    GuardedCall(GetAncestor(hwnd, GA_ROOT), [&]() -> LRESULT {
        handled = self->handler_ && self->handler_(message, wParam, lParam, result);
        return 0;
    });
    return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

namespace {
BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}
}  // namespace

void SetChildrenFont(HWND parent, HFONT font) { EnumChildWindows(parent, &SetChildFont, reinterpret_cast<LPARAM>(font)); }

