#include "links/link_rules.h"

#include <algorithm>
#include <cstdint>

#include "platform/path_text.h"

std::wstring WorkingFolderFor(const std::wstring& target) {
    const size_t pos = target.find_last_of(L"\\:");
    if (pos == std::wstring::npos) return {};
    if (target[pos] == L':') return target.substr(0, pos + 1);
    const bool keepBackslash = pos > 0 && (target[pos - 1] == L':' || target[pos - 1] == L'\\');
    return target.substr(0, keepBackslash ? pos + 1 : pos);
}

std::wstring ResolveFolderLinksWith(const std::wstring& path,
                                    const std::function<std::wstring(const std::wstring&)>& folderLinkTarget) {
    if (path.empty() || !ExtensionOf(path).empty()) return path;
    const std::wstring full = WithTrailingBackslash(path);
    std::wstring resolved;
    size_t start = 0;
    while (start < full.size()) {
        const size_t end = full.find(L'\\', start);
        resolved += full.substr(start, end - start + 1);
        start = end + 1;
        const std::wstring target = folderLinkTarget(resolved);
        if (!target.empty()) resolved = target;
    }
    return resolved;
}

bool HasLinkExtension(const std::wstring& path) { return SameText(ExtensionOf(path), L".lnk"); }

LinkPathKind ClassifyLinkPath(const std::wstring& path) {
    if (path.size() <= 3) return LinkPathKind::None;
    const std::wstring bare = WithoutTrailingBackslash(path);
    const std::wstring extension = ExtensionOf(bare);
    if (extension.empty()) return LinkPathKind::FolderLinkCandidate;
    return SameText(extension, L".lnk") ? LinkPathKind::LinkFile : LinkPathKind::None;
}


namespace {
class LinkReader {
public:
    explicit LinkReader(std::string_view bytes) : bytes_(bytes) {}
    bool Has(size_t count) const { return count <= bytes_.size() - at_; }
    std::uint32_t Read(size_t size) {
        if (!Has(size)) return ok_ = false;
        std::uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) value |= std::uint32_t(std::uint8_t(bytes_[at_ + i])) << (8 * i);
        at_ += size;
        return value;
    }
    void Skip(size_t size) {
        if (!Has(size)) ok_ = false;
        else at_ += size;
    }
    bool Ok() const { return ok_; }

private:
    std::string_view bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};
}  // namespace

bool LinkLayoutIsWhole(std::string_view bytes) {
    constexpr std::uint32_t kHeaderSize = 0x4C, kHasIdList = 0x1, kHasLinkInfo = 0x2, kUnicode = 0x80;
    constexpr std::uint32_t kStringFlags[] = {0x4, 0x8, 0x10, 0x20, 0x40};  // name, relative path, folder, arguments, icon
    LinkReader reader(bytes);
    if (reader.Read(4) != kHeaderSize) return false;
    reader.Skip(16);
    const std::uint32_t flags = reader.Read(4);
    reader.Skip(kHeaderSize - 24);
    if (flags & kHasIdList) reader.Skip(reader.Read(2));
    if (flags & kHasLinkInfo) {
        const std::uint32_t size = reader.Read(4);
        if (size < 4) return false;
        reader.Skip(size - 4);
    }
    for (const std::uint32_t flag : kStringFlags)
        if (flags & flag) reader.Skip(size_t{reader.Read(2)} * (flags & kUnicode ? 2 : 1));
    while (reader.Ok()) {
        const std::uint32_t size = reader.Read(4);
        if (!reader.Ok()) return false;
        if (size < 4) return true;  // the terminal block
        reader.Skip(size - 4);
    }
    return false;
}

std::string WithHeaderFieldsOf(std::string saved, std::string_view original) {
    constexpr size_t kHeaderSize = 0x4C, kFlags = 0x14, kShowCommand = 0x3C, kHotKeyEnd = 0x42;
    constexpr char kRunAsUser = 0x20;  // bit 13 of the flags: in their second byte
    const auto isLink = [](std::string_view bytes) { return bytes.size() >= kHeaderSize && bytes[0] == 0x4C; };
    if (!isLink(saved) || !isLink(original)) return saved;
    std::copy(original.begin() + kShowCommand, original.begin() + kHotKeyEnd, saved.begin() + kShowCommand);
    saved[kFlags + 1] = static_cast<char>((saved[kFlags + 1] & ~kRunAsUser) | (original[kFlags + 1] & kRunAsUser));
    return saved;
}

std::wstring EditedLinkFile(const std::wstring& path) {
    return ExtensionOf(path).empty() ? WithTrailingBackslash(path) + L"target.lnk" : path;
}

std::wstring LinkFileAt(const std::wstring& location, bool folderLink) {
    if (!folderLink) return location + L".lnk";
    return WithTrailingBackslash(location) + L"target.lnk";
}
