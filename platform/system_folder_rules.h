#pragma once
#include <string>

// A 32-bit program on 64-bit Windows sees the 32-bit system folder under the name System32; the
// real one is reached through the alias Sysnative, which no 64-bit program knows. Paths the program
// shows or stores name System32; only its own file-system calls go through Sysnative.
// windowsFolder is the Windows folder without a trailing backslash ("C:\Windows").

// windowsFolder\System32[\rest] -> windowsFolder\Sysnative[\rest]; any other path unchanged.
std::wstring NativeSystemPath(const std::wstring& path, const std::wstring& windowsFolder);

// windowsFolder\Sysnative[\rest] -> windowsFolder\System32[\rest]; any other path unchanged.
std::wstring StoredSystemPath(const std::wstring& path, const std::wstring& windowsFolder);
