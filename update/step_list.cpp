#include "update/step_list.h"

#include "platform/dpi.h"
#include "platform/handles.h"
#include "update/update_run.h"

namespace {

constexpr COLORREF kStepListStart = RGB(155, 183, 230);
constexpr UINT kStepTitleFormat = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;

// A title wider than the list goes on to a second line rather than being cut.
RECT TitleBox(int step, const StepListLook& look) {
    const auto s = [&](int units) { return Scale(units, look.dpi); };
    return {s(16), s(16 + 56 * step), s(kStepListWidth) - s(4), s(16 + 56 * step + 52)};
}

}  // namespace

void PaintStepList(HDC dc, int height, int current, const StepListLook& look) {
    const int width = Scale(kStepListWidth, look.dpi);
    DcHandle memory(CreateCompatibleDC(dc));
    GdiHandle bitmap(CreateCompatibleBitmap(dc, width + 1, height));
    SelectedObject selected(memory.Get(), bitmap.Get());
    const int r0 = GetRValue(kStepListStart), g0 = GetGValue(kStepListStart), b0 = GetBValue(kStepListStart);
    for (int x = 0; x <= width; ++x) {
        const COLORREF colour =
            RGB(r0 + (255 - r0) * x / width, g0 + (255 - g0) * x / width, b0 + (255 - b0) * x / width);
        GdiHandle pen(CreatePen(PS_SOLID, 1, colour));
        SelectedObject use(memory.Get(), pen.Get());
        MoveToEx(memory.Get(), x, 0, nullptr);
        LineTo(memory.Get(), x, height);
    }
    SetBkMode(memory.Get(), TRANSPARENT);
    SetTextColor(memory.Get(), RGB(0, 0, 0));
    for (int i = 0; i < 6; ++i) {
        SelectedObject font(memory.Get(), i == current ? look.bold : look.normal);
        RECT r = TitleBox(i, look);
        DrawTextW(memory.Get(), UpdateRun::kTitles[i], -1, &r, kStepTitleFormat);
    }
    BitBlt(dc, 0, 0, width + 1, height, memory.Get(), 0, 0, SRCCOPY);
}

RECT StepTitleRect(HDC dc, int step, int current, const StepListLook& look) {
    RECT r = TitleBox(step, look);
    SelectedObject font(dc, step == current ? look.bold : look.normal);
    DrawTextW(dc, UpdateRun::kTitles[step], -1, &r, kStepTitleFormat | DT_CALCRECT);
    return r;
}
