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
