#include "update/zip_reader.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::uint16_t kUnicodePathField = 0x7075;

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

}  // namespace

std::wstring DecodeCp437(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out += c < 0x80 ? static_cast<wchar_t>(c) : static_cast<wchar_t>(kCp437High[c - 0x80]);
    return out;
}

std::size_t MemoryZipSource::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (offset >= size_) return 0;
    std::size_t n = std::min<std::uint64_t>(size, size_ - offset);
    if (n > 0) std::memcpy(buffer, data_ + offset, n);
    return n;
}

ZipDirectoryResult ZipReader::ReadDirectory() {
    entries_.clear();
    EndRecord end;
    ZipDirectoryResult result = FindEndRecord(end);
    if (result == ZipDirectoryResult::Ok) result = ReadCentralRecords(end);
    if (result == ZipDirectoryResult::Ok) result = ReadLocalHeaders(end.directoryOffset);
    if (result != ZipDirectoryResult::Ok) entries_.clear();
    return result;
}

ZipDirectoryResult ZipReader::FindEndRecord(EndRecord& end) {
    const std::uint64_t size = source_.Size();
    if (size < kEndSize) return ZipDirectoryResult::NotAnArchive;

    // The end record sits in the last 22 bytes plus at most a 65535-byte comment; the record
    // whose comment reaches exactly to the end of the file is the real one.
    std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndSize + 65535));
    std::vector<unsigned char> tail(tailSize);
    std::uint64_t tailStart = size - tailSize;
    if (source_.ReadAt(tailStart, tail.data(), tailSize) != tailSize) return ZipDirectoryResult::Damaged;
    std::size_t at = std::string::npos;
    for (std::size_t pos = tailSize - kEndSize + 1; pos-- > 0;) {
        if (Le32(&tail[pos]) == kEndSignature && pos + kEndSize + Le16(&tail[pos + 20]) == tailSize) {
            at = pos;
            break;
        }
    }
    if (at == std::string::npos) return ZipDirectoryResult::NotAnArchive;
    const unsigned char* e = &tail[at];
    std::uint16_t disk = Le16(e + 4), directoryDisk = Le16(e + 6), entriesHere = Le16(e + 8);
    end.offset = tailStart + at;
    end.entryCount = Le16(e + 10);
    end.directorySize = Le32(e + 12);
    end.directoryOffset = Le32(e + 16);
    if (end.entryCount == 0xFFFF || end.directorySize == 0xFFFFFFFF || end.directoryOffset == 0xFFFFFFFF)
        return ZipDirectoryResult::Unsupported;
    if (disk != 0 || directoryDisk != 0 || entriesHere != end.entryCount) return ZipDirectoryResult::Unsupported;
    if (static_cast<std::uint64_t>(end.directoryOffset) + end.directorySize > end.offset)
        return ZipDirectoryResult::Damaged;
    if (end.directorySize > kMaxDirectorySize) return ZipDirectoryResult::Unsupported;
    return ZipDirectoryResult::Ok;
}

namespace {

// The central directory read front to back through one fixed window, so that a directory of long
// names or long extra fields is never held whole.
class DirectoryCursor {
public:
    DirectoryCursor(ZipSource& source, std::uint64_t begin, std::uint64_t size)
        : source_(source), next_(begin), end_(begin + size), window_(2 * 65536) {}

    // The next `n` bytes (n at most 65536 + kCentralSize), or null when the directory ends first.
    const unsigned char* Take(std::size_t n) {
        if (filled_ - at_ < n) {
            std::memmove(window_.data(), window_.data() + at_, filled_ - at_);
            filled_ -= at_;
            at_ = 0;
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(window_.size() - filled_, end_ - next_));
            if (source_.ReadAt(next_, window_.data() + filled_, want) != want) return nullptr;
            next_ += want;
            filled_ += want;
            if (filled_ < n) return nullptr;
        }
        const unsigned char* taken = window_.data() + at_;
        at_ += n;
        return taken;
    }

    bool Skip(std::size_t n) {
        std::size_t buffered = filled_ - at_;
        if (n <= buffered) {
            at_ += n;
            return true;
        }
        at_ = filled_ = 0;
        if (n - buffered > end_ - next_) return false;
        next_ += n - buffered;
        return true;
    }

private:
    ZipSource& source_;
    std::uint64_t next_, end_;
    std::vector<unsigned char> window_;
    std::size_t at_ = 0, filled_ = 0;
};

// The name given by an Info-ZIP Unicode path field whose CRC matches the header name.
bool UnicodePathName(const unsigned char* extra, std::size_t extraLength, const std::string& rawName, std::string& utf8) {
    for (std::size_t x = 0; x + 4 <= extraLength;) {
        std::uint16_t id = Le16(extra + x), length = Le16(extra + x + 2);
        if (x + 4 + length > extraLength) break;
        const unsigned char* field = extra + x + 4;
        if (id == kUnicodePathField && length >= 5 && field[0] == 1 &&
            Le32(field + 1) ==
                crc32(0, reinterpret_cast<const Bytef*>(rawName.data()), static_cast<uInt>(rawName.size()))) {
            utf8.assign(reinterpret_cast<const char*>(field + 5), length - 5u);
            return true;
        }
        x += 4u + length;
    }
    return false;
}

void DecodeName(ZipEntry& entry, const unsigned char* extra, std::size_t extraLength) {
    std::string unicodePath;
    if (entry.Flags & 0x0800) {
        entry.Name = fileio::CheckedUtf8ToWide(entry.RawName, entry.NameValid);
    } else if (UnicodePathName(extra, extraLength, entry.RawName, unicodePath)) {
        entry.Name = fileio::CheckedUtf8ToWide(unicodePath, entry.NameValid);
    } else {
        // Tools on systems with UTF-8 names store them unmarked; a CP437 name is almost
        // never also well-formed UTF-8 with non-ASCII characters in it.
        bool utf8 = false;
        std::wstring asUtf8 = fileio::CheckedUtf8ToWide(entry.RawName, utf8);
        bool ascii = std::all_of(entry.RawName.begin(), entry.RawName.end(),
                                 [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        entry.Name = utf8 && !ascii ? asUtf8 : DecodeCp437(entry.RawName);
    }
}

// Keeps only the start of a name that is refused for its length, for the message that names it.
constexpr std::size_t kShownOfTooLong = 40;

void MarkTooLong(ZipEntry& entry) {
    if (entry.RawName.size() > kShownOfTooLong) entry.RawName.resize(kShownOfTooLong);
    if (entry.Name.empty()) DecodeName(entry, nullptr, 0);
    if (entry.Name.size() > kShownOfTooLong) entry.Name.resize(kShownOfTooLong);
    entry.Name += L"…";
    entry.NameTooLong = true;
    entry.NameValid = false;
}

}  // namespace

ZipDirectoryResult ZipReader::ReadCentralRecords(const EndRecord& end) {
    // No name of at most kMaxNameLength characters takes more bytes than this in UTF-8.
    constexpr std::size_t kMaxNameBytes = kMaxNameLength * 4;
    DirectoryCursor cursor(source_, end.directoryOffset, end.directorySize);
    entries_.reserve(std::min<std::size_t>(end.entryCount, end.directorySize / kCentralSize));
    for (unsigned i = 0; i < end.entryCount; ++i) {
        const unsigned char* c = cursor.Take(kCentralSize);
        if (!c) return ZipDirectoryResult::Damaged;
        if (Le32(c) != kCentralSignature) return ZipDirectoryResult::Damaged;
        if (Le16(c + 34) != 0) return ZipDirectoryResult::Unsupported;  // entry on another disk
        std::size_t nameLength = Le16(c + 28), extraLength = Le16(c + 30), commentLength = Le16(c + 32);

        ZipEntry entry;
        entry.Flags = Le16(c + 8);
        entry.Method = Le16(c + 10);
        entry.DosTime = Le16(c + 12);
        entry.DosDate = Le16(c + 14);
        entry.Crc = Le32(c + 16);
        entry.CompressedSize = Le32(c + 20);
        entry.Size = Le32(c + 24);
        entry.HeaderOffset = Le32(c + 42);
        if (entry.CompressedSize == 0xFFFFFFFF || entry.Size == 0xFFFFFFFF || entry.HeaderOffset == 0xFFFFFFFF)
            return ZipDirectoryResult::Unsupported;

        bool tooLong = nameLength > kMaxNameBytes;
        std::size_t kept = tooLong ? kShownOfTooLong : nameLength;
        const unsigned char* name = cursor.Take(kept);
        if (!name || !cursor.Skip(nameLength - kept)) return ZipDirectoryResult::Damaged;
        entry.RawName.assign(reinterpret_cast<const char*>(name), kept);
        const unsigned char* extra = cursor.Take(extraLength);
        if (!extra || !cursor.Skip(commentLength)) return ZipDirectoryResult::Damaged;
        if (!tooLong) DecodeName(entry, extra, extraLength);
        if (tooLong || entry.Name.size() > kMaxNameLength) MarkTooLong(entry);
        entries_.push_back(std::move(entry));
    }
    return ZipDirectoryResult::Ok;
}

ZipDirectoryResult ZipReader::ReadLocalHeaders(std::uint64_t directoryStart) {
    struct Span {
        std::uint64_t begin, end;
    };
    std::vector<Span> spans;
    spans.reserve(entries_.size());
    header_.resize(kLocalSize + 65535);
    for (ZipEntry& entry : entries_) {
        std::uint64_t spanEnd = 0;
        ZipDirectoryResult result = CheckLocalHeader(entry, directoryStart, spanEnd);
        if (result != ZipDirectoryResult::Ok) return result;
        spans.push_back({entry.HeaderOffset, spanEnd});
    }
    // Entries that share bytes are how the smallest archives unpack to the largest output.
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    for (std::size_t i = 1; i < spans.size(); ++i)
        if (spans[i].begin < spans[i - 1].end) return ZipDirectoryResult::Overlapping;
    return ZipDirectoryResult::Ok;
}

ZipDirectoryResult ZipReader::CheckLocalHeader(ZipEntry& entry, std::uint64_t directoryStart,
                                                 std::uint64_t& spanEnd) {
    unsigned char* h = header_.data();
    if (entry.HeaderOffset + kLocalSize > directoryStart) return ZipDirectoryResult::Damaged;
    if (source_.ReadAt(entry.HeaderOffset, h, kLocalSize) != kLocalSize || Le32(h) != kLocalSignature)
        return ZipDirectoryResult::Damaged;
    // Both headers must describe the same entry the same way, or two tools could disagree about
    // which file it is and how to read it. A name refused for its length is never written, so
    // only its start is kept and compared.
    std::size_t nameLength = Le16(h + 26), extraLength = Le16(h + 28);
    std::size_t compared = entry.NameTooLong ? std::min(nameLength, entry.RawName.size()) : nameLength;
    if ((!entry.NameTooLong && nameLength != entry.RawName.size()) ||
        source_.ReadAt(entry.HeaderOffset + kLocalSize, h + kLocalSize, compared) != compared ||
        std::memcmp(h + kLocalSize, entry.RawName.data(), compared) != 0)
        return ZipDirectoryResult::Damaged;
    std::uint16_t flags = Le16(h + 6), method = Le16(h + 8);
    if (flags != entry.Flags || method != entry.Method) return ZipDirectoryResult::Damaged;

    entry.DataOffset = entry.HeaderOffset + kLocalSize + nameLength + extraLength;
    spanEnd = entry.DataOffset + entry.CompressedSize;
    if (spanEnd > directoryStart) return ZipDirectoryResult::Damaged;
    std::uint32_t crc = Le32(h + 14), packed = Le32(h + 18), size = Le32(h + 22);
    bool localMatches = crc == entry.Crc && packed == entry.CompressedSize && size == entry.Size;
    if (flags & 0x0008) {
        // The values follow the data; a writer that knew them early may also put them here.
        bool localEmpty = crc == 0 && packed == 0 && size == 0;
        entry.LocalHeaderAgrees = (localEmpty || localMatches) && DescriptorAgrees(entry, directoryStart, spanEnd);
    } else {
        entry.LocalHeaderAgrees = localMatches;
    }
    return ZipDirectoryResult::Ok;
}

bool ZipReader::DescriptorAgrees(const ZipEntry& entry, std::uint64_t directoryStart, std::uint64_t& end) {
    constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
    std::uint64_t at = entry.DataOffset + entry.CompressedSize;
    unsigned char d[24] = {};
    std::size_t got = source_.ReadAt(at, d, static_cast<std::size_t>(std::min<std::uint64_t>(24, directoryStart - at)));
    // With or without its signature, with sizes of 4 or (for large-file writers) 8 bytes.
    for (std::size_t skip : {std::size_t{4}, std::size_t{0}}) {
        if (skip == 4 && Le32(d) != kDescriptorSignature) continue;
        const unsigned char* v = d + skip;
        if (got >= skip + 12 && Le32(v) == entry.Crc && Le32(v + 4) == entry.CompressedSize && Le32(v + 8) == entry.Size) {
            end = at + skip + 12;
            return true;
        }
        if (got >= skip + 20 && Le32(v) == entry.Crc && Le32(v + 4) == entry.CompressedSize && Le32(v + 8) == 0 &&
            Le32(v + 12) == entry.Size && Le32(v + 16) == 0) {
            end = at + skip + 20;
            return true;
        }
    }
    return false;
}

ZipEntryResult ZipReader::ExtractTo(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink) {
    if (entry.Encrypted()) return ZipEntryResult::Encrypted;
    if (entry.Method != 0 && entry.Method != 8) return ZipEntryResult::UnknownMethod;
    if (!entry.LocalHeaderAgrees) return ZipEntryResult::SizeMismatch;
    if (entry.Method == 0 && entry.CompressedSize != entry.Size) return ZipEntryResult::SizeMismatch;
    in_.resize(kBufferSize);
    out_.resize(kBufferSize);
    std::uint32_t crc = 0;
    std::uint64_t produced = 0;
    ZipEntryResult result = entry.Method == 0 ? Copy(entry, sink, crc, produced) : Inflate(entry, sink, crc, produced);
    if (result != ZipEntryResult::Ok) return result;
    if (produced != entry.Size) return ZipEntryResult::SizeMismatch;
    if (crc != entry.Crc) return ZipEntryResult::CrcMismatch;
    return ZipEntryResult::Ok;
}

ZipEntryResult ZipReader::Copy(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink,
                                 std::uint32_t& crc, std::uint64_t& produced) {
    while (produced < entry.Size) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, entry.Size - produced));
        if (source_.ReadAt(entry.DataOffset + produced, in_.data(), want) != want) return ZipEntryResult::DataDamaged;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(in_.data()), static_cast<uInt>(want));
        produced += want;
        if (!sink(in_.data(), want)) return ZipEntryResult::SinkFailed;
    }
    return ZipEntryResult::Ok;
}

ZipEntryResult ZipReader::Inflate(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink,
                                    std::uint32_t& crc, std::uint64_t& produced) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return ZipEntryResult::DataDamaged;
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};

    std::uint64_t consumed = 0;
    for (;;) {
        if (z.avail_in == 0 && consumed < entry.CompressedSize) {
            std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, entry.CompressedSize - consumed));
            if (source_.ReadAt(entry.DataOffset + consumed, in_.data(), want) != want)
                return ZipEntryResult::DataDamaged;
            consumed += want;
            z.next_in = reinterpret_cast<Bytef*>(in_.data());
            z.avail_in = static_cast<uInt>(want);
        }
        z.next_out = reinterpret_cast<Bytef*>(out_.data());
        z.avail_out = static_cast<uInt>(kBufferSize);
        int rc = inflate(&z, Z_NO_FLUSH);
        std::size_t made = kBufferSize - z.avail_out;
        if (made > 0) {
            // More output than declared is refused before it reaches the sink.
            if (made > entry.Size - produced) return ZipEntryResult::SizeMismatch;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(out_.data()), static_cast<uInt>(made));
            produced += made;
            if (!sink(out_.data(), made)) return ZipEntryResult::SinkFailed;
        }
        if (rc == Z_STREAM_END) {
            // The stream must end exactly where the declared compressed data ends.
            if (z.avail_in != 0 || consumed != entry.CompressedSize) return ZipEntryResult::SizeMismatch;
            return ZipEntryResult::Ok;
        }
        if (rc == Z_BUF_ERROR && made == 0) {
            if (z.avail_in == 0 && consumed == entry.CompressedSize) return ZipEntryResult::DataDamaged;
            continue;
        }
        if (rc != Z_OK) return ZipEntryResult::DataDamaged;
    }
}
