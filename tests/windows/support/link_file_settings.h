#pragma once
#include <cstdint>
#include <string>
#include <tuple>

#include "platform/utf.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"

// A link's settings as the file holds them, read byte by byte here (flags at 0x14, show command
// at 0x3C, hot key at 0x40) and the working folder as lnkinfo reports it.
using FileSettings = std::tuple<bool, std::uint32_t, std::uint16_t, std::string>;
inline FileSettings InFile(const std::wstring& linkFile) {
    const std::string bytes = ReadFileBytes(linkFile), report = LnkInfo(linkFile);
    const auto at = [&](size_t offset, size_t size) {
        std::uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) value |= std::uint32_t(std::uint8_t(bytes.at(offset + i))) << (8 * i);
        return value;
    };
    const size_t line = report.find(':', report.find("Working directory")) + 1;
    std::string folder = report.substr(line, report.find('\n', line) - line);
    return {(at(0x14, 4) & 0x2000) != 0, at(0x3C, 4), std::uint16_t(at(0x40, 2)), folder.erase(0, folder.find_first_not_of(" \t"))};
}
// The same four of the fields or settings asked for.
template <typename Settings>
FileSettings Asked(const Settings& s) {
    return {s.runAsAdmin, std::uint32_t(s.showCommand), s.hotKey, Utf8FromWide(s.workingFolder)};
}
