#include "update/update_settings.h"

#include <shellapi.h>

#include <cstring>

#include "platform/files.h"
#include "platform/platform_error.h"
#include "platform/system_library.h"
#include "platform/win_error.h"
#include "update/run_folder.h"
#include "update/update_lock.h"

namespace {

double DaysFromSystemTime(const SYSTEMTIME& t) {
    return DaysFromCivil(t.wYear, t.wMonth, t.wDay) +
           (t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0) / 86400.0;
}

class SystemClock : public UpdateClock {
public:
    double Now() const override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return DaysFromSystemTime(now);
    }
};

class SystemConnection : public ConnectionState {
public:
    bool Connected() const override {
        // Loaded when first asked, so that the program's start does not pay for the Internet library.
        using Query = BOOL(WINAPI*)(DWORD*, DWORD);
        static const auto query = SystemFunction<Query>(L"wininet.dll", "InternetGetConnectedState");
        DWORD flags = 0;
        return query && query(&flags, 0) != FALSE;
    }
};

std::wstring SystemProgram(const wchar_t* name) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) ThrowLastError();
    return std::wstring(system) + L"\\" + name;
}

class SystemShell : public ShellStarter {
public:
    bool Start(const ShellStart& start) const override {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpVerb = start.verb.c_str();
        info.lpFile = start.file.c_str();
        info.lpParameters = start.parameters.c_str();
        info.lpDirectory = start.folder.c_str();
        info.nShow = SW_HIDE;
        if (!ShellExecuteExW(&info)) {
            if (GetLastError() == ERROR_CANCELLED) return false;
            ThrowLastError();
        }
        if (info.hProcess) {
            UpdateLock::ShareWith(info.hProcess);
            CloseHandle(info.hProcess);
        }
        return true;
    }
};

}  // namespace

void SystemLauncher::Launch(const std::wstring& folder, const std::wstring& batch) const {
    // No shell in between and no "%" on the command line: the folder goes to the process as its
    // current folder, never through the interpreter's expansion. /d: no AutoRun command of the user.
    std::wstring commandLine = L"cmd.exe /d /c " + batch;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(SystemProgram(L"cmd.exe").c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, folder.c_str(), &startup, &process))
        ThrowLastError();
    UpdateLock::ShareWith(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool SystemLauncher::LaunchElevated(const std::wstring& folder, const std::wstring& batch) const {
    // The elevated interpreter starts in the system folder whatever it is given: everything is named
    // by its whole path. Before it trusts anything in the run folder, the folder and all in it
    // become the Administrators' and admit only them and SYSTEM; the user's own account loses every
    // right, that of an owner included. Links in it are changed themselves, never what they name.
    // Until then the program holds every file in it against writing (from before the consent prompt).
    const std::wstring batchFile = folder + batch, run = batchFile.substr(0, batchFile.rfind(L'\\'));
    const std::wstring icacls = L"\"" + SystemProgram(L"icacls.exe") + L"\" \"" + run;
    // Its current folder is the run folder: nobody renames it and puts another in its place while it runs.
    const std::wstring parameters = L"/d /c \"cd /d \"" + run + L"\" && " + icacls +
                                    L"\" /setowner *S-1-5-32-544 /q && " + icacls + L"\" /inheritance:r /remove:g *" +
                                    CurrentUserSid() + L" /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F /q && " +
                                    icacls + L"\\*\" /setowner *S-1-5-32-544 /l /q && " + icacls +
                                    L"\\*\" /reset /l /q && \"" + batchFile + L"\"\"";
    return shell_.Start({L"runas", SystemProgram(L"cmd.exe"), parameters, folder});
}

const ShellStarter& SystemShellStarter() {
    static const SystemShell shell;
    return shell;
}

const BatchLauncher& SystemBatchLauncher() {
    static const SystemLauncher launcher;
    return launcher;
}

const UpdateClock& SystemUpdateClock() {
    static const SystemClock clock;
    return clock;
}

const ConnectionState& SystemConnectionState() {
    static const SystemConnection connection;
    return connection;
}

std::wstring UpdateSettingsPath(const std::wstring& registryKey) { return L"Software\\DZ\\" + registryKey; }

RegistryKey OpenUpdateSettings(bool hkcu, const std::wstring& registryKey) {
    const std::wstring path = UpdateSettingsPath(registryKey);
    if (!hkcu) {
        // Without the right to write below HKEY_LOCAL_MACHINE the schedule lives with the user.
        try {
            return RegistryKey::Create(HKEY_LOCAL_MACHINE, path);
        } catch (const PlatformError&) {
        }
    }
    return RegistryKey::Create(HKEY_CURRENT_USER, path);
}

bool UpdateValuePresent(const RegistryKey& key, const std::wstring& registryKey, const wchar_t* name) {
    const auto machine = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey), KEY_QUERY_VALUE);
    return (machine && machine->HasValue(name)) || key.HasValue(name);
}

std::optional<double> ReadNextDueDate(const RegistryKey& key) {
    DWORD type = 0;
    double value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.Get(), L"Update", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof value || !(value == value))
        return std::nullopt;
    return value;
}

void WriteNextDueDate(const RegistryKey& key, double date) {
    const LSTATUS status =
        RegSetValueExW(key.Get(), L"Update", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&date), sizeof date);
    if (status != ERROR_SUCCESS) throw PlatformError(L"Fehler beim Setzen der Daten für 'Update'", status);
}

std::optional<std::int32_t> ReadInterval(const RegistryKey& key) {
    const auto value = key.GetInteger(L"UpdateInterval");
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

ServerAddress UpdateServerAddress(const std::wstring& registryKey) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const auto key = RegistryKey::Open(root, UpdateSettingsPath(registryKey));
        if (!key) continue;
        const auto text = key->GetString(L"UpdateServer");
        if (!text) continue;
        if (const auto address = ParseServerAddress(*text)) return *address;
    }
    return ServerAddress{kDefaultUpdateHost, 80};
}

double FileDate(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local{};
    SYSTEMTIME t{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t))
        return 0;
    return DaysFromSystemTime(t);
}
