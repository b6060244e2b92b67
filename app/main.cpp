#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/startup.h"
#include "app/wow64_handover.h"
#include "platform/handles.h"
#include "platform/startup_trace.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    if (HandOverTo64BitProgram()) return 0;
    TakeOverMachineSettings();
    NoteStartupPhase("process and libraries");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    NoteStartupPhase("common controls");
    ComApartment com;
    NoteStartupPhase("COM");

    // The wide command line keeps paths outside the Western code page intact.
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    if (argv) LocalFree(argv);
    return RunZeigerwerk(arguments, showCommand);
}
