// ZipArchive: unpacks every entry of an archive into one folder, without the entries' folder
// names, keeping files that already exist there. Refuses what it cannot write safely.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "update/zip_reader.h"

enum ZipMessageNumber {
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

struct ZipMessage {
    int Number;
    std::wstring Text;
};

// The file name an entry may be written under: the part after its last folder separator,
// empty when that name is refused (empty, ".", "..", a stream or drive colon, a device name,
// a character Windows forbids, a trailing dot or blank, an undecodable or too long name).
std::wstring SafeEntryFileName(const ZipEntry& entry);

// Collects the per-entry messages of one extraction: however many entries share a problem, it
// is told once, naming the first few and the count.
class ZipReport {
public:
    static constexpr std::size_t kNamesShown = 5;

    // `item` names the entry (or file) concerned; `single` is the whole message when it stays alone.
    void Add(int number, const std::wstring& item, const std::wstring& single);
    // The messages, in the order their problems first occurred.
    std::vector<ZipMessage> Messages() const;

private:
    struct Group {
        int number;
        std::wstring single;
        std::vector<std::wstring> items;
        std::size_t count = 0;
    };
    std::vector<Group> groups_;
};

class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();
    ZipArchive(ZipArchive&&) noexcept;
    ZipArchive& operator=(ZipArchive&&) noexcept;

    static constexpr std::uint64_t kMaxTotalSize = 1ull << 30;
    static constexpr std::uint64_t kMaxRatio = 1000;

    const std::wstring& ZipFileName() const { return zipFileName_; }
    // Reads the archive's directory (Count, Entries); an unreadable archive leaves them empty.
    // The archive stays open for the next Extract, which then reads no directory again.
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
    const std::vector<ZipEntry>& Entries() const { return entries_; }

    // Unpacks every entry; returns the number of files written. Refused entries are told in one
    // message per kind of problem.
    int Extract();
    // Messages of the last Extract, shown or not.
    const std::vector<ZipMessage>& Messages() const { return messages_; }

private:
    struct Open;
    // Opens the archive and reads its directory; false when it is missing or unreadable.
    bool OpenArchive();
    // Whether the entry may be written (else reported); `stop` when nothing after it may be either.
    bool Admit(const ZipEntry& entry, const std::wstring& name, std::uint64_t total, bool& stop, ZipReport& report);
    // Writes one entry; false when it was not written (reported, or kept as an existing file).
    bool WriteEntry(ZipReader& reader, const ZipEntry& entry, const std::wstring& path, ZipReport& report);
    void Message(int number, const std::wstring& text);

    std::unique_ptr<Open> open_;
    std::wstring zipFileName_;
    std::wstring dllDirectory_;
    std::vector<ZipEntry> entries_;
    std::vector<ZipMessage> messages_;
};
