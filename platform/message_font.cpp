#include "platform/message_font.h"

#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <string>

#include "platform/dpi.h"

namespace {

// The font with another face, kept as long as the forms that use it.
HFONT WithFace(HFONT font, const wchar_t* face) {
    LOGFONTW lf = FontDescription(font);
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return KeptFont(lf);
}

// The size in points at the DPI of the form that uses the font.
int PointSize(HFONT font, UINT dpi) {
    LOGFONTW lf{};
    if (!GetObjectW(font, sizeof lf, &lf)) return 0;
    if (lf.lfHeight >= 0) return 0;  // a cell height, not a character height: not the design font
    return MulDiv(-lf.lfHeight, 72, static_cast<int>(dpi));
}

struct FontSwitch {
    std::wstring face;
    HFONT from;
    HFONT to;
};

BOOL CALLBACK SwitchChildFont(HWND child, LPARAM data) {
    auto& change = *reinterpret_cast<FontSwitch*>(data);
    if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == change.from)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(change.to), TRUE);
    return TRUE;
}

BOOL CALLBACK SwitchFormFont(HWND form, LPARAM data) {
    auto& change = *reinterpret_cast<FontSwitch*>(data);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(form, WM_GETFONT, 0, 0));
    if (!font || PointSize(font, WindowDpi(form)) != 8) return TRUE;
    if (change.face == FontDescription(font).lfFaceName) return TRUE;
    const HFONT replacement = WithFace(font, change.face.c_str());
    change.from = font;
    change.to = replacement;
    EnumChildWindows(form, &SwitchChildFont, data);
    SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), TRUE);
    return TRUE;
}
}  // namespace

void UseSystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    // The size without the padded border width, which older systems do not know.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    FontSwitch change{metrics.lfMessageFont.lfFaceName, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &SwitchFormFont, reinterpret_cast<LPARAM>(&change));
}

