#include "controls/directory_rules.h"

#include "platform/path_text.h"

using namespace directory_attributes;

bool SearchAccepts(std::uint32_t attributes, std::uint32_t mask) {
    const std::uint32_t excluded = ~mask & (kHidden | kSystem | kVolume | kDirectory);
    return (attributes & excluded) == 0;
}

bool AttributesHidePath(std::uint32_t attributes, std::uint32_t mask) {
    if (attributes == 0xFFFFFFFFu) return false;
    return !SearchAccepts(attributes, mask);
}

bool NamePassesFilter(std::wstring_view name) { return name.find_first_of(L"\"*/:<>?\\|") == name.npos; }

bool IsDotEntry(std::wstring_view name) { return name == L"." || name == L".."; }

std::vector<std::wstring> ComponentsBelowRoot(const std::wstring& path) {
    std::vector<std::wstring> parts;
    if (path.size() < 3 || !IsDriveRootPath(path.substr(0, 3))) return parts;
    size_t start = 3;
    while (start < path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::optional<std::vector<std::wstring>> NewFolderParts(const std::wstring& name) {
    std::wstring rest = name;
    if (!rest.empty() && rest.back() == L'\\') rest.pop_back();
    if (rest.empty()) return std::nullopt;
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = rest.find(L'\\', start);
        const std::wstring part = rest.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (part.empty() || IsDotEntry(part) || !NamePassesFilter(part)) return std::nullopt;
        if (part.back() == L'.' || part.back() == L' ') return std::nullopt;
        for (const wchar_t c : part)
            if (c < 32) return std::nullopt;
        parts.push_back(part);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return parts;
}
