#include "update/update_service.h"

#include <cstring>

#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/message_box.h"
#include "platform/platform_error.h"
#include "platform/system_library.h"
#include "platform/win_error.h"
#include "update/update_dialog.h"

UpdateService::UpdateService() : ProgramFile(ModulePath()) {}

UpdateService::~UpdateService() = default;

UpdateDialog& UpdateService::Dialog() {
    if (!dialog_) dialog_ = std::make_unique<UpdateDialog>();
    return *dialog_;
}

bool UpdateService::AutomaticUpdate(const std::wstring& params, bool manual, double programDate) {
    std::optional<::RegistryKey> key(OpenUpdateSettings(HKCU, RegistryKey));
    if (!manual) key->SetString(L"ApplicationFileName", ApplicationFileNameValue(ProgramFile, params));

    const std::wstring root = ProgramFile.substr(0, 3);
    if (!DriveTypeAllowsUpdate(GetDriveTypeW(root.c_str()))) return false;

    const double effectiveDate = programDate != 0 ? programDate : FileDate(ProgramFile);
    ScheduleState schedule;
    schedule.manual = manual;
    schedule.today = Clock->Today();
    schedule.nextDue = ReadNextDueDate(*key);
    schedule.onlyUpdate = UpdateValuePresent(*key, RegistryKey, L"OnlyUpdate");
    schedule.noUpdate = UpdateValuePresent(*key, RegistryKey, L"NoUpdate");
    if (!UpdateDue(schedule)) return false;

    UpdateDialog& dialog = Dialog();
    dialog.Files.programName = ProgramName;
    dialog.Files.registryKey = RegistryKey;
    dialog.Files.programDate = effectiveDate;
    dialog.Files.hkcu = HKCU;
    dialog.Files.programFile = ProgramFile;
    dialog.Files.key = Key;
    dialog.ArchiveFile = ZIPFileName;
    dialog.Clock = Clock;
    dialog.Connection = Connection;
    dialog.Launcher = Launcher;
    dialog.Server = UpdateServerAddress(RegistryKey);
    key.reset();  // the dialog opens the key itself where it needs it
    if (!lock_) lock_ = UpdateLock::Take(FolderPart(ProgramFile));
    if (!lock_) {
        // Another instance has the update in hand; the schedule stays as it is.
        ShowBox(Owner, kUpdateBusyText, L"Updates installieren", BoxKind::Warning, BoxButtons::Ok);
        return schedule.onlyUpdate;
    }
    dialog.ShowModal(Owner);
    if (!dialog.Run().InstallPrepared()) lock_.reset();
    return schedule.onlyUpdate;
}

void UpdateService::FinishUpdates() {
    if (dialog_) dialog_->FinishProcess();
}
