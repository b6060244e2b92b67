#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The parts of a saved link file that the program sets itself where the shell's link object
// does not keep them. All functions take the file's bytes; a file whose layout is not whole
// (LinkLayoutIsWhole) is returned unchanged and reads as nothing.

// No link is near that size; a larger file is read no further.
inline constexpr std::size_t kMaxLinkFileSize = 1 << 20;

// Whether the bytes start with a shell link's header: its size and the shell link class.
bool IsShellLinkHeader(std::string_view bytes);

inline constexpr std::uint32_t kRunAsUserFlag = 0x2000;
inline constexpr std::uint32_t kHasExpStringFlag = 0x200;
inline constexpr std::uint32_t kHasExpIconFlag = 0x4000;
inline constexpr std::uint32_t kExpStringSignature = 0xA0000001;
inline constexpr std::uint32_t kExpIconSignature = 0xA0000007;

// The header's own settings: show command (1 normal, 3 maximised, 7 minimised), hot key (virtual
// key in the low byte, modifiers in the high byte) and the run-as-administrator flag.
struct LinkHeaderSettings {
    int showCommand = 1;
    std::uint16_t hotKey = 0;
    bool runAsAdmin = false;
    bool operator==(const LinkHeaderSettings&) const = default;
};

std::optional<LinkHeaderSettings> ReadHeaderSettings(std::string_view bytes);
std::string WithHeaderSettings(std::string bytes, const LinkHeaderSettings& settings);

// A path as written with environment variables, in the file's extra data block of that
// signature, with the header flag that announces it. ansi is the system code page's form.
struct VariablePath {
    std::string ansi;
    std::wstring unicode;
};
// The Unicode form held in the block, when the flag announces one.
std::optional<std::wstring> ReadVariablePath(std::string_view bytes, std::uint32_t signature);
// The bytes with the block (and its flag) set to path, or removed when path is empty; unchanged
// when they already hold exactly that Unicode form.
std::string WithVariablePath(std::string bytes, std::uint32_t signature, const std::optional<VariablePath>& path);
