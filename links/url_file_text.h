#pragma once
#include <cstdint>
#include <string>

// The fields of an Internet shortcut (a .url file) that the wizard shows.
struct InternetShortcutFields {
    std::wstring url;
    std::wstring iconFile;       // empty: the standard icon of Internet shortcuts
    int iconIndex = 0;
    std::uint16_t hotKey = 0;    // virtual key in the low byte, HOTKEYF_ modifiers in the high byte
    int showCommand = 1;         // 1 normal window, 7 minimised, 3 maximised
    bool operator==(const InternetShortcutFields&) const = default;
};

// The fields as the file's text holds them in its [InternetShortcut] section (keys in any letter
// case; missing ones keep their defaults).
InternetShortcutFields ReadUrlFileText(const std::wstring& text);

// The text with the fields written into [InternetShortcut] (the section is made first when it is
// missing); every other line, key and section stays as it was. A changed address also drops the
// address the [InternetShortcut.A] and [InternetShortcut.W] sections hold, which would win over it.
std::wstring UrlFileText(const std::wstring& original, const InternetShortcutFields& fields);

// written, with every key of before that it lacks put back (at the end of its section, or in its
// section added at the end): what an object that writes the whole file anew would drop.
std::wstring WithKeysKept(const std::wstring& written, const std::wstring& before);
