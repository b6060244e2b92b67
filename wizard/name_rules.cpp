#include "wizard/name_rules.h"

#include "platform/path_text.h"

std::wstring RemoveInvalidChars(const std::wstring& name) {
    std::wstring result = name;
    for (size_t i = result.size(); i-- > 0;)
        if (Contains(kInvalidNameChars, result[i])) result.erase(i, 1);
    return result;
}

bool HasInvalidChars(const std::wstring& name) { return name.find_first_of(kInvalidNameChars) != std::wstring::npos; }

std::wstring ProposedLinkName(const std::wstring& target) {
    std::wstring name = target;
    if (!name.empty() && name.back() == L'\\') name.pop_back();
    if (Contains(name, L'\\')) name = NamePart(name);
    return CleanLinkName(name);
}

std::wstring CleanLinkName(const std::wstring& name) {
    std::wstring cleaned = RemoveInvalidChars(name);
    const std::wstring extension = ExtensionOf(cleaned);
    return extension.empty() ? cleaned : cleaned.substr(0, cleaned.find(extension));
}

std::wstring CleanWebLinkName(const std::wstring& name) {
    std::wstring cleaned = RemoveInvalidChars(name);
    if (cleaned.size() > 4 && UpperCase(ExtensionOf(cleaned)) == L".URL") cleaned.resize(cleaned.size() - 4);
    return cleaned;
}

bool IsRecycledFolder(const std::wstring& directory) {
    return directory.size() > 3 && UpperCase(directory.substr(3, 8)) == L"RECYCLED";
}

std::wstring CollapseDoubleBackslashes(std::wstring path) {
    for (size_t pos; (pos = path.find(L"\\\\")) != std::wstring::npos;) path.erase(pos, 1);
    return path;
}

std::wstring ReplaceSystemRoot(const std::wstring& text, const std::wstring& windowsFolder) {
    static const std::wstring kVariable = L"%SYSTEMROOT%";
    std::wstring result;
    const std::wstring upper = UpperCase(text);
    size_t pos = 0;
    for (size_t found; (found = upper.find(kVariable, pos)) != std::wstring::npos; pos = found + kVariable.size())
        result += text.substr(pos, found - pos) + windowsFolder;
    return result + text.substr(pos);
}
