// Reading of a ZIP archive: its central directory, the local headers, and the data of one entry
// streamed through fixed buffers into a sink. Everything the archive declares is checked against
// the archive itself before it is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update/file_io.h"

class ZipSource {
public:
    virtual ~ZipSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Returns the count read; short only past the end or on a read error.
    virtual std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

class MemoryZipSource final : public ZipSource {
public:
    MemoryZipSource(const void* data, std::size_t size) : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override;

private:
    const unsigned char* data_;
    std::size_t size_;
};

class FileZipSource final : public ZipSource {
public:
    explicit FileZipSource(fileio::FileReader& file) : file_(file) {}
    std::uint64_t Size() const override { return file_.Size(); }
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        return file_.ReadAt(offset, buffer, size);
    }

private:
    fileio::FileReader& file_;
};

struct ZipEntry {
    std::string RawName;
    std::wstring Name;       // decoded: UTF-8 when flagged, given in a Unicode path field or well-formed; else CP437
    bool NameValid = true;   // false when a UTF-8 name was not valid UTF-8, or the name is too long
    bool NameTooLong = false;  // longer than ZipReader::kMaxNameLength; RawName and Name hold its start only
    std::uint16_t Flags = 0;
    std::uint16_t Method = 0;
    std::uint32_t Crc = 0;
    std::uint16_t DosTime = 0, DosDate = 0;  // last change, local time as MS-DOS stores it
    std::uint64_t CompressedSize = 0;
    std::uint64_t Size = 0;
    std::uint64_t HeaderOffset = 0;
    std::uint64_t DataOffset = 0;
    bool LocalHeaderAgrees = true;  // crc and sizes of the local header and data descriptor match the directory

    bool Encrypted() const { return (Flags & 0x0041) != 0; }
    bool IsFolder() const { return !RawName.empty() && (RawName.back() == '/' || RawName.back() == '\\'); }
};

enum class ZipDirectoryResult { Ok, NotAnArchive, Damaged, Unsupported, Overlapping };

enum class ZipEntryResult { Ok, Encrypted, UnknownMethod, SizeMismatch, CrcMismatch, DataDamaged, SinkFailed };

std::wstring DecodeCp437(const std::string& bytes);

class ZipReader {
public:
    static constexpr std::size_t kBufferSize = 65536;
    // A directory larger than this is refused rather than held in memory.
    static constexpr std::uint64_t kMaxDirectorySize = 16u << 20;
    // Longest entry name taken, in characters, as Windows' path limit.
    static constexpr std::size_t kMaxNameLength = 260;

    explicit ZipReader(ZipSource& source) : source_(source) {}

    ZipDirectoryResult ReadDirectory();
    const std::vector<ZipEntry>& Entries() const { return entries_; }
    // Hands the entries to the caller; ExtractTo needs only the entry, not the reader's list.
    std::vector<ZipEntry> TakeEntries() { return std::move(entries_); }

    // Streams the entry's data into the sink, which returns false to stop. Checks method, sizes
    // and CRC; the sink has then seen at most the declared size.
    ZipEntryResult ExtractTo(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink);

private:
    struct EndRecord {
        std::uint64_t offset = 0;  // of the record itself
        std::uint32_t directoryOffset = 0;
        std::uint32_t directorySize = 0;
        std::uint16_t entryCount = 0;
    };
    ZipDirectoryResult FindEndRecord(EndRecord& end);
    ZipDirectoryResult ReadCentralRecords(const EndRecord& end);
    ZipDirectoryResult ReadLocalHeaders(std::uint64_t directoryStart);
    ZipDirectoryResult CheckLocalHeader(ZipEntry& entry, std::uint64_t directoryStart, std::uint64_t& spanEnd);
    // Whether a data descriptor after the entry's data declares what the directory does.
    bool DescriptorAgrees(const ZipEntry& entry, std::uint64_t directoryStart, std::uint64_t& end);
    ZipEntryResult Inflate(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink,
                            std::uint32_t& crc, std::uint64_t& produced);
    ZipEntryResult Copy(const ZipEntry& entry, const std::function<bool(const char*, std::size_t)>& sink,
                         std::uint32_t& crc, std::uint64_t& produced);

    ZipSource& source_;
    std::vector<ZipEntry> entries_;
    std::vector<char> in_;
    std::vector<char> out_;
    std::vector<unsigned char> header_;
};
