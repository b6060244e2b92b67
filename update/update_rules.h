// The update's rules that need no system: sizes and times as the progress page shows them, dates
// as day counts, the reminder schedule, the news list and the server address.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// ---- Dates: days since 30 December 1899, the time of day as the fraction ----

double DaysFromCivil(int year, int month, int day);
// Day, month and year of a day count's date part.
void CivilFromDays(double days, int& year, int& month, int& day);
// The date part (the time of day cut off), also for dates before 1899.
double DatePart(double days);
// "dd.mm.yyyy", the German short date.
std::wstring ShortDateText(double days);
// Reads a German short date: day, month and year separated by points, blanks around allowed;
// a two-digit year lies in 2000-2099. Empty when the text is no valid date.
std::optional<double> ParseShortDate(const std::wstring& text);

// ---- Texts of the progress page ----

// "512 Byte", "1,5 KB", "1 MB": one significant digit more than the integer part has.
std::wstring SizeText(std::uint64_t bytes, wchar_t decimalSeparator = L',');
// A duration (fraction of a day) as hours, minutes and seconds "hh:mm:ss"; negative counts as 0.
std::wstring LongTimeText(double days);
// "NN %" of the progress; "100 %" when the total is unknown (0).
std::wstring PercentText(std::uint64_t received, std::uint64_t total);
// The remaining time as a fraction of a day, from the share received in the elapsed time;
// empty while nothing can be estimated (nothing received, or no total announced).
std::optional<double> RemainingTime(std::uint64_t received, std::uint64_t total, double elapsedDays);

// ---- Schedule ----

inline constexpr int kDefaultInterval = 7;
// The reminder interval in days from the stored value (absent, 0 or less: 7).
int EffectiveInterval(std::optional<std::int32_t> stored);
// The next-due date written after a run: today + interval - 1.
double NextDueDate(double today, int interval);

struct ScheduleState {
    bool manual = false;
    bool onlyUpdate = false;
    bool noUpdate = false;
    std::optional<double> nextDue;  // "Update"; absent: yesterday
    double today = 0;               // date part only
};
// Whether the dialog is shown: always in manual and only-update mode, otherwise when today is
// later than the next-due date and reminders are not switched off.
bool UpdateDue(const ScheduleState& state);

// Drive types (as the system numbers them) that an update may be run from.
bool DriveTypeAllowsUpdate(unsigned driveType);

// "ApplicationFileName": the program in double quotes, then a blank and the parameters if any.
std::wstring ApplicationFileNameValue(const std::wstring& programPath, const std::wstring& params);

// New updates exist when the list names the program and its date is not before the program's.
bool UpdatesAvailable(bool hasSection, double serverDate, double programDate);

// ---- Update list ----

// Splits a comma text: commas or blanks separate, double quotes group, "" inside quotes is one ".
std::vector<std::wstring> SplitCommaText(const std::wstring& text);
// The news entries to show: those dated the program's day or later (or without a readable date),
// each as "- " + entry + CR LF, in list order.
std::wstring NewsListText(const std::vector<std::wstring>& entries, double programDate);

// The archive's name from the list's "File": a plain file name, no folder part or odd character.
bool IsPlainArchiveName(const std::wstring& name);

// The archive as the signed list binds it: its exact size and SHA-256.
struct ArchiveBinding {
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
};
// From the list's "Size" (decimal bytes, 1 to 4 GB) and "SHA256" (64 hexadecimal digits, either
// case); empty when either is missing or malformed.
std::optional<ArchiveBinding> ParseArchiveBinding(const std::wstring& size, const std::wstring& sha256);

// ---- Server address ----

inline constexpr const char* kDefaultUpdateHost = "update.zeigerwerk.example";
struct ServerAddress {
    std::string host;
    int port = 80;
};
// "host" or "host:port" (letters, digits, '.', '-'; port 1-65535); empty when not usable.
std::optional<ServerAddress> ParseServerAddress(const std::wstring& text);
