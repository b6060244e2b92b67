// Builds ZIP archives in memory for tests, sound or deliberately broken in one chosen way.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

struct TestZipEntry {
    TestZipEntry(std::string n = {}, std::string d = {}) : name(std::move(n)), data(std::move(d)) {}
    std::string name;
    std::string data;
    std::uint16_t method = 8;
    std::uint16_t flags = 0;
    std::optional<std::uint32_t> crc;             // written instead of the real CRC
    std::optional<std::uint32_t> size;            // declared uncompressed size, both headers
    std::optional<std::uint32_t> compressedSize;  // declared compressed size, both headers
    std::optional<std::uint32_t> localSize;       // uncompressed size in the local header only
    bool dataDescriptor = false;                  // sizes and CRC after the data, zeros in the local header
    std::optional<std::string> localName;         // a different name in the local header
    std::optional<std::uint16_t> localMethod;     // a different method in the local header
    std::optional<std::uint16_t> localFlags;      // different flags in the local header
    std::optional<std::uint32_t> descriptorSize;  // uncompressed size in the data descriptor only
    bool wideDescriptor = false;                  // the descriptor's sizes take 8 bytes each
    std::string centralExtra;                     // extra field of the directory record
    std::optional<std::string> packed;            // these bytes as the entry's data instead of compressing
    std::uint32_t dosTimeDate = 0;                // MS-DOS time (low half) and date (high half)
};

inline std::string Deflated(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflate");
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline void Put16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// Directory records may point at another entry's local header (`reuseOffsetOf`, by index).
inline std::string BuildZip(const std::vector<TestZipEntry>& entries, const std::vector<int>& reuseOffsetOf = {}) {
    std::string out, directory;
    std::vector<std::uint32_t> offsets;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TestZipEntry& e = entries[i];
        std::string packed = e.packed ? *e.packed : e.method == 8 ? Deflated(e.data) : e.data;
        std::uint32_t crc = e.crc ? *e.crc
                                  : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                                     static_cast<uInt>(e.data.size())));
        std::uint32_t size = e.size ? *e.size : static_cast<std::uint32_t>(e.data.size());
        std::uint32_t csize = e.compressedSize ? *e.compressedSize : static_cast<std::uint32_t>(packed.size());
        std::uint16_t flags = static_cast<std::uint16_t>(e.flags | (e.dataDescriptor ? 0x0008 : 0));
        const std::string& localName = e.localName ? *e.localName : e.name;

        std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        if (i < reuseOffsetOf.size() && reuseOffsetOf[i] >= 0) offset = offsets[reuseOffsetOf[i]];
        offsets.push_back(offset);
        if (!(i < reuseOffsetOf.size() && reuseOffsetOf[i] >= 0)) {
            Put32(out, 0x04034b50);
            Put16(out, 20);
            Put16(out, e.localFlags ? *e.localFlags : flags);
            Put16(out, e.localMethod ? *e.localMethod : e.method);
            Put32(out, e.dosTimeDate);
            Put32(out, e.dataDescriptor ? 0 : crc);
            Put32(out, e.dataDescriptor ? 0 : csize);
            Put32(out, e.dataDescriptor ? 0 : (e.localSize ? *e.localSize : size));
            Put16(out, static_cast<std::uint32_t>(localName.size()));
            Put16(out, 0);
            out += localName;
            out += packed;
            if (e.dataDescriptor) {
                Put32(out, 0x08074b50);
                Put32(out, crc);
                Put32(out, csize);
                if (e.wideDescriptor) Put32(out, 0);
                Put32(out, e.descriptorSize ? *e.descriptorSize : size);
                if (e.wideDescriptor) Put32(out, 0);
            }
        }
        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, flags);
        Put16(directory, e.method);
        Put32(directory, e.dosTimeDate);
        Put32(directory, crc);
        Put32(directory, csize);
        Put32(directory, size);
        Put16(directory, static_cast<std::uint32_t>(e.name.size()));
        Put16(directory, static_cast<std::uint32_t>(e.centralExtra.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory += e.name;
        directory += e.centralExtra;
    }
    std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

// Makes the index-th directory record point at `offset` for its local header.
inline void PointRecordAt(std::string& archive, int index, std::uint32_t offset) {
    std::size_t record = archive.find(std::string("PK\x01\x02", 4));
    for (int i = 0; i < index; ++i) record = archive.find(std::string("PK\x01\x02", 4), record + 4);
    std::string value;
    Put32(value, offset);
    archive.replace(record + 42, 4, value);
}

// An Info-ZIP Unicode path field carrying `utf8` for the header name `raw`.
inline std::string UnicodePathField(const std::string& raw, const std::string& utf8) {
    std::string field;
    Put16(field, 0x7075);
    Put16(field, static_cast<std::uint32_t>(5 + utf8.size()));
    field += '\x01';
    Put32(field, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(raw.data()),
                                                  static_cast<uInt>(raw.size()))));
    field += utf8;
    return field;
}
