#pragma once
#include <windows.h>

#include "platform/window.h"

// The link wizard's main window.
class TForm1 : public Window {
public:
    TForm1();
    void Show(int showCommand);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
