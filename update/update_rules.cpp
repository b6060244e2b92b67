#include "update/update_rules.h"

#include <cmath>
#include <cstdio>

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double kUnixEpochDays = 25569;

long long DaysFromUnixEpoch(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool IsBlank(wchar_t c) { return c > 0 && c <= L' '; }

std::wstring TwoDigits(long long n) {
    std::wstring text = std::to_wstring(n);
    return text.size() < 2 ? L"0" + text : text;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

double DaysFromCivil(int year, int month, int day) {
    return static_cast<double>(DaysFromUnixEpoch(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) +
           kUnixEpochDays;
}

void CivilFromDays(double days, int& year, int& month, int& day) {
    long long z = static_cast<long long>(std::floor(days)) - static_cast<long long>(kUnixEpochDays) + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

double DatePart(double days) { return std::floor(days); }

std::wstring ShortDateText(double days) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    std::wstring year = std::to_wstring(y);
    while (year.size() < 4) year.insert(0, 1, L'0');
    return TwoDigits(d) + L"." + TwoDigits(m) + L"." + year;
}

std::optional<double> ParseShortDate(const std::wstring& text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    auto number = [&](std::size_t maxDigits, int& value, std::size_t& digits) {
        value = 0;
        digits = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < maxDigits) {
            value = value * 10 + (text[i] - L'0');
            ++i;
            ++digits;
        }
        return digits > 0;
    };
    int day = 0, month = 0, year = 0;
    std::size_t digits = 0;
    skipBlanks();
    if (!number(2, day, digits) || i >= text.size() || text[i] != L'.') return std::nullopt;
    ++i;
    if (!number(2, month, digits) || i >= text.size() || text[i] != L'.') return std::nullopt;
    ++i;
    if (!number(4, year, digits) || (digits != 2 && digits != 4)) return std::nullopt;
    if (digits == 2) year += 2000;
    skipBlanks();
    if (i != text.size()) return std::nullopt;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

std::wstring SizeText(std::uint64_t bytes, wchar_t decimalSeparator) {
    static const wchar_t* const kUnits[] = {L"Byte", L"KB", L"MB", L"GB", L"TB"};
    double v = static_cast<double>(bytes);
    int unit = 0;
    while (v >= 1024 && unit < 5) {
        v /= 1024;
        ++unit;
    }
    if (unit == 5) {
        v *= 1024;
        unit = 4;
    }
    char whole[64];
    std::snprintf(whole, sizeof whole, "%.0f", v);
    const int digits = static_cast<int>(std::string(whole).size());
    char shown[64];
    std::snprintf(shown, sizeof shown, "%.*g", digits + 1, v);
    std::wstring text;
    for (const char* p = shown; *p; ++p) text += *p == '.' ? decimalSeparator : static_cast<wchar_t>(*p);
    return text + L" " + kUnits[unit];
}

std::wstring LongTimeText(double days) {
    long long seconds = days > 0 ? std::llround(days * 86400.0) : 0;
    return TwoDigits(seconds / 3600) + L":" + TwoDigits(seconds / 60 % 60) + L":" + TwoDigits(seconds % 60);
}

std::wstring PercentText(std::uint64_t received, std::uint64_t total) {
    if (total == 0) return L"100 %";
    const double share = static_cast<double>(received) / static_cast<double>(total) * 100.0;
    return std::to_wstring(static_cast<long long>(std::floor(share + 0.5))) + L" %";
}

std::optional<double> RemainingTime(std::uint64_t received, std::uint64_t total, double elapsedDays) {
    if (received == 0 || total == 0) return std::nullopt;
    return static_cast<double>(total) / static_cast<double>(received) * elapsedDays - elapsedDays;
}

int EffectiveInterval(std::optional<std::int32_t> stored) {
    return stored && *stored > 0 ? *stored : kDefaultInterval;
}

double NextDueDate(double today, int interval) { return DatePart(today) + interval - 1; }

bool UpdateDue(const ScheduleState& state) {
    if (state.manual || state.onlyUpdate) return true;
    if (state.noUpdate) return false;
    const double nextDue = state.nextDue ? *state.nextDue : state.today - 1;
    return state.today > nextDue;
}

bool DriveTypeAllowsUpdate(unsigned driveType) {
    // removable 2, fixed 3, remote 4, RAM disk 6; not CD-ROM 5, unknown 0 or no root 1
    return driveType == 2 || driveType == 3 || driveType == 4 || driveType == 6;
}

std::wstring ApplicationFileNameValue(const std::wstring& programPath, const std::wstring& params) {
    std::wstring value = L"\"" + programPath + L"\"";
    if (!params.empty()) value += L" " + params;
    return value;
}

bool UpdatesAvailable(bool hasSection, double serverDate, double programDate) {
    return hasSection && serverDate >= programDate;
}

std::vector<std::wstring> SplitCommaText(const std::wstring& text) {
    std::vector<std::wstring> items;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    while (i < n) {
        std::wstring item;
        if (text[i] == L'"') {
            ++i;
            while (i < n) {
                if (text[i] == L'"') {
                    if (i + 1 < n && text[i + 1] == L'"') {
                        item += L'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && !IsBlank(text[i]) && text[i] != L',' && text[i] != 0) item += text[i++];
        }
        items.push_back(item);
        while (i < n && IsBlank(text[i])) ++i;
        if (i < n && text[i] == L',') {
            if (i + 1 == n) items.emplace_back();
            do ++i;
            while (i < n && IsBlank(text[i]));
        }
        if (i < n && text[i] == 0) break;
    }
    return items;
}

std::wstring NewsListText(const std::vector<std::wstring>& entries, double programDate) {
    std::wstring list;
    for (const std::wstring& entry : entries) {
        const std::size_t colon = entry.find(L':');
        if (colon != std::wstring::npos) {
            // An entry whose date cannot be read is shown: it may well be news.
            const std::optional<double> date = ParseShortDate(entry.substr(0, colon));
            if (date && DatePart(*date) < DatePart(programDate)) continue;
        }
        list += L"- " + entry + L"\r\n";
    }
    return list;
}

bool IsPlainArchiveName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                             c == L'.' || c == L'-' || c == L'_';
        if (!allowed) return false;
    }
    return true;
}

std::optional<ServerAddress> ParseServerAddress(const std::wstring& text) {
    ServerAddress address;
    std::wstring host = text;
    const std::size_t colon = text.find(L':');
    if (colon != std::wstring::npos) {
        host = text.substr(0, colon);
        const std::wstring port = text.substr(colon + 1);
        if (port.empty() || port.size() > 5) return std::nullopt;
        int value = 0;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9') return std::nullopt;
            value = value * 10 + (c - L'0');
        }
        if (value < 1 || value > 65535) return std::nullopt;
        address.port = value;
    }
    if (host.empty() || host.size() > 253) return std::nullopt;
    for (wchar_t c : host) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                             c == L'.' || c == L'-';
        if (!allowed) return std::nullopt;
        address.host += static_cast<char>(c);
    }
    return address;
}

std::optional<ArchiveBinding> ParseArchiveBinding(const std::wstring& size, const std::wstring& sha256) {
    ArchiveBinding binding;
    if (size.empty() || size.size() > 10 || sha256.size() != 64) return std::nullopt;
    for (wchar_t c : size) {
        if (c < L'0' || c > L'9') return std::nullopt;
        binding.size = binding.size * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (binding.size == 0 || binding.size > (1ull << 32)) return std::nullopt;
    for (std::size_t i = 0; i < 64; ++i) {
        const wchar_t c = sha256[i];
        int digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return std::nullopt;
        binding.sha256[i / 2] = static_cast<std::uint8_t>(binding.sha256[i / 2] << 4 | digit);
    }
    return binding;
}
