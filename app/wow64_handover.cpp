#include "app/wow64_handover.h"

#include <windows.h>

#include "app/handover_rules.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/settings_key.h"

bool HandOverTo64BitProgram() {
    if (!RunsUnderWow64()) return false;
    std::wstring program;
    try {
        program = ProgramFolder() + L"zeigerwerk64.exe";
    } catch (const PlatformError&) {
        return false;
    }
    if (!FileExists(program)) return false;
    std::wstring commandLine = HandOverCommandLine(program, GetCommandLineW());
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    PROCESS_INFORMATION started{};
    // A null folder gives the new program this one's current folder.
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    const FileHandle thread(started.hThread), process(started.hProcess);
    // This program may bring its window to the front; the one that takes over may too.
    AllowSetForegroundWindow(started.dwProcessId);
    return true;
}

void TakeOverMachineSettings() { RegistryKey::TakeOverMachineValues(kSettingsKey); }
