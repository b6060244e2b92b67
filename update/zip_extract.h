// TZipArchive: unpacks every entry of an archive into one folder, without the entries' folder
// names, keeping files that already exist there. Refuses what it cannot write safely.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update/zip_reader.h"

enum TZipMessageNumber {
    zmArchiveNotFound = 1,
    zmArchiveDamaged = 2,
    zmNameRefused = 3,
    zmEncrypted = 4,
    zmUnknownMethod = 5,
    zmCrcMismatch = 6,
    zmSizeMismatch = 7,
    zmRatioTooHigh = 8,
    zmTotalTooLarge = 9,
    zmWriteFailed = 10,
    zmDataDamaged = 11,
};

struct TZipMessage {
    int Number;
    std::wstring Text;
};

// The file name an entry may be written under: the part after its last folder separator,
// empty when that name is refused (empty, ".", "..", a stream or drive colon, a device name,
// a character Windows forbids, a trailing dot or blank, an undecodable name).
std::wstring SafeEntryFileName(const TZipEntry& entry);

class TZipArchive {
public:
    static constexpr std::uint64_t kMaxTotalSize = 1ull << 30;
    static constexpr std::uint64_t kMaxRatio = 1000;

    const std::wstring& ZipFileName() const { return zipFileName_; }
    // Reads the archive's directory (Count, Entries); an unreadable archive leaves them empty.
    void SetZipFileName(const std::wstring& path);
    // Kept for callers that name the folder of an extraction library; nothing is loaded from it.
    const std::wstring& DLLDirectory() const { return dllDirectory_; }
    void SetDLLDirectory(const std::wstring& folder);

    std::wstring ExtrBaseDir;
    // Extraction stops before the files written would pass this many bytes in all.
    std::uint64_t MaxTotalSize = kMaxTotalSize;
    // True: messages are only recorded, not shown.
    bool Unattended = false;
    // Shows one numbered message (the program routes it to a message box).
    std::function<void(int number, const std::wstring& text)> OnMessage;

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<TZipEntry>& Entries() const { return entries_; }

    // Unpacks every entry; returns the number of files written.
    int Extract();
    // Messages of the last Extract, shown or not.
    const std::vector<TZipMessage>& Messages() const { return messages_; }

private:
    void Message(int number, const std::wstring& text);

    std::wstring zipFileName_;
    std::wstring dllDirectory_;
    std::vector<TZipEntry> entries_;
    std::vector<TZipMessage> messages_;
};
