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
    return {(header.flags & kLinkRunAsUser) != 0, header.showCommand, header.hotKey,
            LnkField(LnkInfo(linkFile), "Working directory")};
}
// The same four of the fields or settings asked for.
template <typename Settings>
FileSettings Asked(const Settings& s) {
    return {s.runAsAdmin, std::uint32_t(s.showCommand), s.hotKey, Utf8FromWide(s.workingFolder)};
}
