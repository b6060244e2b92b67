#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/mouse_hover.h"
#include "platform/window.h"

// A label that acts as a hyperlink: blue, hand cursor, underlined under the mouse, red while
// pressed; Tab reaches it and Space or Enter opens it.
class LinkLabel : public Window {
public:
    LinkLabel(HWND parent, int rightEdge, int top, const std::wstring& text);

    std::wstring Text() const { return text_; }
    COLORREF FontColor() const { return color_; }
    void SetFontColor(COLORREF color);
    bool Underlined() const { return underlined_; }
    void SetUnderlined(bool underlined);
    void FitToText();  // keeps the right edge
    // Places the right edge and top anew (as after a change of scale) and fits the text.
    void MoveTo(int rightEdge, int top);
    // The most height FitToText gives (0: the text's height).
    void SetMaxHeight(int height) { maxHeight_ = height; }

    std::function<void()> OnClick;
    std::function<void()> OnMouseEnter, OnMouseLeave, OnMouseDown, OnMouseUp;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc) override;

private:
    HFONT CurrentFont();

    std::wstring text_;
    int rightEdge_;
    int maxHeight_ = 0;
    COLORREF color_ = RGB(0, 0, 255);
    bool underlined_ = false;
    MouseHover hover_;
    ClickTracker click_;
    HFONT font_ = nullptr;
};
