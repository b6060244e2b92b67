#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/windows/support/temp_folder.h"

// A link file's fixed header, read and written as bytes: Wine's link object neither keeps nor
// reports every field, so what an edit must keep is checked in the file itself.
struct LinkHeader {
    std::uint32_t flags = 0;  // at 0x14
    std::uint32_t showCommand = 0;  // at 0x3C
    std::uint16_t hotKey = 0;  // at 0x40
    bool operator==(const LinkHeader&) const = default;
};
constexpr std::uint32_t kLinkRunAsUser = 0x2000;

inline bool HasLinkHeader(const std::string& bytes) {
    return bytes.size() >= 0x4C && bytes.compare(0, 4, std::string("\x4C\0\0\0", 4)) == 0;
}

inline LinkHeader ReadLinkHeader(const std::wstring& file) {
    const std::string bytes = ReadFileBytes(file);
    LinkHeader header;
    if (!HasLinkHeader(bytes)) return header;
    std::memcpy(&header.flags, bytes.data() + 0x14, 4);
    std::memcpy(&header.showCommand, bytes.data() + 0x3C, 4);
    std::memcpy(&header.hotKey, bytes.data() + 0x40, 2);
    return header;
}

// Writes the fields into an existing link file's header; false when it holds none.
inline bool WriteLinkHeader(const std::wstring& file, const LinkHeader& header) {
    std::string bytes = ReadFileBytes(file);
    if (!HasLinkHeader(bytes)) return false;
    std::memcpy(bytes.data() + 0x14, &header.flags, 4);
    std::memcpy(bytes.data() + 0x3C, &header.showCommand, 4);
    std::memcpy(bytes.data() + 0x40, &header.hotKey, 2);
    HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(out);
    return whole;
}
