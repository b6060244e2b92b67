#include "platform/fonts.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>

HFONT KeptFont(const LOGFONTW& description) {
    // Keyed by the description's bytes, the face name cleared past its end.
    LOGFONTW key{};
    key = description;
    const size_t faceLength = wcsnlen(description.lfFaceName, LF_FACESIZE - 1);
    std::fill(key.lfFaceName + faceLength, key.lfFaceName + LF_FACESIZE, L'\0');
    static std::map<std::string, HFONT> fonts;
    HFONT& font = fonts[std::string(reinterpret_cast<const char*>(&key), sizeof key)];
    if (!font) font = CreateFontIndirectW(&key);
    return font;
}

LOGFONTW FontDescription(HFONT font) {
    LOGFONTW description{};
    if (font) GetObjectW(font, sizeof description, &description);
    return description;
}

HFONT DialogFontForDpi(UINT dpi) {
    LOGFONTW description{};
    description.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    description.lfCharSet = DEFAULT_CHARSET;
    wcscpy(description.lfFaceName, L"MS Shell Dlg");
    return KeptFont(description);
}

HFONT FontForDpi(HFONT font, UINT oldDpi, UINT newDpi) {
    if (!font || oldDpi == newDpi) return font;
    LOGFONTW description = FontDescription(font);
    // Through whole points, as fonts are chosen: moving back and forth keeps the size.
    if (description.lfHeight < 0) {
        const int points = MulDiv(-description.lfHeight, 72, static_cast<int>(oldDpi));
        description.lfHeight = -MulDiv(points, static_cast<int>(newDpi), 72);
    } else {
        description.lfHeight = MulDiv(description.lfHeight, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    }
    description.lfWidth = MulDiv(description.lfWidth, static_cast<int>(newDpi), static_cast<int>(oldDpi));
    return KeptFont(description);
}

HFONT FontVariant(HFONT font, LONG weight, bool underline) {
    LOGFONTW description = FontDescription(font);
    description.lfWeight = weight;
    description.lfUnderline = underline;
    return KeptFont(description);
}
