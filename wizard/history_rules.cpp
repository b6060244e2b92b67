#include "wizard/history_rules.h"

#include "platform/path_text.h"
#include "platform/utf.h"

int IndexOfText(const std::wstring& text, const HistoryList& list) {
    const std::wstring wanted = UpperCase(text);
    for (size_t i = 0; i < list.size(); ++i)
        if (UpperCase(list[i]) == wanted) return static_cast<int>(i);
    return -1;
}

int IndexOfFolder(const std::wstring& folder, const HistoryList& list) {
    const std::wstring wanted = UpperCase(folder);
    for (size_t i = 0; i < list.size(); ++i)
        if (UpperCase(FolderPart(list[i])) == wanted) return static_cast<int>(i);
    return -1;
}

void MoveToTop(HistoryList& list, int index, const std::wstring& text) {
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
        list.insert(list.begin(), text);
        return;
    }
    std::wstring kept = std::move(list[index]);
    list.erase(list.begin() + index);
    list.insert(list.begin(), std::move(kept));
}

void RememberText(HistoryList& list, const std::wstring& text) { MoveToTop(list, IndexOfText(text, list), text); }

void RememberFolderOf(HistoryList& list, const std::wstring& location) {
    const std::wstring folder = FolderPart(location);
    MoveToTop(list, IndexOfFolder(folder, list), folder);
}

void CutToLimit(HistoryList& list) {
    if (list.size() > kHistoryLimit) list.resize(kHistoryLimit);
}

namespace {
// 0x80 to 0x9F; the five unassigned bytes map to the control characters of the same value,
// as the system's own conversion does, so they survive a round trip.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
}  // namespace

std::wstring Cp1252::Decode(std::string_view bytes) const {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text += static_cast<wchar_t>(b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b);
    }
    return text;
}

std::optional<std::string> Cp1252::Encode(std::wstring_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
            bytes += static_cast<char>(code);
            continue;
        }
        bool found = false;
        for (int i = 0; i < 32 && !found; ++i) {
            if (kHighControls[i] == code) {
                bytes += static_cast<char>(0x80 + i);
                found = true;
            }
        }
        if (!found) return std::nullopt;
    }
    return bytes;
}

HistoryList DecodeHistoryFile(std::string_view bytes, const CodePage& codePage) {
    std::wstring text;
    if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        text = WideFromUtf8(std::string(bytes.substr(kUtf8Mark.size())));
    else
        text = codePage.Decode(bytes);

    HistoryList list;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            list.push_back(text.substr(start));
            break;
        }
        list.push_back(text.substr(start, end - start));
        start = end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
    }
    return list;
}

std::string EncodeHistoryFile(const HistoryList& list, const CodePage& codePage) {
    std::wstring text;
    for (std::wstring entry : list) {
        // A line break inside an entry would turn it into two entries on the next start.
        for (auto& c : entry)
            if (c == L'\r' || c == L'\n') c = L' ';
        text += entry;
        text += L"\r\n";
    }
    // Code page text that happens to begin like the mark would be misread as UTF-8.
    if (auto bytes = codePage.Encode(text); bytes && bytes->substr(0, kUtf8Mark.size()) != kUtf8Mark) return *bytes;
    return std::string(kUtf8Mark) + Utf8FromWide(text);
}
