#include "wizard/settings.h"

#include "platform/path_text.h"
#include "platform/registry.h"

namespace {
// A size far off any screen (or a negative number stored as 32 bits) would open the window
// where nobody can reach it; such a value counts as missing.
constexpr DWORD kLargestSize = 32767;

void ReadSize(const RegistryKey& key, const wchar_t* name, int minimum, int& target) {
    if (const auto value = key.GetInteger(name); value && *value >= static_cast<DWORD>(minimum) && *value <= kLargestSize)
        target = static_cast<int>(*value);
}
}  // namespace

Settings LoadSettings(HKEY root, const std::wstring& key) {
    Settings settings;
    const auto opened = RegistryKey::Open(root, key);
    if (!opened) return settings;
    // The wizard's minimum size is 470 x 376.
    ReadSize(*opened, L"WindowWidth", 470, settings.windowWidth);
    ReadSize(*opened, L"WindowHeight", 376, settings.windowHeight);
    if (const auto value = opened->GetInteger(L"FileTypes"); value && *value >= 1 && *value <= 0xFFFF)
        settings.fileTypes = static_cast<int>(*value);
    return settings;
}

void RestoreWindowSize(HWND window, const Settings& settings) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - settings.windowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - settings.windowHeight) / 2;
    SetWindowPos(window, nullptr, x, y, settings.windowWidth, settings.windowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring SaveSettings(const Settings& settings, const std::wstring& programFolder, HKEY root,
                          const std::wstring& key) {
    try {
        RegistryKey opened = RegistryKey::Create(root, key);
        opened.SetString(L"ProgramPath", WithTrailingBackslash(programFolder));
        opened.SetInteger(L"WindowWidth", static_cast<DWORD>(settings.windowWidth));
        opened.SetInteger(L"WindowHeight", static_cast<DWORD>(settings.windowHeight));
        opened.SetInteger(L"FileTypes", static_cast<DWORD>(settings.fileTypes));
        return {};
    } catch (const PlatformError& error) {
        return L"Die Einstellungen konnten nicht gespeichert werden:\r\n" + error.Message();
    }
}
