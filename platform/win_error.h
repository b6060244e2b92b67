#pragma once
#include <windows.h>

#include <string>

#include "platform/platform_error.h"

// The system's message text for an error code (or HRESULT), without the trailing line break.
std::wstring SystemMessage(DWORD code);

[[noreturn]] void ThrowLastError();
[[noreturn]] void ThrowError(DWORD code);
void ThrowIfFailed(HRESULT hr);
