#pragma once
#include <windows.h>

#include <string>

#include "controls/path_shortening.h"

// A label that shows a path shortened to its width (inner folders give way to "...").
// The caption is worked out again when the path, the separator, the direction or the bounds
// change, and only then: a new font alone leaves the caption as it is.
class PathLabel {
public:
    PathLabel(HWND parent, int x, int y, int width, int height, bool visible = true);
    ~PathLabel();
    PathLabel(const PathLabel&) = delete;
    PathLabel& operator=(const PathLabel&) = delete;

    HWND Handle() const { return hwnd_; }

    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& fileName);
    ShorteningDirection Direction() const { return direction_; }
    void SetDirection(ShorteningDirection direction);
    const std::wstring& Separator() const { return separator_; }
    void SetSeparator(const std::wstring& separator);

    void SetBounds(int x, int y, int width, int height);
    int Width() const;
    void SetFont(HFONT font);
    void SetVisible(bool visible);

    // The shortened text shown.
    std::wstring Caption() const;

private:
    void Recompute();

    HWND hwnd_ = nullptr;
    std::wstring fileName_;
    std::wstring separator_ = L"\\";
    ShorteningDirection direction_ = drFromLeft;
    PathParts parts_;
};
