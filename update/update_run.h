// One run of the update wizard, from the welcome page to its end, without a window: its steps and
// every transition between them, and what each step shows. The transfers, the files of the run,
// the clock, the connection state and the batch launcher are given to it, so that a test can
// replace each of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/run_messages.h"
#include "update/signed_fetch.h"
#include "update/update_rules.h"

// The update's clock: the local date and time as days since 30 December 1899.
class UpdateClock {
public:
    virtual ~UpdateClock() = default;
    virtual double Now() const = 0;
    double Today() const { return DatePart(Now()); }
};

// Whether the system reports an Internet connection.
class ConnectionState {
public:
    virtual ~ConnectionState() = default;
    virtual bool Connected() const = 0;
};

// Starts the prepared batch at the end of the process: the command interpreter runs the batch
// named relative to the folder it starts in, with no window.
class BatchLauncher {
public:
    virtual ~BatchLauncher() = default;
    virtual void Launch(const std::wstring& folder, const std::wstring& batch) const = 0;
    // Starts it at once with an administrator's rights, after the system's consent prompt; the
    // batch itself waits for the program's end. False when the consent was refused.
    virtual bool LaunchElevated(const std::wstring& folder, const std::wstring& batch) const = 0;
};

// The update list as the run reads it, after its signature was checked.
struct UpdateList {
    bool confirmed = false;  // signed by the maker's key
    bool hasSection = false;
    std::optional<double> date;
    std::optional<ArchiveBinding> binding;
    std::wstring archiveName;  // "File"
    std::wstring news;         // the news list to show
};

// The files of one run in its own folder: the list, the archive and the prepared batch.
class UpdateFiles {
public:
    virtual ~UpdateFiles() = default;
    // The run's folder, with a trailing backslash; made new for each run.
    virtual std::wstring NewRunFolder() = 0;
    // A new empty file in the run's folder for the update list.
    virtual std::wstring NewListFile() = 0;
    virtual UpdateList ReadList(const std::wstring& listFile, const std::wstring& signatureFile) = 0;
    // Size, SHA-256 and signature as the list binds them; from then on the archive stays
    // unwritable until Install or Discard.
    virtual bool ConfirmArchive(const std::wstring& archive, const std::wstring& signature,
                                const ArchiveBinding& binding) = 0;
    // Unpacks the archive and writes the batch; the German reason when nothing was prepared.
    virtual std::optional<std::wstring> PrepareInstall(const std::wstring& archive, bool restart) = 0;
    virtual void Discard(const std::wstring& file) = 0;
    // Removes the run's folder unless an install was prepared in it.
    virtual void EndRun(bool installPrepared) = 0;
    // Writes the next reminder after a finished run: today + the stored interval - 1.
    virtual void ScheduleNextReminder(double today) = 0;
    // Whether only an administrator may write the program's folder (asked before the download).
    virtual bool NeedsAdministrator() { return false; }
    // Whether the system can ask for an administrator's consent for this user at all.
    virtual bool CanBecomeAdministrator() { return true; }
};

class UpdateRun {
public:
    enum class Step { Welcome, Check, Result, Download, Install, Finish, Ended };
    enum class Page { Welcome, Check, Result, Download, Install, Finish, Settings };
    // The control the keyboard is on after a change.
    enum class Focus { Next, Cancel, Check, DownloadButton, SettingsSave };
    enum class BoxKind { Warning, Error };
    struct Box {
        std::wstring text, caption;
        BoxKind kind = BoxKind::Warning;
    };

    static const wchar_t* const kTitles[6];

    // What the dialog shows of the run.
    struct View {
        Step step = Step::Welcome;
        Page page = Page::Welcome;
        std::wstring title;
        std::wstring nextText = L"Weiter >";
        bool nextEnabled = true, cancelEnabled = true, checkEnabled = true;
        std::wstring resultText, news;  // news empty: the result is the text alone
        std::wstring downloadText;
        std::wstring downloadButtonText = L"Download ab&brechen";
        bool downloadButtonShown = true;
        std::wstring percent, sizes, timeLeft;
        std::uint64_t barTotal = 0, barPosition = 0;
        std::wstring installText;
        bool installError = false;
        Focus focus = Focus::Next;
        std::optional<Box> box;  // to show once, then ClearBox()
        bool closed = false;     // the dialog is to close
    };

    struct Services {
        UpdateTransfers* transfers;
        UpdateFiles* files;
        const UpdateClock* clock;
        const ConnectionState* connection;
        const BatchLauncher* launcher;
    };

    UpdateRun(Services services, std::wstring programName, std::wstring archiveFile, double programDate);

    const View& Shown() const { return view_; }
    Step CurrentStep() const { return view_.step; }
    bool Checking() const { return transfer_ == Transfer::List; }
    bool Downloading() const { return transfer_ == Transfer::Archive; }
    bool DownloadFailed() const { return downloadFailed_; }
    bool UpdatesAvailable() const { return updatesAvailable_; }
    bool InstallPrepared() const { return installPrepared_; }
    const std::wstring& RunFolder() const { return folder_; }
    // A cancel stops a running download only after the user confirmed it.
    bool CancelNeedsConfirmation() const { return Downloading(); }

    // Every showing starts here, at the welcome step with a new run folder.
    void Begin();
    void Next();
    void Check();
    // "Abbrechen", Esc and the close box: stops a transfer and closes; at the last step the
    // program is told to end. A download is stopped only when confirmed before.
    void Cancel();
    // The download page's own button: stops the download (confirmed before) or tries it again.
    void DownloadButton();
    void SetRestart(bool restart) { restart_ = restart; }
    void OpenSettings();
    void CloseSettings();
    void TransferEnded(const TransferOutcome& outcome);
    void Progress(std::uint64_t received, std::uint64_t total);
    void ClearBox() { view_.box.reset(); }
    // True once when the program is to end now (the prepared install runs at process end).
    bool TakeTerminateRequest();
    // The end of the process: the next reminder after a finished run, then the prepared batch.
    // Returns the message of what went wrong on the way (the batch starts all the same).
    std::wstring EndOfProcess();
    // When the dialog has closed: the run's files go, unless an install was prepared.
    void Closed();

private:
    enum class Transfer { None, List, Archive };

    void GoTo(Step step);
    void ShowResult();
    void StartDownload();
    void Install();
    void Finish();
    void Close();
    void StopTransfer();
    void ListEnded(const SignedFetch::End& end);
    void CheckFailed(const RunMessage& message);
    void ArchiveEnded(const SignedFetch::End& end);
    void DownloadFailedWith(const std::wstring& message);
    void ShowStepPage();
    void FocusOn(Focus focus) { view_.focus = focus; }
    std::wstring BatchFolder() const;
    std::wstring BatchName() const;

    Services services_;
    SignedFetch fetch_;
    std::wstring programName_, archiveFile_;
    double programDate_;
    View view_;
    Transfer transfer_ = Transfer::None;
    bool updatesAvailable_ = false, downloadFailed_ = false, installPrepared_ = false;
    bool noUpdatesFinished_ = false, restart_ = true, terminate_ = false, settings_ = false, ended_ = false;
    bool needsAdministrator_ = false, launched_ = false;
    double downloadStart_ = 0;
    std::wstring folder_, listFile_, archive_;
    UpdateList list_;
};
