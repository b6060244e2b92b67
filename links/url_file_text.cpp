#include "links/url_file_text.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace {
constexpr wchar_t kSection[] = L"InternetShortcut";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trimmed(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

struct Line {
    std::wstring text;
    std::wstring ending;  // CR LF, LF or nothing at the end
};

std::vector<Line> SplitLines(const std::wstring& text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) {
            lines.push_back({text.substr(pos), L""});
            break;
        }
        const size_t next = text.compare(end, 2, L"\r\n") == 0 ? end + 2 : end + 1;
        lines.push_back({text.substr(pos, end - pos), text.substr(end, next - end)});
        pos = next;
    }
    return lines;
}

// The section a line opens, or nothing for any other line.
std::optional<std::wstring> SectionOf(const std::wstring& line) {
    const std::wstring trimmed = Trimmed(line);
    if (trimmed.size() < 2 || trimmed.front() != L'[') return std::nullopt;
    const size_t close = trimmed.find(L']');
    if (close == std::wstring::npos) return std::nullopt;
    return Trimmed(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line (empty for other lines) and its value.
std::wstring KeyOf(const std::wstring& line, std::wstring* value = nullptr) {
    const std::wstring trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] == L';') return {};
    const size_t equals = trimmed.find(L'=');
    if (equals == std::wstring::npos) return {};
    if (value) *value = Trimmed(trimmed.substr(equals + 1));
    return Trimmed(trimmed.substr(0, equals));
}

int NumberOr(const std::wstring& text, int fallback) {
    try {
        size_t used = 0;
        const long value = std::stol(text, &used, 10);
        return used ? static_cast<int>(value) : fallback;
    } catch (...) {
        return fallback;
    }
}
}  // namespace

InternetShortcutFields ReadUrlFileText(const std::wstring& text) {
    InternetShortcutFields fields;
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        if (const auto section = SectionOf(line.text)) {
            inSection = SameName(*section, kSection);
            continue;
        }
        std::wstring value;
        const std::wstring key = KeyOf(line.text, &value);
        if (!inSection || key.empty()) continue;
        if (SameName(key, L"URL")) fields.url = value;
        else if (SameName(key, L"IconFile")) fields.iconFile = value;
        else if (SameName(key, L"IconIndex")) fields.iconIndex = NumberOr(value, 0);
        else if (SameName(key, L"HotKey")) fields.hotKey = static_cast<std::uint16_t>(NumberOr(value, 0));
        else if (SameName(key, L"ShowCommand")) fields.showCommand = NumberOr(value, 1);
    }
    return fields;
}

std::wstring UrlFileText(const std::wstring& original, const InternetShortcutFields& fields) {
    const InternetShortcutFields before = ReadUrlFileText(original);
    // The keys written, in the order the system writes them; nothing for one that holds its default.
    std::vector<std::pair<std::wstring, std::wstring>> wanted = {{L"URL", fields.url}};
    if (!fields.iconFile.empty()) {
        wanted.emplace_back(L"IconFile", fields.iconFile);
        wanted.emplace_back(L"IconIndex", std::to_wstring(fields.iconIndex));
    }
    if (fields.hotKey) wanted.emplace_back(L"HotKey", std::to_wstring(fields.hotKey));
    if (fields.showCommand != 1) wanted.emplace_back(L"ShowCommand", std::to_wstring(fields.showCommand));
    // A line of ours that already says what the field holds stays exactly as it is.
    const auto holdsField = [&](const std::wstring& line) {
        const InternetShortcutFields read = ReadUrlFileText(std::wstring(L"[") + kSection + L"]\n" + line);
        const std::wstring key = KeyOf(line);
        if (SameName(key, L"URL")) return read.url == fields.url;
        if (SameName(key, L"IconFile")) return read.iconFile == fields.iconFile;
        if (SameName(key, L"IconIndex")) return read.iconIndex == fields.iconIndex;
        if (SameName(key, L"HotKey")) return read.hotKey == fields.hotKey;
        if (SameName(key, L"ShowCommand")) return read.showCommand == fields.showCommand;
        return false;
    };
    const auto isOurKey = [](const std::wstring& key) {
        for (const wchar_t* name : {L"URL", L"IconFile", L"IconIndex", L"HotKey", L"ShowCommand"})
            if (SameName(key, name)) return true;
        return false;
    };

    std::vector<Line> lines = SplitLines(original);
    const std::wstring newline = lines.empty() || lines[0].ending.empty() ? L"\r\n" : lines[0].ending;
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = newline;
    std::vector<Line> result;
    std::vector<std::wstring> written;  // our keys met in the section
    size_t insertAt = std::wstring::npos;
    std::wstring section;
    for (const Line& line : lines) {
        if (const auto opened = SectionOf(line.text)) {
            section = *opened;
            result.push_back(line);
            if (SameName(section, kSection) && insertAt == std::wstring::npos) insertAt = result.size();
            continue;
        }
        const std::wstring key = KeyOf(line.text);
        if (SameName(section, kSection) && isOurKey(key)) {
            bool seen = false;
            for (const auto& name : written) seen = seen || SameName(name, key);
            if (seen) continue;
            written.push_back(key);
            if (holdsField(line.text)) {
                result.push_back(line);
                continue;
            }
            for (const auto& [name, value] : wanted)
                if (SameName(name, key)) result.push_back({name + L"=" + value, newline});
            continue;
        }
        const bool otherForm = SameName(section, L"InternetShortcut.A") || SameName(section, L"InternetShortcut.W");
        if (otherForm && before.url != fields.url && SameName(key, L"URL")) continue;
        result.push_back(line);
    }
    std::vector<Line> missing;
    for (const auto& [name, value] : wanted) {
        bool seen = false;
        for (const auto& key : written) seen = seen || SameName(name, key);
        if (!seen) missing.push_back({name + L"=" + value, newline});
    }
    if (insertAt == std::wstring::npos) {
        missing.insert(missing.begin(), {std::wstring(L"[") + kSection + L"]", newline});
        insertAt = 0;
    }
    result.insert(result.begin() + static_cast<std::ptrdiff_t>(insertAt), missing.begin(), missing.end());
    std::wstring text;
    for (const Line& line : result) text += line.text + line.ending;
    return text;
}

std::wstring WithKeysKept(const std::wstring& written, const std::wstring& before) {
    // Section name, key → present in written.
    const auto keysOf = [](const std::wstring& text) {
        std::vector<std::pair<std::wstring, std::wstring>> keys;
        std::wstring section;
        for (const Line& line : SplitLines(text)) {
            if (const auto opened = SectionOf(line.text)) section = *opened;
            else if (const std::wstring key = KeyOf(line.text); !key.empty()) keys.emplace_back(section, key);
        }
        return keys;
    };
    const auto has = [](const auto& keys, const std::wstring& section, const std::wstring& key) {
        for (const auto& [s, k] : keys)
            if (SameName(s, section) && SameName(k, key)) return true;
        return false;
    };
    const auto writtenKeys = keysOf(written);
    std::vector<Line> lines = SplitLines(written);
    const std::wstring newline = lines.empty() || lines[0].ending.empty() ? L"\r\n" : lines[0].ending;
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = newline;
    std::wstring section;
    for (const Line& line : SplitLines(before)) {
        if (const auto opened = SectionOf(line.text)) {
            section = *opened;
            continue;
        }
        const std::wstring key = KeyOf(line.text);
        if (key.empty() || has(writtenKeys, section, key)) continue;
        // After the last line of the section in written, or a new section at the end.
        size_t at = lines.size();
        bool found = false;
        std::wstring current;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (const auto opened = SectionOf(lines[i].text)) {
                if (found && !SameName(current, *opened)) break;
                current = *opened;
                found = found || SameName(current, section);
            }
            if (found && SameName(current, section)) at = i + 1;
        }
        if (!found) {
            lines.push_back({L"[" + section + L"]", newline});
            at = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), {Trimmed(line.text), newline});
    }
    std::wstring text;
    for (const Line& line : lines) text += line.text + line.ending;
    return text;
}
