#include "links/link_rules.h"

#include "platform/path_text.h"

std::wstring WorkingFolderFor(const std::wstring& target) {
    const size_t pos = target.find_last_of(L"\\:");
    if (pos == std::wstring::npos) return {};
    if (target[pos] == L':') return target.substr(0, pos + 1);
    const bool keepBackslash = pos > 0 && (target[pos - 1] == L':' || target[pos - 1] == L'\\');
    return target.substr(0, keepBackslash ? pos + 1 : pos);
}

std::wstring ResolveFolderLinksWith(const std::wstring& path,
                                    const std::function<std::wstring(const std::wstring&)>& folderLinkTarget) {
    if (path.empty() || !ExtensionOf(path).empty()) return path;
    const std::wstring full = WithTrailingBackslash(path);
    std::wstring resolved;
    size_t start = 0;
    while (start < full.size()) {
        const size_t end = full.find(L'\\', start);
        resolved += full.substr(start, end - start + 1);
        start = end + 1;
        const std::wstring target = folderLinkTarget(resolved);
        if (!target.empty()) resolved = target;
    }
    return resolved;
}
