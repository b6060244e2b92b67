#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/handles.h"

// Pixels row by row, top row first, to compare what was drawn.
using Pixels = std::vector<COLORREF>;

// What draw paints into a fresh width x height bitmap of the screen's format.
inline Pixels DrawnPixels(int width, int height, const std::function<void(HDC)>& draw) {
    DcHandle dc;
    GdiHandle bitmap;
    {
        const WindowDc screen(nullptr);
        dc.Reset(CreateCompatibleDC(screen.Get()));
        bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
    }
    SelectedObject selected(dc.Get(), bitmap.Get());
    draw(dc.Get());
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
    return pixels;
}

// What a window paints of its client area through WM_PRINTCLIENT.
inline Pixels PrintedPixels(HWND window, int width, int height) {
    return DrawnPixels(width, height, [window](HDC dc) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// What the screen shows of a window's client area: every step-th pixel in both directions, and 0
// for those inside skipped (client coordinates) when given.
inline Pixels ScreenPixels(HWND window, int width, int height, int step = 1, const RECT* skipped = nullptr) {
    const WindowDc dc(window);
    Pixels pixels;
    for (int y = 0; y < height; y += step)
        for (int x = 0; x < width; x += step)
            pixels.push_back(skipped && PtInRect(skipped, POINT{x, y}) ? 0 : GetPixel(dc.Get(), x, y));
    return pixels;
}
