#include "controls/path_label.h"

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/window.h"

PathLabel::PathLabel(HWND parent, int x, int y, int width, int height, bool visible) {
    // No word wrap and no accelerator prefix: a path is shown as it is, on one line.
    hwnd_ = CreateWindowExW(0, L"STATIC", L"", (visible ? ChildStyle() : WS_CHILD) | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                            x, y, width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) ThrowLastError();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    parts_ = SplitPath(fileName_, separator_);
}

PathLabel::~PathLabel() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void PathLabel::SetFileName(const std::wstring& fileName) {
    if (fileName == fileName_) return;
    fileName_ = fileName;
    parts_ = SplitPath(fileName_, separator_);
    Recompute();
}

void PathLabel::SetSeparator(const std::wstring& separator) {
    if (separator == separator_) return;
    separator_ = separator;
    parts_ = SplitPath(fileName_, separator_);
    Recompute();
}

void PathLabel::SetDirection(ShorteningDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    Recompute();
}

void PathLabel::SetBounds(int x, int y, int width, int height) {
    MoveWindow(hwnd_, x, y, width, height, TRUE);
    Recompute();
}

int PathLabel::Width() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.right - r.left;
}

void PathLabel::SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void PathLabel::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

std::wstring PathLabel::Caption() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
    return text;
}

void PathLabel::Recompute() {
    std::wstring caption;
    {
        const WindowDc dc(hwnd_);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        const TextMeasure measure = [&dc, font](const std::wstring& text) {
            return static_cast<int>(TextExtent(dc.Get(), font, text).cx);
        };
        caption = ShortenPath(fileName_, parts_, separator_, direction_, Width(), measure);
    }
    SetWindowTextW(hwnd_, caption.c_str());
}
