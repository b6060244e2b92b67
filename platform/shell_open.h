#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Starts a file with the shell's "open" verb; the result is not checked. Windows that start
// files are given one, so that tests can pass one that records.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual void Open(HWND owner, const std::wstring& file, const std::wstring& parameters,
                      const std::wstring& folder, int showCommand) = 0;
};

// The real one (ShellExecute).
ShellOpener& SystemShellOpener();

// The real one for callers not yet given an opener (normal show state unless told otherwise).
void ShellOpen(HWND owner, const std::wstring& file, const std::wstring& parameters,
               const std::wstring& folder = {}, int showCommand = SW_SHOWNORMAL);

// Test seam of ShellOpen: while set, it records instead of starting anything.
extern std::function<void(const std::wstring& file, const std::wstring& parameters)> ShellOpenScript;
// The show state of the last ShellOpen call, for tests.
extern int ShellOpenLastShowCommand;
