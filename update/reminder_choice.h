// The settings page's choice of reminders as the registry keeps it: never ("NoUpdate"), or every
// so many days ("UpdateInterval", 1 to 365).
#pragma once

#include <string>

#include "update/update_settings.h"

struct ReminderChoice {
    bool never = false;
    int interval = kDefaultInterval;
};

ReminderChoice ReadReminderChoice(bool hkcu, const std::wstring& registryKey);
// Writes the one value the choice names and removes the other.
void SaveReminderChoice(bool hkcu, const std::wstring& registryKey, const ReminderChoice& choice);
// The interval an edit field names: beyond the range brought into it, no number the default.
int IntervalFromText(const std::wstring& text);
