#include "app/start_mode.h"

#include <vector>

#include "links/link_kind.h"
#include "platform/path_text.h"

namespace {
bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// root + the parts of rest, with "." dropped and ".." going up, never above the root.
std::wstring JoinResolved(const std::wstring& root, const std::wstring& rest) {
    std::vector<std::wstring> parts;
    size_t at = 0;
    while (at <= rest.size()) {
        size_t end = rest.find(L'\\', at);
        if (end == std::wstring::npos) end = rest.size();
        const std::wstring part = rest.substr(at, end - at);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::wstring joined = root;
    for (size_t i = 0; i < parts.size(); ++i) joined += (i ? L"\\" : L"") + parts[i];
    if (!parts.empty() && !rest.empty() && rest.back() == L'\\') joined += L'\\';
    return joined;
}
}  // namespace

std::wstring AbsolutePathIn(const std::wstring& given, const std::wstring& currentFolder) {
    std::wstring path = given;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.empty()) return path;
    if (path.rfind(L"\\\\", 0) == 0) {  // \\server\share\rest
        const size_t share = path.find(L'\\', 2);
        const size_t rest = share == std::wstring::npos ? share : path.find(L'\\', share + 1);
        if (rest == std::wstring::npos) return path;
        return JoinResolved(path.substr(0, rest + 1), path.substr(rest + 1));
    }
    const bool hasDrive = path.size() >= 2 && path[1] == L':' && IsDriveLetter(path[0]);
    if (hasDrive && path.size() >= 3 && path[2] == L'\\') return JoinResolved(path.substr(0, 3), path.substr(3));
    if (currentFolder.empty()) return given;
    const std::wstring current = WithoutTrailingBackslash(currentFolder);
    const bool currentHasDrive = current.size() >= 2 && current[1] == L':';
    if (hasDrive) {
        const bool sameDrive = currentHasDrive && UpperCase(path.substr(0, 1)) == UpperCase(current.substr(0, 1));
        if (!sameDrive) return JoinResolved(path.substr(0, 2) + L"\\", path.substr(2));
        return AbsolutePathIn(current + L"\\" + path.substr(2), {});
    }
    if (path[0] == L'\\') {
        const std::wstring root = currentHasDrive ? current.substr(0, 2) : current;
        return AbsolutePathIn(root + path, {});
    }
    return AbsolutePathIn(current + L"\\" + path, {});
}

StartMode DecideStartMode(const std::wstring& given, const std::wstring& givenSecond, const PathQueries& paths) {
    StartMode mode;
    if (given == L"/uninstall") {
        mode.kind = StartMode::Uninstall;
        return mode;
    }
    // Paths as a command prompt gives them are taken in its current folder before anything else.
    const bool isSwitch = !given.empty() && given[0] == L'/';
    const std::wstring first = isSwitch ? given : AbsolutePathIn(given, paths.currentFolder);
    const std::wstring second = isSwitch ? AbsolutePathIn(givenSecond, paths.currentFolder) : givenSecond;
    const std::wstring sw = UpperCase(first);
    if (sw == L"/S" && paths.folderExists(second)) {
        mode.kind = StartMode::NewLinkHere;
        mode.folder = WithTrailingBackslash(second);
        return mode;
    }
    if (paths.fileExists(first) || paths.folderExists(first)) mode.target = QuoteIf(first, L" ");
    if (sw == L"/D" && paths.folderExists(second)) mode.folder = second;
    if (sw == L"/E" && LinkKindOfPath(second) != LinkKind::None && (paths.fileExists(second) || paths.folderExists(second)))
        mode.editedLink = second;
    return mode;
}

std::wstring NewLinkHereParameters(const std::wstring& folder) {
    return L"appwiz.cpl,NewLinkHere " + WithTrailingBackslash(folder);
}

std::wstring EditedTargetCommandLine(const std::wstring& target, const std::wstring& arguments) {
    return QuoteIf(target, L" ,") + (arguments.empty() ? L"" : L" " + arguments);
}
