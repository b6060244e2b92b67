#pragma once
#include <windows.h>

#include <string>

// Records the attributes this test program asks SetFileAttributesW for, while it lives (one at a
// time). Wine drops a folder's read-only attribute without a trace; this is where a test sees
// that the program asked for it.
class AttributeSpy {
public:
    AttributeSpy();
    ~AttributeSpy();
    AttributeSpy(const AttributeSpy&) = delete;
    AttributeSpy& operator=(const AttributeSpy&) = delete;

    bool Active() const { return slot_ != nullptr; }
    // The attributes last asked for on this path (a trailing backslash does not matter), or
    // INVALID_FILE_ATTRIBUTES when none were.
    DWORD Requested(const std::wstring& path) const;

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
