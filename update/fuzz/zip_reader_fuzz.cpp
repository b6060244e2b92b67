// libFuzzer target: the ZIP directory reader, name rules and entry extraction on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "update/zip_extract.h"
#include "update/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryZipSource source(data, size);
    ZipReader reader(source);
    if (reader.ReadDirectory() != ZipDirectoryResult::Ok) return 0;
    for (const ZipEntry& entry : reader.Entries()) {
        std::wstring name = SafeEntryFileName(entry);
        if (name.find_first_of(L"/\\:") != std::wstring::npos) __builtin_trap();
        if (entry.Name.size() > ZipReader::kMaxNameLength + 1) __builtin_trap();
        if (entry.DataOffset + entry.CompressedSize > size) __builtin_trap();
        if (entry.Size > (16u << 20)) continue;  // keep each run short; the bound itself is tested elsewhere
        std::uint64_t seen = 0;
        ZipEntryResult result = reader.ExtractTo(entry, [&](const char*, std::size_t n) {
            seen += n;
            return true;
        });
        if (seen > entry.Size) __builtin_trap();
        if (result == ZipEntryResult::Ok && seen != entry.Size) __builtin_trap();
    }
    return 0;
}
