#pragma once
#include <functional>
#include <string>
#include <vector>

// Shortening a path to a width: inner parts give way to an ellipsis, while the last part and a
// leading drive stay visible. Widths come from the caller, so the rule is the same whatever draws it.

enum ShorteningDirection { drFromLeft, drFromRight };

using TextMeasure = std::function<int(const std::wstring&)>;

struct PathParts {
    std::vector<std::wstring> parts;  // never empty
    bool drive = false;               // the first part is a drive such as "C:"
};

// Cuts at every separator, keeping empty parts. An empty separator cuts nothing.
PathParts SplitPath(const std::wstring& path, const std::wstring& separator);

std::wstring ShortenPath(const std::wstring& path, const PathParts& parts, const std::wstring& separator,
                         ShorteningDirection direction, int width, const TextMeasure& measure);
