// UpdateService: the update's settings and schedule. Decides at start whether the user is asked to
// look for updates, keeps the schedule in the registry and opens the update dialog.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "update/signature.h"
#include "update/update_rules.h"
#include "update/update_run.h"
#include "update/update_lock.h"
#include "update/update_settings.h"

class UpdateDialog;

// The update service of the program: owned by the program's start-up, which asks it for the
// reminder before the wizard appears, hands the wizard its Ctrl+U action and lets it do its
// end-of-process work. Its dialog is made when first shown: most starts never show it.
class UpdateService {
public:
    UpdateService();
    ~UpdateService();

    std::wstring ProgramName;
    std::wstring RegistryKey;
    std::wstring ZIPFileName;
    bool HKCU = false;

    // The window the dialog is shown over (the wizard, once it exists).
    HWND Owner = nullptr;
    // The running program (its drive, date, folder and restart line).
    std::wstring ProgramFile;
    // The key update files must be signed with.
    UpdateKey Key = ReleaseUpdateKey();
    const UpdateClock* Clock = &SystemUpdateClock();
    const ConnectionState* Connection = &SystemConnectionState();
    const BatchLauncher* Launcher = &SystemBatchLauncher();

    // Shows the dialog when it is due (always when manual). Answers true when the program is to
    // end now, without the wizard's own saving: "OnlyUpdate" is set.
    bool AutomaticUpdate(const std::wstring& params, bool manual, double programDate);
    // What the Ctrl+U action does.
    bool CheckNow() { return AutomaticUpdate(L"", true, 0); }

    // The dialog, made on first use.
    UpdateDialog& Dialog();
    // The end-of-process work: the next-due date, then the prepared batch is started. An error on
    // the way is shown in a box and the batch still starts. Runs once.
    void FinishUpdates();

private:
    std::unique_ptr<UpdateDialog> dialog_;
    std::optional<UpdateLock> lock_;
};
