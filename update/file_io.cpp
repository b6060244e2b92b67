#include "update/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <ctime>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <sys/utime.h>
#include <windows.h>
#else
#include <sys/time.h>
#include <unistd.h>
#endif

namespace fileio {

namespace {

#ifndef _WIN32
std::string NativePath(const std::wstring& path) { return Utf8FromWide(path); }
#endif

}  // namespace

std::wstring CheckedUtf8ToWide(const std::string& text, bool& valid) {
    std::wstring wide = WideFromUtf8(text);
    // The converter marks bad bytes with U+FFFD; a genuine U+FFFD in the input is well-formed.
    std::size_t marks = 0;
    for (wchar_t c : wide) marks += c == 0xFFFD;
    std::size_t genuine = 0;
    for (std::size_t pos = text.find("\xEF\xBF\xBD"); pos != std::string::npos; pos = text.find("\xEF\xBF\xBD", pos + 3))
        ++genuine;
    valid = marks == genuine;
    return wide;
}

std::wstring Latin1ToWide(const std::string& bytes) {
    std::wstring out(bytes.size(), L'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    return out;
}

wchar_t PathSeparator() {
#ifdef _WIN32
    return L'\\';
#else
    return L'/';
#endif
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    wchar_t last = folder.back();
    if (last == L'/' || last == PathSeparator()) return folder + name;
    return folder + PathSeparator() + name;
}

bool DirectoryExists(const std::wstring& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    struct _stat64 st;
    std::wstring p = path;
    // The stat functions refuse a trailing separator except on a drive root.
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    return _wstat64(p.c_str(), &st) == 0 && (st.st_mode & _S_IFDIR) != 0;
#else
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    struct _stat64 st;
    return _wstat64(path.c_str(), &st) == 0 && (st.st_mode & _S_IFREG) != 0;
#else
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

bool RemoveFile(const std::wstring& path) {
#ifdef _WIN32
    return _wremove(path.c_str()) == 0;
#else
    return unlink(NativePath(path).c_str()) == 0;
#endif
}

bool MoveOver(const std::wstring& from, const std::wstring& to, int& error) {
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    error = kSystemErrorBase + static_cast<int>(GetLastError());
#else
    if (rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0) return true;
    error = errno;
#endif
    return false;
}

std::wstring CurrentDirectory() {
#ifdef _WIN32
    wchar_t* cwd = _wgetcwd(nullptr, 0);
    std::wstring result = cwd ? cwd : L"";
    free(cwd);
    return result;
#else
    char* cwd = getcwd(nullptr, 0);
    std::wstring result = cwd ? WideFromUtf8(cwd) : L"";
    free(cwd);
    return result;
#endif
}

std::string ErrnoText(int error) {
#ifdef _WIN32
    // The system's own reason, in the system's language, where the system gave one.
    if (error >= kSystemErrorBase) {
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(error - kSystemErrorBase), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::wstring message(text ? text : L"", length);
        if (text) LocalFree(text);
        while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
            message.pop_back();
        if (!message.empty()) return Utf8FromWide(message);
    }
#endif
    const char* text = std::strerror(error);
    return text ? text : "error " + std::to_string(error);
}

FileWriter::~FileWriter() {
    int ignored = 0;
    if (fd_ >= 0) Close(ignored);
}

bool FileWriter::Open(const std::wstring& path, Mode mode, int& error) {
    if (fd_ >= 0) Close(error);
    int flags = O_WRONLY | O_CREAT | (mode == Mode::CreateNew ? O_EXCL : O_TRUNC);
#ifdef _WIN32
    fd_ = _wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
    fd_ = open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
#endif
    if (fd_ < 0) {
        error = errno;
        return false;
    }
    path_ = path;
    return true;
}

bool FileWriter::Write(const void* data, std::size_t size, int& error) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
        _doserrno = 0;
        int written = _write(fd_, p, chunk);
        if (written <= 0) {
            // The runtime's errno loses the reason (a full disk reads "Invalid argument").
            error = kSystemErrorBase + static_cast<int>(_doserrno ? _doserrno : ERROR_DISK_FULL);
            return false;
        }
#else
        ssize_t written = write(fd_, p, size);
        if (written < 0 && errno == EINTR) continue;
#endif
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            return false;
        }
        p += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FileWriter::Close(int& error) {
    if (fd_ < 0) return true;
#ifdef _WIN32
    int rc = _close(fd_);
#else
    int rc = close(fd_);
#endif
    fd_ = -1;
    if (rc != 0) {
        error = errno;
        return false;
    }
    return true;
}

void FileWriter::Discard() {
    int ignored = 0;
    bool had = fd_ >= 0;
    Close(ignored);
    if (had) RemoveFile(path_);
}

FileReader::~FileReader() {
#ifdef _WIN32
    if (fd_ >= 0) _close(fd_);
#else
    if (fd_ >= 0) close(fd_);
#endif
}

bool FileReader::Open(const std::wstring& path, int& error) {
#ifdef _WIN32
    fd_ = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd_ < 0) { error = errno; return false; }
    struct _stat64 st;
    if (_fstat64(fd_, &st) != 0 || (st.st_mode & _S_IFREG) == 0) { error = EISDIR; return false; }
#else
    fd_ = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) { error = errno; return false; }
    struct stat st;
    if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) { error = EISDIR; return false; }
#endif
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

std::size_t FileReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (fd_ < 0) return 0;
    char* p = static_cast<char*>(buffer);
    std::size_t total = 0;
#ifdef _WIN32
    if (_lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) < 0) return 0;
    while (total < size) {
        unsigned int chunk = size - total > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size - total);
        int got = _read(fd_, p + total, chunk);
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
#else
    while (total < size) {
        ssize_t got = pread(fd_, p + total, size - total, static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
#endif
    return total;
}

bool SetDosModifiedTime(const std::wstring& path, std::uint16_t dosDate, std::uint16_t dosTime) {
    std::tm local{};
    local.tm_year = 80 + (dosDate >> 9);
    local.tm_mon = ((dosDate >> 5) & 15) - 1;
    local.tm_mday = dosDate & 31;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 63;
    local.tm_sec = (dosTime & 31) * 2;
    local.tm_isdst = -1;
    if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 || local.tm_hour > 23 || local.tm_min > 59 ||
        local.tm_sec > 59)
        return false;
    const std::time_t when = std::mktime(&local);
    if (when == static_cast<std::time_t>(-1)) return false;
#ifdef _WIN32
    _utimbuf times{when, when};
    return _wutime(path.c_str(), &times) == 0;
#else
    const timeval times[2] = {{when, 0}, {when, 0}};
    return utimes(NativePath(path).c_str(), times) == 0;
#endif
}

}  // namespace fileio
