#include <clocale>
#include <cwctype>

#include "platform/path_text.h"

std::wstring UpperCase(const std::wstring& text) {
    // towupper maps only ASCII in the "C" locale.
    static const bool localeSet = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    (void)localeSet;
    std::wstring result = text;
    for (auto& c : result) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return result;
}
