#include "update/wizard_look.h"

#include <cwchar>

#include "platform/dpi.h"
#include "platform/fonts.h"
#include "platform/resource_ids.h"

namespace {

HFONT MakeFont(const wchar_t* face, int height, int weight, bool italic = false) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return KeptFont(lf);
}

int PointsToHeight(int points, UINT dpi) { return -MulDiv(points, static_cast<int>(dpi), 72); }

// A system icon at the edge length, drawn for that size where the system has one.
HICON SystemIcon(LPCWSTR id, int size) {
    using LoadScaled = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    const HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    const auto loadScaled = controls ? reinterpret_cast<LoadScaled>(reinterpret_cast<void*>(
                                           GetProcAddress(controls, "LoadIconWithScaleDown")))
                                     : nullptr;
    HICON icon = nullptr;
    if (loadScaled && SUCCEEDED(loadScaled(nullptr, id, size, size, &icon)) && icon) return icon;
    return static_cast<HICON>(CopyImage(LoadIconW(nullptr, id), IMAGE_ICON, size, size, 0));
}

}  // namespace

WizardLook::WizardLook(UINT dpi, int iconSize)
    : font(MakeFont(L"Verdana", PointsToHeight(8, dpi), FW_NORMAL)),
      titleFont(MakeFont(L"Verdana", -Scale(19, dpi), FW_BOLD)),
      stepFont(MakeFont(L"Verdana", PointsToHeight(10, dpi), FW_NORMAL)),
      stepBoldFont(MakeFont(L"Verdana", PointsToHeight(10, dpi), FW_BOLD, true)),
      percentFont(MakeFont(L"MS Sans Serif", PointsToHeight(8, dpi), FW_BOLD)),
      titleBrush(CreateSolidBrush(kTitleBlue)),
      infoIcon(SystemIcon(IDI_INFORMATION, iconSize)),
      errorIcon(SystemIcon(IDI_ERROR, iconSize)),
      appIcon(LoadIconAtSize(IDI_APP, iconSize)) {}
