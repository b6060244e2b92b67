#pragma once
#include <windows.h>

#include <functional>
#include <string>

// ShellExecute with the "open" verb and the normal show state; the result is not checked.
void ShellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters,
               const std::wstring& folder = {});

// Test seam: while set, ShellOpen records instead of starting anything.
extern std::function<void(const std::wstring& file, const std::wstring& parameters)> ShellOpenScript;
