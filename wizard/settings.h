#pragma once
#include <windows.h>

#include <string>

#include "platform/settings_key.h"

// The per-user settings: window size and the file dialog's filter index, plus the program's
// folder for other programs to find it.

struct Settings {
    // The wizard's design-time values, kept when a value is missing or unusable.
    int windowWidth = 516;
    int windowHeight = 376;
    int fileTypes = 1;  // 1-based filter index of the file dialog
};

// Read at start; never throws.
Settings LoadSettings(HKEY root = HKEY_CURRENT_USER, const std::wstring& key = kSettingsKey);

// Gives the window the saved size, centred on the screen as the window is at its first size.
void RestoreWindowSize(HWND window, const Settings& settings);

// Written at the end: "ProgramPath" (programFolder, with a trailing backslash), "WindowWidth",
// "WindowHeight", "FileTypes". Never throws; the answer is the text of the message to show
// (empty when everything was saved).
std::wstring SaveSettings(const Settings& settings, const std::wstring& programFolder,
                          HKEY root = HKEY_CURRENT_USER, const std::wstring& key = kSettingsKey);
