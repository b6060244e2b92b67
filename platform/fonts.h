#pragma once
#include <windows.h>

// Every font the program makes comes from KeptFont: made once per description and kept for the
// program's life, so that a window never holds a font another has deleted.
HFONT KeptFont(const LOGFONTW& description);

// The font every form starts with ("MS Shell Dlg", 8 pt) at the given DPI, and at 96 DPI, where
// the wizard's layout is measured.
HFONT DialogFontForDpi(UINT dpi);
inline HFONT DialogFont() { return DialogFontForDpi(96); }
// The same face, weight and style as font, made for newDpi from oldDpi.
HFONT FontForDpi(HFONT font, UINT oldDpi, UINT newDpi);
// A variant of a font (weight, underline).
HFONT FontVariant(HFONT font, LONG weight, bool underline);
// The description of a font (all zero for none).
LOGFONTW FontDescription(HFONT font);
