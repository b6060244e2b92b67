// TStatusForm: the update wizard. Six steps (welcome, check, result, download, installation,
// finish) and a settings page for the reminder schedule; the batch it prepares replaces the
// program's files after the program has ended.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/modal_window.h"
#include "update/http_client.h"
#include "update/signature.h"
#include "update/update_rules.h"
#include "update/zip_extract.h"

class TWinXP;
class UpdateClock;
class ConnectionState;
class BatchLauncher;

class TStatusForm : public ModalWindow {
public:
    // The notebook's pages; the first six show the steps of the same number.
    enum Page { Bestaetigung1, Pruefen, Bestaetigung2, Download, Einrichten, Bestaetigung3, Einstellungen };
    // The wizard's steps; Ended: the program has been told to end.
    enum class Step { Welcome, Check, Result, Download, Install, Finish, Ended };
    static constexpr int kClientWidth = 658, kClientHeight = 353;
    static const wchar_t* const kTitles[6];

    TStatusForm();
    ~TStatusForm() override;

    // Given by the update component before each showing.
    std::wstring ProgramName;
    std::wstring ZIPFileName;
    std::wstring RegistryKey;
    double ProgramDate = 0;
    bool HKCU = false;
    std::wstring ProgramFile;
    UpdateKey Key{};
    ServerAddress Server;
    const UpdateClock* Clock;
    const ConnectionState* Connection;
    const BatchLauncher* Launcher;
    // The code page the batch is written in; 0: the system's OEM code page.
    unsigned OemCodePage = 0;

    // Shown modally over owner; returns when the dialog is closed.
    void ShowModal(HWND owner);
    // The program's terminate request (ends the message loop); tests record it instead.
    std::function<void()> OnTerminate;
    // Enter presses the focused button (else the default one); Esc does what "Abbrechen" or the
    // close box does. True when the key was handled. The dialog's message loops call it first.
    bool HandleKey(const MSG& message);
    // The least time between two refreshes of the progress texts.
    int ProgressRefreshMs = 50;

    // Controls
    Label Panel_Title;
    Label Image_Icon1, Label2;                                          // 0
    Label Label4;                                                       // 1
    Button Button_Check;
    // The result: its text, the news list (scrolling) and the closing sentence below it.
    Label Label_CheckResult;                                            // 2
    Edit News;
    Label Label_CheckResultEnd;
    Label Label_Download, PerCent, StatusLabel, TimeLeft, Icon;         // 3
    Control Status;
    Button CancelDownload;
    Label Image_Icon2, Label3;                                          // 4
    Button CheckBox_Restart;
    Label Label5, Image_Icon3;                                          // 5
    Button GroupBox1, RadioButton_NoAutoUpdt, RadioButton_AutoUpdt;     // 6
    Label Label1, Label6, Label_AutoUpdt1, Label_AutoUpdt2;
    Edit SpinEdit_AutoUpdt;
    Control SpinEdit_Buttons;
    Button Button_Settings, Button_Cancel, Button_Next, Button_SettingsCancel, Button_SettingsSave;

    THttpClient HTTP;
    TZipArchive Zip;

    // Handlers
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void Button_NextClick();
    void Button_CancelClick();
    void Button_CheckClick();
    void CancelDownloadClick();
    void Button_SettingsClick();
    void Button_SettingsSaveClick();
    void Button_SettingsCancelClick();
    void RadioButton_UpdtClick();
    void PaintBox_ProcessPaint(HDC dc);
    void HTTPFailure(int command);
    void HTTPConnectionFailed();
    void OnUpdateTimer();

    // Shows one page of the notebook (the steps and the settings button do).
    void ShowPage(int page);

    // State of the run
    Step CurrentStep() const { return step_; }
    int StepIndex() const { return static_cast<int>(step_); }
    // The result page's whole text as the user reads it.
    std::wstring CheckResultText() const;
    bool Checking() const { return checking_; }
    int PageIndex() const { return page_; }
    bool StandardButtonsShown() const { return standardButtons_; }
    bool UpdatesAvailableFlag() const { return updatesAvailable_; }
    bool Downloading() const { return transfer_.running && step_ == Step::Download; }
    bool DownloadFailed() const { return transfer_.failed; }
    bool InstallPrepared() const { return installPrepared_; }
    // This run's own folder below the system's temporary folder, with a trailing backslash.
    const std::wstring& TempFolder() const { return tempFolder_; }
    bool Showing() const { return Open() && IsWindowVisible(Handle()); }
    int SpinValue() const;
    void SetSpinValue(int value);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateKey(const MSG& message) override { return HandleKey(message); }
    void Paint(HDC dc) override { PaintBox_ProcessPaint(dc); }

private:
    void CreateControls();
    void AddToPage(int page, HWND control);
    void ShowStandardButtons(bool standard);
    // The download page's button is hidden after a completed download, also when the page returns.
    void ShowCancelDownload(bool shown);
    void SetTitle(const std::wstring& title);
    void OnCommand(int id, int code);
    void Close();
    void PumpMessages();

    // The named transitions between the steps.
    void GoTo(Step step);
    void ShowResult();
    void StartDownload();
    void Retry();
    void Install();
    void Finish();
    // Lays the dialog out for its DPI from 96-DPI design units, with fonts of that DPI.
    void Layout();
    int S(int designUnits) const;

    enum class Fetched { Ok, HttpError, Failed, Cancelled };
    // GET of a path on the server into a file of at most `limit` bytes; a failed transfer leaves
    // no file behind.
    Fetched Fetch(const std::wstring& path, const std::wstring& file, std::uint64_t limit);
    // Stops the running transfer; the dialog closes once it has stopped.
    void CancelTransferAndClose();
    void RunDownload();
    // Size, SHA-256 and signature as the list binds them; keeps the archive open for reading only.
    bool ArchiveConfirmed(const std::wstring& archive, const std::wstring& signature);
    // The installation page shows why nothing is installed.
    void ShowInstallError(const std::wstring& message);
    void RefreshProgress();
    void FinishDownloadPage(bool failed, const std::wstring& message);
    // Keeps the keyboard on the dialog: when the focused control was disabled or hidden, the
    // given one takes the focus.
    void KeepFocusOn(Button& fallback);
    void InstallStep();
    std::string OemFolderName(const std::wstring& path) const;
    void EndRun();
    std::wstring ListValue(const wchar_t* name, const wchar_t* fallback) const;
    std::wstring Url(const std::wstring& path) const;

    // The transfer that runs (the check's or the archive's) and how it ended.
    struct Transfer {
        bool running = false;
        bool cancelRequested = false;  // confirmed by the user
        bool failed = false;           // stopped by that cancel
        bool closeAfter = false;       // the dialog closes once the transfer has stopped
        bool httpStatusFailed = false;
        double start = 0;              // time of day the archive download began
        DWORD lastRefresh = 0;
    };

    std::unique_ptr<TWinXP> WinXP;
    Step step_ = Step::Welcome;
    int page_ = 0;
    UINT dpi_ = 96;
    bool standardButtons_ = true;
    bool cancelDownloadShown_ = true;
    bool installPrepared_ = false;
    bool updatesAvailable_ = false;
    bool checking_ = false;
    bool noUpdatesFinished_ = false;
    bool destroyed_ = false;
    bool quitSeen_ = false;
    Transfer transfer_;
    std::optional<ArchiveBinding> binding_;
    // Held from the archive's check to its unpacking, so that no one can write it in between.
    FileHandle archiveGuard_;
    std::wstring resultText_;  // the result page's text when it is not the no-updates one
    std::wstring tempFolder_;
    std::wstring listFile_;
    std::wstring title_;
    std::vector<std::vector<HWND>> pages_;
    std::vector<std::pair<HWND, RECT>> design_;  // each control's place at 96 DPI
    bool percentBold_ = false;
    bool installError_ = false;
    IconHandle infoIcon_, icon2_, icon3_, errorIcon_, appIcon_;
    GdiHandle font_, titleFont_, stepFont_, stepBoldFont_, percentFont_, percentBoldFont_;
    GdiHandle titleBrush_;
};
