#pragma once
#include <cstdint>
#include <string>
#include <tuple>

#include "platform/utf.h"
#include "tests/windows/support/link_bytes.h"
#include "tests/windows/support/wine.h"

// A link's settings as the file's header holds them and the working folder as lnkinfo reports it.
using FileSettings = std::tuple<bool, std::uint32_t, std::uint16_t, std::string>;
inline FileSettings InFile(const std::wstring& linkFile) {
    const LinkHeader header = ReadLinkHeader(linkFile);
    const std::string report = LnkInfo(linkFile);
    const size_t line = report.find(':', report.find("Working directory")) + 1;
    std::string folder = report.substr(line, report.find('\n', line) - line);
    return {(header.flags & kLinkRunAsUser) != 0, header.showCommand, header.hotKey,
            folder.erase(0, folder.find_first_not_of(" \t"))};
}
// The same four of the fields or settings asked for.
template <typename Settings>
FileSettings Asked(const Settings& s) {
    return {s.runAsAdmin, std::uint32_t(s.showCommand), s.hotKey, Utf8FromWide(s.workingFolder)};
}
