// The steps of the update wizard: the check, the download, the installation and the work at the
// end of the process.
#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/system_library.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_open.h"
#include "platform/win_error.h"
#include "update/status_form.h"
#include "update/update_file.h"
#include "update/zip_message_box.h"

namespace {

const wchar_t* const kNoUpdates =
    L"Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf \"Beenden\", um den Assistenten zu verlassen.";
const wchar_t* const kUpdatesAvailable =
    L"Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende Probleme bzw. stellen folgende "
    L"neue Funktionen zur Verfügung:\r\n%s\r\n\r\nKlicken Sie auf \"Weiter\", um die Updates jetzt herunterzuladen.";
const wchar_t* const kIncompleteDownload =
    L"Der Download wurde nicht vollendet.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download erneut zu "
    L"starten.\r\nKlicken Sie auf \"Abbrechen\", um den Assistenten zu beenden.";
const wchar_t* const kCompletedDownload =
    L"Die Update-Dateien wurden erfolgreich heruntergeladen. Klicken Sie auf \"Weiter\", um die Updates zu "
    L"installieren.";
const wchar_t* const kMissingArchive =
    L"Die Installationsdateien wurden nicht gefunden. Klicken Sie auf \"Abbrechen\" und versuchen Sie es später noch "
    L"einmal.";
const wchar_t* const kDownloadText =
    L"Die Updates werden jetzt heruntergeladen. Bitten warten Sie, bis der Download abgeschlossen ist, oder klicken "
    L"Sie auf \"Download abbrechen\", wenn Sie die Updates zu einer anderen Zeit herunterladen wollen.";
const wchar_t* const kInstallText =
    L"Das Update kann jetzt installiert werden.\r\nKlicken Sie auf \"Weiter\", um den Vorgang fortzusetzen und die "
    L"Installation durchzuführen.\r\n\r\nAktivieren Sie das Kontrollfeld \"Programm automatisch neu starten\", um "
    L"die Anwendung nach der Installation sofort neu zu starten.";
const wchar_t* const kListNotConfirmed =
    L"Die Update-Informationen des Servers konnten nicht bestätigt werden. Es wird nichts installiert.";
const wchar_t* const kArchiveNotConfirmed =
    L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden und wurden gelöscht. Es wird nichts "
    L"installiert.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download erneut zu starten.\r\nKlicken Sie auf "
    L"\"Abbrechen\", um den Assistenten zu beenden.";

double TimeOfDay() {
    const double now = UpdateNow();
    return now - DatePart(now);
}

std::wstring Quoted(const std::wstring& text) { return L"„" + text + L"“"; }

// A folder of our own below the system's temporary folder, made new: nothing in it predates this run.
std::wstring MakeRunFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, base);
    if (length == 0 || length > MAX_PATH) ThrowLastError();
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[4] = {};
        static const auto generateRandom =
            SystemFunction<decltype(&::BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
        // Without it the names are tried in order: each folder is still made new.
        if (!generateRandom || generateRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0)
            std::memcpy(random, &attempt, sizeof random);
        wchar_t name[32];
        swprintf(name, 32, L"ZwUpdate-%02X%02X%02X%02X", random[0], random[1], random[2], random[3]);
        const std::wstring folder = WithTrailingBackslash(base) + name + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError();
    }
    ThrowError(ERROR_ALREADY_EXISTS);
}

void RemoveRunFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    FindHandle search(NullIfInvalid(FindFirstFileW((folder + L"*").c_str(), &found)));
    if (search) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveRunFolder(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search.Get(), &found));
    }
    search.Reset();
    RemoveDirectoryW(folder.c_str());
}

// The text in the OEM code page, and whether it converts back to the same text.
std::string OemText(const std::wstring& text, bool& exact) {
    exact = false;
    if (text.empty()) {
        exact = true;
        return {};
    }
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &usedDefault);
    if (size <= 0) return {};
    std::string oem(size, '\0');
    WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), oem.data(), size,
                        nullptr, &usedDefault);
    std::wstring back(MultiByteToWideChar(CP_OEMCP, 0, oem.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_OEMCP, 0, oem.data(), size, back.data(), static_cast<int>(back.size()));
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

std::wstring TStatusForm::Url(const std::wstring& path) const {
    return L"http://" + WideFromUtf8(Server.host) + L":" + std::to_wstring(Server.port) + path;
}

std::wstring TStatusForm::ListValue(const wchar_t* name, const wchar_t* fallback) const {
    return ProfileString(listFile_, ProgramName, name, fallback);
}

void TStatusForm::FormShow() {
    tempFolder_ = MakeRunFolder();
    listFile_.clear();
    PerCent.SetFont(static_cast<HFONT>(percentBoldFont_.Get()));
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    SetWindowPos(Handle(), nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    step_ = 0;
    ShowPage(Bestaetigung1);
    ShowStandardButtons(true);
    Button_Settings.SetVisible(true);
    Button_Cancel.SetEnabled(true);
    Button_Next.SetEnabled(true);
    Button_Next.SetText(L"Weiter >");
    installPrepared_ = updatesAvailable_ = cancelRequested_ = downloadFailed_ = false;
    noUpdatesFinished_ = closeAfterDownload_ = false;
    SetTitle(kTitles[0]);
    // What an earlier showing left on its pages.
    Label_Download.SetText(kDownloadText);
    CancelDownload.SetText(L"Download ab&brechen");
    ShowCancelDownload(true);
    SendMessageW(Status.Handle(), PBM_SETRANGE32, 0, 100);
    SendMessageW(Status.Handle(), PBM_SETPOS, 0, 0);
    for (Label* label : {&PerCent, &StatusLabel, &TimeLeft}) label->SetText(L"");
    Label3.SetText(kInstallText);
    SendMessageW(Image_Icon2.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon2_.Get()), 0);
    HTTP.Host = Server.host;
    HTTP.Port = 21;
    HTTP.TimeOut = 10000;
    HTTP.Body = L"Default.htm";
    HTTP.Header = L"Head.txt";
    HTTP.InputFileMode = true;
    HTTP.OutputFileMode = false;
    HTTP.ProxyPort = 0;
    HTTP.OnFailure = [this](int command) { HTTPFailure(command); };
    HTTP.OnConnectionFailed = [this] { HTTPConnectionFailed(); };
    HTTP.ProcessMessages = [this] { PumpMessages(); };
    ShowZipMessagesInBoxes(Zip, Handle());
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TStatusForm::Button_NextClick() {
    ++step_;
    bool installFailed = false;
    switch (step_) {
        case 1: Button_Next.SetEnabled(false); break;
        case 2:
            if (updatesAvailable_) {
                const std::wstring news = NewsListText(
                    SplitCommaText(RawProfileValue(listFile_, ProgramName, L"News", L"\"keine Angaben gefunden\"")),
                    ProgramDate);
                std::wstring text = kUpdatesAvailable;
                text.replace(text.find(L"%s"), 2, news);
                Label_CheckResult.SetText(text);
            } else {
                Button_Next.SetText(L"Beenden");
                Button_Cancel.SetEnabled(false);
                Label_CheckResult.SetText(kNoUpdates);
            }
            Button_Next.SetEnabled(true);
            break;
        case 3:
            if (!updatesAvailable_) {
                noUpdatesFinished_ = true;
                Close();
            }
            break;
        case 5: installFailed = !(InstallStep(), installPrepared_); break;
        case 6:
            OnTerminate();
            modalResult_ = IDOK;
            PostMessageW(Handle(), WM_NULL, 0, 0);
            return;
        default: break;
    }
    if (step_ >= 1 && step_ <= 5 && !installFailed && page_ != Einstellungen) {
        ShowPage(step_);
        SetTitle(kTitles[step_]);
    }
    KeepFocusOn(step_ == 1 ? Button_Check : Button_Next.Enabled() ? Button_Next : Button_Cancel);
    InvalidateRect(Handle(), nullptr, FALSE);
    if (step_ == 3 && updatesAvailable_) RunDownload();
}

TStatusForm::Fetched TStatusForm::Fetch(const std::wstring& path, const std::wstring& file) {
    httpStatusFailed_ = false;
    bool failed = false;
    try {
        HTTP.Body = file;
        HTTP.Get(Url(path));
    } catch (const std::exception&) {
        failed = true;
    }
    if (quitSeen_) {
        quitSeen_ = false;
        PostQuitMessage(0);
    }
    if (!failed && !httpStatusFailed_) return Fetched::Ok;
    DeleteFileW(file.c_str());  // an error page or a partial body is no copy of the file
    return failed ? Fetched::Failed : Fetched::HttpError;
}

void TStatusForm::Button_CheckClick() {
    bool connected = InternetConnected();
    bool confirmed = true;
    if (connected) {
        updatesAvailable_ = true;
        wchar_t name[MAX_PATH] = {};
        if (!GetTempFileNameW(tempFolder_.c_str(), L"$", 0, name)) ThrowLastError();
        listFile_ = name;
        const std::wstring signature = listFile_ + L".sig";
        const Fetched list = Fetch(L"/Updates.ini", listFile_);
        const Fetched sig = list == Fetched::Ok ? Fetch(L"/Updates.ini.sig", signature) : Fetched::Failed;
        connected = list == Fetched::Ok && sig != Fetched::Failed;
        if (connected) {
            confirmed = sig == Fetched::Ok && CheckFileSignature(listFile_, signature, Key) == SignatureCheck::Valid;
            DeleteFileW(signature.c_str());
            if (!confirmed) DeleteFileW(listFile_.c_str());
        }
        if (connected && confirmed) {
            const std::optional<double> date = ParseShortDate(ListValue(L"Date", L""));
            updatesAvailable_ =
                ::UpdatesAvailable(HasSection(listFile_, ProgramName), date ? *date : UpdateToday(), ProgramDate);
            Button_NextClick();
            return;
        }
    }
    updatesAvailable_ = false;
    if (!connected)
        ShowBox(Handle(), L"Es besteht keine Internetverbindung.", L"Internetverbindung erforderlich",
                BoxKind::Warning, BoxButtons::Ok);
    else
        ShowBox(Handle(), kListNotConfirmed, L"Updates installieren", BoxKind::Warning, BoxButtons::Ok);
}

void TStatusForm::HTTPFailure(int command) {
    httpStatusFailed_ = true;
    if (command == THttpClient::kGetCommand) updatesAvailable_ = false;
}

void TStatusForm::HTTPConnectionFailed() { updatesAvailable_ = false; }

void TStatusForm::RunDownload() {
    Button_Next.SetEnabled(false);
    CancelDownload.SetText(L"Download ab&brechen");
    ShowCancelDownload(true);
    KeepFocusOn(CancelDownload);
    Label_Download.SetText(kDownloadText);
    // From here on a click on the button is a cancel, also while the waiting messages run.
    downloading_ = true;
    PumpMessages();

    downloadStart_ = TimeOfDay();
    lastRefresh_ = 0;
    HTTP.OnPacketRecvd = [this] { OnUpdateTimer(); };
    const std::wstring archive = tempFolder_ + ZIPFileName;
    const std::wstring signature = archive + L".sig";
    const std::wstring file = ListValue(L"File", L"");
    bool failed = !IsPlainArchiveName(file) || Fetch(L"/Updates/" + file, archive) != Fetched::Ok || downloadFailed_;
    RefreshProgress();
    HTTP.OnPacketRecvd = nullptr;
    bool confirmed = true;
    if (!failed) {
        const Fetched sig = Fetch(L"/Updates/" + file + L".sig", signature);
        failed = sig == Fetched::Failed || cancelRequested_;
        confirmed = sig == Fetched::Ok && CheckFileSignature(archive, signature, Key) == SignatureCheck::Valid;
    }
    downloading_ = false;
    if (failed || !confirmed) {
        DeleteFileW(archive.c_str());
        DeleteFileW(signature.c_str());
    }
    downloadFailed_ = failed || !confirmed;
    FinishDownloadPage(downloadFailed_, failed ? kIncompleteDownload : confirmed ? kCompletedDownload : kArchiveNotConfirmed);
    if (closeAfterDownload_) {
        closeAfterDownload_ = false;
        Close();
    }
}

void TStatusForm::FinishDownloadPage(bool failed, const std::wstring& message) {
    Label_Download.SetText(message);
    if (failed) {
        CancelDownload.SetText(L"Erneut versuchen");
        Button_Next.SetEnabled(false);
        KeepFocusOn(CancelDownload);
    } else {
        ShowCancelDownload(false);
        Button_Next.SetEnabled(true);
        KeepFocusOn(Button_Next);
    }
}

void TStatusForm::KeepFocusOn(Button& fallback) {
    const HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus) && IsWindowEnabled(focus) && IsWindowVisible(focus)) return;
    fallback.SetFocus();
}

void TStatusForm::OnUpdateTimer() {
    PumpMessages();
    // The texts follow at a human pace; refreshing them for every block would slow the transfer.
    const DWORD now = GetTickCount();
    if (lastRefresh_ == 0 || now - lastRefresh_ >= static_cast<DWORD>(ProgressRefreshMs)) {
        lastRefresh_ = now ? now : 1;
        RefreshProgress();
    }
    if (cancelRequested_) {
        try {
            HTTP.Abort();
        } catch (...) {
        }
        downloadFailed_ = true;
    }
}

void TStatusForm::RefreshProgress() {
    const std::uint64_t received = HTTP.BytesRecvd(), total = HTTP.BytesTotal();
    // The bar counts in units that fit its 32-bit range.
    int shift = 0;
    while ((total >> shift) > static_cast<std::uint64_t>(INT_MAX)) ++shift;
    SendMessageW(Status.Handle(), PBM_SETRANGE32, 0, static_cast<LPARAM>(total >> shift));
    SendMessageW(Status.Handle(), PBM_SETPOS, static_cast<WPARAM>(received >> shift), 0);
    PerCent.SetText(PercentText(received, total));
    StatusLabel.SetText(SizeText(received) + L" von " + SizeText(total) + L" gedownloadet");
    std::optional<double> remaining;
    if (downloadStart_ != 0) remaining = RemainingTime(received, total, TimeOfDay() - downloadStart_);
    TimeLeft.SetText(L"verbleibende Zeit: " + (remaining ? LongTimeText(*remaining) : std::wstring(L"unbekannt")));
}

void TStatusForm::CancelDownloadClick() {
    if (downloading_) {
        QuestionSound();
        if (ShowBox(Handle(), L"Soll der Download wirklich abgebrochen werden?", L"Updates installieren",
                    BoxKind::Question, BoxButtons::YesNo) == BoxAnswer::Yes)
            cancelRequested_ = true;
        return;
    }
    step_ = 2;
    downloadFailed_ = false;
    cancelRequested_ = false;
    Button_NextClick();
}

std::string TStatusForm::OemFolderName(const std::wstring& path) const {
    bool exact = false;
    std::string oem = OemText(path, exact);
    if (exact) return oem;
    // The command interpreter reads the batch in the OEM code page; the short name is plain.
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortName.data(), MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        shortName.resize(length);
        oem = OemText(shortName, exact);
        if (exact) return oem;
    }
    throw PlatformError(L"Der Ordner " + Quoted(path) +
                        L" hat einen Namen, den die Eingabeaufforderung nicht darstellen kann, und keinen kurzen "
                        L"Ersatznamen. Das Update wird nicht installiert.");
}

void TStatusForm::InstallStep() {
    const std::wstring archive = tempFolder_ + ZIPFileName;
    const std::wstring signature = archive + L".sig";
    if (!FileExists(archive) || CheckFileSignature(archive, signature, Key) != SignatureCheck::Valid) {
        DeleteFileW(archive.c_str());
        Label3.SetText(kMissingArchive);
        SendMessageW(Image_Icon2.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(errorIcon_.Get()), 0);
        Button_Next.SetEnabled(false);
        return;
    }
    const std::wstring programFolder = FolderPart(ProgramFile);
    Zip.SetDLLDirectory(programFolder);
    Zip.SetZipFileName(archive);
    Zip.ExtrBaseDir = tempFolder_;
    Zip.Extract();

    const std::wstring batchFile = tempFolder_ + L"Update.bat";
    const std::vector<std::string> lines = SplitLines(ReadWholeFile(batchFile));
    std::optional<std::string> restart;
    if (CheckBox_Restart.Checked()) restart = OemFolderName(ProgramFile);
    std::vector<std::string> batch;
    try {
        batch = BuildUpdateBatch(lines, OemFolderName(programFolder), OemFolderName(tempFolder_), restart);
    } catch (const BatchTemplateError& error) {
        throw PlatformError(L"Die Installationsvorlage „Update.bat“ ist in Zeile " + std::to_wstring(error.Line()) +
                            L" fehlerhaft. Das Update wird nicht installiert.");
    }
    const std::string text = JoinLines(batch);
    FileHandle out(NullIfInvalid(CreateFileW(batchFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr)));
    DWORD written = 0;
    if (!out || !WriteFile(out.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        ThrowLastError();
    out.Reset();
    DeleteFileW(archive.c_str());
    DeleteFileW(signature.c_str());

    installPrepared_ = true;
    Button_Next.SetText(L"Beenden");
    Button_Cancel.SetEnabled(false);
}

void TStatusForm::EndRun() {
    if (!listFile_.empty()) DeleteFileW(listFile_.c_str());
    listFile_.clear();
    // A run that prepared nothing leaves nothing behind; a prepared one keeps its batch and files.
    if (!installPrepared_) RemoveRunFolder(tempFolder_);
}

void TStatusForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (!installPrepared_ && !noUpdatesFinished_) return;
    ::RegistryKey key = OpenUpdateSettings(HKCU, RegistryKey);
    WriteNextDueDate(key, NextDueDate(UpdateToday(), EffectiveInterval(ReadInterval(key))));
    if (installPrepared_) ShellOpen(Handle(), tempFolder_ + L"Update.bat", L"", tempFolder_, SW_HIDE);
}
