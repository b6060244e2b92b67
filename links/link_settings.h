#pragma once
#include <cstdint>
#include <string>

// The settings of a link beyond target, name, description and icon, as the dialog
// "Erweiterte Einstellungen" shows and returns them.
struct LinkSettings {
    std::wstring workingFolder;  // "Start in"; empty: none
    std::uint16_t hotKey = 0;    // virtual key in the low byte, HOTKEYF_ modifiers in the high byte
    int showCommand = 1;         // 1 normal window, 7 minimised, 3 maximised
    bool runAsAdmin = false;
    bool operator==(const LinkSettings&) const = default;
};
