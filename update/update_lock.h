// One update at a time per program folder, across the users of the machine: a named mutex held
// from the dialog's showing until the dialog closes, or until the process ends when an install
// was prepared (its batch then starts).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "platform/handles.h"

class UpdateLock {
public:
    // The lock for the folder, or nothing when another instance (of any user) holds it.
    static std::optional<UpdateLock> Take(const std::wstring& programFolder);
    // "Global\Zeigerwerk-Update-" and a hash of the folder's upper-case name.
    static std::wstring NameFor(const std::wstring& programFolder);

private:
    explicit UpdateLock(HANDLE mutex) : mutex_(mutex) {}
    FileHandle mutex_;
};

// What a second instance is told.
inline constexpr const wchar_t* kUpdateBusyText =
    L"Ein anderes Fenster von Zeigerwerk installiert gerade ein Update für diesen Programmordner. Bitte warten Sie, "
    L"bis es abgeschlossen ist.";
