#pragma once
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/utf.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/wine.h"

// A drive letter of the Wine prefix, of the given type (removable or CD-ROM), that points to a folder. Wine's
// mount manager reads the drive types only when it starts, so the letter is defined through it
// (it writes the dosdevices link and the type under HKLM\Software\Wine\Drives itself).
struct WineDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
inline constexpr DWORD kDefineUnixDrive = CTL_CODE(0x6d, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

inline bool DefineWineDrive(wchar_t letter, UINT type, const std::string& unixTarget) {
    std::vector<char> buffer(sizeof(WineDriveRequest) + unixTarget.size() + 1, 0);
    auto* request = reinterpret_cast<WineDriveRequest*>(buffer.data());
    request->size = static_cast<ULONG>(buffer.size());
    request->type = type;
    request->letter = static_cast<WCHAR>(towlower(letter));
    if (!unixTarget.empty()) {
        request->mountPointOffset = sizeof(WineDriveRequest);
        std::copy(unixTarget.begin(), unixTarget.end(), buffer.begin() + sizeof(WineDriveRequest));  // zero-ended already
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

// Holds a free letter as a drive of the type to the folder while it lives. Test programs running
// side by side share the prefix's letters: one lock (a mutex of the prefix's server) lets one
// test at a time pick, define and remove its letter, and each step is waited for.
class WineDrive {
public:
    WineDrive(UINT type, const std::wstring& unixTarget) : type_(type) {
        lock_ = CreateMutexW(nullptr, FALSE, L"Zeigerwerk.TestDriveLetters");
        WaitForSingleObject(lock_, 60000);
        const DWORD used = GetLogicalDrives();
        for (wchar_t c = L'X'; c >= L'M' && letter_ == 0; --c)
            if (!(used & (1u << (c - L'A')))) letter_ = c;
        wchar_t prefix[MAX_PATH] = {};
        GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
        link_ = std::wstring(prefix) + L"/dosdevices/" + static_cast<wchar_t>(towlower(letter_)) + L":";
        value_ = std::wstring(1, static_cast<wchar_t>(towlower(letter_))) + L":";
        defined_ = DefineWineDrive(letter_, type, Utf8FromWide(unixTarget));
        if (!defined_) {
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Wine\\Drives", value_.c_str(), REG_SZ, type == DRIVE_CDROM ? L"cdrom" : L"floppy",
                            sizeof(L"floppy"));
            RunUnixProgram(L"/bin/ln", L"ln -sfn \"" + unixTarget + L"\" \"" + link_ + L"\"");
        }
        // Wine does not wait for the link: the drive is there once its root answers.
        WaitUntil([&] { return GetFileAttributesW(Root().c_str()) != INVALID_FILE_ATTRIBUTES; });
    }
    ~WineDrive() {
        if (defined_) DefineWineDrive(letter_, DRIVE_NO_ROOT_DIR, {});
        RunUnixProgram(L"/bin/rm", L"rm -f \"" + link_ + L"\"");
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wine\\Drives", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, value_.c_str());
            RegCloseKey(key);
        }
        WaitUntil([&] { return GetFileAttributesW(Root().c_str()) == INVALID_FILE_ATTRIBUTES; });
        ReleaseMutex(lock_);
        CloseHandle(lock_);
    }
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;
    std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }
    // The drive answers as the type asked for.
    bool Took() const { return GetDriveTypeW(Root().c_str()) == type_; }

private:
    UINT type_;
    HANDLE lock_ = nullptr;
    wchar_t letter_ = 0;
    bool defined_ = false;
    std::wstring link_, value_;
};
