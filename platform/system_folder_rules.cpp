#include "platform/system_folder_rules.h"

#include "platform/path_text.h"

namespace {
// Replaces the folder windowsFolder\from by windowsFolder\to when path is that folder or lies below it.
std::wstring Renamed(const std::wstring& path, const std::wstring& windowsFolder, const wchar_t* from,
                     const wchar_t* to) {
    if (windowsFolder.empty()) return path;
    const std::wstring folder = WithoutTrailingBackslash(windowsFolder) + L"\\" + from;
    if (path.size() < folder.size() || !SameText(path.substr(0, folder.size()), folder)) return path;
    if (path.size() > folder.size() && path[folder.size()] != L'\\' && path[folder.size()] != L'/') return path;
    return path.substr(0, folder.size() - std::wstring(from).size()) + to + path.substr(folder.size());
}
}  // namespace

std::wstring NativeSystemPath(const std::wstring& path, const std::wstring& windowsFolder) {
    return Renamed(path, windowsFolder, L"System32", L"Sysnative");
}

std::wstring StoredSystemPath(const std::wstring& path, const std::wstring& windowsFolder) {
    return Renamed(path, windowsFolder, L"Sysnative", L"System32");
}
