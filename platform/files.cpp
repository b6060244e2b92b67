#include "platform/files.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/system_folder_rules.h"

namespace {
const std::wstring& WindowsFolder() {
    static const std::wstring folder = [] {
        wchar_t buffer[MAX_PATH + 1] = {};
        const UINT length = GetSystemWindowsDirectoryW(buffer, MAX_PATH);
        return length > 0 && length < MAX_PATH ? WithoutTrailingBackslash(buffer) : std::wstring();
    }();
    return folder;
}
}  // namespace

bool RunsUnderWow64() {
#ifdef _WIN64
    return false;
#else
    static const bool wow64 = [] {
        BOOL answer = FALSE;
        return IsWow64Process(GetCurrentProcess(), &answer) && answer;
    }();
    return wow64;
#endif
}

std::wstring FileSystemPath(const std::wstring& path) {
    return RunsUnderWow64() ? NativeSystemPath(path, WindowsFolder()) : path;
}

std::wstring StoredPath(const std::wstring& path) {
    return RunsUnderWow64() ? StoredSystemPath(path, WindowsFolder()) : path;
}

DWORD AttributesOf(const std::wstring& path) {
    QuietErrorMode quiet;
    return GetFileAttributesW(FileSystemPath(path).c_str());
}

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::wstring& path) { return !path.empty() && AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

void SetAttributes(const std::wstring& path, DWORD attributes) {
    if (!SetFileAttributesW(FileSystemPath(path).c_str(), attributes)) ThrowLastError();
}

DWORD FileCreationError(const std::wstring& folder) {
    QuietErrorMode quiet;
    const std::wstring base = WithTrailingBackslash(folder) + L"~zw" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (DWORD attempt = 0;; ++attempt) {
        const std::wstring probe = base + std::to_wstring(GetTickCount() + attempt) + L".tmp";
        const FileHandle file(NullIfInvalid(CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
        if (file) return 0;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS || attempt == 9) return error;
    }
}

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) ThrowLastError();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFolder() { return FolderPart(ModulePath()); }

std::string ReadWholeFile(const std::wstring& path) {
    FileHandle file(NullIfInvalid(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) ThrowLastError();
    std::string bytes;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) ThrowLastError();
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}

std::wstring SpecialFolderPath(int folderId) {
    // The shell answers the 32-bit program on 64-bit Windows with SysWOW64 here.
    if (folderId == CSIDL_SYSTEM && RunsUnderWow64() && !WindowsFolder().empty()) return WindowsFolder() + L"\\System32";
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items)) || !items) return {};
    PidlHandle owned(items);
    wchar_t path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(items, path)) return {};
    return path;
}
