#pragma once
#include <windows.h>

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
