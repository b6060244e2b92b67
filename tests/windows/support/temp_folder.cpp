#include "tests/windows/support/temp_folder.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <stdexcept>

#include "platform/path_text.h"

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (;;) {
        path_ = std::wstring(temp) + L"zwtest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(counter++) + L"\\";
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a temporary folder");
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::MakeFolder(const std::wstring& relative) const {
    std::wstring full = path_;
    for (const wchar_t c : WithTrailingBackslash(relative)) {
        if (c == L'\\') CreateDirectoryW(full.c_str(), nullptr);
        full += c;
    }
    return full;
}

std::wstring TempFolder::MakeFile(const std::wstring& relative, const std::string& content) const {
    const std::wstring full = path_ + relative;
    const std::wstring folder = FolderPart(relative);
    if (!folder.empty()) MakeFolder(folder);
    HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a test file");
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return full;
}

void RemoveTree(const std::wstring& path) {
    const std::wstring folder = WithTrailingBackslash(path);
    WIN32_FIND_DATAW find;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &find);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = find.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring item = folder + name;
            SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(item);
            else
                DeleteFileW(item.c_str());
        } while (FindNextFileW(search, &find));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
    // Shared all ways: a test that polls a file must not stop another process replacing it.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) data.append(buffer, read);
    CloseHandle(file);
    return data;
}
