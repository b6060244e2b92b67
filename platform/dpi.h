#pragma once
#include <windows.h>

#include <string>

#include "platform/fonts.h"

// Sizes in this program are designed at 96 dots per inch and scaled to the DPI of the window
// that shows them (per monitor where the system knows it, the system's DPI otherwise).

inline constexpr UINT kDesignDpi = 96;

// A design size at the given DPI.
inline int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDesignDpi)); }
// A size at the given DPI back in design units.
inline int Unscale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(kDesignDpi), static_cast<int>(dpi)); }
inline RECT ScaleRect(const RECT& r, UINT dpi) {
    return {Scale(r.left, dpi), Scale(r.top, dpi), Scale(r.right, dpi), Scale(r.bottom, dpi)};
}

// The system DPI (that of the primary screen when the program started).
UINT SystemDpi();
// The DPI of the window's monitor; SystemDpi() where the system has no per-window DPI (before
// Windows 10) or for no window.
UINT WindowDpi(HWND window);
// The DPI a new window owned by owner will have.
inline UINT DpiForNewWindow(HWND owner) { return owner ? WindowDpi(owner) : SystemDpi(); }

// Makes this process per-monitor DPI aware (v2, else v1, else system aware), as the program's
// manifest does; for hosts without that manifest (tests). False when nothing could be set.
bool DeclarePerMonitorDpiAwareness();


// Small (16 at 96 DPI) and large (32) icon edge lengths at the DPI.
int SmallIconSize(UINT dpi);
int LargeIconSize(UINT dpi);

// The module whose pictures and icons the windows show: the program itself unless changed
// (tests show the program's pictures from the built program).
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

// An icon resource of the resource module at exactly this edge length (owned by the caller).
HICON LoadIconAtSize(int id, int size);
// A picture resource at exactly width x height pixels: the 1x drawing (id1x) where that is the
// size, otherwise the 2x drawing (id2x), made smaller where needed; a 96-DPI drawing is never
// blown up. smooth: blend pixels when shrinking (off for masks, which must stay black and white).
// module null: the resource module. Owned by the caller; null when the module lacks the picture.
HBITMAP LoadPictureAtSize(HINSTANCE module, int id1x, int id2x, int width, int height, bool smooth = true);

