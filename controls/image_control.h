#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"
#include "platform/mouse_hover.h"
#include "platform/window.h"

// An image that shows an icon or a bitmap and reports the mouse entering and leaving it.
// The picture is owned by the control.
class ImageControl : public Window {
public:
    ImageControl(HWND parent, int x, int y, int width, int height);

    void SetIcon(HICON icon);            // takes ownership; null empties the image
    void SetBitmap(HBITMAP bitmap);      // takes ownership
    bool LoadBitmapFile(const std::wstring& path);  // false (and empty) when it cannot be read
    void Clear();
    bool Empty() const { return !icon_ && !bitmap_; }
    HICON Icon() const { return icon_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Center() const { return center_; }
    void SetCenter(bool center);
    bool HandCursor() const { return handCursor_; }
    void SetHandCursor(bool hand) { handCursor_ = hand; }
    void SetBounds(int x, int y, int width, int height);

    bool MouseInside() const { return hover_.Inside(); }

    std::function<void()> OnClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc) override;

private:
    RECT PictureRect(int width, int height) const;

    IconHandle icon_;
    BitmapHandle bitmap_;
    bool stretch_ = false;
    bool center_ = false;
    bool handCursor_ = false;
    MouseHover hover_;
    ClickTracker click_;
};

// The brush the parent paints its children's background with (its WM_CTLCOLORSTATIC answer).
HBRUSH ParentBackground(HWND child, HDC dc);
