#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "app/help_window.h"
#include "platform/resource_ids.h"
#include "app/shell_registration.h"
#include "controls/directory_view.h"
#include "dialogs/about_dialog.h"
#include "dialogs/icon_chooser.h"
#include "platform/app_title.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_open.h"
#include "platform/startup_trace.h"
#include "platform/window.h"
#include "links/folder_links.h"
#include "links/internet_shortcut.h"
#include "links/link_kind.h"
#include "links/link_store.h"
#include "wizard/settings.h"
#include "wizard/link_wizard.h"
#include "update/install_mark.h"
#include "update/run_folder.h"
#include "update/update_service.h"

void PrepareWizard(LinkWizard& form, const StartMode& mode) {
    if (mode.target.empty() && mode.folder.empty() && mode.editedLink.empty()) return;
    // A link that cannot be read is reported by the caller's error boundary before anything changes.
    std::optional<LinkData> link;
    // A folder is edited only when it is a folder link; any other folder stays as it is.
    const bool folderLink = LinkKindOfPath(mode.editedLink) == LinkKind::FolderLink;
    if (folderLink && !IsFolderLink(mode.editedLink)) {
        ExclamationSound();
        WarnOk(form.Handle(), L"Der Ordner " + WithoutTrailingBackslash(mode.editedLink) +
                                  L" ist keine Ordnerverknüpfung und bleibt unverändert; Sie können eine neue "
                                  L"Verknüpfung erstellen.");
    } else if (LinkFileKind(mode.editedLink) == LinkKind::InternetShortcut) {
        // An Internet shortcut is edited like a link to its address, with its icon, hot key and run mode.
        const InternetShortcutFields fields = ReadInternetShortcut(mode.editedLink);
        link = LinkData{fields.url, {}, {}, {}, fields.iconFile, fields.iconIndex, fields.hotKey, fields.showCommand};
    } else if (!mode.editedLink.empty()) {
        link = ReadLink(EditedLinkFile(mode.editedLink));
    }
    form.StartWith(mode.target, mode.folder);
    if (link)
        form.EditLink(mode.editedLink,
                      LinkFileKind(mode.editedLink) == LinkKind::InternetShortcut ? link->targetPath : EditedTargetCommandLine(link->targetPath, link->arguments), *link);
}

namespace {

void ConfigureUpdate(UpdateService& update) {
    update.ProgramName = L"Zeigerwerk";
    update.RegistryKey = L"Zeigerwerk";
    update.ZIPFileName = L"Pfeilbau.zip";
    update.HKCU = false;
}

// What an update left behind a day ago or earlier (its batch removes its folder as it ends).
void RemoveOldUpdateFolders() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG day = 24ull * 60 * 60 * 10000000;
    RemoveStaleRunFolders(((ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime) - day);
}

int RunWizard(UpdateService& update, const StartMode& mode, int showCommand) {
    LinkWizard::BuildPagesWhenIdle = true;
    LinkWizard form;
    const Settings settings = LoadSettings();
    NoteStartupPhase("settings");
    Settings scaled = settings;  // stored at 96 DPI
    scaled.windowWidth = Scale(settings.windowWidth, form.Dpi());
    scaled.windowHeight = Scale(settings.windowHeight, form.Dpi());
    RestoreWindowSize(form.Handle(), scaled);
    form.SetFileTypes(settings.fileTypes);
    std::optional<AboutDialog> about;  // made when first asked for
    IconChooser chooser;
    chooser.OnHelp = [&chooser](const std::wstring& topic) { ShowHelpTopic(chooser.Handle(), ProgramHelpFile(), topic); };
    update.Owner = form.Handle();
    form.Connections = {
        .update = [&update] { return update.CheckNow(); },
        .help = [&form](const std::wstring& topic) { ShowHelpTopic(form.Handle(), ProgramHelpFile(), topic); },
        .about =
            [&] {
                if (!about) about.emplace();
                about->ShowModal(form.Handle(), AppTitle(), L"2000 - 2002",
                                 LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
            },
        .iconChooser = &chooser,
    };
    GuardedCall(form.Handle(), [&] {
        PrepareWizard(form, mode);
        return LRESULT{0};
    });
    NoteStartupPhase("command line and chooser");
    form.Show(showCommand);
    NoteStartupPhase("first paint");
    WriteStartupTrace();

    std::vector<ACCEL> keys = LinkWizard::Keys();
    const HACCEL accelerators = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(form.Handle()) && GetAncestor(message.hwnd, GA_ROOT) == form.Handle() &&
            TranslateAcceleratorW(form.Handle(), accelerators, &message))
            continue;
        if (RouteDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyAcceleratorTable(accelerators);
    update.Owner = nullptr;
    return 0;
}

}  // namespace

int RunZeigerwerk(const std::vector<std::wstring>& arguments, int showCommand, ShellOpener& shell) {
    const std::wstring first = arguments.size() > 0 ? arguments[0] : std::wstring();
    const std::wstring second = arguments.size() > 1 ? arguments[1] : std::wstring();
    std::wstring current(MAX_PATH, L'\0');
    current.resize(GetCurrentDirectoryW(MAX_PATH, current.data()) < MAX_PATH ? wcslen(current.c_str()) : 0);
    const StartMode mode = DecideStartMode(first, second, {FileExists, DirectoryExists, current, ExpandedPath});
    if (mode.kind == StartMode::Uninstall) return RunUninstall();
    RegisterShellIntegration(ModulePath());
    NoteStartupPhase("registration");

    if (mode.kind == StartMode::NewLinkHere) {
        shell.Open(nullptr, L"rundll32.exe", NewLinkHereParameters(mode.folder), {}, SW_SHOWNORMAL);
        return 0;
    }

    SetAppTitle(L"Zeigerwerk");
    // An update whose batch kept the old program says so before anything else.
    ReportFailedInstall(nullptr, AppTitle());
    // The update reminder comes before the wizard; in only-update mode the wizard never appears.
    UpdateService update;
    ConfigureUpdate(update);
    bool onlyUpdate = false;
    GuardedCall(nullptr, [&] {
        RemoveOldUpdateFolders();
        onlyUpdate = update.AutomaticUpdate(L"", false, 0);
        return LRESULT{0};
    });
    NoteStartupPhase("update check");
    const int result = onlyUpdate ? 0 : RunWizard(update, mode, showCommand);
    // A prepared update is started while the program ends.
    update.FinishUpdates();
    return result;
}
