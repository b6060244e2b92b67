#include "platform/path_text.h"

namespace {
size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\:"); }
}  // namespace

bool SameText(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t pos = LastSeparator(path);
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring NamePart(const std::wstring& path) {
    const size_t pos = LastSeparator(path);
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ExtensionOf(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\:");
    if (dot == std::wstring::npos || path[dot] != L'.') return {};
    return path.substr(dot);
}

std::wstring WithoutExtension(const std::wstring& name) {
    return name.substr(0, name.size() - ExtensionOf(name).size());
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path : path + L'\\';
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

bool Contains(const std::wstring& text, wchar_t c) { return text.find(c) != std::wstring::npos; }

bool IsDriveRootPath(const std::wstring& path) {
    if (path.size() != 3 || path[1] != L':' || path[2] != L'\\') return false;
    const wchar_t letter = path[0];
    return (letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z');
}

std::wstring QuoteIf(const std::wstring& path, const std::wstring& triggers) {
    return path.find_first_of(triggers) == std::wstring::npos ? path : L"\"" + path + L"\"";
}
