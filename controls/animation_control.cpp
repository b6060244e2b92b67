#include "controls/animation_control.h"

#include "platform/resource_ids.h"
#include "platform/controls.h"
#include "controls/image_control.h"
#include "platform/dpi.h"

namespace {
constexpr UINT_PTR kAniTimer = 1;
}

AnimationControl::AnimationControl(HWND parent, int x, int y, HINSTANCE resources) : resources_(resources) {
    CreateWindowObject(L"ZeigerwerkAnimation", 0, ChildStyle(), L"", x, y, kFrameSize, kFrameSize,
                       parent, nullptr, nullptr, nullptr);
    LoadStrip();
    RestartTimer();
}

void AnimationControl::LoadStrip() {
    const HINSTANCE module = resources_ ? resources_ : ResourceModule();
    // The design strip tells the number of frames; the picture shown is made for the frame size.
    BitmapHandle design((HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(IDB_ANIMATION), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    stripHeight_ = 0;
    frameCount_ = 0;
    if (design) {
        BITMAP bm{};
        GetObjectW(design.Get(), sizeof bm, &bm);
        frameCount_ = (bm.bmHeight + kFrameSize - 1) / kFrameSize;
        stripHeight_ = MulDiv(bm.bmHeight, frameSize_, kFrameSize);
        // Masks and key colours must not blend: the transparent key is read per frame.
        strip_.Reset(LoadPictureAtSize(module, IDB_ANIMATION, IDB_ANIMATION_2X, frameSize_, stripHeight_, false));
    } else {
        strip_.Reset();
    }
    {
        const WindowDc screen(Handle());
        stripDc_.Reset(CreateCompatibleDC(screen.Get()));
        frameBitmap_.Reset(CreateCompatibleBitmap(screen.Get(), frameSize_, frameSize_));
        composition_.Reset(CreateCompatibleBitmap(screen.Get(), frameSize_, frameSize_));
    }
    if (strip_) SelectObject(stripDc_.Get(), strip_.Get());
    if (counter_ >= frameCount_) counter_ = 0;
    if (shown_ >= frameCount_) shown_ = 0;
}

void AnimationControl::SetScale(UINT dpi) {
    const int size = Scale(kFrameSize, dpi);
    if (size == frameSize_) return;
    frameSize_ = size;
    stripDc_.Reset();  // lets go of the old strip before it is replaced
    LoadStrip();
    SetWindowPos(Handle(), nullptr, 0, 0, frameSize_, frameSize_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

AnimationControl::~AnimationControl() {
    if (Handle()) KillTimer(Handle(), kAniTimer);
}

void AnimationControl::SetInterval(int milliseconds) {
    interval_ = milliseconds;
    RestartTimer();
}

void AnimationControl::SetAniTimerEnabled(bool enabled) {
    timerEnabled_ = enabled;
    RestartTimer();
}

void AnimationControl::RestartTimer() {
    KillTimer(Handle(), kAniTimer);
    if (timerEnabled_ && interval_ > 0) SetTimer(Handle(), kAniTimer, static_cast<UINT>(interval_), nullptr);
}

void AnimationControl::AniTimerTimer() {
    DrawFrame(WindowDc(Handle()).Get(), counter_);
    shown_ = counter_;
    ++counter_;
    if (counter_ * frameSize_ >= stripHeight_) counter_ = 0;
}

void AnimationControl::DrawFrame(HDC target, int frame) {
    DcHandle frameDc(CreateCompatibleDC(target));
    DcHandle compositionDc(CreateCompatibleDC(target));
    SelectedObject frameSelected(frameDc.Get(), frameBitmap_.Get());
    SelectedObject compositionSelected(compositionDc.Get(), composition_.Get());
    const RECT all{0, 0, frameSize_, frameSize_};
    FillRect(compositionDc.Get(), &all, ParentBackground(Handle(), compositionDc.Get()));
    if (strip_) {
        BitBlt(frameDc.Get(), 0, 0, frameSize_, frameSize_, stripDc_.Get(), 0, frame * frameSize_, SRCCOPY);
        // Each frame brings its own transparent colour: its bottom-left pixel.
        const COLORREF transparent = GetPixel(frameDc.Get(), 0, frameSize_ - 1);
        TransparentBlt(compositionDc.Get(), 0, 0, frameSize_, frameSize_, frameDc.Get(), 0, 0, frameSize_,
                       frameSize_, transparent);
    }
    BitBlt(target, 0, 0, frameSize_, frameSize_, compositionDc.Get(), 0, 0, SRCCOPY);
}

LRESULT AnimationControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
