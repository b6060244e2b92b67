#include "platform/modal_window.h"

namespace {
constexpr UINT kShownMessage = WM_APP + 1;
}  // namespace

int RunModal(HWND dialog, HWND owner, int& result, const std::function<bool(const MSG&)>& keyHook) {
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);

    MSG message;
    while (!result) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            result = IDCANCEL;
            break;
        }
        const bool ours = message.hwnd == dialog || IsChild(dialog, message.hwnd);
        if (ours && keyHook && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && keyHook(message))
            continue;
        if (RouteDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The owner is enabled before the dialog hides, so that it, not another program, becomes
    // the active window.
    if (disableOwner) EnableWindow(owner, TRUE);
    ShowWindow(dialog, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    return result;
}

void CenterOnScreen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetClientSize(HWND window, int width, int height) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        RECT client{}, frame{};
        GetClientRect(window, &client);
        GetWindowRect(window, &frame);
        const int dx = width - client.right, dy = height - client.bottom;
        if (dx == 0 && dy == 0) return;
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int ModalWindow::RunModal(HWND owner, HWND firstFocus) {
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    CenterOnScreen(Handle());
    SetFirstFocus(firstFocus);
    // The first field is reached as by Tab: typing replaces its text.
    if (SendMessageW(firstFocus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(firstFocus, EM_SETSEL, 0, -1);
    modalResult_ = 0;
    open_ = true;
    PostMessageW(Handle(), kShownMessage, 0, 0);
    const int result = ::RunModal(Handle(), owner, modalResult_, [this](const MSG& message) {
        if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
            ShowHelp();
            return true;
        }
        return PreTranslateKey(message);
    });
    open_ = false;
    return result;
}

void ModalWindow::ShowHelp() const {
    if (const wchar_t* topic = HelpTopic(); topic && OnHelp) OnHelp(topic);
}

void ModalWindow::Shown() {
    if (OnShown) OnShown();
}

LRESULT ModalWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kShownMessage:
        // A message left from an earlier showing does not run the step of this one.
        if (Open()) Shown();
        return 0;
    case WM_COMMAND:
        // The dialog keys send Enter and Esc as the buttons' clicks.
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) Accept();
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) Dismiss();
        return 0;
    case WM_CLOSE:
        Dismiss();
        return 0;
    case WM_HELP:
        ShowHelp();
        return TRUE;
    case WM_DPICHANGED:
        ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return DialogWindow::HandleMessage(message, wParam, lParam);
}
