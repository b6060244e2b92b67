// "Erweiterte Einstellungen" driven by the keyboard as a user drives it, at the DPI of the test's
// prefix (ZW_DPI, 96 when unset).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/link_settings_dialog.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"

namespace {

const bool aware = DeclarePerMonitorDpiAwareness();

UINT ExpectedDpi() {
    const char* dpi = getenv("ZW_DPI");
    return dpi ? static_cast<UINT>(atoi(dpi)) : 96;
}

// One key, posted to the focus, handled before the next.
void Key(WPARAM key) {
    const HWND focus = GetFocus();
    const LPARAM scan = LPARAM(MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    PostMessageW(focus, WM_KEYUP, key, scan | 0xC0000001);
    PumpPending();
}
void AltKey(wchar_t letter) {
    PostMessageW(GetFocus(), WM_SYSCHAR, letter, 1 << 29);
    PumpPending();
}
void Type(const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(GetFocus(), WM_CHAR, c, 1);
    PumpPending();
}

bool watchdogFired = false;
void CALLBACK Watchdog(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    watchdogFired = true;
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class LinkSettingsDialogTest : public testing::Test {
protected:
    TempFolder temp;
    LinkSettingsDialog dialog;
    const LinkSettings original{L"", 0, 1, false};

    // Shows the dialog for target with settings, runs walk while it is open, and answers the result.
    int Run(SettingsTarget target, LinkSettings& settings, const std::function<void()>& walk) {
        dialog.OnShown = [&] {
            SetTimer(dialog.Handle(), 77, kWaitLimitMs * 3, &Watchdog);
            walk();
        };
        watchdogFired = false;
        const int result = dialog.ShowModal(nullptr, target, settings);
        KillTimer(dialog.Handle(), 77);
        EXPECT_FALSE(watchdogFired) << "the dialog stayed open";
        return result;
    }
};

TEST_F(LinkSettingsDialogTest, EverySettingIsReachedAndSetByKeyboard) {
    ASSERT_TRUE(aware);
    const std::wstring folder = WithoutTrailingBackslash(temp.MakeFolder(L"Start hier"));
    const WORD ctrlAltZ = MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT);
    struct Case {
        const char* name;
        std::function<void()> walk;
        int result;
        LinkSettings expected;
    };
    const std::vector<Case> cases = {
        {"Tab through every field, Enter confirms",
         [&] {
             EXPECT_EQ(GetFocus(), dialog.WorkingFolderEdit());
             Type(folder);
             Key(VK_TAB);
             EXPECT_EQ(GetFocus(), dialog.HotKeyControl());
             Key('Z');
             EXPECT_EQ(SendMessageW(dialog.HotKeyControl(), HKM_GETHOTKEY, 0, 0), ctrlAltZ);
             Key(VK_TAB);
             EXPECT_EQ(GetFocus(), dialog.RunModeCombo());
             Key(VK_DOWN);
             Key(VK_TAB);
             EXPECT_EQ(GetFocus(), dialog.RunAsAdminCheck());
             Key(VK_SPACE);
             Key(VK_TAB);
             EXPECT_EQ(GetFocus(), dialog.OKButton());
             Key(VK_RETURN);
         },
         IDOK, {folder, ctrlAltZ, 7, true}},
        {"access keys reach each field",
         [&] {
             AltKey(L'f');
             EXPECT_EQ(GetFocus(), dialog.RunModeCombo());
             Key(VK_END);
             AltKey(L't');
             EXPECT_EQ(GetFocus(), dialog.HotKeyControl());
             AltKey(L'a');
             EXPECT_EQ(SendMessageW(dialog.RunAsAdminCheck(), BM_GETCHECK, 0, 0), BST_CHECKED);
             AltKey(L'i');
             EXPECT_EQ(GetFocus(), dialog.WorkingFolderEdit());
             Key(VK_RETURN);
         },
         IDOK, {L"", 0, 3, true}},
        {"Esc leaves everything", [&] {
             Type(folder);
             Key(VK_ESCAPE);
         },
         IDCANCEL, original},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LinkSettings settings = original;
        EXPECT_EQ(Run(SettingsTarget::Program, settings, c.walk), c.result);
        EXPECT_EQ(Utf8FromWide(settings.workingFolder), Utf8FromWide(c.expected.workingFolder));
        EXPECT_EQ(settings, c.expected);
    }
}

TEST_F(LinkSettingsDialogTest, AMissingFolderIsRefusedAndTheDialogStays) {
    BoxScript script({BoxAnswer::Ok});
    LinkSettings settings = original;
    const std::wstring missing = temp.Path() + L"Fehlt";
    bool stayed = false;
    EXPECT_EQ(Run(SettingsTarget::Program, settings,
                  [&] {
                      Type(missing);
                      Key(VK_RETURN);
                      stayed = dialog.Open() && GetFocus() == dialog.WorkingFolderEdit();
                      Key(VK_ESCAPE);
                  }),
              IDCANCEL);
    EXPECT_TRUE(stayed);
    ASSERT_EQ(script.Boxes().size(), 1u);
    EXPECT_NE(script.Boxes()[0].text.find(missing), std::wstring::npos);
    EXPECT_EQ(settings, original);
}

TEST_F(LinkSettingsDialogTest, WhatDoesNotApplyIsDisabledWithItsReasonAndKept) {
    const LinkSettings own{L"C:\\", MAKEWORD('Q', HOTKEYF_CONTROL), 2, true};
    for (const SettingsTarget target : {SettingsTarget::Program, SettingsTarget::Document, SettingsTarget::Folder,
                                        SettingsTarget::FolderLink}) {
        SCOPED_TRACE(static_cast<int>(target));
        const SettingsAvailability available = AvailableSettings(target);
        LinkSettings settings = own;
        std::string problems;
        EXPECT_EQ(Run(target, settings,
                      [&] {
                          const HWND fields[] = {dialog.WorkingFolderEdit(), dialog.HotKeyControl(),
                                                 dialog.RunModeCombo(), dialog.RunAsAdminCheck()};
                          const bool enabled[] = {available.workingFolder, available.hotKey, available.showCommand,
                                                  available.runAsAdmin};
                          for (int i = 0; i < 4; ++i)
                              if ((IsWindowEnabled(fields[i]) != FALSE) != enabled[i]) problems += "field " + std::to_string(i) + " ";
                          wchar_t reason[256] = {};
                          GetWindowTextW(dialog.ReasonLabel(), reason, 256);
                          if (reason != available.reason) problems += "reason ";
                          // Everything sits inside the window, the reason's line wide enough for its text.
                          RECT client{}, label{};
                          GetClientRect(dialog.Handle(), &client);
                          MapWindowPoints(dialog.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
                          for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                              RECT r{};
                              GetWindowRect(child, &r);
                              if (IsWindowVisible(child) && !Inside(r, client)) problems += "outside ";
                          }
                          GetClientRect(dialog.ReasonLabel(), &label);
                          const HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog.ReasonLabel(), WM_GETFONT, 0, 0));
                          if (TextExtent(WindowDc(dialog.ReasonLabel()).Get(), font, reason).cx > label.right)
                              problems += "reason cut ";
                          HoldForScreenshot();
                          Key(VK_RETURN);
                      }),
                  IDOK);
        EXPECT_EQ(problems, "");
        EXPECT_EQ(dialog.Dpi(), ExpectedDpi());
        EXPECT_EQ(settings, own) << "OK without a change gives back what came in";
    }
}

}  // namespace
