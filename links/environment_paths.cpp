#include "links/environment_paths.h"

std::wstring ExpandVariables(const std::wstring& path, const VariableLookup& lookup) {
    std::wstring expanded;
    size_t at = 0;
    while (at < path.size()) {
        const size_t open = path.find(L'%', at);
        const size_t close = open == std::wstring::npos ? open : path.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        expanded += path.substr(at, open - at);
        const std::wstring name = path.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : lookup(name);
        if (value) {
            expanded += *value;
            at = close + 1;
        } else {
            // Not a variable: the first sign stays, and the second may open the next name.
            expanded += L'%';
            at = open + 1;
        }
    }
    return expanded + path.substr(std::min(at, path.size()));
}

bool HasVariables(const std::wstring& path, const VariableLookup& lookup) {
    return ExpandVariables(path, lookup) != path;
}
