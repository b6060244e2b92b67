// The update wizard's window: a view over one update run at a time. Six steps (welcome, check,
// result, download, installation, finish) in a painted step list, and a settings page for the
// reminder schedule. The transfers run on a worker thread and post back to this window.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/modal_window.h"
#include "update/http_client.h"
#include "update/proxy_settings.h"
#include "update/run_files.h"
#include "update/update_run.h"
#include "update/wizard_look.h"
#include "update/zip_extract.h"

class CommonControls;

class UpdateDialog : public ModalWindow {
public:
    static constexpr int kClientWidth = 658, kClientHeight = 353;

    UpdateDialog();
    ~UpdateDialog() override;

    // Given by the update component before each showing.
    RunFiles::Settings Files;
    std::wstring ArchiveFile;  // the archive's name in the run folder
    ServerAddress Server;
    const UpdateClock* Clock;
    const ConnectionState* Connection;
    const BatchLauncher* Launcher;
    // Makes the transfers of a showing; empty: over the network on worker threads. A replacement
    // posts each end through `ends`, as the network's transfers do.
    std::function<std::unique_ptr<UpdateTransfers>(class TransferEnds& ends)> MakeTransfers;
    // Adjusts the network's client of each transfer (its name lookup) before it is used.
    std::function<void(HttpClient&)> PrepareClient;
    // How the system's automatic proxy configuration is asked.
    AutomaticProxyLookup AutomaticProxy = WinHttpProxyList;

    // Shown modally over owner, from the welcome step; returns when the dialog is closed.
    void ShowModal(HWND owner);
    // The program's terminate request (ends the message loop); tests record it instead.
    std::function<void()> OnTerminate;
    // Called after the window has followed each change of the run.
    std::function<void()> OnChanged;
    // The end of the process: the next reminder, then the prepared batch. Runs once.
    void FinishProcess();

    // The run of the last showing; only after a first showing.
    const UpdateRun& Run() const { return *run_; }
    bool Showing() const { return Open() && IsWindowVisible(Handle()); }
    UINT Dpi() const { return dpi_; }
    // Where a step's title is drawn in the step list, in client pixels.
    RECT StepTitleBounds(int step) const;
    // Enter without a default button goes on; Esc cancels the page, the close box the dialog.
    void Accept() override { GoNext(); }
    void Dismiss() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateKey(const MSG& message) override;
    void ApplyDpi(UINT dpi, const RECT* suggested) override;
    void Paint(HDC dc) override;

private:
    void CreateControls();
    void AddToPage(UpdateRun::Page page, Control& control);
    void Layout();
    int S(int designUnits) const;
    struct StepListLook StepLook() const;
    // Shows the run as it is now, and ends the dialog when the run says so.
    void Render();
    void RenderProgress();
    Control& FocusControl(UpdateRun::Focus focus);

    void GoNext();
    void CancelRun();
    void CloseAll();
    void ToggleDownload();
    void ShowSettings();
    void SaveSettings();
    void FollowScheduleChoice();
    // The question before a running download is stopped: `stop` runs when the user confirmed it,
    // and only then do the ends that came while the question was open apply.
    void ConfirmStopThen(const std::function<void()>& stop);
    void ApplyEnd(const TransferOutcome& outcome);
    bool MoveAmongButtons(const MSG& message);

    std::unique_ptr<CommonControls> visualStyles_;
    ZipArchive zip_;
    std::unique_ptr<RunFiles> files_;
    std::unique_ptr<class TransferEnds> ends_;
    std::unique_ptr<UpdateTransfers> transfers_;
    class TransferWorker* worker_ = nullptr;  // transfers_ when it is the network's
    std::unique_ptr<UpdateRun> run_;

    Label titleBar_;
    Label welcomeIcon_, welcomeText_;
    Label checkText_;
    Button checkButton_;
    Label resultText_;
    Edit newsList_;
    Label resultClosing_;
    Label downloadText_, percent_, sizes_, timeLeft_, downloadIcon_;
    Control progressBar_;
    Button downloadButton_;
    Label installIcon_, installText_;
    Button restartBox_;
    Label finishText_, finishIcon_;
    Button scheduleFrame_, neverRadio_, regularRadio_;
    Label neverText_, regularText_, everyLabel_, daysLabel_;
    Edit intervalEdit_;
    Control intervalSpin_;
    Button settingsButton_, cancelButton_, nextButton_, settingsCancelButton_, saveButton_;

    std::vector<std::pair<UpdateRun::Page, HWND>> pageControls_;
    std::vector<std::pair<HWND, RECT>> design_;  // each control's place at 96 DPI
    UINT dpi_ = 96;
    int paintedStep_ = -1;
    UpdateRun::Focus appliedFocus_ = UpdateRun::Focus::Next;
    WizardLook look_;
};
