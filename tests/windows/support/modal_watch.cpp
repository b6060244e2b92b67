#include "tests/windows/support/modal_watch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "tests/windows/support/window_tree.h"

ModalWatchdog::ModalWatchdog(const char* what, DWORD limitMs)
    : what_(what), limitMs_(limitMs), thread_(GetCurrentThreadId()) {
    done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, &ModalWatchdog::Watch, this, 0, nullptr);
}

ModalWatchdog::~ModalWatchdog() {
    SetEvent(done_);
    WaitForSingleObject(watcher_, INFINITE);
    CloseHandle(watcher_);
    CloseHandle(done_);
    if (fired_) ADD_FAILURE() << what_ << " did not end within " << limitMs_ << " ms: its windows were closed";
}

namespace {
BOOL CALLBACK CloseShown(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (IsClass(window, L"#32770")) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}
}  // namespace

DWORD WINAPI ModalWatchdog::Watch(void* self) {
    auto& watch = *static_cast<ModalWatchdog*>(self);
    if (WaitForSingleObject(watch.done_, watch.limitMs_) == WAIT_OBJECT_0) return 0;
    InterlockedExchange(&watch.fired_, 1);
    std::fprintf(stderr, "%s hangs: closing its windows\n", watch.what_);
    std::fflush(stderr);
    EnumThreadWindows(watch.thread_, &CloseShown, 0);
    if (WaitForSingleObject(watch.done_, 5000) == WAIT_OBJECT_0) return 0;
    std::fprintf(stderr, "FAILED: %s did not end even when its windows were closed\n", watch.what_);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    return 1;
}

namespace {
std::map<UINT_PTR, WindowAnswer*>& Answers() {
    static std::map<UINT_PTR, WindowAnswer*> answers;
    return answers;
}
}  // namespace

WindowAnswer::WindowAnswer(std::function<bool(HWND)> matches, std::function<void(HWND)> answer)
    : matches_(std::move(matches)), answer_(std::move(answer)) {
    timer_ = SetTimer(nullptr, 0, 10, &WindowAnswer::Tick);
    Answers()[timer_] = this;
}

WindowAnswer::~WindowAnswer() {
    KillTimer(nullptr, timer_);
    Answers().erase(timer_);
}

void CALLBACK WindowAnswer::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto found = Answers().find(timer);
    if (found == Answers().end() || found->second->answering_) return;
    WindowAnswer& self = *found->second;
    const HWND window = ThreadWindow([&](HWND w) {
        return IsWindowVisible(w) && !self.answered_.count(w) && self.matches_(w);
    });
    if (!window) return;
    self.answered_.insert(window);
    self.answering_ = true;
    self.answer_(window);
    self.answering_ = false;
}

bool IsDialogTitled(HWND window, const wchar_t* title) {
    return IsClass(window, L"#32770") && TextOf(window) == title;
}

void PressDialogButton(HWND dialog, int id) {
    const HWND button = GetDlgItem(dialog, id);
    if (button && IsWindowEnabled(button))
        PostMessageW(button, BM_CLICK, 0, 0);
    else
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}
