#include "update/run_files.h"

#include <array>
#include <vector>

#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "platform/win_error.h"
#include "update/install_mark.h"
#include "update/run_folder.h"
#include "update/update_batch.h"
#include "update/update_settings.h"

namespace {

const wchar_t* const kMissingArchive =
    L"Die Installationsdateien wurden nicht gefunden. Klicken Sie auf \"Abbrechen\" und versuchen Sie es später noch "
    L"einmal.";
const wchar_t* const kNotUnpacked =
    L"Die Update-Dateien konnten nicht vollständig entpackt werden. Es wird nichts installiert; das Programm bleibt "
    L"unverändert.";

std::wstring Quoted(const std::wstring& text) { return L"„" + text + L"“"; }

std::wstring SystemFolder() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) ThrowLastError();
    return WithTrailingBackslash(system);
}

// The text in the given code page, and whether it converts back to the same text.
std::string OemText(const std::wstring& text, UINT codePage, bool& exact) {
    exact = false;
    if (text.empty()) {
        exact = true;
        return {};
    }
    // UTF-8 takes neither flags nor a default character: it can write every text.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const defaultSeen = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, defaultSeen);
    if (size <= 0) return {};
    std::string oem(size, '\0');
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), oem.data(), size, nullptr,
                        defaultSeen);
    std::wstring back(MultiByteToWideChar(codePage, 0, oem.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(codePage, 0, oem.data(), size, back.data(), static_cast<int>(back.size()));
    exact = !usedDefault && back == text;
    return oem;
}

std::wstring ProfileString(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                           const wchar_t* fallback) {
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        const DWORD got = GetPrivateProfileStringW(section.c_str(), key, fallback, buffer.data(),
                                                   static_cast<DWORD>(buffer.size()), file.c_str());
        if (got + 2 < buffer.size()) return std::wstring(buffer.data(), got);
        buffer.resize(buffer.size() * 4);
    }
}

// A value as it stands in the file: the profile functions drop a pair of quotes around a whole
// value, which would join the first and last entries of a quoted comma text.
std::wstring RawProfileValue(const std::wstring& file, const std::wstring& section, const wchar_t* key,
                             const wchar_t* fallback) {
    std::vector<wchar_t> buffer(4096);
    DWORD got = 0;
    for (;;) {
        got = GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
        if (got + 2 < buffer.size()) break;
        buffer.resize(buffer.size() * 4);
    }
    const std::size_t keyLength = wcslen(key);
    for (const wchar_t* line = buffer.data(); *line; line += wcslen(line) + 1) {
        const wchar_t* equals = wcschr(line, L'=');
        if (!equals) continue;
        std::wstring name(line, equals);
        while (!name.empty() && name.back() == L' ') name.pop_back();
        if (name.size() == keyLength && lstrcmpiW(name.c_str(), key) == 0) {
            std::wstring value = equals + 1;
            while (!value.empty() && value.front() == L' ') value.erase(0, 1);
            return value;
        }
    }
    return fallback;
}

bool HasSection(const std::wstring& file, const std::wstring& section) {
    std::vector<wchar_t> buffer(4096);
    DWORD got = 0;
    for (;;) {
        got = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
        if (got + 2 < buffer.size()) break;
        buffer.resize(buffer.size() * 4);
    }
    for (const wchar_t* name = buffer.data(); *name; name += wcslen(name) + 1)
        if (lstrcmpiW(name, section.c_str()) == 0) return true;
    return false;
}

}  // namespace

std::wstring RunFiles::NewRunFolder() {
    folder_ = MakeRunFolder();
    return folder_;
}

std::wstring RunFiles::NewListFile() {
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(folder_.c_str(), L"$", 0, name)) ThrowLastError();
    return name;
}

UpdateList RunFiles::ReadList(const std::wstring& listFile, const std::wstring& signatureFile) {
    UpdateList list;
    list.confirmed = CheckFileSignature(listFile, signatureFile, settings_.key) == SignatureCheck::Valid;
    if (!list.confirmed) return list;
    const std::wstring& section = settings_.programName;
    list.hasSection = HasSection(listFile, section);
    list.date = ParseShortDate(ProfileString(listFile, section, L"Date", L""));
    list.binding = ParseArchiveBinding(ProfileString(listFile, section, L"Size", L""),
                                       ProfileString(listFile, section, L"SHA256", L""));
    list.archiveName = ProfileString(listFile, section, L"File", L"");
    list.news = NewsListText(
        SplitCommaText(RawProfileValue(listFile, section, L"News", L"\"keine Angaben gefunden\"")),
        settings_.programDate);
    return list;
}

bool RunFiles::ConfirmArchive(const std::wstring& archive, const std::wstring& signature,
                              const ArchiveBinding& binding) {
    // From here until it is unpacked, nobody can write the archive.
    archiveGuard_.Reset(NullIfInvalid(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    LARGE_INTEGER size{};
    std::array<std::uint8_t, 32> digest{};
    const bool confirmed = archiveGuard_ && GetFileSizeEx(archiveGuard_.Get(), &size) &&
                           static_cast<std::uint64_t>(size.QuadPart) == binding.size &&
                           FileSha256(archiveGuard_.Get(), digest) && digest == binding.sha256 &&
                           CheckDigestSignature(digest, signature, settings_.key) == SignatureCheck::Valid;
    if (!confirmed) archiveGuard_.Reset();
    return confirmed;
}

void RunFiles::Discard(const std::wstring& file) { DeleteFileW(file.c_str()); }

std::string RunFiles::OemFolderName(const std::wstring& path) const {
    const UINT codePage = settings_.oemCodePage ? settings_.oemCodePage : GetOEMCP();
    bool exact = false;
    std::string oem = OemText(path, codePage, exact);
    if (exact) return oem;
    // The command interpreter reads the batch in the OEM code page; the short name is plain.
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortName.data(), MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        shortName.resize(length);
        oem = OemText(shortName, codePage, exact);
        if (exact) return oem;
    }
    throw PlatformError(L"Der Ordner " + Quoted(path) +
                        L" hat einen Namen, den die Eingabeaufforderung nicht darstellen kann, und keinen kurzen "
                        L"Ersatznamen. Das Update wird nicht installiert.");
}

std::optional<std::wstring> RunFiles::PrepareInstall(const std::wstring& archive, bool restart) {
    if (!archiveGuard_ || !FileExists(archive)) {
        archiveGuard_.Reset();
        DeleteFileW(archive.c_str());
        return std::wstring(kMissingArchive);
    }
    const std::wstring programFolder = FolderPart(settings_.programFile);
    zip_.SetDLLDirectory(programFolder);
    zip_.SetZipFileName(archive);
    zip_.ExtrBaseDir = folder_;
    const int written = zip_.Extract();
    archiveGuard_.Reset();
    int files = 0;
    for (const ZipEntry& entry : zip_.Entries())
        if (!(entry.IsFolder() && entry.Size == 0 && !entry.NameTooLong)) ++files;
    // Every file whole, or nothing: a batch that replaced some files would leave a broken program.
    if (written != files || !zip_.Messages().empty()) {
        std::wstring message = kNotUnpacked;
        for (const ZipMessage& m : zip_.Messages()) message += L"\r\n\r\n" + m.Text;
        DeleteFileW(archive.c_str());
        return message;
    }

    const std::wstring batchFile = folder_ + L"Update.bat";
    std::vector<std::string> batch;
    try {
        const std::vector<std::string> lines = SplitLines(ReadWholeFile(batchFile));
        const std::wstring mark = InstallMarkPath(folder_);
        if (mark.empty()) ThrowLastError();
        BatchSettings batchSettings{settings_.batchWaitSeconds, OemFolderName(FolderPart(mark)) + "Update-" +
                                                                    Utf8FromWide(mark.substr(mark.rfind(L"Update-") + 7)),
                                    OemFolderName(SystemFolder()), {}};
        std::optional<std::string> restartLine;
        // An administrator's batch would start the program as the administrator: it is not restarted.
        if (restart && !needsAdministrator_) restartLine = OemFolderName(settings_.programFile);
        if (needsAdministrator_) {
            programLock_.Reset(NullIfInvalid(CreateFileW((folder_ + L"Programm.lock").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                         nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
            if (!programLock_) ThrowLastError();
            batchSettings.lockFile = OemFolderName(folder_) + "Programm.lock";
        }
        batch = BuildUpdateBatch(lines, OemFolderName(programFolder), OemFolderName(folder_), restartLine, batchSettings);
    } catch (const BatchTemplateError& error) {
        return L"Die Installationsvorlage „Update.bat“ ist in Zeile " + std::to_wstring(error.Line()) +
               L" fehlerhaft. Das Update wird nicht installiert.";
    } catch (const PlatformError& error) {
        return error.Message();
    }
    const std::string text = JoinLines(batch);
    // Written new through a handle nobody else may share; the folder admits no other account.
    DeleteFileW(batchFile.c_str());
    FileHandle out(NullIfInvalid(CreateFileW(batchFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)));
    DWORD written32 = 0;
    if (!out || !WriteFile(out.Get(), text.data(), static_cast<DWORD>(text.size()), &written32, nullptr) ||
        written32 != text.size()) {
        const DWORD error = GetLastError();
        out.Reset();
        DeleteFileW(batchFile.c_str());
        return kNotUnpacked + (L"\r\n\r\n" + SystemMessage(error));
    }
    out.Reset();
    DeleteFileW(archive.c_str());
    bool held = false;
    try {
        held = !needsAdministrator_ || HoldRunFiles(text);
    } catch (const PlatformError&) {
    }
    if (!held) {
        heldFiles_.clear();
        return std::wstring(kNotUnpacked);
    }
    return std::nullopt;
}

bool RunFiles::HoldRunFiles(const std::string& batch) {
    // Only plain files, none open for writing elsewhere, and the batch as it was written.
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool plain = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) plain = false;
        if (!plain || name == L"Programm.lock") continue;
        heldFiles_.emplace_back(NullIfInvalid(CreateFileW((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
        plain = heldFiles_.back() && (lstrcmpiW(name.c_str(), L"Update.bat") != 0 ||
                                      ReadWholeFile(folder_ + name) == batch);
    } while (plain && FindNextFileW(search, &found));
    FindClose(search);
    return plain;
}

bool RunFiles::NeedsAdministrator() {
    // Whether this user may write the program's folder: a probe file made and removed again.
    const std::wstring probe = FolderPart(settings_.programFile) + L"Zeigerwerk-Schreibprobe.tmp";
    FileHandle file(NullIfInvalid(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
    needsAdministrator_ = !file && GetLastError() != ERROR_FILE_EXISTS;
    return needsAdministrator_;
}

bool RunFiles::CanBecomeAdministrator() {
    // A split token (an administrator's restricted one) or an administrator's own can always be
    // raised. A plain user's only by an administrator's credentials, which Windows does not ask
    // for when its prompt is off for standard users, or user account control is off altogether.
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
    const FileHandle token(raw);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (GetTokenInformation(token.Get(), TokenElevationType, &type, sizeof type, &size) &&
        type != TokenElevationTypeDefault)
        return true;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    BOOL member = FALSE;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) &&
        CheckTokenMembership(nullptr, sid, &member) && member)
        return true;
    const auto policy = RegistryKey::Open(HKEY_LOCAL_MACHINE,
                                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", KEY_QUERY_VALUE);
    if (!policy) return true;
    const auto lua = policy->GetInteger(L"EnableLUA"), prompt = policy->GetInteger(L"ConsentPromptBehaviorUser");
    return !(lua && *lua == 0) && !(prompt && *prompt == 0);
}

void RunFiles::EndRun(bool installPrepared) {
    archiveGuard_.Reset();
    // A run that prepared nothing leaves nothing behind; a prepared one keeps its batch and files.
    if (!installPrepared) programLock_.Reset(), heldFiles_.clear();
    if (!installPrepared && !folder_.empty()) RemoveRunFolder(folder_);
}

void RunFiles::ScheduleNextReminder(double today) {
    ::RegistryKey key = OpenUpdateSettings(settings_.hkcu, settings_.registryKey);
    WriteNextDueDate(key, NextDueDate(today, EffectiveInterval(ReadInterval(key))));
}
