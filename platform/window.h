#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/fonts.h"

// Runs one piece of message handling; an exception ends it with the error box (application
// title, error icon, the message) instead of crossing into the system.
LRESULT GuardedCall(HWND owner, const std::function<LRESULT()>& body, LRESULT onError = 0);

// A top-level or child window implemented by a C++ object: the window procedure finds the
// object through GWLP_USERDATA (set at WM_NCCREATE, cleared at WM_NCDESTROY) and every message
// passes the error boundary.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }

protected:
    // Registers the class on first use and creates the window.
    void CreateWindowObject(const wchar_t* className, DWORD exStyle, DWORD style, const std::wstring& caption,
                            int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                            HICON icon = nullptr, HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // A dialog-framed popup whose client area is about the size given.
    void CreateDialogWindow(const wchar_t* className, const std::wstring& caption, int clientWidth, int clientHeight,
                            HWND owner, HBRUSH background);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the client area for WM_PAINT and WM_PRINTCLIENT (through Default); nothing by default.
    virtual void Paint(HDC) {}
    // Runs after the window's last message; a window that owns itself ends its object here.
    virtual void FinalMessage() {}
    // The system's handling, plus what a dialog manager gives every form: WM_NEXTDLGCTL, which
    // the label accelerators of IsDialogMessage send; WM_PAINT and WM_PRINTCLIENT go to Paint.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// Subclasses an existing control so that a member can see its messages first.
class ControlHook {
public:
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    ControlHook() = default;
    ControlHook(const ControlHook&) = delete;
    ControlHook& operator=(const ControlHook&) = delete;
    ~ControlHook();
    void Attach(HWND control, Handler handler);
    void Detach();

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    HWND control_ = nullptr;
    Handler handler_;
};

// Moves the focus as a dialog does for WM_NEXTDLGCTL: to the control given (byHandle) or to the
// next / previous tab stop; an edit that asks for it gets its text selected.
void NextDialogControl(HWND form, WPARAM wParam, bool byHandle);

// WM_ACTIVATE for a form: remembers the focused control when the form loses activation and gives
// it the focus back (or defaultFocus the first time) when the form is activated again, so that
// the focus survives message boxes and secondary windows.
void RestoreFocusOnActivate(HWND form, WPARAM wParam, HWND& lastFocus, HWND defaultFocus);

// Dialog keys (Tab, Enter, Esc, access keys) for the message's own top-level window when that
// window holds controls; true when the message was handled that way.
bool RouteDialogMessage(MSG& message);

// Gives every child window of parent the font.
void SetChildrenFont(HWND parent, HFONT font);

