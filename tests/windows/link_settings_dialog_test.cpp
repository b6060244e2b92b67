// "Erweiterte Einstellungen" driven by the keyboard, at the DPI of the test's prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/link_settings_dialog.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "wizard/page_flow.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/temp_folder.h"

namespace {

const bool aware = DeclarePerMonitorDpiAwareness();

// The scale the prefix was set to for this run (ZW_DPI), which the dialog must have taken.
UINT ExpectedDpi() {
    const char* dpi = getenv("ZW_DPI");
    return dpi ? static_cast<UINT>(atoi(dpi)) : 96;
}

HWND dialogWindow = nullptr;  // the dialog the keys are for

// Keys posted to the dialog's focus, each handled before the next. A window of another test on
// the shared screen may take the activation: the dialog is activated again, and where it still
// has no focus it is closed, so that the case fails instead of waiting for keys that never come.
void Post(UINT message, WPARAM key, LPARAM lParam) {
    const auto inDialog = [] { return GetFocus() && (GetFocus() == dialogWindow || IsChild(dialogWindow, GetFocus())); };
    if (!inDialog()) SetActiveWindow(dialogWindow);
    if (!inDialog()) {
        ADD_FAILURE() << "the dialog has lost the focus";
        PostMessageW(dialogWindow, WM_CLOSE, 0, 0);
        return;
    }
    PostMessageW(GetFocus(), message, key, lParam);
    PumpPending();
}
void Key(WPARAM key) {
    const LPARAM scan = LPARAM(MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC)) << 16;
    Post(WM_KEYDOWN, key, scan | 1);
    Post(WM_KEYUP, key, scan | 0xC0000001);
}
void AltKey(wchar_t letter) { Post(WM_SYSCHAR, letter, 1 << 29); }
void Type(const std::wstring& text) {
    for (wchar_t c : text) Post(WM_CHAR, c, 1);
}

struct Case {
    const char* name;
    SettingsTarget target;
    std::function<void(LinkSettingsDialog&)> walk;  // Enter follows while it is open
    int result;
    LinkSettings expected;
    const wchar_t* help = L"";  // the help topic F1 asked for
};

TEST(LinkSettingsDialogTest, EverySettingByKeyboardAndWhatDoesNotApplyKept) {
    ASSERT_TRUE(aware);
    ASSERT_EQ(SystemDpi(), ExpectedDpi()) << "the prefix's scale did not take";
    TempFolder temp;
    const std::wstring folder = WithoutTrailingBackslash(temp.MakeFolder(L"Start hier"));
    const LinkSettings own{L"C:\\", MAKEWORD('Q', HOTKEYF_CONTROL), 2, false};
    const auto focusIs = [](HWND control) { EXPECT_EQ(GetFocus(), control); };
    const Case cases[] = {
        {"typing replaces the first field, Tab through every field, Enter confirms",
         SettingsTarget::Program,
         [&](LinkSettingsDialog& d) {
             Type(folder);
             // Each field takes its key, then Tab moves on.
             const std::pair<HWND, WPARAM> fields[] = {{d.WorkingFolderEdit(), VK_TAB}, {d.HotKeyControl(), 'Z'},
                                                       {d.RunModeCombo(), VK_DOWN}, {d.RunAsAdminCheck(), VK_SPACE},
                                                       {d.OKButton(), VK_RETURN}};
             for (const auto& [field, key] : fields) {
                 focusIs(field);
                 Key(key);
                 if (key != VK_TAB && key != VK_RETURN) Key(VK_TAB);
             }
         },
         IDOK, {folder, MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT), 3, true}},
        {"access keys reach each field", SettingsTarget::Program,
         [&](LinkSettingsDialog& d) {
             AltKey(L'f');
             focusIs(d.RunModeCombo());
             Key(VK_HOME);
             AltKey(L'a');
             AltKey(L't');
             focusIs(d.HotKeyControl());
             AltKey(L'i');
             focusIs(d.WorkingFolderEdit());
             Key(VK_RETURN);
         },
         IDOK, {L"C:\\", own.hotKey, 1, true}},
        {"a missing folder is refused, the dialog stays, Esc leaves all", SettingsTarget::Program,
         [&](LinkSettingsDialog& d) {
             Type(L"Fehlt");
             Key(VK_RETURN);
             EXPECT_TRUE(d.Open());
             focusIs(d.WorkingFolderEdit());
             Key(VK_ESCAPE);
         },
         IDCANCEL, own},
        {"a document cannot run as administrator", SettingsTarget::Document, [&](LinkSettingsDialog&) { AltKey(L'a'); },
         IDOK, own},
        {"F1 asks for the description page's help, through the dialog's own loop", SettingsTarget::Program,
         [](LinkSettingsDialog& d) {
             for (const WPARAM key : {WPARAM(VK_F1), WPARAM(VK_RETURN)}) PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
             EXPECT_EQ(GetFocus(), d.WorkingFolderEdit());
         },
         IDOK, own, PageHelpTopic(WizardPageId::Description)},
        {"a folder link has nothing to set", SettingsTarget::FolderLink,
         [&](LinkSettingsDialog& d) { focusIs(d.OKButton()); }, IDOK, own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoxScript boxes({BoxAnswer::Ok});
        LinkSettingsDialog dialog;
        LinkSettings settings = own;
        int result = 0;
        std::wstring help;
        dialog.OnHelp = [&](const std::wstring& topic) { help = topic; };
        CheckWhileShown(
            dialog, [&] { result = dialog.ShowModal(nullptr, c.target, settings); },
            [&] {
                dialogWindow = dialog.Handle();
                EXPECT_EQ(IsWindowEnabled(dialog.RunAsAdminCheck()) != FALSE, AvailableSettings(c.target).runAsAdmin);
                HoldForScreenshot();
                c.walk(dialog);
            },
            [&] {
                // A case asking for help has posted its Enter for the dialog's loop.
                if (dialog.Open() && !*c.help) Key(VK_RETURN);
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(dialog.Dpi(), ExpectedDpi());
        EXPECT_EQ(settings, c.expected);
        EXPECT_EQ(help, c.help);
        EXPECT_EQ(boxes.Boxes().size(), c.result == IDCANCEL ? 1u : 0u) << "the warning for a missing folder only";
    }
}

}  // namespace
