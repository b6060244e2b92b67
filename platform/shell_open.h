#pragma once
#include <windows.h>

#include <functional>
#include <string>

// ShellExecute with the "open" verb (normal show state unless told otherwise); the result is not checked.
void ShellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters,
               const std::wstring& folder = {}, int showCommand = SW_SHOWNORMAL);

// Test seam: while set, ShellOpen records instead of starting anything.
extern std::function<void(const std::wstring& file, const std::wstring& parameters)> ShellOpenScript;
// The show state of the last ShellOpen call, for tests.
extern int ShellOpenLastShowCommand;
