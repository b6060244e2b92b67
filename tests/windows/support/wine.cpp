#include "tests/windows/support/wine.h"

#include <gtest/gtest.h>

#include "platform/utf.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::string UnixPathOf(const std::wstring& path) {
    using Converter = char*(CDECL*)(const wchar_t*);
    const auto convert =
        reinterpret_cast<Converter>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* unixPath = convert(path.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool RunUnixProgram(const std::wstring& program, const std::wstring& commandLine) {
    if (!RunningUnderWine()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW((L"Z:" + program).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

namespace {
void ChangeUnixMode(const std::wstring& folder, const wchar_t* mode) {
    std::wstring unixPath = WideFromUtf8(UnixPathOf(folder));
    while (unixPath.size() > 1 && unixPath.back() == L'/') unixPath.pop_back();
    RunUnixProgram(L"/bin/chmod", L"chmod " + std::wstring(mode) + L" \"" + unixPath + L"\"");
}
}  // namespace

bool FolderTookReadOnly(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Wine does not wait for a Unix process to end, so wait for its effect.
void WaitForReadOnly(const std::wstring& folder, bool readOnly) {
    if (!WaitUntil([&] { return FolderTookReadOnly(folder) == readOnly; }))
        ADD_FAILURE() << "the folder did not become " << (readOnly ? "read-only" : "writable") << ": "
                      << UnixPathOf(folder);
}

void MakeFolderReadOnly(const std::wstring& folder) {
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
    if (!FolderTookReadOnly(folder)) {
        ChangeUnixMode(folder, L"a-w");
        WaitForReadOnly(folder, true);
    }
}

void MakeFolderWritable(const std::wstring& folder) {
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (FolderTookReadOnly(folder)) {
        ChangeUnixMode(folder, L"u+w");
        WaitForReadOnly(folder, false);
    }
}

DWORD FileAttributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes & ~DWORD{FILE_ATTRIBUTE_ARCHIVE};
}

std::string LnkInfo(const std::wstring& linkFile) {
    TempFolder out;
    const std::wstring report = out / L"lnkinfo.txt";
    const std::wstring partial = WideFromUtf8(UnixPathOf(out / L"lnkinfo.part"));
    const std::wstring command = L"sh -c \"/usr/bin/lnkinfo '" + WideFromUtf8(UnixPathOf(linkFile)) + L"' > '" +
                                 partial + L"' 2>&1; mv '" + partial + L"' '" + WideFromUtf8(UnixPathOf(report)) +
                                 L"'\"";
    if (!RunUnixProgram(L"/bin/sh", command)) return {};
    // Wine does not wait for a Unix process; the report appears whole when lnkinfo is done.
    if (!WaitUntil([&] { return GetFileAttributesW(report.c_str()) != INVALID_FILE_ATTRIBUTES; })) {
        ADD_FAILURE() << "lnkinfo wrote no report for " << UnixPathOf(linkFile);
        return {};
    }
    return ReadFileBytes(report);
}

std::string LnkField(const std::string& report, const std::string& field) {
    const size_t at = report.find(field);
    if (at == std::string::npos) return {};
    const size_t colon = report.find(':', at) + 1;
    std::string value = report.substr(colon, report.find('\n', colon) - colon);
    return value.erase(0, value.find_first_not_of(" \t"));
}
