#include "controls/path_shortening.h"

PathParts SplitPath(const std::wstring& path, const std::wstring& separator) {
    PathParts result;
    if (separator.empty()) {
        // Without a separator there is nothing to cut at; searching for "" would never advance.
        result.parts.push_back(path);
    } else {
        size_t start = 0;
        for (size_t at = path.find(separator); at != std::wstring::npos; at = path.find(separator, start)) {
            result.parts.push_back(path.substr(start, at - start));
            start = at + separator.size();
        }
        result.parts.push_back(path.substr(start));
    }
    const std::wstring& first = result.parts.front();
    result.drive = first.size() >= 2 && first.back() == L':';
    return result;
}

std::wstring ShortenPath(const std::wstring& path, const PathParts& split, const std::wstring& separator,
                         ShorteningDirection direction, int width, const TextMeasure& measure) {
    if (path.empty() || measure(path) <= width) return path;

    const std::wstring ellipsis = L"..." + separator;
    const std::vector<std::wstring>& parts = split.parts;
    const std::wstring& last = parts.back();
    const int fixed = measure(last) + measure(ellipsis);
    if (fixed >= width) return last;

    const std::wstring head = split.drive ? parts.front() + separator : std::wstring();
    const int firstShown = split.drive ? 1 : 0;
    const int used = fixed + measure(head);
    if (used >= width) return ellipsis + last;

    // The whole middle is measured each time, against the fixed pieces only.
    std::wstring middle;
    const int beforeLast = static_cast<int>(parts.size()) - 2;
    if (direction == drFromLeft) {
        for (int i = beforeLast; i >= firstShown; --i) {
            std::wstring candidate = parts[i] + separator + middle;
            if (used + measure(candidate) > width) break;
            middle = std::move(candidate);
        }
        return head + ellipsis + middle + last;
    }
    for (int i = firstShown; i <= beforeLast; ++i) {
        std::wstring candidate = middle + parts[i] + separator;
        if (used + measure(candidate) > width) break;
        middle = std::move(candidate);
    }
    return head + middle + ellipsis + last;
}
