// The steps of the update wizard: the check, the download, the installation and the work at the
// end of the process.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <array>
#include <vector>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/win_error.h"
#include "update/proxy_settings.h"
#include "update/status_form.h"
#include "update/update_file.h"
#include "update/run_folder.h"
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
const wchar_t* const kListWithoutBinding =
    L"Die Update-Informationen des Servers sind unvollständig (Datum, Größe oder Prüfsumme der Update-Dateien "
    L"fehlen). Es wird nichts installiert. Klicken Sie auf \"Beenden\", um den Assistenten zu verlassen.";
const wchar_t* const kNotUnpacked =
    L"Die Update-Dateien konnten nicht vollständig entpackt werden. Es wird nichts installiert; das Programm bleibt "
    L"unverändert.";
const wchar_t* const kArchiveNotConfirmed =
    L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden und wurden gelöscht. Es wird nichts "
    L"installiert.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download erneut zu starten.\r\nKlicken Sie auf "
    L"\"Abbrechen\", um den Assistenten zu beenden.";

double TimeOfDay(const UpdateClock& clock) {
    const double now = clock.Now();
    return now - DatePart(now);
}

constexpr std::uint64_t kMaxListSize = 1 << 20;
constexpr std::uint64_t kSignatureSize = 64;

std::wstring Quoted(const std::wstring& text) { return L"„" + text + L"“"; }

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

std::wstring TStatusForm::Url(const std::wstring& path) const {
    return L"http://" + WideFromUtf8(Server.host) + L":" + std::to_wstring(Server.port) + path;
}

std::wstring TStatusForm::ListValue(const wchar_t* name, const wchar_t* fallback) const {
    return ProfileString(listFile_, ProgramName, name, fallback);
}

void TStatusForm::FormShow() {
    tempFolder_ = MakeRunFolder();
    listFile_.clear();
    percentBold_ = true;
    PerCent.SetFont(static_cast<HFONT>(percentBoldFont_.Get()));
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    SetWindowPos(Handle(), nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    step_ = Step::Welcome;
    installPrepared_ = updatesAvailable_ = checking_ = false;
    transfer_ = {};
    noUpdatesFinished_ = false;
    binding_.reset();
    archiveGuard_.Reset();
    ShowPage(Bestaetigung1);
    ShowStandardButtons(true);
    Button_Settings.SetVisible(true);
    Button_Cancel.SetEnabled(true);
    Button_Next.SetEnabled(true);
    Button_Check.SetEnabled(true);
    Button_Next.SetText(L"Weiter >");
    SetTitle(kTitles[0]);
    // What an earlier showing left on its pages.
    Label_Download.SetText(kDownloadText);
    CancelDownload.SetText(L"Download ab&brechen");
    ShowCancelDownload(true);
    SendMessageW(Status.Handle(), PBM_SETRANGE32, 0, 100);
    SendMessageW(Status.Handle(), PBM_SETPOS, 0, 0);
    for (Label* label : {&PerCent, &StatusLabel, &TimeLeft}) label->SetText(L"");
    Label3.SetText(kInstallText);
    installError_ = false;
    SendMessageW(Image_Icon2.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon2_.Get()), 0);
    HTTP.Host = Server.host;
    HTTP.Port = 21;
    HTTP.TimeOut = 10000;
    HTTP.Body = L"Default.htm";
    HTTP.Header = L"Head.txt";
    HTTP.InputFileMode = true;
    HTTP.OutputFileMode = false;
    HTTP.ProxyPort = 0;
    HTTP.ProxyFor = SystemProxyFor;
    HTTP.OnFailure = [this](int command) { HTTPFailure(command); };
    HTTP.OnConnectionFailed = [this] { HTTPConnectionFailed(); };
    HTTP.ProcessMessages = [this] { PumpMessages(); };
    ShowZipMessagesInBoxes(Zip, Handle());
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TStatusForm::Button_NextClick() {
    switch (step_) {
        case Step::Welcome: GoTo(Step::Check); break;
        case Step::Check: ShowResult(); break;
        case Step::Result:
            if (updatesAvailable_) {
                StartDownload();
            } else {
                noUpdatesFinished_ = true;
                step_ = Step::Download;
                Close();
            }
            break;
        case Step::Download: GoTo(Step::Install); break;
        case Step::Install: Install(); break;
        case Step::Finish: Finish(); break;
        case Step::Ended: break;
    }
}

void TStatusForm::GoTo(Step step) {
    step_ = step;
    const int index = static_cast<int>(step);
    if (page_ != Einstellungen) {
        ShowPage(index);
        SetTitle(kTitles[index]);
    }
    if (step == Step::Check) Button_Next.SetEnabled(false);
    KeepFocusOn(step == Step::Check ? Button_Check : Button_Next.Enabled() ? Button_Next : Button_Cancel);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TStatusForm::ShowResult() {
    if (updatesAvailable_) {
        Label_CheckResult.SetText(L"Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende "
                                  L"Probleme bzw. stellen folgende neue Funktionen zur Verfügung:");
        News.SetText(NewsListText(
            SplitCommaText(RawProfileValue(listFile_, ProgramName, L"News", L"\"keine Angaben gefunden\"")),
            ProgramDate));
    } else {
        Button_Next.SetText(L"Beenden");
        Button_Cancel.SetEnabled(false);
        Label_CheckResult.SetText(resultText_.empty() ? kNoUpdates : resultText_);
    }
    Button_Next.SetEnabled(true);
    GoTo(Step::Result);
}

void TStatusForm::StartDownload() {
    GoTo(Step::Download);
    RunDownload();
}

void TStatusForm::Retry() {
    transfer_ = {};
    StartDownload();
}

void TStatusForm::Install() {
    InstallStep();
    step_ = Step::Finish;
    if (installPrepared_) {
        GoTo(Step::Finish);
    } else {
        // The page stays on the installation with its message; closing ends the run as at the last step.
        KeepFocusOn(Button_Cancel);
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TStatusForm::Finish() {
    step_ = Step::Ended;
    OnTerminate();
    EndModal(IDOK);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

TStatusForm::Fetched TStatusForm::Fetch(const std::wstring& path, const std::wstring& file, std::uint64_t limit) {
    transfer_.httpStatusFailed = false;
    bool failed = false;
    transfer_.running = true;
    try {
        HTTP.Body = file;
        HTTP.MaxBodySize = limit;
        HTTP.Get(Url(path));
    } catch (const std::exception&) {
        failed = true;
    }
    transfer_.running = false;
    if (quitSeen_) {
        quitSeen_ = false;
        PostQuitMessage(0);
    }
    if (!failed && !transfer_.httpStatusFailed && !transfer_.cancelRequested) return Fetched::Ok;
    DeleteFileW(file.c_str());  // an error page or a partial body is no copy of the file
    if (transfer_.cancelRequested) return Fetched::Cancelled;
    return failed ? Fetched::Failed : Fetched::HttpError;
}

void TStatusForm::Button_CheckClick() {
    if (checking_) return;
    checking_ = true;
    Button_Check.SetEnabled(false);
    transfer_ = {};
    resultText_.clear();
    bool connected = Connection->Connected();
    bool confirmed = true;
    bool bound = false;
    if (connected) {
        updatesAvailable_ = true;
        wchar_t name[MAX_PATH] = {};
        if (!GetTempFileNameW(tempFolder_.c_str(), L"$", 0, name)) {
            checking_ = false;
            Button_Check.SetEnabled(true);
            ThrowLastError();
        }
        listFile_ = name;
        const std::wstring signature = listFile_ + L".sig";
        const Fetched list = Fetch(L"/Updates.ini", listFile_, kMaxListSize);
        const Fetched sig =
            list == Fetched::Ok ? Fetch(L"/Updates.ini.sig", signature, kSignatureSize) : Fetched::Failed;
        connected = list == Fetched::Ok && sig != Fetched::Failed && sig != Fetched::Cancelled;
        if (connected) {
            confirmed = sig == Fetched::Ok && CheckFileSignature(listFile_, signature, Key) == SignatureCheck::Valid;
            DeleteFileW(signature.c_str());
            if (!confirmed) DeleteFileW(listFile_.c_str());
        }
        if (connected && confirmed) {
            // The list names the archive's bytes and its date: without them a replayed or older list
            // could offer any archive the maker ever signed.
            const std::optional<double> date = ParseShortDate(ListValue(L"Date", L""));
            const bool hasSection = HasSection(listFile_, ProgramName);
            binding_ = ParseArchiveBinding(ListValue(L"Size", L""), ListValue(L"SHA256", L""));
            bound = !hasSection || (date && binding_);
            updatesAvailable_ = bound && ::UpdatesAvailable(hasSection, date ? *date : 0, ProgramDate);
        }
    }
    checking_ = false;
    Button_Check.SetEnabled(true);
    if (transfer_.closeAfter) {
        transfer_ = {};
        updatesAvailable_ = false;
        Close();
        return;
    }
    if (connected && confirmed) {
        if (!bound) resultText_ = kListWithoutBinding;
        Button_NextClick();
        return;
    }
    updatesAvailable_ = false;
    if (!connected && HTTP.Status() == 407)
        ShowBox(Handle(), kProxyAuthenticationText, kProxyAuthenticationCaption, BoxKind::Warning, BoxButtons::Ok);
    else if (!connected)
        ShowBox(Handle(), L"Es besteht keine Internetverbindung.", L"Internetverbindung erforderlich",
                BoxKind::Warning, BoxButtons::Ok);
    else
        ShowBox(Handle(), kListNotConfirmed, L"Updates installieren", BoxKind::Warning, BoxButtons::Ok);
}

void TStatusForm::HTTPFailure(int command) {
    transfer_.httpStatusFailed = true;
    if (command == THttpClient::kGetCommand) updatesAvailable_ = false;
}

void TStatusForm::HTTPConnectionFailed() { updatesAvailable_ = false; }

void TStatusForm::RunDownload() {
    Button_Next.SetEnabled(false);
    CancelDownload.SetText(L"Download ab&brechen");
    ShowCancelDownload(true);
    KeepFocusOn(CancelDownload);
    Label_Download.SetText(kDownloadText);
    for (Label* label : {&PerCent, &StatusLabel, &TimeLeft}) label->SetText(L"");
    SendMessageW(Status.Handle(), PBM_SETPOS, 0, 0);
    // From here on a click on the button is a cancel, also while the waiting messages run.
    transfer_.running = true;
    PumpMessages();

    transfer_.start = TimeOfDay(*Clock);
    transfer_.lastRefresh = 0;
    HTTP.OnPacketRecvd = [this] { OnUpdateTimer(); };
    const std::wstring archive = tempFolder_ + ZIPFileName;
    const std::wstring signature = archive + L".sig";
    const std::wstring file = ListValue(L"File", L"");
    const std::uint64_t limit = binding_ ? binding_->size : 1;
    bool failed = !binding_ || !IsPlainArchiveName(file) || transfer_.cancelRequested ||
                  Fetch(L"/Updates/" + file, archive, limit) != Fetched::Ok;
    if (!failed) RefreshProgress();
    HTTP.OnPacketRecvd = nullptr;
    bool confirmed = true;
    if (!failed) {
        transfer_.running = true;
        const Fetched sig = Fetch(L"/Updates/" + file + L".sig", signature, kSignatureSize);
        failed = sig == Fetched::Failed || sig == Fetched::Cancelled;
        confirmed = sig == Fetched::Ok && ArchiveConfirmed(archive, signature);
    }
    transfer_.running = false;
    if (failed || !confirmed) {
        archiveGuard_.Reset();
        DeleteFileW(archive.c_str());
        DeleteFileW(signature.c_str());
        // Nothing of a failed transfer is shown as progress.
        for (Label* label : {&PerCent, &StatusLabel, &TimeLeft}) label->SetText(L"");
        SendMessageW(Status.Handle(), PBM_SETPOS, 0, 0);
    }
    transfer_.failed = failed || !confirmed;
    FinishDownloadPage(transfer_.failed,
                       failed ? kIncompleteDownload : confirmed ? kCompletedDownload : kArchiveNotConfirmed);
    if (transfer_.closeAfter) {
        transfer_.closeAfter = false;
        Close();
    }
}

bool TStatusForm::ArchiveConfirmed(const std::wstring& archive, const std::wstring& signature) {
    // From here until it is unpacked, nobody can write the archive.
    archiveGuard_.Reset(NullIfInvalid(CreateFileW(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr)));
    LARGE_INTEGER size{};
    std::array<std::uint8_t, 32> digest{};
    return archiveGuard_ && binding_ && GetFileSizeEx(archiveGuard_.Get(), &size) &&
           static_cast<std::uint64_t>(size.QuadPart) == binding_->size && FileSha256(archiveGuard_.Get(), digest) &&
           digest == binding_->sha256 && CheckFileSignature(archive, signature, Key) == SignatureCheck::Valid;
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
    // An error page is no progress of the archive.
    const DWORD now = GetTickCount();
    if (HTTP.Status() < 300 &&
        (transfer_.lastRefresh == 0 || now - transfer_.lastRefresh >= static_cast<DWORD>(ProgressRefreshMs))) {
        transfer_.lastRefresh = now ? now : 1;
        RefreshProgress();
    }
    if (transfer_.cancelRequested) {
        try {
            HTTP.Abort();
        } catch (...) {
        }
        transfer_.failed = true;
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
    // Without an announced length only what has come is known.
    StatusLabel.SetText(SizeText(received) + (total ? L" von " + SizeText(total) : std::wstring()) + L" gedownloadet");
    std::optional<double> remaining;
    if (transfer_.start != 0) remaining = RemainingTime(received, total, TimeOfDay(*Clock) - transfer_.start);
    TimeLeft.SetText(L"verbleibende Zeit: " + (remaining ? LongTimeText(*remaining) : std::wstring(L"unbekannt")));
}

void TStatusForm::CancelDownloadClick() {
    if (transfer_.running) {
        QuestionSound();
        if (ShowBox(Handle(), L"Soll der Download wirklich abgebrochen werden?", L"Updates installieren",
                    BoxKind::Question, BoxButtons::YesNo) == BoxAnswer::Yes) {
            transfer_.cancelRequested = true;
            HTTP.Abort();
        }
        return;
    }
    Retry();
}

std::string TStatusForm::OemFolderName(const std::wstring& path) const {
    const UINT codePage = OemCodePage ? OemCodePage : GetOEMCP();
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

void TStatusForm::ShowInstallError(const std::wstring& message) {
    Label3.SetText(message);
    installError_ = true;
    CheckBox_Restart.SetVisible(false);
    SendMessageW(Image_Icon2.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(errorIcon_.Get()), 0);
    Button_Next.SetEnabled(false);
}

void TStatusForm::InstallStep() {
    const std::wstring archive = tempFolder_ + ZIPFileName;
    const std::wstring signature = archive + L".sig";
    if (!archiveGuard_ || !FileExists(archive)) {
        archiveGuard_.Reset();
        DeleteFileW(archive.c_str());
        ShowInstallError(kMissingArchive);
        return;
    }
    const std::wstring programFolder = FolderPart(ProgramFile);
    Zip.SetDLLDirectory(programFolder);
    Zip.SetZipFileName(archive);
    Zip.ExtrBaseDir = tempFolder_;
    const int written = Zip.Extract();
    archiveGuard_.Reset();
    int files = 0;
    for (const TZipEntry& entry : Zip.Entries())
        if (!(entry.IsFolder() && entry.Size == 0 && !entry.NameTooLong)) ++files;
    // Every file whole, or nothing: a batch that replaced some files would leave a broken program.
    if (written != files || !Zip.Messages().empty()) {
        std::wstring message = kNotUnpacked;
        for (const TZipMessage& m : Zip.Messages()) message += L"\r\n\r\n" + m.Text;
        DeleteFileW(archive.c_str());
        ShowInstallError(message);
        return;
    }

    const std::wstring batchFile = tempFolder_ + L"Update.bat";
    std::vector<std::string> batch;
    try {
        const std::vector<std::string> lines = SplitLines(ReadWholeFile(batchFile));
        std::optional<std::string> restart;
        if (CheckBox_Restart.Checked()) restart = OemFolderName(ProgramFile);
        batch = BuildUpdateBatch(lines, OemFolderName(programFolder), OemFolderName(tempFolder_), restart);
    } catch (const BatchTemplateError& error) {
        ShowInstallError(L"Die Installationsvorlage „Update.bat“ ist in Zeile " + std::to_wstring(error.Line()) +
                         L" fehlerhaft. Das Update wird nicht installiert.");
        return;
    } catch (const PlatformError& error) {
        ShowInstallError(error.Message());
        return;
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
        ShowInstallError(kNotUnpacked + (L"\r\n\r\n" + SystemMessage(error)));
        return;
    }
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
    archiveGuard_.Reset();
    // A run that prepared nothing leaves nothing behind; a prepared one keeps its batch and files.
    if (!installPrepared_) RemoveRunFolder(tempFolder_);
}

void TStatusForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (!installPrepared_ && !noUpdatesFinished_) return;
    // Whatever goes wrong with the schedule, the prepared batch still starts: the program's files
    // are only replaced once the program has ended.
    std::wstring problem;
    try {
        ::RegistryKey key = OpenUpdateSettings(HKCU, RegistryKey);
        WriteNextDueDate(key, NextDueDate(Clock->Today(), EffectiveInterval(ReadInterval(key))));
    } catch (const PlatformError& error) {
        problem = error.Message();
    } catch (const std::exception& error) {
        problem = WideFromUtf8(error.what());
    }
    if (!problem.empty()) ShowBox(nullptr, problem, L"Updates installieren", BoxKind::Error, BoxButtons::Ok);
    if (!installPrepared_) return;
    // Started in the folder above the run folder: the interpreter's own current folder would keep
    // the run folder from being removed by the batch's last line.
    const std::wstring folder = tempFolder_.substr(0, tempFolder_.size() - 1);
    const std::size_t cut = folder.find_last_of(L'\\');
    try {
        Launcher->Launch(folder.substr(0, cut + 1), folder.substr(cut + 1) + L"\\Update.bat");
    } catch (const PlatformError& error) {
        ShowBox(nullptr, error.Message(), L"Updates installieren", BoxKind::Error, BoxButtons::Ok);
    }
}
