#pragma once
#include <windows.h>

#include "platform/window.h"

// Lets windows of this thread handle what is waiting (posted keys and clicks, painting) for a while.
inline void Pump(int milliseconds = 50) {
    const DWORD until = GetTickCount() + milliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (RouteDialogMessage(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(2);
    } while (GetTickCount() < until);
}
