#pragma once
#include <windows.h>

#include "platform/handles.h"
#include "platform/window.h"

// A 38 x 38 animation (at 96 DPI; SetScale sizes it for another) that loops through the frames
// of the program's animation strip (frames stacked from top to bottom). Repainting shows the
// current frame again; only the timer moves on.
class AnimationControl : public Window {
public:
    static constexpr int kFrameSize = 38;

    // The strip is bitmap IDB_ANIMATION of resources (the program itself when null).
    AnimationControl(HWND parent, int x, int y, HINSTANCE resources = nullptr);
    ~AnimationControl() override;

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool AniTimerEnabled() const { return timerEnabled_; }
    void SetAniTimerEnabled(bool enabled);

    // Frames and control at the DPI's size, drawn from the nearer of the strip's two drawings.
    void SetScale(UINT dpi);
    int FrameSize() const { return frameSize_; }

    int FrameCount() const { return frameCount_; }
    int FrameCounter() const { return counter_; }  // the frame the next tick draws
    int ShownFrame() const { return shown_; }      // the frame on screen

    // One timer tick: draws the current frame, then moves on (looping at the end of the strip).
    void AniTimerTimer();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc) override { DrawFrame(dc, shown_); }

private:
    void DrawFrame(HDC target, int frame);
    void RestartTimer();
    void LoadStrip();

    HINSTANCE resources_;
    int frameSize_ = kFrameSize;
    BitmapHandle strip_;
    DcHandle stripDc_;
    BitmapHandle frameBitmap_, composition_;
    int stripHeight_ = 0;
    int frameCount_ = 0;
    int interval_ = 10;
    bool timerEnabled_ = true;
    int counter_ = 0;
    int shown_ = 0;
};
