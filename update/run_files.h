// The files of an update run on Windows: its own folder below the temporary folder, the signed
// list read through the profile functions, the archive checked against the list and unpacked, and
// the batch written in the command interpreter's code page.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "update/signature.h"
#include "update/update_run.h"
#include "update/zip_extract.h"

class RunFiles : public UpdateFiles {
public:
    struct Settings {
        std::wstring programName;  // the list's section
        std::wstring programFile;  // the running program: its folder and restart line
        double programDate = 0;    // the news list shows what is newer
        std::wstring registryKey;
        bool hkcu = false;
        UpdateKey key{};
        unsigned oemCodePage = 0;  // 0: the system's OEM code page
        int batchWaitSeconds = 60;  // how long the batch waits for a file still in use
    };
    RunFiles(Settings settings, ZipArchive& zip) : settings_(std::move(settings)), zip_(zip) {}

    std::wstring NewRunFolder() override;
    std::wstring NewListFile() override;
    UpdateList ReadList(const std::wstring& listFile, const std::wstring& signatureFile) override;
    bool ConfirmArchive(const std::wstring& archive, const std::wstring& signature,
                        const ArchiveBinding& binding) override;
    std::optional<std::wstring> PrepareInstall(const std::wstring& archive, bool restart) override;
    void Discard(const std::wstring& file) override;
    void EndRun(bool installPrepared) override;
    void ScheduleNextReminder(double today) override;
    bool NeedsAdministrator() override;
    bool CanBecomeAdministrator() override;

private:
    std::string OemFolderName(const std::wstring& path) const;
    bool HoldRunFiles(const std::string& batch);

    Settings settings_;
    ZipArchive& zip_;
    std::wstring folder_;
    // Held from the archive's check to its unpacking, so that no one can write it in between.
    FileHandle archiveGuard_;
    bool needsAdministrator_ = false;
    // Held until the process ends, where an administrator's batch starts before it: the batch
    // waits until the system has removed it.
    FileHandle programLock_;
    // Where an administrator's batch runs: every file of the run folder, open against writing and
    // deleting until the program's end, when the batch has made the folder the Administrators'.
    std::vector<FileHandle> heldFiles_;
};
