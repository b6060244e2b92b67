#include "platform/win_error.h"

#include <cstdio>

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) {
        wchar_t fallback[64];
        std::swprintf(fallback, 64, L"Systemfehler 0x%08lX.", static_cast<unsigned long>(code));
        text = fallback;
    }
    return text;
}

void ThrowError(DWORD code) { throw PlatformError(SystemMessage(code), code); }

void ThrowLastError() { ThrowError(GetLastError()); }

void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) ThrowError(static_cast<DWORD>(hr));
}
