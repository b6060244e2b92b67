#pragma once

// Where the program keeps its settings, under the user's and the machine's root.
inline constexpr const wchar_t* kSettingsKey = L"Software\\DZ\\Zeigerwerk";
