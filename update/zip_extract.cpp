#include "update/zip_extract.h"

#include <cerrno>
#include <cwctype>

namespace {

std::wstring Quoted(const std::wstring& text) { return L"„" + text + L"“"; }

bool IsDeviceName(const std::wstring& name) {
    // Windows opens the device for these names whatever extension follows.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kFixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kFixed)
        if (stem == device) return true;
    if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0)) {
        wchar_t digit = stem[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    }
    return false;
}

}  // namespace

std::wstring SafeEntryFileName(const TZipEntry& entry) {
    if (!entry.NameValid) return {};
    const std::wstring& full = entry.Name;
    std::size_t slash = full.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? full : full.substr(slash + 1);
    if (name.empty() || name == L"." || name == L"..") return {};
    for (wchar_t c : name)
        if (c < 0x20 || c == 0x7F || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) return {};
    // Windows drops a trailing dot or blank, so such a name would write another file than it says.
    if (name.back() == L'.' || name.back() == L' ') return {};
    if (IsDeviceName(name)) return {};
    return name;
}

void TZipArchive::SetZipFileName(const std::wstring& path) {
    zipFileName_ = path;
    entries_.clear();
    fileio::TFileReader file;
    int error = 0;
    if (!file.Open(path, error)) return;
    TFileZipSource source(file);
    TZipReader reader(source);
    if (reader.ReadDirectory() == TZipDirectoryResult::Ok) entries_ = reader.Entries();
}

void TZipArchive::SetDLLDirectory(const std::wstring& folder) {
    dllDirectory_ = folder;
    if (!dllDirectory_.empty() && dllDirectory_.back() == L'\\') dllDirectory_.pop_back();
}

void TZipArchive::Message(int number, const std::wstring& text) {
    messages_.push_back({number, text});
    if (!Unattended && OnMessage) OnMessage(number, text);
}

int TZipArchive::Extract() {
    messages_.clear();
    fileio::TFileReader file;
    int error = 0;
    if (!fileio::FileExists(zipFileName_) || !file.Open(zipFileName_, error)) {
        Message(zmArchiveNotFound, L"Die Archivdatei " + Quoted(zipFileName_) + L" wurde nicht gefunden.");
        return 0;
    }
    TFileZipSource source(file);
    TZipReader reader(source);
    if (reader.ReadDirectory() != TZipDirectoryResult::Ok) {
        Message(zmArchiveDamaged, L"Das Archiv " + Quoted(zipFileName_) +
                                      L" ist beschädigt, unvollständig oder hat ein nicht unterstütztes Format. "
                                      L"Es wurde nichts entpackt.");
        return 0;
    }
    entries_ = reader.Entries();
    std::wstring folder = fileio::DirectoryExists(ExtrBaseDir) ? ExtrBaseDir : fileio::CurrentDirectory();

    int written = 0;
    std::uint64_t total = 0;
    for (const TZipEntry& entry : reader.Entries()) {
        const std::wstring shown = Quoted(entry.Name);
        if (entry.IsFolder() && entry.Size == 0) continue;  // folder names are not kept
        std::wstring name = SafeEntryFileName(entry);
        if (name.empty()) {
            Message(zmNameRefused, L"Der Eintrag " + shown + L" hat einen unzulässigen Dateinamen und wurde nicht entpackt.");
            continue;
        }
        if (entry.Encrypted()) {
            Message(zmEncrypted, L"Der Eintrag " + shown + L" ist verschlüsselt und wurde nicht entpackt.");
            continue;
        }
        if (entry.Method != 0 && entry.Method != 8) {
            Message(zmUnknownMethod, L"Der Eintrag " + shown +
                                         L" ist mit einem nicht unterstützten Verfahren gepackt und wurde nicht entpackt.");
            continue;
        }
        std::uint64_t packed = entry.CompressedSize > 0 ? entry.CompressedSize : 1;
        if (entry.Size > kMaxRatio * packed) {
            Message(zmRatioTooHigh, L"Der Eintrag " + shown +
                                        L" würde sich auf mehr als das Tausendfache entpacken. "
                                        L"Das Entpacken wurde abgebrochen.");
            break;
        }
        if (total > MaxTotalSize || entry.Size > MaxTotalSize - total) {
            Message(zmTotalTooLarge, L"Das Archiv " + Quoted(zipFileName_) +
                                         L" würde mehr als 1 GiB entpacken. Das Entpacken wurde abgebrochen.");
            break;
        }

        std::wstring path = fileio::JoinPath(folder, name);
        fileio::TFileWriter out;
        if (!out.Open(path, fileio::TFileWriter::Mode::CreateNew, error)) {
            if (error == EEXIST) continue;  // an existing file is kept, the archive's copy skipped
            Message(zmWriteFailed, L"Die Datei " + Quoted(path) + L" konnte nicht angelegt werden: " +
                                       WideFromUtf8(fileio::ErrnoText(error)));
            continue;
        }
        int writeError = 0;
        TZipEntryResult result = reader.ExtractTo(entry, [&](const char* data, std::size_t size) {
            return out.Write(data, size, writeError);
        });
        if (result == TZipEntryResult::Ok && !out.Close(writeError)) result = TZipEntryResult::SinkFailed;
        if (result != TZipEntryResult::Ok) {
            out.Discard();
            switch (result) {
                case TZipEntryResult::CrcMismatch:
                    Message(zmCrcMismatch, L"Der Eintrag " + shown +
                                               L" ist beschädigt (falsche Prüfsumme); die Datei wurde wieder entfernt.");
                    break;
                case TZipEntryResult::SizeMismatch:
                    Message(zmSizeMismatch, L"Die Größenangaben des Eintrags " + shown +
                                                L" stimmen nicht; die Datei wurde wieder entfernt.");
                    break;
                case TZipEntryResult::SinkFailed:
                    Message(zmWriteFailed, L"Die Datei " + Quoted(path) + L" konnte nicht geschrieben werden: " +
                                               WideFromUtf8(fileio::ErrnoText(writeError)));
                    break;
                default:
                    Message(zmDataDamaged, L"Die Daten des Eintrags " + shown +
                                               L" sind beschädigt oder unvollständig; die Datei wurde wieder entfernt.");
                    break;
            }
            continue;
        }
        total += entry.Size;
        ++written;
    }
    return written;
}
