#include "controls/link_label.h"

#include <algorithm>

#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/handles.h"

namespace {
// Room on the right for glyphs that reach beyond their advance (as some substituted fonts do).
constexpr int kInkSlack = 3;
}  // namespace

LinkLabel::LinkLabel(HWND parent, int rightEdge, int top, const std::wstring& text)
    : text_(text), rightEdge_(rightEdge) {
    CreateWindowObject(L"ZeigerwerkLinkLabel", 0, ChildStyle() | WS_TABSTOP, text, rightEdge - 1, top, 1,
                       1, parent, nullptr, nullptr, nullptr);
}

void LinkLabel::SetFontColor(COLORREF color) {
    color_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void LinkLabel::SetUnderlined(bool underlined) {
    underlined_ = underlined;
    InvalidateRect(Handle(), nullptr, TRUE);
}

HFONT LinkLabel::CurrentFont() {
    HFONT base = font_ ? font_ : DialogFont();
    if (!underlined_) return base;
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    return FontVariant(base, lf.lfWeight, true);
}

void LinkLabel::FitToText() {
    const SIZE size = TextExtent(WindowDc(Handle()).Get(), font_ ? font_ : DialogFont(), text_);
    RECT r{};
    GetWindowRect(Handle(), &r);
    MapWindowPoints(nullptr, GetParent(Handle()), reinterpret_cast<POINT*>(&r), 1);
    // The text's extent ends at the right edge. The window leaves a pixel on the left for the
    // focus rectangle and a few on the right for glyphs that reach beyond their advance (as
    // some substituted fonts do).
    // No taller than the line pitch the labels are placed at, so that stacked links do not overlap.
    const int height = maxHeight_ > 0 ? std::min<int>(size.cy + 1, maxHeight_) : size.cy + 1;
    MoveWindow(Handle(), rightEdge_ - size.cx - 1, r.top, size.cx + 1 + kInkSlack, height, TRUE);
}

void LinkLabel::MoveTo(int rightEdge, int top) {
    rightEdge_ = rightEdge;
    SetWindowPos(Handle(), nullptr, rightEdge, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    FitToText();
}

void LinkLabel::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SelectedObject font(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color_);
    TextOutW(dc, 1, 0, text_.c_str(), static_cast<int>(text_.size()));
    if (GetFocus() == Handle() && !(SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        DrawFocusRect(dc, &client);
}

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        FitToText();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(Handle(), nullptr, TRUE);
        break;
    case WM_GETDLGCODE:
        if (lParam) {
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
        }
        return DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && OnClick) OnClick();
        return 0;
    case WM_SETCURSOR:
        if (MouseHover::ShowHand(message, lParam)) return TRUE;
        break;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        hover_.HandleMessage(Handle(), message, OnMouseEnter, OnMouseLeave);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (message == WM_LBUTTONDOWN)
            click_.Press(Handle());
        else
            click_.Cancel();
        if (OnMouseDown) OnMouseDown();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = click_.Release(Handle(), message, lParam);
        if (OnMouseUp) OnMouseUp();
        if (click && OnClick) OnClick();
        return 0;
    }
    }
    return Default(message, wParam, lParam);
}
