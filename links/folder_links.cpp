#include "links/folder_links.h"

#include "links/link_kind.h"
#include "links/link_rules.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/win_error.h"

namespace {
constexpr const wchar_t* kSection = L".ShellClassInfo";

void WriteProfile(const std::wstring& file, const wchar_t* key, const wchar_t* value) {
    if (!WritePrivateProfileStringW(kSection, key, value, file.c_str())) ThrowLastError();
}

std::wstring ReadProfileString(const std::wstring& file, const wchar_t* key) {
    wchar_t buffer[MAX_PATH] = {};
    GetPrivateProfileStringW(kSection, key, L"", buffer, MAX_PATH, file.c_str());
    return buffer;
}
}  // namespace

void CreateFolderLink(const std::wstring& folder, const LinkData& link,
                      const std::function<void(const std::wstring& linkFile)>& writeLink) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError();

    const std::wstring ini = folder + L"Desktop.ini";
    WriteProfile(ini, L"CLSID2", kFolderLinkClassId);
    WriteProfile(ini, L"Flags", L"2");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());  // flush the profile cache
    SetAttributes(ini, FILE_ATTRIBUTE_HIDDEN);

    const std::wstring linkFile = LinkFileName(folder, LinkKind::FolderLink);
    if (writeLink)
        writeLink(linkFile);
    else
        WriteLink(linkFile, link);
    SetAttributes(linkFile, FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder, FILE_ATTRIBUTE_READONLY);
}

std::wstring FolderLinkTarget(const std::wstring& path, DWORD knownAttributes) {
    const DWORD attributes = knownAttributes != INVALID_FILE_ATTRIBUTES ? knownAttributes : AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY)) return {};
    const std::wstring folder = WithTrailingBackslash(path);
    const std::wstring ini = folder + L"Desktop.ini";
    const std::wstring linkFile = LinkFileName(folder, LinkKind::FolderLink);
    if (!FileExists(ini) || !FileExists(linkFile)) return {};
    if (ReadProfileString(ini, L"CLSID2") != kFolderLinkClassId) return {};
    if (GetPrivateProfileIntW(kSection, L"Flags", 0, ini.c_str()) != 2) return {};

    const std::wstring target = WithTrailingBackslash(LinkTargetPath(linkFile));
    if (target == L"\\" || !DirectoryExists(target)) return {};
    return target;
}

std::wstring ResolveFolderLinks(const std::wstring& path) {
    return ResolveFolderLinksWith(path, [](const std::wstring& p) { return FolderLinkTarget(p); });
}
