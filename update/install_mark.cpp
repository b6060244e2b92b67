#include "update/install_mark.h"

#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "update/update_rules.h"

std::wstring InstallMarkPath(const std::wstring& tempFolder) {
    std::wstring folder = tempFolder;
    if (folder.empty()) {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH, path);
        if (length == 0 || length > MAX_PATH) return {};
        folder = path;
    }
    const std::string name = kInstallMarkName;
    return WithTrailingBackslash(folder) + std::wstring(name.begin(), name.end());
}

bool ReportFailedInstall(HWND owner, const std::wstring& caption, const std::wstring& tempFolder) {
    const std::wstring path = InstallMarkPath(tempFolder);
    if (path.empty()) return false;
    std::string text;
    {
        // A mark is a line; a link or anything larger is none.
        FileHandle file(NullIfInvalid(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
        if (!file) return false;
        char buffer[512];
        DWORD read = 0;
        if (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) text.assign(buffer, read);
    }
    DeleteFileW(path.c_str());
    const auto name = InstallMarkFileName(text);
    if (!name) return false;
    ShowBox(owner, InstallMarkMessage(*name), caption, BoxKind::Warning, BoxButtons::Ok);
    return true;
}
