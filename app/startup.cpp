#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>

#include "app/help_window.h"
#include "app/resource_ids.h"
#include "app/shell_registration.h"
#include "controls/directory_view.h"
#include "dialogs/about_dialog.h"
#include "dialogs/icon_chooser.h"
#include "platform/app_title.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "platform/startup_trace.h"
#include "platform/window.h"
#include "wizard/control_ids.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "wizard/settings.h"
#include "wizard/wizard_form.h"

void PrepareWizard(TForm1& form, const StartMode& mode) {
    if (mode.target.empty() && mode.folder.empty() && mode.editedLink.empty()) return;
    // A link that cannot be read is reported by the caller's error boundary before anything changes.
    std::optional<LinkData> link;
    if (!mode.editedLink.empty()) link = ReadLink(EditedLinkFile(mode.editedLink));
    form.StartWith(mode.target, mode.folder);
    if (link) form.EditLink(mode.editedLink, EditedTargetCommandLine(link->targetPath, link->arguments), *link);
}

int RunZeigerwerk(const std::vector<std::wstring>& arguments, int showCommand, ShellOpener& shell) {
    const std::wstring first = arguments.size() > 0 ? arguments[0] : std::wstring();
    const std::wstring second = arguments.size() > 1 ? arguments[1] : std::wstring();
    const StartMode mode = DecideStartMode(first, second, {FileExists, DirectoryExists});
    if (mode.kind == StartMode::Uninstall) return RunUninstall();
    RegisterShellIntegration(ModulePath());
    NoteStartupPhase("registration");

    if (mode.kind == StartMode::NewLinkHere) {
        shell.Open(nullptr, L"rundll32.exe", NewLinkHereParameters(mode.folder), {}, SW_SHOWNORMAL);
        return 0;
    }

    SetAppTitle(L"Zeigerwerk");
    TForm1::CheckUpdatesOnCreate = true;
    TForm1::BuildPagesWhenIdle = true;
    TForm1 form;
    const Settings settings = LoadSettings();
    NoteStartupPhase("settings");
    Settings scaled = settings;  // stored at 96 DPI
    scaled.windowWidth = Scale(settings.windowWidth, form.Dpi());
    scaled.windowHeight = Scale(settings.windowHeight, form.Dpi());
    RestoreWindowSize(form.Handle(), scaled);
    form.ODialog.FilterIndex = settings.fileTypes;
    std::optional<TInfo> about;  // made when first asked for
    form.OnAbout = [&] {
        if (!about) about.emplace();
        about->ShowModal(form.Handle(), AppTitle(), L"2000 - 2002",
                        LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP)));
    };
    GuardedCall(form.Handle(), [&] {
        PrepareWizard(form, mode);
        return LRESULT{0};
    });
    TForm2 chooser;
    form.IconChooser = &chooser;
    form.OnHelp = [&form](const std::wstring& topic) { ShowHelpTopic(form.Handle(), ProgramHelpFile(), topic); };
    chooser.OnHelp = [&chooser](const std::wstring& topic) { ShowHelpTopic(chooser.Handle(), ProgramHelpFile(), topic); };
    NoteStartupPhase("command line and chooser");
    form.Show(showCommand);
    NoteStartupPhase("first paint");
    WriteStartupTrace();

    std::vector<ACCEL> keys = TForm1::Keys();
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
    return 0;
}
