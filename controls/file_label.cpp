#include "controls/file_label.h"

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/window.h"

TFileLabel::TFileLabel(HWND parent, int x, int y, int width, int height, bool visible) {
    // No word wrap and no accelerator prefix: a path is shown as it is, on one line.
    hwnd_ = CreateWindowExW(0, L"STATIC", L"", (visible ? ChildStyle() : WS_CHILD) | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                            x, y, width, height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) ThrowLastError();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    parts_ = SplitPath(fileName_, separator_);
}

TFileLabel::~TFileLabel() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TFileLabel::SetFileName(const std::wstring& fileName) {
    if (fileName == fileName_) return;
    fileName_ = fileName;
    parts_ = SplitPath(fileName_, separator_);
    Recompute();
}

void TFileLabel::SetSeparator(const std::wstring& separator) {
    if (separator == separator_) return;
    separator_ = separator;
    parts_ = SplitPath(fileName_, separator_);
    Recompute();
}

void TFileLabel::SetDirection(TDirection direction) {
    if (direction == direction_) return;
    direction_ = direction;
    Recompute();
}

void TFileLabel::SetBounds(int x, int y, int width, int height) {
    MoveWindow(hwnd_, x, y, width, height, TRUE);
    Recompute();
}

int TFileLabel::Width() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.right - r.left;
}

void TFileLabel::SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

void TFileLabel::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

std::wstring TFileLabel::Caption() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), length + 1)));
    return text;
}

void TFileLabel::Recompute() {
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
