#include "controls/win_ani.h"

#include "app/resource_ids.h"
#include "controls/dz_image.h"

namespace {
constexpr UINT_PTR kAniTimer = 1;
}

TWinAni::TWinAni(HWND parent, int x, int y, HINSTANCE resources) {
    CreateWindowObject(L"ZeigerwerkAnimation", 0, WS_CHILD | WS_VISIBLE, L"", x, y, kFrameSize, kFrameSize,
                       parent, nullptr, nullptr, nullptr);
    strip_.Reset(static_cast<HBITMAP>(LoadImageW(resources ? resources : GetModuleHandleW(nullptr),
                                                 MAKEINTRESOURCEW(IDB_ANIMATION), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION)));
    if (strip_) {
        BITMAP bm{};
        GetObjectW(strip_.Get(), sizeof bm, &bm);
        stripHeight_ = bm.bmHeight;
        frameCount_ = (stripHeight_ + kFrameSize - 1) / kFrameSize;
    }
    {
        const WindowDc screen(Handle());
        stripDc_.Reset(CreateCompatibleDC(screen.Get()));
        frameBitmap_.Reset(CreateCompatibleBitmap(screen.Get(), kFrameSize, kFrameSize));
        composition_.Reset(CreateCompatibleBitmap(screen.Get(), kFrameSize, kFrameSize));
    }
    if (strip_) SelectObject(stripDc_.Get(), strip_.Get());
    RestartTimer();
}

TWinAni::~TWinAni() {
    if (Handle()) KillTimer(Handle(), kAniTimer);
}

void TWinAni::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    RestartTimer();
}

void TWinAni::SetAniTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    RestartTimer();
}

void TWinAni::RestartTimer() {
    KillTimer(Handle(), kAniTimer);
    if (timerEnabled_ && interval_ > 0) SetTimer(Handle(), kAniTimer, static_cast<UINT>(interval_), nullptr);
}

void TWinAni::AniTimerTimer() {
    DrawFrame(WindowDc(Handle()).Get(), counter_);
    shown_ = counter_;
    ++counter_;
    if (counter_ * kFrameSize >= stripHeight_) counter_ = 0;
}

void TWinAni::DrawFrame(HDC target, int frame) {
    DcHandle frameDc(CreateCompatibleDC(target));
    DcHandle compositionDc(CreateCompatibleDC(target));
    SelectedObject frameSelected(frameDc.Get(), frameBitmap_.Get());
    SelectedObject compositionSelected(compositionDc.Get(), composition_.Get());
    const RECT all{0, 0, kFrameSize, kFrameSize};
    FillRect(compositionDc.Get(), &all, ParentBackground(Handle(), compositionDc.Get()));
    if (strip_) {
        BitBlt(frameDc.Get(), 0, 0, kFrameSize, kFrameSize, stripDc_.Get(), 0, frame * kFrameSize, SRCCOPY);
        // Each frame brings its own transparent colour: its bottom-left pixel.
        const COLORREF transparent = GetPixel(frameDc.Get(), 0, kFrameSize - 1);
        TransparentBlt(compositionDc.Get(), 0, 0, kFrameSize, kFrameSize, frameDc.Get(), 0, 0, kFrameSize,
                       kFrameSize, transparent);
    }
    BitBlt(target, 0, 0, kFrameSize, kFrameSize, compositionDc.Get(), 0, 0, SRCCOPY);
}

LRESULT TWinAni::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        DrawFrame(dc, shown_);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        DrawFrame(reinterpret_cast<HDC>(wParam), shown_);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kAniTimer) {
            AniTimerTimer();
            return 0;
        }
        break;
    case WM_DESTROY:
        KillTimer(Handle(), kAniTimer);
        break;
    }
    return Default(message, wParam, lParam);
}
