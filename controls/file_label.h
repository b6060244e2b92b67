#pragma once
#include <windows.h>

#include <string>

#include "controls/path_shortening.h"

// A label that shows a path shortened to its width (inner folders give way to "...").
// The caption is worked out again when the path, the separator, the direction or the bounds
// change, and only then: a new font alone leaves the caption as it is.
class TFileLabel {
public:
    TFileLabel(HWND parent, int x, int y, int width, int height, bool visible = true);
    ~TFileLabel();
    TFileLabel(const TFileLabel&) = delete;
    TFileLabel& operator=(const TFileLabel&) = delete;

    HWND Handle() const { return hwnd_; }

    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& fileName);
    TDirection Direction() const { return direction_; }
    void SetDirection(TDirection direction);
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
    TDirection direction_ = drFromLeft;
    PathParts parts_;
};
