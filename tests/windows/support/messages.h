#pragma once
#include <windows.h>

#include <cstdlib>

#include "platform/window.h"

// The one message pump of the Windows tests. Tests wait for the condition they mean; the time
// limit only ends a wait that would otherwise hang, and is generous for Wine on a busy machine.
constexpr DWORD kWaitLimitMs = 10000;

// Handles everything already waiting for this thread's windows (posted keys and clicks, painting).
inline void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (RouteDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Lets this thread's windows work until done() holds, at most limitMs; answers whether it held.
template <typename Condition>
bool PumpUntil(Condition done, DWORD limitMs = kWaitLimitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done()) return true;
        if (GetTickCount() - start >= limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The same for a thread that has no windows to serve (one that watches another thread's windows).
template <typename Condition>
bool WaitUntil(Condition done, DWORD limitMs = kWaitLimitMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limitMs) return false;
        Sleep(5);
    }
    return true;
}

// With ZW_HOLD_MS set, the test's windows stay up (and keep painting) that long, so that a
// screenshot can be taken.
inline void HoldForScreenshot() {
    const wchar_t* hold = _wgetenv(L"ZW_HOLD_MS");
    if (!hold) return;
    const DWORD limit = static_cast<DWORD>(std::wcstoul(hold, nullptr, 10));
    PumpUntil([] { return false; }, limit);
}
