#include "controls/directory_rules.h"

#include "platform/path_text.h"
#include "links/link_kind.h"

using namespace directory_attributes;

bool SearchAccepts(std::uint32_t attributes, std::uint32_t mask) {
    const std::uint32_t excluded = ~mask & (kHidden | kSystem | kVolume | kDirectory);
    return (attributes & excluded) == 0;
}

bool IsValidSearchMask(int mask) { return mask >= 0 && mask < 64; }

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

std::wstring RawNodePath(const std::wstring& rootPath, const std::vector<std::wstring>& captions) {
    if (rootPath.empty()) return {};
    std::wstring path = WithTrailingBackslash(rootPath);
    for (const auto& caption : captions) path += WithTrailingBackslash(caption);
    return path;
}

std::wstring ResolveNodePath(const std::wstring& rootPath, const std::vector<std::wstring>& captions,
                             bool keepOwnLink, const PathProbe& probe) {
    if (rootPath.empty()) return {};
    std::wstring acc = WithTrailingBackslash(rootPath);
    for (size_t i = 0; i < captions.size(); ++i) {
        acc += WithTrailingBackslash(captions[i]);
        if (!probe.directoryExists(acc)) {
            const std::wstring bare = WithoutTrailingBackslash(acc);
            if (IsLinkFile(bare))
                acc = bare;
            else if (!probe.linkTargetFolder(LinkFileName(bare, LinkKind::ShellLink)).empty())
                acc = LinkFileName(bare, LinkKind::ShellLink);
        }
        const bool last = i + 1 == captions.size();
        if (last && keepOwnLink) break;
        const std::wstring target = probe.linkTargetFolder(acc);
        if (!target.empty()) acc = target;
    }
    return acc;
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

int SystemDirectoryFolderId(SystemDirectory directory) {
    static constexpr int kIds[kSystemDirectoryCount] = {-1, 0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                        10, 11, 12, 13, 17, 18, 20, 21, 25, 26, 27,
                                                        32, 33, 34, 35, 36, 37, 38, 39, 40};
    const int index = static_cast<int>(directory);
    return index >= 0 && index < kSystemDirectoryCount ? kIds[index] : -1;
}
