#pragma once
#include <windows.h>

#include <cstdio>

// Turns a hang into a failure: when the scope has not ended within the limit, the test program
// reports what hung and ends with a failure instead of waiting for ctest's time-out.
class HangGuard {
public:
    HangGuard(const char* what, DWORD limitMs) : what_(what), limitMs_(limitMs) {
        done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        watcher_ = CreateThread(nullptr, 0, &HangGuard::Watch, this, 0, nullptr);
    }
    ~HangGuard() {
        SetEvent(done_);
        WaitForSingleObject(watcher_, INFINITE);
        CloseHandle(watcher_);
        CloseHandle(done_);
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    static DWORD WINAPI Watch(void* self) {
        auto* guard = static_cast<HangGuard*>(self);
        if (WaitForSingleObject(guard->done_, guard->limitMs_) == WAIT_OBJECT_0) return 0;
        std::fprintf(stderr, "FAILED: %s did not end within %lu ms\n", guard->what_,
                     static_cast<unsigned long>(guard->limitMs_));
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 1);
        return 1;
    }

    const char* what_;
    DWORD limitMs_;
    HANDLE done_ = nullptr;
    HANDLE watcher_ = nullptr;
};
