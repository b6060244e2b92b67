#include "update/update_lock.h"

#include <cstdint>
#include <cwchar>

#include "platform/path_text.h"

std::wstring UpdateLock::NameFor(const std::wstring& programFolder) {
    std::wstring folder = WithTrailingBackslash(programFolder);
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : folder) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    wchar_t name[64];
    swprintf(name, 64, L"Global\\Zeigerwerk-Update-%016llX", static_cast<unsigned long long>(hash));
    return name;
}

std::optional<UpdateLock> UpdateLock::Take(const std::wstring& programFolder) {
    // Another user's mutex cannot be opened at all: taken as well.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, NameFor(programFolder).c_str());
    if (!mutex) return std::nullopt;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return std::nullopt;
    }
    return UpdateLock(mutex);
}

UpdateLock::~UpdateLock() {
    if (mutex_ && held_ == mutex_.Get()) held_ = nullptr;
}

bool UpdateLock::ShareWith(HANDLE process) {
    HANDLE copy = nullptr;
    return held_ && DuplicateHandle(GetCurrentProcess(), held_, process, &copy, SYNCHRONIZE, FALSE, 0);
}
