#include <windows.h>
#include <commctrl.h>

#include "platform/app_title.h"
#include "platform/handles.h"
#include "wizard/wizard_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    ComApartment com;
    SetAppTitle(L"Zeigerwerk");
    TForm1 form;
    form.Show(showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(form.Handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
