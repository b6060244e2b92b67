// One update at a time per program folder, across the users of the machine: a named mutex held
// from the dialog's showing until the dialog closes, or, when an install was prepared, until its
// batch has ended (the batch's interpreter is given a handle of its own).
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
    // Gives the process a handle of the lock held now, so that it stays taken until that process
    // has ended too. Not inheritable: a program the batch starts again does not hold it.
    static bool ShareWith(HANDLE process);

    UpdateLock(UpdateLock&&) = default;
    UpdateLock& operator=(UpdateLock&&) = default;
    ~UpdateLock();

private:
    explicit UpdateLock(HANDLE mutex) : mutex_(mutex) { held_ = mutex; }
    FileHandle mutex_;
    static inline HANDLE held_ = nullptr;
};

// What a second instance is told.
inline constexpr const wchar_t* kUpdateBusyText =
    L"Für diesen Programmordner wird gerade ein Update installiert, in einem anderen Fenster von Zeigerwerk oder "
    L"nach dessen Ende. Bitte warten Sie, bis es abgeschlossen ist.";
