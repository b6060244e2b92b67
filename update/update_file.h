// TDZUpdateFile: the update component of the wizard form. Decides at start whether the user is
// asked to look for updates, keeps the schedule in the registry and opens the update dialog.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "update/http_client.h"
#include "update/signature.h"
#include "update/update_rules.h"

// The update's clock: the local date and time as days since 30 December 1899. Tests set the script.
extern std::function<double()> UpdateClockScript;
double UpdateNow();
double UpdateToday();

// Whether the system reports an Internet connection (InternetGetConnectedState); tests set the script.
extern std::function<bool()> ConnectedStateScript;
bool InternetConnected();

// Ends the process after an only-update run; tests set the script to record it instead.
extern std::function<void()> EndProcessScript;

// "Software\DZ\" + the component's RegistryKey.
std::wstring UpdateSettingsPath(const std::wstring& registryKey);
// The schedule's key, created if missing: below HKEY_CURRENT_USER when hkcu is set; otherwise below
// HKEY_LOCAL_MACHINE where that can be written, else below HKEY_CURRENT_USER.
RegistryKey OpenUpdateSettings(bool hkcu, const std::wstring& registryKey);
// "Update" as a date; empty when absent or not 8 bytes of binary data.
std::optional<double> ReadNextDueDate(const RegistryKey& key);
void WriteNextDueDate(const RegistryKey& key, double date);
std::optional<std::int32_t> ReadInterval(const RegistryKey& key);
// The server the dialog asks: "UpdateServer" ("host" or "host:port") under HKEY_CURRENT_USER,
// then under HKEY_LOCAL_MACHINE, else the maker's server.
ServerAddress UpdateServerAddress(const std::wstring& registryKey);

// The last-write time of a file as a local date-time; 0 when it cannot be read.
double FileDate(const std::wstring& path);

// The dialog of the process is made when it is first shown, not with the component: most starts
// never show it.
class TDZUpdateFile : public THttpClient {
public:
    TDZUpdateFile();

    std::wstring ProgramName;
    std::wstring RegistryKey;
    std::wstring ZIPFileName;
    bool HKCU = false;

    // The window the dialog is shown over (the owning form).
    HWND Owner = nullptr;
    // The running program (its drive, date, folder and restart line).
    std::wstring ProgramFile;
    // The key update files must be signed with.
    UpdateKey Key = ReleaseUpdateKey();
    // Detaches the owning form's end-of-run saving (set by the owner).
    std::function<void()> OnDetachOwnerDestroy;
    // Ends the process in only-update mode: the dialog's end-of-process work, then the end.
    std::function<void()> OnEndProcess;

    void AutomaticUpdate(const std::wstring& params, bool manual, double programDate);
    // What the Ctrl+U action does.
    void ActionExecute() { AutomaticUpdate(L"", true, 0); }
};

// The dialog's end-of-process work (next-due date, starting the prepared batch); runs once.
void FinishUpdates();
