#include <windows.h>

#include "platform/path_text.h"

std::wstring UpperCase(const std::wstring& text) {
    std::wstring result = text;
    if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}
