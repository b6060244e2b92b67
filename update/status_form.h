// TStatusForm: the update wizard. Six steps (welcome, check, result, download, installation,
// finish) and a settings page for the reminder schedule; the batch it prepares replaces the
// program's files after the program has ended.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/window.h"
#include "update/http_client.h"
#include "update/signature.h"
#include "update/update_rules.h"
#include "update/zip_extract.h"

class TWinXP;

class TStatusForm : public Window {
public:
    enum Page { Bestaetigung1, Pruefen, Bestaetigung2, Download, Einrichten, Bestaetigung3, Einstellungen };
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

    // Shown modally over owner; returns when the dialog is closed.
    void ShowModal(HWND owner);
    // Called once the dialog is up inside its modal loop (tests drive the dialog from here).
    std::function<void(TStatusForm&)> OnShown;
    // The program's terminate request (ends the message loop); tests record it instead.
    std::function<void()> OnTerminate;
    // The least time between two refreshes of the progress texts.
    int ProgressRefreshMs = 50;

    // Controls
    Label Panel_Title;
    Label Image_Icon1, Label2;                                          // 0
    Label Label4;                                                       // 1
    Button Button_Check;
    Label Label_CheckResult;                                            // 2
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

    // State of the run
    int Step() const { return step_; }
    int PageIndex() const { return page_; }
    bool StandardButtonsShown() const { return standardButtons_; }
    bool UpdatesAvailableFlag() const { return updatesAvailable_; }
    bool Downloading() const { return downloading_; }
    bool DownloadFailed() const { return downloadFailed_; }
    bool InstallPrepared() const { return installPrepared_; }
    // This run's own folder below the system's temporary folder, with a trailing backslash.
    const std::wstring& TempFolder() const { return tempFolder_; }
    bool Showing() const { return modalResult_ == 0 && IsWindowVisible(Handle()); }
    int SpinValue() const;
    void SetSpinValue(int value);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void AddToPage(int page, HWND control);
    void ShowPage(int page);
    void ShowStandardButtons(bool standard);
    // The download page's button is hidden after a completed download, also when the page returns.
    void ShowCancelDownload(bool shown);
    void SetTitle(const std::wstring& title);
    void OnCommand(int id, int code);
    void Close();
    void PumpMessages();

    enum class Fetched { Ok, HttpError, Failed };
    // GET of a path on the server into a file; a failed transfer leaves no file behind.
    Fetched Fetch(const std::wstring& path, const std::wstring& file);
    void RunDownload();
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

    std::unique_ptr<TWinXP> WinXP;
    int step_ = 0;
    int page_ = 0;
    bool standardButtons_ = true;
    bool cancelDownloadShown_ = true;
    bool cancelRequested_ = false;
    bool downloadFailed_ = false;
    bool installPrepared_ = false;
    bool updatesAvailable_ = false;
    bool downloading_ = false;
    bool noUpdatesFinished_ = false;
    bool closeAfterDownload_ = false;
    bool destroyed_ = false;
    bool quitSeen_ = false;
    bool httpStatusFailed_ = false;
    double downloadStart_ = 0;
    DWORD lastRefresh_ = 0;
    std::wstring tempFolder_;
    std::wstring listFile_;
    std::wstring title_;
    int modalResult_ = 1;
    std::vector<std::vector<HWND>> pages_;
    IconHandle infoIcon_, icon2_, icon3_, errorIcon_;
    GdiHandle font_, titleFont_, stepFont_, stepBoldFont_, percentFont_, percentBoldFont_;
    HBRUSH titleBrush_ = nullptr;
};

// The one update dialog of the process, created when first asked for.
TStatusForm& UpdateStatusForm();
bool UpdateStatusFormExists();
