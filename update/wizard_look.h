// The update wizard's fonts, icons and title brush at one DPI.
#pragma once
#include <windows.h>

#include "platform/handles.h"

struct WizardLook {
    static constexpr COLORREF kTitleBlue = RGB(49, 106, 197);

    WizardLook() = default;
    WizardLook(UINT dpi, int iconSize);

    GdiHandle font, titleFont, stepFont, stepBoldFont, percentFont, titleBrush;
    IconHandle infoIcon, errorIcon, appIcon;
};
