#include "update/zip_extract.h"

#include <algorithm>
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
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    }
    return false;
}

}  // namespace

std::wstring SafeEntryFileName(const ZipEntry& entry) {
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

void ZipReport::Add(int number, const std::wstring& item, const std::wstring& single) {
    auto group = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.number == number; });
    if (group == groups_.end()) group = groups_.insert(groups_.end(), Group{number, single, {}, 0});
    if (group->items.size() < kNamesShown) group->items.push_back(item);
    ++group->count;
}

std::vector<ZipMessage> ZipReport::Messages() const {
    std::vector<ZipMessage> messages;
    for (const Group& g : groups_) {
        if (g.count == 1) {
            messages.push_back({g.number, g.single});
            continue;
        }
        std::wstring n = std::to_wstring(g.count);
        std::wstring text;
        switch (g.number) {
            case zmNameRefused:
                text = n + L" Einträge haben einen unzulässigen Dateinamen und wurden nicht entpackt";
                break;
            case zmEncrypted: text = n + L" Einträge sind verschlüsselt und wurden nicht entpackt"; break;
            case zmUnknownMethod:
                text = n + L" Einträge sind mit einem nicht unterstützten Verfahren gepackt und wurden nicht entpackt";
                break;
            case zmCrcMismatch:
                text = n + L" Einträge sind beschädigt (falsche Prüfsumme); die Dateien wurden wieder entfernt";
                break;
            case zmSizeMismatch:
                text = L"Die Größenangaben von " + n + L" Einträgen stimmen nicht; die Dateien wurden wieder entfernt";
                break;
            case zmWriteFailed: text = n + L" Dateien konnten nicht angelegt oder geschrieben werden"; break;
            default:
                text = L"Die Daten von " + n +
                       L" Einträgen sind beschädigt oder unvollständig; die Dateien wurden wieder entfernt";
                break;
        }
        text += L": ";
        for (std::size_t i = 0; i < g.items.size(); ++i) text += (i ? L", " : L"") + g.items[i];
        if (g.count > g.items.size()) text += L" und " + std::to_wstring(g.count - g.items.size()) + L" weitere";
        text += L".";
        messages.push_back({g.number, text});
    }
    return messages;
}

struct ZipArchive::Open {
    fileio::FileReader file;
    FileZipSource source{file};
    ZipReader reader{source};
    ZipDirectoryResult directory = ZipDirectoryResult::NotAnArchive;
};

ZipArchive::ZipArchive() = default;
ZipArchive::~ZipArchive() = default;
ZipArchive::ZipArchive(ZipArchive&&) noexcept = default;
ZipArchive& ZipArchive::operator=(ZipArchive&&) noexcept = default;

void ZipArchive::SetZipFileName(const std::wstring& path) {
    zipFileName_ = path;
    OpenArchive();
}

bool ZipArchive::OpenArchive() {
    entries_.clear();
    open_ = std::make_unique<Open>();
    int error = 0;
    if (!open_->file.Open(zipFileName_, error)) {
        open_.reset();
        return false;
    }
    open_->directory = open_->reader.ReadDirectory();
    entries_ = open_->reader.TakeEntries();
    return true;
}

void ZipArchive::SetDLLDirectory(const std::wstring& folder) {
    dllDirectory_ = folder;
    if (!dllDirectory_.empty() && dllDirectory_.back() == L'\\') dllDirectory_.pop_back();
}

void ZipArchive::Message(int number, const std::wstring& text) {
    messages_.push_back({number, text});
    if (!Unattended && OnMessage) OnMessage(number, text);
}

int ZipArchive::Extract() {
    messages_.clear();
    // The directory read when the name was set serves this extraction; a later one reads it anew.
    std::unique_ptr<Open> archive = std::move(open_);
    if (!fileio::FileExists(zipFileName_) || (!archive && !OpenArchive())) {
        Message(zmArchiveNotFound, L"Die Archivdatei " + Quoted(zipFileName_) + L" wurde nicht gefunden.");
        return 0;
    }
    if (!archive) archive = std::move(open_);
    if (archive->directory != ZipDirectoryResult::Ok) {
        Message(zmArchiveDamaged, L"Das Archiv " + Quoted(zipFileName_) +
                                      L" ist beschädigt, unvollständig oder hat ein nicht unterstütztes Format. "
                                      L"Es wurde nichts entpackt.");
        return 0;
    }
    std::wstring folder = fileio::DirectoryExists(ExtrBaseDir) ? ExtrBaseDir : fileio::CurrentDirectory();

    ZipReport report;
    int written = 0;
    std::uint64_t total = 0;
    ZipReader& reader = archive->reader;
    for (const ZipEntry& entry : entries_) {
        if (entry.IsFolder() && entry.Size == 0 && !entry.NameTooLong) continue;  // folder names are not kept
        std::wstring name = SafeEntryFileName(entry);
        bool stop = false;
        if (!Admit(entry, name, total, stop, report)) {
            if (stop) break;
            continue;
        }
        if (!WriteEntry(reader, entry, fileio::JoinPath(folder, name), report)) continue;
        total += entry.Size;
        ++written;
    }
    for (const ZipMessage& m : report.Messages()) Message(m.Number, m.Text);
    return written;
}

bool ZipArchive::Admit(const ZipEntry& entry, const std::wstring& name, std::uint64_t total, bool& stop,
                        ZipReport& report) {
    const std::wstring shown = Quoted(entry.Name);
    if (name.empty()) {
        report.Add(zmNameRefused, shown,
                   L"Der Eintrag " + shown + L" hat einen unzulässigen Dateinamen und wurde nicht entpackt.");
        return false;
    }
    if (entry.Encrypted()) {
        report.Add(zmEncrypted, shown, L"Der Eintrag " + shown + L" ist verschlüsselt und wurde nicht entpackt.");
        return false;
    }
    if (entry.Method != 0 && entry.Method != 8) {
        report.Add(zmUnknownMethod, shown,
                   L"Der Eintrag " + shown +
                       L" ist mit einem nicht unterstützten Verfahren gepackt und wurde nicht entpackt.");
        return false;
    }
    std::uint64_t packed = entry.CompressedSize > 0 ? entry.CompressedSize : 1;
    stop = true;
    if (entry.Size > kMaxRatio * packed) {
        report.Add(zmRatioTooHigh, shown,
                   L"Der Eintrag " + shown +
                       L" würde sich auf mehr als das Tausendfache entpacken. Das Entpacken wurde abgebrochen.");
        return false;
    }
    if (total > MaxTotalSize || entry.Size > MaxTotalSize - total) {
        report.Add(zmTotalTooLarge, Quoted(zipFileName_),
                   L"Das Archiv " + Quoted(zipFileName_) +
                       L" würde mehr als 1 GiB entpacken. Das Entpacken wurde abgebrochen.");
        return false;
    }
    stop = false;
    return true;
}

bool ZipArchive::WriteEntry(ZipReader& reader, const ZipEntry& entry, const std::wstring& path,
                             ZipReport& report) {
    const std::wstring shown = Quoted(entry.Name);
    fileio::FileWriter out;
    int error = 0;
    if (!out.Open(path, fileio::FileWriter::Mode::CreateNew, error)) {
        if (error == EEXIST) return false;  // an existing file is kept, the archive's copy skipped
        std::wstring reason = WideFromUtf8(fileio::ErrnoText(error));
        report.Add(zmWriteFailed, Quoted(path) + L" (" + reason + L")",
                   L"Die Datei " + Quoted(path) + L" konnte nicht angelegt werden: " + reason);
        return false;
    }
    int writeError = 0;
    ZipEntryResult result = reader.ExtractTo(entry, [&](const char* data, std::size_t size) {
        return out.Write(data, size, writeError);
    });
    if (result == ZipEntryResult::Ok && !out.Close(writeError)) result = ZipEntryResult::SinkFailed;
    if (result == ZipEntryResult::Ok) {
        // The file keeps the archive's date, which the next update's date rule compares with.
        fileio::SetDosModifiedTime(path, entry.DosDate, entry.DosTime);
        return true;
    }
    out.Discard();
    switch (result) {
        case ZipEntryResult::CrcMismatch:
            report.Add(zmCrcMismatch, shown,
                       L"Der Eintrag " + shown + L" ist beschädigt (falsche Prüfsumme); die Datei wurde wieder entfernt.");
            break;
        case ZipEntryResult::SizeMismatch:
            report.Add(zmSizeMismatch, shown,
                       L"Die Größenangaben des Eintrags " + shown + L" stimmen nicht; die Datei wurde wieder entfernt.");
            break;
        case ZipEntryResult::SinkFailed: {
            std::wstring reason = WideFromUtf8(fileio::ErrnoText(writeError));
            report.Add(zmWriteFailed, Quoted(path) + L" (" + reason + L")",
                       L"Die Datei " + Quoted(path) + L" konnte nicht geschrieben werden: " + reason);
            break;
        }
        default:
            report.Add(zmDataDamaged, shown,
                       L"Die Daten des Eintrags " + shown +
                           L" sind beschädigt oder unvollständig; die Datei wurde wieder entfernt.");
            break;
    }
    return false;
}
