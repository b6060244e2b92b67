#include "wizard/wizard_form.h"

#include "app/resource_ids.h"

TForm1::TForm1() {
    const int width = 516, height = 376;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowObject(L"TForm1", WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       L"Verknüpfung erstellen", x, y, width, height, nullptr, nullptr,
                       LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
}

void TForm1::Show(int showCommand) {
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return Default(message, wParam, lParam);
}
