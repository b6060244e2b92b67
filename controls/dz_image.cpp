#include "controls/dz_image.h"

#include <commctrl.h>

#include "platform/controls.h"

TDZImage::TDZImage(HWND parent, int x, int y, int width, int height) {
    CreateWindowObject(L"ZeigerwerkImage", 0, ChildStyle(), L"", x, y, width, height, parent, nullptr,
                       nullptr, nullptr);
}

void TDZImage::SetIcon(HICON icon) {
    bitmap_.Reset();
    icon_.Reset(icon);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDZImage::SetBitmap(HBITMAP bitmap) {
    icon_.Reset();
    bitmap_.Reset(bitmap);
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TDZImage::LoadBitmapFile(const std::wstring& path) {
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    SetBitmap(bitmap);
    return bitmap != nullptr;
}

void TDZImage::Clear() {
    icon_.Reset();
    bitmap_.Reset();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDZImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDZImage::SetCenter(bool center) {
    center_ = center;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TDZImage::SetBounds(int x, int y, int width, int height) { MoveWindow(Handle(), x, y, width, height, TRUE); }

void TDZImage::SetHint(const std::wstring& hint) {
    hint_ = hint;
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) return;  // a missing hint is no reason to fail the page
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Handle());
        tool.lpszText = const_cast<wchar_t*>(hint_.c_str());
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    } else {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(Handle());
        tool.lpszText = const_cast<wchar_t*>(hint_.c_str());
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

HBRUSH ParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

RECT TDZImage::PictureRect(int width, int height) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    if (stretch_) return client;
    RECT r{0, 0, width, height};
    if (center_) OffsetRect(&r, (client.right - width) / 2, (client.bottom - height) / 2);
    return r;
}

void TDZImage::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, ParentBackground(Handle(), dc));
    if (icon_) {
        int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
        ICONINFO info{};
        if (GetIconInfo(icon_.Get(), &info)) {
            BITMAP bm{};
            if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
                width = bm.bmWidth;
                height = bm.bmHeight;
            } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof bm, &bm)) {
                width = bm.bmWidth;
                height = bm.bmHeight / 2;
            }
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
        const RECT r = PictureRect(width, height);
        DrawIconEx(dc, r.left, r.top, icon_.Get(), r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
    } else if (bitmap_) {
        BITMAP bm{};
        GetObjectW(bitmap_.Get(), sizeof bm, &bm);
        const RECT r = PictureRect(bm.bmWidth, bm.bmHeight);
        DcHandle source(CreateCompatibleDC(dc));
        SelectedObject picture(source.Get(), bitmap_.Get());
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.Get(), 0, 0, bm.bmWidth,
                   bm.bmHeight, SRCCOPY);
    }
}

LRESULT TDZImage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (handCursor_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        hover_.HandleMessage(Handle(), message, OnMouseEnter, OnMouseLeave);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        SetCapture(Handle());
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        RECT client{};
        GetClientRect(Handle(), &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (wasPressed && PtInRect(&client, at) && OnClick) OnClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_DESTROY:
        if (tooltip_) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        break;
    }
    return Default(message, wParam, lParam);
}
