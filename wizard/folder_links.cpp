#include "wizard/folder_links.h"

#include <shellapi.h>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/shell_file_operation.h"
#include "wizard/link_rules.h"

namespace {
constexpr const wchar_t* kSection = L".ShellClassInfo";

void WriteProfile(const std::wstring& file, const wchar_t* key, const wchar_t* value) {
    if (!WritePrivateProfileStringW(kSection, key, value, file.c_str()))
        throw PlatformError(L"In " + file + L" kann nicht geschrieben werden", GetLastError());
}

std::wstring ReadProfileString(const std::wstring& file, const wchar_t* key) {
    wchar_t buffer[MAX_PATH] = {};
    GetPrivateProfileStringW(kSection, key, L"", buffer, MAX_PATH, file.c_str());
    return buffer;
}
}  // namespace

FolderLinkResult CreateFolderLink(HWND owner, const std::wstring& folder, const std::wstring& target,
                                  const std::wstring& arguments, const std::wstring& description,
                                  const std::wstring& iconFile, int iconIndex) {
    if (DirectoryExists(folder)) {
        ExclamationSound();
        if (!WarnYesNo(owner, L"Die Ordnerverknüpfung " + WithoutTrailingBackslash(folder) +
                                  L" kann nicht erstellt werden, da bereits ein gleichnamiger Ordner existiert. "
                                  L"Sollen der Ordner und alle in ihm enthaltenen Dateien gelöscht werden?"))
            return FolderLinkResult::Declined;
        // A folder link left read-only would keep the shell from emptying it.
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
        ShellFileOperation(FO_DELETE, owner, {folder + L"*.*"}, false, false);
    }
    CreateDirectoryW(folder.c_str(), nullptr);

    const std::wstring ini = folder + L"Desktop.ini";
    WriteProfile(ini, L"CLSID2", kFolderLinkClassId);
    WriteProfile(ini, L"Flags", L"2");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());  // flush the profile cache
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_HIDDEN);

    const std::wstring linkFile = folder + L"target.lnk";
    if (!WriteLink(target, linkFile, arguments, description, iconFile, iconIndex)) return FolderLinkResult::Failed;
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(linkFile.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return FolderLinkResult::Created;
}

std::wstring FolderLinkTarget(const std::wstring& path) {
    const DWORD attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY)) return {};
    const std::wstring folder = WithTrailingBackslash(path);
    const std::wstring ini = folder + L"Desktop.ini";
    const std::wstring linkFile = folder + L"target.lnk";
    if (!FileExists(ini) || !FileExists(linkFile)) return {};
    if (ReadProfileString(ini, L"CLSID2") != kFolderLinkClassId) return {};
    if (GetPrivateProfileIntW(kSection, L"Flags", 0, ini.c_str()) != 2) return {};

    const std::wstring target = WithTrailingBackslash(ReadLink(linkFile).targetPath);
    if (target == L"\\" || !DirectoryExists(target)) return {};
    return target;
}

std::wstring ResolveFolderLinks(const std::wstring& path) { return ResolveFolderLinksWith(path, FolderLinkTarget); }
