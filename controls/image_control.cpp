#include "controls/image_control.h"

#include "platform/controls.h"
#include "platform/icon_size.h"

ImageControl::ImageControl(HWND parent, int x, int y, int width, int height) {
    CreateWindowObject(L"ZeigerwerkImage", 0, ChildStyle(), L"", x, y, width, height, parent, nullptr,
                       nullptr, nullptr);
}

void ImageControl::SetIcon(HICON icon) {
    bitmap_.Reset();
    icon_.Reset(icon);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageControl::SetBitmap(HBITMAP bitmap) {
    icon_.Reset();
    bitmap_.Reset(bitmap);
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool ImageControl::LoadBitmapFile(const std::wstring& path) {
    auto* bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    SetBitmap(bitmap);
    return bitmap != nullptr;
}

void ImageControl::Clear() {
    icon_.Reset();
    bitmap_.Reset();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageControl::SetStretch(bool stretch) {
    stretch_ = stretch;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageControl::SetCenter(bool center) {
    center_ = center;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageControl::SetBounds(int x, int y, int width, int height) { MoveWindow(Handle(), x, y, width, height, TRUE); }

HBRUSH ParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

RECT ImageControl::PictureRect(int width, int height) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    if (stretch_) return client;
    RECT r{0, 0, width, height};
    if (center_) OffsetRect(&r, (client.right - width) / 2, (client.bottom - height) / 2);
    return r;
}

void ImageControl::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, ParentBackground(Handle(), dc));
    if (icon_) {
        const SIZE size = IconSize(icon_.Get());
        const RECT r = PictureRect(size.cx, size.cy);
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

LRESULT ImageControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR:
        if (handCursor_ && MouseHover::ShowHand(message, lParam)) return TRUE;
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        hover_.HandleMessage(Handle(), message, OnMouseEnter, OnMouseLeave);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        click_.Press(Handle());
        return 0;
    case WM_LBUTTONUP:
        if (click_.Release(Handle(), message, lParam) && OnClick) OnClick();
        return 0;
    case WM_CAPTURECHANGED:
        click_.Cancel();
        return 0;
    }
    return Default(message, wParam, lParam);
}
