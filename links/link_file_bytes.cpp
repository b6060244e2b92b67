#include "links/link_file_bytes.h"

#include <algorithm>
#include <vector>

#include "links/link_rules.h"

namespace {
constexpr size_t kHeaderSize = 0x4C, kFlagsAt = 0x14, kShowCommandAt = 0x3C, kHotKeyAt = 0x40;
constexpr std::uint32_t kHasIdList = 0x1, kHasLinkInfo = 0x2, kUnicode = 0x80;
constexpr std::uint32_t kStringFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};  // name, relative path, folder, arguments, icon
constexpr size_t kVariableBlockSize = 0x314, kVariableChars = 260;

std::uint32_t Get(std::string_view bytes, size_t at, size_t size) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= std::uint32_t(std::uint8_t(bytes[at + i])) << (8 * i);
    return value;
}

void Put(std::string& bytes, size_t at, size_t size, std::uint32_t value) {
    for (size_t i = 0; i < size; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

struct Block {
    size_t at, size;
    std::uint32_t signature;
};
struct Blocks {
    std::vector<Block> blocks;
    size_t terminalAt = 0;
};

// Walks the parts the header announces up to the extra data; empty when they do not fit.
std::optional<Blocks> ExtraBlocks(std::string_view bytes) {
    if (bytes.size() < kHeaderSize || Get(bytes, 0, 4) != kHeaderSize) return std::nullopt;
    const std::uint32_t flags = Get(bytes, kFlagsAt, 4);
    size_t at = kHeaderSize;
    const auto skip = [&](size_t size) {
        if (size > bytes.size() - at) return false;
        at += size;
        return true;
    };
    const auto field = [&](size_t size, std::uint32_t& value) {
        if (size > bytes.size() - at) return false;
        value = Get(bytes, at, size);
        at += size;
        return true;
    };
    std::uint32_t size = 0;
    if ((flags & kHasIdList) && !(field(2, size) && skip(size))) return std::nullopt;
    if (flags & kHasLinkInfo) {
        if (!field(4, size) || size < 4 || !skip(size - 4)) return std::nullopt;
    }
    for (const std::uint32_t flag : kStringFlags)
        if ((flags & flag) && !(field(2, size) && skip(size_t{size} * (flags & kUnicode ? 2 : 1)))) return std::nullopt;
    Blocks found;
    while (true) {
        const size_t start = at;
        if (!field(4, size)) return std::nullopt;
        if (size < 4) {
            found.terminalAt = start;
            return found;
        }
        std::uint32_t signature = 0;
        if (size < 8 || !field(4, signature) || !skip(size - 8)) return std::nullopt;
        found.blocks.push_back({start, size, signature});
    }
}

std::string VariableBlock(std::uint32_t signature, const VariablePath& path) {
    std::string block(kVariableBlockSize, '\0');
    Put(block, 0, 4, kVariableBlockSize);
    Put(block, 4, 4, signature);
    block.replace(8, std::min(path.ansi.size(), kVariableChars - 1), path.ansi, 0, kVariableChars - 1);
    size_t at = 8 + kVariableChars;
    for (size_t i = 0; i < path.unicode.size() && at + 2 < kVariableBlockSize; ++i) {
        std::uint32_t c = std::uint32_t(path.unicode[i]);
        if (c > 0xFFFF) {  // a wide character beyond UTF-16's first plane: its surrogate pair
            if (at + 4 >= kVariableBlockSize) break;
            c -= 0x10000;
            Put(block, at, 2, 0xD800 + (c >> 10));
            at += 2;
            c = 0xDC00 + (c & 0x3FF);
        }
        Put(block, at, 2, c);
        at += 2;
    }
    return block;
}

std::wstring UnicodeOf(std::string_view block) {
    std::wstring text;
    for (size_t at = 8 + kVariableChars; at + 1 < block.size(); at += 2) {
        std::uint32_t c = Get(block, at, 2);
        if (c == 0) break;
        if constexpr (sizeof(wchar_t) == 4) {
            if (c >= 0xD800 && c < 0xDC00 && at + 3 < block.size()) {
                const std::uint32_t low = Get(block, at + 2, 2);
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    at += 2;
                }
            }
        }
        text += wchar_t(c);
    }
    return text;
}
}  // namespace

bool LinkLayoutIsWhole(std::string_view bytes) { return ExtraBlocks(bytes).has_value(); }

std::optional<LinkHeaderSettings> ReadHeaderSettings(std::string_view bytes) {
    if (!ExtraBlocks(bytes)) return std::nullopt;
    LinkHeaderSettings settings;
    settings.showCommand = int(Get(bytes, kShowCommandAt, 4));
    settings.hotKey = std::uint16_t(Get(bytes, kHotKeyAt, 2));
    settings.runAsAdmin = (Get(bytes, kFlagsAt, 4) & kRunAsUserFlag) != 0;
    return settings;
}

std::string WithHeaderSettings(std::string bytes, const LinkHeaderSettings& settings) {
    if (!ExtraBlocks(bytes)) return bytes;
    const std::uint32_t flags = Get(bytes, kFlagsAt, 4);
    Put(bytes, kFlagsAt, 4, settings.runAsAdmin ? flags | kRunAsUserFlag : flags & ~kRunAsUserFlag);
    Put(bytes, kShowCommandAt, 4, std::uint32_t(settings.showCommand));
    Put(bytes, kHotKeyAt, 2, settings.hotKey);
    return bytes;
}

namespace {
std::uint32_t FlagFor(std::uint32_t signature) {
    return signature == kExpIconSignature ? kHasExpIconFlag : kHasExpStringFlag;
}
}  // namespace

std::optional<std::wstring> ReadVariablePath(std::string_view bytes, std::uint32_t signature) {
    const auto found = ExtraBlocks(bytes);
    if (!found || !(Get(bytes, kFlagsAt, 4) & FlagFor(signature))) return std::nullopt;
    for (const Block& block : found->blocks)
        if (block.signature == signature && block.size >= kVariableBlockSize)
            return UnicodeOf(bytes.substr(block.at, block.size));
    return std::nullopt;
}

std::string WithVariablePath(std::string bytes, std::uint32_t signature, const std::optional<VariablePath>& path) {
    const auto found = ExtraBlocks(bytes);
    if (!found) return bytes;
    const auto current = ReadVariablePath(bytes, signature);
    if (path ? current == path->unicode : !current) return bytes;
    std::string rebuilt = bytes.substr(0, found->blocks.empty() ? found->terminalAt : found->blocks.front().at);
    for (const Block& block : found->blocks)
        if (block.signature != signature) rebuilt += bytes.substr(block.at, block.size);
    if (path) rebuilt += VariableBlock(signature, *path);
    rebuilt += bytes.substr(found->terminalAt);
    const std::uint32_t flags = Get(rebuilt, kFlagsAt, 4);
    Put(rebuilt, kFlagsAt, 4, path ? flags | FlagFor(signature) : flags & ~FlagFor(signature));
    return rebuilt;
}

bool IsShellLinkHeader(std::string_view bytes) {
    // The header size 0x4C, then {00021401-0000-0000-C000-000000000046} as stored.
    static constexpr unsigned char kStart[] = {0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0,
                                               0xC0, 0,    0, 0, 0,    0,    0,    0x46};
    if (bytes.size() < 0x4C) return false;
    for (std::size_t i = 0; i < sizeof kStart; ++i)
        if (static_cast<unsigned char>(bytes[i]) != kStart[i]) return false;
    return true;
}
