#include "platform/dpi.h"

#include "platform/system_library.h"

#include <cwchar>
#include <map>
#include <tuple>

namespace {
HINSTANCE resourceModule = nullptr;

// The per-DPI functions arrived with Windows 10; on older systems the program uses the system DPI.
template <typename Function>
Function User32Function(const char* name) {
    return SystemFunction<Function>(L"user32.dll", name);
}
}  // namespace

UINT SystemDpi() {
    static const auto forSystem = User32Function<UINT(WINAPI*)()>("GetDpiForSystem");
    if (forSystem) return forSystem();
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT WindowDpi(HWND window) {
    static const auto forWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (window && forWindow) {
        if (const UINT dpi = forWindow(window)) return dpi;
    }
    return SystemDpi();
}

bool DeclarePerMonitorDpiAwareness() {
    using Context = HANDLE;
    if (const auto setContext = User32Function<BOOL(WINAPI*)(Context)>("SetProcessDpiAwarenessContext")) {
        if (setContext(reinterpret_cast<Context>(-4)) || setContext(reinterpret_cast<Context>(-3))) return true;
    }
    if (const auto setAware = User32Function<BOOL(WINAPI*)()>("SetProcessDPIAware")) return setAware() != FALSE;
    return false;
}

HFONT DialogFontForDpi(UINT dpi) {
    static std::map<UINT, HFONT> fonts;  // live as long as the forms that use them
    HFONT& font = fonts[dpi];
    if (!font) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
        lf.lfCharSet = DEFAULT_CHARSET;
        wcscpy(lf.lfFaceName, L"MS Shell Dlg");
        font = CreateFontIndirectW(&lf);
    }
    return font;
}

HFONT FontForDpi(HFONT font, UINT oldDpi, UINT newDpi) {
    if (!font || oldDpi == newDpi) return font;
    static std::map<std::tuple<HFONT, UINT, UINT>, HFONT> fonts;
    HFONT& made = fonts[{font, oldDpi, newDpi}];
    if (!made) {
        LOGFONTW lf{};
        GetObjectW(font, sizeof lf, &lf);
        // Through whole points, as fonts are chosen: moving back and forth keeps the size.
        if (lf.lfHeight < 0) {
            const int points = MulDiv(-lf.lfHeight, 72, static_cast<int>(oldDpi));
            lf.lfHeight = -MulDiv(points, static_cast<int>(newDpi), 72);
        } else {
            lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(newDpi), static_cast<int>(oldDpi));
        }
        lf.lfWidth = MulDiv(lf.lfWidth, static_cast<int>(newDpi), static_cast<int>(oldDpi));
        made = CreateFontIndirectW(&lf);
    }
    return made;
}

int SmallIconSize(UINT dpi) { return Scale(16, dpi); }
int LargeIconSize(UINT dpi) { return Scale(32, dpi); }

HINSTANCE ResourceModule() { return resourceModule ? resourceModule : GetModuleHandleW(nullptr); }
void SetResourceModule(HINSTANCE module) { resourceModule = module; }

HICON LoadIconAtSize(int id, int size) {
    return static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

namespace {
HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
    return static_cast<HBITMAP>(LoadImageW(module ? module : ResourceModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0,
                                           0, LR_CREATEDIBSECTION));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}
}  // namespace

HBITMAP LoadPictureAtSize(HINSTANCE module, int id1x, int id2x, int width, int height, bool smooth) {
    HBITMAP source = LoadBitmapResource(module, id1x);
    if (!source) return nullptr;
    SIZE size = BitmapSize(source);
    if (size.cx == width && size.cy == height) return source;
    if (HBITMAP larger = LoadBitmapResource(module, id2x)) {
        DeleteObject(source);
        source = larger;
        size = BitmapSize(source);
        if (size.cx == width && size.cy == height) return source;
    }
    const HDC screen = GetDC(nullptr);
    const HDC from = CreateCompatibleDC(screen);
    const HDC to = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP result = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (result) {
        const HGDIOBJ oldFrom = SelectObject(from, source);
        const HGDIOBJ oldTo = SelectObject(to, result);
        SetStretchBltMode(to, smooth ? HALFTONE : COLORONCOLOR);
        SetBrushOrgEx(to, 0, 0, nullptr);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, size.cx, size.cy, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return result;
}

HFONT FontVariant(HFONT font, LONG weight, bool underline) {
    static std::map<std::tuple<HFONT, LONG, bool>, HFONT> fonts;
    HFONT& made = fonts[{font, weight, underline}];
    if (!made) {
        LOGFONTW lf{};
        GetObjectW(font, sizeof lf, &lf);
        lf.lfWeight = weight;
        lf.lfUnderline = underline;
        made = CreateFontIndirectW(&lf);
    }
    return made;
}
