// Small file layer for the update: wide paths on both platforms, no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/utf.h"

// Kept apart from platform/files.h, whose Windows functions have the same names.
namespace fileio {

// `valid` reports whether the bytes were well-formed UTF-8 (invalid ones become U+FFFD).
std::wstring CheckedUtf8ToWide(const std::string& text, bool& valid);
// Each byte becomes the character of the same number (wire text such as HTTP header lines).
std::wstring Latin1ToWide(const std::string& bytes);

wchar_t PathSeparator();
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool RemoveFile(const std::wstring& path);
// Gives `from` the name `to` in one step, replacing a file of that name.
bool MoveOver(const std::wstring& from, const std::wstring& to, int& error);
std::wstring CurrentDirectory();
// Errors from kSystemErrorBase up are the system's own error codes (on Windows) plus that base.
inline constexpr int kSystemErrorBase = 0x10000;
// The platform's text for an errno value, or the system's own text for a system error.
std::string ErrnoText(int error);

// Gives a file the last-change time an archive stored for it (MS-DOS date and time, local time);
// false when the time is not valid or cannot be set.
bool SetDosModifiedTime(const std::wstring& path, std::uint16_t dosDate, std::uint16_t dosTime);

class FileWriter {
public:
    enum class Mode { Replace, CreateNew };
    FileWriter() = default;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    ~FileWriter();

    // CreateNew fails with EEXIST when anything (a file, a folder, a link) has the name.
    bool Open(const std::wstring& path, Mode mode, int& error);
    bool Write(const void* data, std::size_t size, int& error);
    bool Close(int& error);
    // Closes and deletes the file this writer created.
    void Discard();
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::wstring path_;
};

class FileReader {
public:
    FileReader() = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    bool Open(const std::wstring& path, int& error);
    std::uint64_t Size() const { return size_; }
    // Reads up to `size` bytes at `offset`; returns the count read (short only at the end or on error).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

}  // namespace fileio
