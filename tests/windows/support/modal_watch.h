#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "tests/windows/support/messages.h"

// While one lives, whatever this thread waits in (a modal window, a message box) has to end
// within the limit. Otherwise the watchdog closes the thread's shown windows, the test fails,
// and when even that does not end the wait, the test program ends with the failure.
class ModalWatchdog {
public:
    explicit ModalWatchdog(const char* what, DWORD limitMs = kWaitLimitMs);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

private:
    static DWORD WINAPI Watch(void* self);
    const char* what_;
    DWORD limitMs_;
    DWORD thread_;
    HANDLE done_ = nullptr;
    HANDLE watcher_ = nullptr;
    volatile LONG fired_ = 0;
};

// Answers windows of this thread by their handle, not by whoever holds the activation: answer
// runs once for each shown top-level window that matches, from a timer that every modal loop
// serves.
class WindowAnswer {
public:
    WindowAnswer(std::function<bool(HWND)> matches, std::function<void(HWND)> answer);
    ~WindowAnswer();
    WindowAnswer(const WindowAnswer&) = delete;
    WindowAnswer& operator=(const WindowAnswer&) = delete;
    int Answered() const { return static_cast<int>(answered_.size()); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD);
    std::function<bool(HWND)> matches_;
    std::function<void(HWND)> answer_;
    std::set<HWND> answered_;
    UINT_PTR timer_ = 0;
    bool answering_ = false;
};

// Shows a modal window (show() returns when it ended); while it is shown, checks run and then
// close ends it, even after an ASSERT in checks returned early. Fails when the window never
// showed, or when it did not end (the watchdog closes it within the limit).
template <typename Dialog, typename Show, typename Checks, typename Close>
void CheckWhileShown(Dialog& dialog, Show show, Checks checks, Close close, DWORD limitMs = kWaitLimitMs) {
    int shown = 0;
    dialog.OnShown = [&] {
        ++shown;
        checks();
        close();
    };
    {
        const ModalWatchdog watchdog("a modal window", limitMs);
        show();
    }
    dialog.OnShown = nullptr;
    EXPECT_EQ(shown, 1) << "the window never showed";
}

// A shown dialog (or message box) of the standard dialog class whose title is title.
bool IsDialogTitled(HWND window, const wchar_t* title);
// Presses the button of a dialog or message box by its id (IDOK, IDYES...).
void PressDialogButton(HWND dialog, int id);
