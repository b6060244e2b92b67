#include "update/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

namespace zw {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

#ifndef _WIN32
std::string NativePath(const std::wstring& path) { return WideToUtf8(path); }
#endif

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
                char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) c = 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Utf8ToWide(const std::string& text, bool* valid) {
    std::wstring out;
    out.reserve(text.size());
    bool ok = true;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool good = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; good && k <= extra; ++k) {
            unsigned char cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80) good = false;
            else c = (c << 6) | (cont & 0x3F);
        }
        static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (good && (c < kMinimum[extra > 0 ? extra : 0] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))) good = false;
        if (!good) {
            ok = false;
            AppendWide(out, 0xFFFD);
            ++i;
            continue;
        }
        AppendWide(out, c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    if (valid) *valid = ok;
    return out;
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

std::wstring CurrentDirectory() {
#ifdef _WIN32
    wchar_t* cwd = _wgetcwd(nullptr, 0);
    std::wstring result = cwd ? cwd : L"";
    free(cwd);
    return result;
#else
    char* cwd = getcwd(nullptr, 0);
    std::wstring result = cwd ? Utf8ToWide(cwd) : L"";
    free(cwd);
    return result;
#endif
}

std::string ErrnoText(int error) {
    const char* text = std::strerror(error);
    return text ? text : "error " + std::to_string(error);
}

TFileWriter::~TFileWriter() {
    int ignored = 0;
    if (fd_ >= 0) Close(ignored);
}

bool TFileWriter::Open(const std::wstring& path, Mode mode, int& error) {
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

bool TFileWriter::Write(const void* data, std::size_t size, int& error) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
#ifdef _WIN32
        unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
        int written = _write(fd_, p, chunk);
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

bool TFileWriter::Close(int& error) {
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

void TFileWriter::Discard() {
    int ignored = 0;
    bool had = fd_ >= 0;
    Close(ignored);
    if (had) RemoveFile(path_);
}

TFileReader::~TFileReader() {
#ifdef _WIN32
    if (fd_ >= 0) _close(fd_);
#else
    if (fd_ >= 0) close(fd_);
#endif
}

bool TFileReader::Open(const std::wstring& path, int& error) {
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

std::size_t TFileReader::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
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

}  // namespace zw
