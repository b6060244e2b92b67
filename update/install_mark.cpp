#include "update/install_mark.h"

#include <shlobj.h>

#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "update/update_batch.h"

std::wstring InstallMarkFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
    if ((length == 0 || length >= MAX_PATH) && FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base)))
        return {};
    const std::wstring folder = WithTrailingBackslash(base) + L"Zeigerwerk\\";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return folder;
}

std::wstring InstallMarkPath(const std::wstring& runFolder) {
    const std::wstring folder = InstallMarkFolder();
    if (folder.empty()) return {};
    const std::wstring run = runFolder.substr(0, runFolder.size() - 1);
    return folder + L"Update-" + run.substr(run.find_last_of(L'\\') + 1) + L".txt";
}

bool ReportFailedInstall(HWND owner, const std::wstring& caption) {
    const std::wstring folder = InstallMarkFolder();
    if (folder.empty()) return false;
    bool shown = false;
    WIN32_FIND_DATAW found;
    FindHandle search(NullIfInvalid(FindFirstFileW((folder + L"Update-*.txt").c_str(), &found)));
    if (!search) return false;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring path = folder + found.cFileName;
        std::string text;
        {
            FileHandle file(NullIfInvalid(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
            if (!file) continue;
            char buffer[512];
            DWORD read = 0;
            if (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) text.assign(buffer, read);
        }
        DeleteFileW(path.c_str());
        if (const auto message = InstallMarkMessage(text)) {
            ShowBox(owner, *message, caption, BoxKind::Warning, BoxButtons::Ok);
            shown = true;
        }
    } while (FindNextFileW(search.Get(), &found));
    return shown;
}
