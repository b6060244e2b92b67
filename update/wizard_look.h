// The update wizard's fonts, icons and title brush at one DPI.
#pragma once
#include <windows.h>

#include "platform/handles.h"

struct WizardLook {
    static constexpr COLORREF kTitleBlue = RGB(49, 106, 197);

    WizardLook() = default;
    WizardLook(UINT dpi, int iconSize);

    // Kept fonts (platform/fonts.h): no window is left holding a deleted one.
    HFONT font = nullptr, titleFont = nullptr, stepFont = nullptr, stepBoldFont = nullptr, percentFont = nullptr;
    GdiHandle titleBrush;
    IconHandle infoIcon, errorIcon, appIcon;
};
