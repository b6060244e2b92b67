#include "update/update_run.h"

#include <utility>

#include "platform/platform_error.h"
#include "update/proxy_rules.h"

namespace {

const wchar_t* const kNoUpdates =
    L"Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf \"Beenden\", um den Assistenten zu verlassen.";
const wchar_t* const kUpdatesAvailable =
    L"Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende Probleme bzw. stellen folgende "
    L"neue Funktionen zur Verfügung:";
const wchar_t* const kCompletedDownload =
    L"Die Update-Dateien wurden erfolgreich heruntergeladen. Klicken Sie auf \"Weiter\", um die Updates zu "
    L"installieren.";
const wchar_t* const kDownloadText =
    L"Die Updates werden jetzt heruntergeladen. Bitte warten Sie, bis der Download abgeschlossen ist, oder klicken "
    L"Sie auf \"Download abbrechen\", wenn Sie die Updates zu einer anderen Zeit herunterladen wollen.";
const wchar_t* const kInstallText =
    L"Das Update kann jetzt installiert werden.\r\nKlicken Sie auf \"Weiter\", um den Vorgang fortzusetzen und die "
    L"Installation durchzuführen.\r\n\r\nAktivieren Sie das Kontrollfeld \"Programm automatisch neu starten\", um "
    L"die Anwendung nach der Installation sofort neu zu starten.";
const wchar_t* const kListWithoutBinding =
    L"Die Update-Informationen des Servers sind unvollständig (Datum, Größe oder Prüfsumme der Update-Dateien "
    L"fehlen). Es wird nichts installiert. Klicken Sie auf \"Beenden\", um den Assistenten zu verlassen.";
const wchar_t* const kNeedsAdministrator =
    L"\r\n\r\nNur ein Administrator darf in den Ordner des Programms schreiben: Beim Installieren fragt Windows "
    L"deshalb nach der Zustimmung eines Administrators.";
const wchar_t* const kNoAdministrator =
    L"Es stehen neue Updates bereit, aber nur ein Administrator darf in den Ordner des Programms schreiben, und "
    L"Windows kann für Ihr Konto keine Zustimmung eines Administrators einholen. Es wird nichts heruntergeladen; "
    L"bitten Sie einen Administrator, das Update zu installieren.";
const wchar_t* const kConsentRefused =
    L"Die Installation wurde nicht gestartet, weil die Zustimmung eines Administrators fehlt. Das Programm bleibt "
    L"unverändert. Klicken Sie auf \"Abbrechen\" und versuchen Sie es später noch einmal.";
constexpr std::uint64_t kMaxListSize = 1 << 20;

double TimeOfDay(const UpdateClock& clock) {
    const double now = clock.Now();
    return now - DatePart(now);
}

std::wstring WideText(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

}  // namespace

const wchar_t* const UpdateRun::kTitles[6] = {
    L"Willkommen", L"Auf neue Updates prüfen", L"Ergebnis der Prüfung", L"Download der Updates", L"Installieren",
    L"Abschließen der Installation"};

UpdateRun::UpdateRun(Services services, std::wstring programName, std::wstring archiveFile, double programDate)
    : services_(services),
      fetch_(*services.transfers),
      programName_(std::move(programName)),
      archiveFile_(std::move(archiveFile)),
      programDate_(programDate) {}

void UpdateRun::Begin() {
    StopTransfer();
    view_ = View{};
    view_.title = kTitles[0];
    view_.downloadText = kDownloadText;
    view_.installText = kInstallText;
    updatesAvailable_ = downloadFailed_ = installPrepared_ = noUpdatesFinished_ = terminate_ = settings_ = false;
    ended_ = needsAdministrator_ = launched_ = false;
    restart_ = true;
    list_ = {};
    listFile_.clear();
    folder_ = services_.files->NewRunFolder();
    archive_ = folder_ + archiveFile_;
}

void UpdateRun::ShowStepPage() {
    const int step = static_cast<int>(view_.step);
    if (step > 5) return;
    view_.page = static_cast<Page>(step);
    view_.title = kTitles[step];
}

void UpdateRun::GoTo(Step step) {
    view_.step = step;
    if (!settings_) ShowStepPage();
    FocusOn(step == Step::Check ? Focus::Check : view_.nextEnabled ? Focus::Next : Focus::Cancel);
}

void UpdateRun::Next() {
    if (!view_.nextEnabled || settings_ || view_.closed) return;
    switch (view_.step) {
        case Step::Welcome:
            view_.nextEnabled = false;  // the check button leads on
            GoTo(Step::Check);
            break;
        case Step::Result:
            if (updatesAvailable_) {
                StartDownload();
            } else {
                noUpdatesFinished_ = true;
                Close();
            }
            break;
        case Step::Download:
            GoTo(Step::Install);
            if (needsAdministrator_) view_.nextText = L"Installieren";
            break;
        case Step::Install: Install(); break;
        case Step::Finish: Finish(); break;
        case Step::Check:
        case Step::Ended: break;
    }
}

void UpdateRun::StopTransfer() {
    if (transfer_ == Transfer::None) return;
    transfer_ = Transfer::None;
    fetch_.Stop();
}

void UpdateRun::Check() {
    if (view_.step != Step::Check || Checking() || settings_ || view_.closed) return;
    if (!services_.connection->Connected()) {
        CheckFailed(FetchFailureMessage(FetchedFile::List, {TransferEnd::NoConnection}));
        return;
    }
    if (!listFile_.empty()) services_.files->Discard(listFile_);
    listFile_ = services_.files->NewListFile();
    view_.checkEnabled = false;
    // The disabled check button cannot keep the keyboard; "Abbrechen" stops the check.
    FocusOn(Focus::Cancel);
    transfer_ = Transfer::List;
    fetch_.Start(L"/Updates.ini", listFile_, kMaxListSize);
}

void UpdateRun::TransferEnded(const TransferOutcome& outcome) {
    if (transfer_ == Transfer::None) return;  // stopped meanwhile
    const auto end = fetch_.Ended(outcome);
    if (!end) return;  // the signature comes next
    if (Checking())
        ListEnded(*end);
    else
        ArchiveEnded(*end);
}

void UpdateRun::ListEnded(const SignedFetch::End& end) {
    transfer_ = Transfer::None;
    if (end.outcome.end != TransferEnd::Done) {
        if (end.ofSignature) services_.files->Discard(listFile_);
        CheckFailed(FetchFailureMessage(end.ofSignature ? FetchedFile::ListSignature : FetchedFile::List, end.outcome));
        return;
    }
    list_ = services_.files->ReadList(listFile_, fetch_.SignatureFile());
    services_.files->Discard(fetch_.SignatureFile());
    if (!list_.confirmed) {
        services_.files->Discard(listFile_);
        CheckFailed(FetchFailureMessage(FetchedFile::ListSignature, end.outcome));
        return;
    }
    // The list names the archive's bytes and its date: without them a replayed or older list
    // could offer any archive the maker ever signed.
    const bool bound = !list_.hasSection || (list_.date && list_.binding);
    updatesAvailable_ = bound && ::UpdatesAvailable(list_.hasSection, list_.date ? *list_.date : 0, programDate_);
    view_.checkEnabled = true;
    needsAdministrator_ = updatesAvailable_ && services_.files->NeedsAdministrator();
    // Told before anything is downloaded: a batch without an administrator's rights would fail.
    const bool noAdministrator = needsAdministrator_ && !services_.files->CanBecomeAdministrator();
    if (noAdministrator) {
        updatesAvailable_ = false;
        view_.nextText = L"Beenden";
        view_.cancelEnabled = false;
        view_.resultText = kNoAdministrator;
        view_.news = list_.news;
    } else if (updatesAvailable_) {
        view_.resultText = kUpdatesAvailable + std::wstring(needsAdministrator_ ? kNeedsAdministrator : L"");
        view_.news = list_.news;
    } else {
        view_.nextText = L"Beenden";
        view_.cancelEnabled = false;
        view_.resultText = bound ? kNoUpdates : kListWithoutBinding;
        view_.news.clear();
    }
    view_.nextEnabled = true;
    GoTo(Step::Result);
}

void UpdateRun::CheckFailed(const RunMessage& message) {
    updatesAvailable_ = false;
    view_.checkEnabled = true;
    FocusOn(Focus::Check);
    view_.box = Box{message.text, message.caption};
}

void UpdateRun::StartDownload() {
    view_.nextEnabled = false;
    GoTo(Step::Download);
    view_.downloadText = kDownloadText;
    view_.downloadButtonText = L"Download ab&brechen";
    view_.downloadButtonShown = true;
    view_.percent.clear();
    view_.sizes.clear();
    view_.timeLeft.clear();
    view_.barPosition = 0;
    downloadFailed_ = false;
    FocusOn(Focus::DownloadButton);
    if (!list_.binding || !IsPlainArchiveName(list_.archiveName)) {
        DownloadFailedWith(IncompleteDownloadText());
        return;
    }
    downloadStart_ = TimeOfDay(*services_.clock);
    transfer_ = Transfer::Archive;
    fetch_.Start(L"/Updates/" + list_.archiveName, archive_, list_.binding->size);
}

void UpdateRun::ArchiveEnded(const SignedFetch::End& end) {
    transfer_ = Transfer::None;
    const bool confirmed = end.outcome.end == TransferEnd::Done &&
                           services_.files->ConfirmArchive(archive_, fetch_.SignatureFile(), *list_.binding);
    services_.files->Discard(fetch_.SignatureFile());
    if (!confirmed) {
        DownloadFailedWith(
            FetchFailureMessage(end.ofSignature ? FetchedFile::ArchiveSignature : FetchedFile::Archive, end.outcome).text);
        return;
    }
    view_.downloadText = kCompletedDownload;
    view_.downloadButtonShown = false;
    view_.nextEnabled = true;
    FocusOn(Focus::Next);
}

void UpdateRun::DownloadFailedWith(const std::wstring& message) {
    transfer_ = Transfer::None;
    downloadFailed_ = true;
    services_.files->Discard(archive_);
    services_.files->Discard(archive_ + L".sig");
    // Nothing of a failed transfer is shown as progress.
    view_.percent.clear();
    view_.sizes.clear();
    view_.timeLeft.clear();
    view_.barPosition = 0;
    view_.downloadText = message;
    view_.downloadButtonText = L"Erneut versuchen";
    view_.downloadButtonShown = true;
    view_.nextEnabled = false;
    FocusOn(Focus::DownloadButton);
}

void UpdateRun::Progress(std::uint64_t received, std::uint64_t total) {
    if (transfer_ != Transfer::Archive) return;
    view_.barTotal = total;
    view_.barPosition = received;
    view_.percent = PercentText(received, total);
    // Without an announced length only what has come is known.
    view_.sizes = SizeText(received) + (total ? L" von " + SizeText(total) : std::wstring()) + L" gedownloadet";
    const auto remaining =
        RemainingTime(received, total, TimeOfDay(*services_.clock) - downloadStart_);
    view_.timeLeft = L"verbleibende Zeit: " + (remaining ? LongTimeText(*remaining) : std::wstring(L"unbekannt"));
}

void UpdateRun::DownloadButton() {
    if (view_.step != Step::Download || settings_) return;
    if (Downloading()) {
        StopTransfer();
        DownloadFailedWith(IncompleteDownloadText());
    } else if (downloadFailed_) {
        StartDownload();
    }
}

void UpdateRun::Install() {
    if (const auto problem = services_.files->PrepareInstall(archive_, restart_)) {
        // Nothing was prepared: the run stays here, and closing returns as a cancel does.
        view_.installText = *problem;
        view_.installError = true;
        view_.nextEnabled = false;
        FocusOn(Focus::Cancel);
        return;
    }
    if (needsAdministrator_) {
        if (!services_.launcher->LaunchElevated(BatchFolder(), BatchName())) {
            // Refused: what was prepared goes with the run, as after a cancel.
            view_.installText = kConsentRefused;
            view_.installError = true;
            view_.nextEnabled = false;
            FocusOn(Focus::Cancel);
            return;
        }
        launched_ = true;
    }
    installPrepared_ = true;
    view_.nextText = L"Beenden";
    view_.cancelEnabled = false;
    GoTo(Step::Finish);
}

void UpdateRun::Finish() {
    view_.step = Step::Ended;
    terminate_ = true;
    view_.closed = true;
}

void UpdateRun::Cancel() {
    if (settings_) {
        CloseSettings();
        return;
    }
    Close();
}

void UpdateRun::Close() {
    StopTransfer();
    // Only a prepared install ends the program; every other end returns to where the run began.
    if (installPrepared_ && view_.step != Step::Ended) terminate_ = true;
    view_.closed = true;
}

void UpdateRun::OpenSettings() {
    settings_ = true;
    view_.page = Page::Settings;
    view_.title = L"Einstellungen";
    FocusOn(Focus::SettingsSave);
}

void UpdateRun::CloseSettings() {
    if (!settings_) return;
    settings_ = false;
    ShowStepPage();
    FocusOn(view_.step == Step::Check && view_.checkEnabled ? Focus::Check
            : view_.nextEnabled                              ? Focus::Next
                                                             : Focus::Cancel);
}

bool UpdateRun::TakeTerminateRequest() { return std::exchange(terminate_, false); }

void UpdateRun::Closed() {
    StopTransfer();
    if (!listFile_.empty()) services_.files->Discard(listFile_);
    listFile_.clear();
    services_.files->EndRun(installPrepared_);
}

std::wstring UpdateRun::EndOfProcess() {
    if (ended_ || (!installPrepared_ && !noUpdatesFinished_)) return {};
    ended_ = true;
    // Whatever goes wrong with the schedule, the prepared batch still starts: the program's files
    // are only replaced once the program has ended.
    std::wstring problems;
    auto note = [&](const std::wstring& text) { problems += (problems.empty() ? L"" : L"\r\n\r\n") + text; };
    try {
        services_.files->ScheduleNextReminder(services_.clock->Today());
    } catch (const PlatformError& error) {
        note(error.Message());
    } catch (const std::exception& error) {
        note(WideText(error.what()));
    }
    if (!installPrepared_ || launched_) return problems;
    try {
        services_.launcher->Launch(BatchFolder(), BatchName());
    } catch (const PlatformError& error) {
        note(error.Message());
    }
    return problems;
}

// The batch starts in the folder above the run folder: the interpreter's own current folder would
// keep the run folder from being removed by the batch's last line.
std::wstring UpdateRun::BatchFolder() const {
    const std::wstring folder = folder_.substr(0, folder_.size() - 1);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring UpdateRun::BatchName() const {
    const std::wstring folder = folder_.substr(0, folder_.size() - 1);
    return folder.substr(folder.find_last_of(L'\\') + 1) + L"\\Update.bat";
}
