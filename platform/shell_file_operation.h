#pragma once
#include <windows.h>

#include <string>
#include <vector>

// SHFileOperation with the program's rules: no confirmation unless asked, to the recycle bin
// unless permanent or Shift is held. True unless the user aborted.
bool ShellFileOperation(UINT operation, HWND owner, const std::vector<std::wstring>& paths, bool confirm,
                        bool permanent, const std::wstring& destination = {});
