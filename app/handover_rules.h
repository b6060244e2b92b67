#pragma once
#include <string>

// The command line for the program that takes over: its own quoted path, then everything the
// running program's command line holds after the program's name, unchanged.
std::wstring HandOverCommandLine(const std::wstring& program, const std::wstring& commandLine);
