#include "update/reminder_choice.h"

#include <algorithm>

#include "update/update_settings.h"

ReminderChoice ReadReminderChoice(bool hkcu, const std::wstring& registryKey) {
    const RegistryKey key = OpenUpdateSettings(hkcu, registryKey);
    const auto interval = ReadInterval(key);
    return {UpdateValuePresent(key, registryKey, L"NoUpdate"), std::clamp(interval ? static_cast<int>(*interval) : kDefaultInterval, 1, 365)};
}

void SaveReminderChoice(bool hkcu, const std::wstring& registryKey, const ReminderChoice& choice) {
    RegistryKey key = OpenUpdateSettings(hkcu, registryKey);
    if (choice.never) {
        RegDeleteValueW(key.Get(), L"UpdateInterval");
        key.SetString(L"NoUpdate", L"");
    } else {
        RegDeleteValueW(key.Get(), L"NoUpdate");
        key.SetInteger(L"UpdateInterval", static_cast<DWORD>(choice.interval));
    }
}

int IntervalFromText(const std::wstring& text) {
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9' || value > 1000) return value > 1000 ? 365 : kDefaultInterval;
        value = value * 10 + (c - L'0');
    }
    return text.empty() ? kDefaultInterval : std::clamp(value, 1, 365);
}
