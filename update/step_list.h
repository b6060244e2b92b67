// The wizard's painted list of steps at its left edge: a gradient from blue to white under the six
// step titles, the current one bold.
#pragma once
#include <windows.h>

inline constexpr int kStepListWidth = 225;  // at 96 DPI

struct StepListLook {
    HFONT normal, bold;
    UINT dpi;
};

// Drawn off screen first, so that the list does not flicker while a download repaints it.
void PaintStepList(HDC dc, int height, int current, const StepListLook& look);
// Where a step's title is drawn, in client pixels.
RECT StepTitleRect(HDC dc, int step, int current, const StepListLook& look);
