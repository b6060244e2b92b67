// The update's schedule and server in the registry, and the system's clock, connection state
// and batch launcher behind the update run's seams.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "update/update_rules.h"
#include "update/update_run.h"

const UpdateClock& SystemUpdateClock();
// Asks InternetGetConnectedState, from wininet.dll of the system folder only.
const ConnectionState& SystemConnectionState();
const BatchLauncher& SystemBatchLauncher();

// A program started by the shell with a verb ("runas": the system asks for an administrator's consent).
struct ShellStart {
    std::wstring verb, file, parameters, folder;
};
class ShellStarter {
public:
    virtual ~ShellStarter() = default;
    // False when the user refused; other failures throw.
    virtual bool Start(const ShellStart& start) const = 0;
};
const ShellStarter& SystemShellStarter();
// The system's batch launcher with the shell's start given (a test records what it would ask for).
class SystemLauncher : public BatchLauncher {
public:
    explicit SystemLauncher(const ShellStarter& shell = SystemShellStarter()) : shell_(shell) {}
    void Launch(const std::wstring& folder, const std::wstring& batch) const override;
    bool LaunchElevated(const std::wstring& folder, const std::wstring& batch) const override;

private:
    const ShellStarter& shell_;
};

// "Software\DZ\" + the component's RegistryKey.
std::wstring UpdateSettingsPath(const std::wstring& registryKey);
// The schedule's key, created if missing: below HKEY_CURRENT_USER when hkcu is set; otherwise below
// HKEY_LOCAL_MACHINE where that can be written, else below HKEY_CURRENT_USER.
RegistryKey OpenUpdateSettings(bool hkcu, const std::wstring& registryKey);
// Whether the value is set: by the machine (HKEY_LOCAL_MACHINE, opened read-only, so that an
// administrator's "NoUpdate" holds for every user), else in the schedule's own key.
bool UpdateValuePresent(const RegistryKey& key, const std::wstring& registryKey, const wchar_t* name);
// "Update" as a date; empty when absent or not 8 bytes of binary data.
std::optional<double> ReadNextDueDate(const RegistryKey& key);
void WriteNextDueDate(const RegistryKey& key, double date);
std::optional<std::int32_t> ReadInterval(const RegistryKey& key);
// The server the dialog asks: "UpdateServer" ("host" or "host:port") under HKEY_LOCAL_MACHINE,
// then under HKEY_CURRENT_USER, else the maker's server.
ServerAddress UpdateServerAddress(const std::wstring& registryKey);

// The last-write time of a file as a local date-time; 0 when it cannot be read.
double FileDate(const std::wstring& path);
