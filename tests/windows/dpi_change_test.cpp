// Windows that stay open while the user moves them to a screen of twice the scale: after the
// system's WM_DPICHANGED each is laid out as if it had been made at that scale.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

#include "app/help_window.h"
#include "dialogs/icon_chooser.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"
#include "update/update_dialog.h"
#include "update/update_service.h"

namespace {

// Sends the change to twice the window's scale and answers what is not where that scale puts it:
// the client area and every visible control at twice their size and place (a pixel or two of
// rounding and of text metrics aside).
std::string DoubledByDpiChange(HWND window, UINT dpi) {
    std::vector<std::pair<HWND, RECT>> before;
    for (HWND child : VisibleChildrenOf(window)) before.push_back({child, ChildBounds(child)});
    if (before.empty()) return "no controls shown";
    const SIZE client = ClientSize(window);
    RECT frame{};
    GetWindowRect(window, &frame);
    // As the system suggests it: the client area twice as large in the same frame.
    RECT suggested{frame.left, frame.top, frame.right + client.cx, frame.bottom + client.cy};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
    std::ostringstream problems;
    const auto within = [](LONG got, LONG want, LONG slack) { return got >= want - slack && got <= want + slack; };
    const SIZE now = ClientSize(window);
    if (!within(now.cx, 2 * client.cx, 2) || !within(now.cy, 2 * client.cy, 2))
        problems << "client " << now.cx << "x" << now.cy << " from " << client.cx << "x" << client.cy << "\n";
    for (const auto& [child, was] : before) {
        const RECT r = ChildBounds(child);
        // A combo box is as high as its font makes it.
        const LONG bottomSlack = IsClass(child, L"ComboBox") ? 12 : 6;
        if (!within(r.left, 2 * was.left, 3) || !within(r.top, 2 * was.top, 3) || !within(r.right, 2 * was.right, 4) ||
            !within(r.bottom, 2 * was.bottom, bottomSlack))
            problems << "control " << GetDlgCtrlID(child) << " at " << r.left << "," << r.top << "-" << r.right << ","
                     << r.bottom << " from " << was.left << "," << was.top << "-" << was.right << "," << was.bottom
                     << "\n";
    }
    return problems.str();
}

TEST(DpiChange, EachWindowIsLaidOutAsAtTheNewScale) {
    struct Case {
        const char* window;
        std::function<std::string()> run;
    } const cases[] = {
        {"update dialog",
         [] {
             UpdateDialog dialog;
             dialog.Files.registryKey = L"ZwDpiChangeTest";
             std::string problems = "never shown";
             CheckWhileShown(
                 dialog, [&] { dialog.ShowModal(nullptr); },
                 [&] {
                     const UINT dpi = dialog.Dpi();
                     problems = DoubledByDpiChange(dialog.Handle(), dpi);
                     // The longest step whole in the list, clear of the next one.
                     const RECT last = dialog.StepTitleBounds(5), fourth = dialog.StepTitleBounds(4);
                     if (last.right > Scale(225, 2 * dpi) || fourth.bottom > Scale(16 + 56 * 5, 2 * dpi))
                         problems += "step list cut\n";
                 },
                 [&] { PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0); });
             RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"ZwDpiChangeTest"));
             return problems;
         }},
        {"icon chooser",
         [] {
             IconChooser chooser;
             std::string problems = "never shown";
             int index = 0;
             CheckWhileShown(
                 chooser, [&] { chooser.ShowModal(nullptr, L"shell32.dll", index); },
                 [&] { problems = DoubledByDpiChange(chooser.Handle(), WindowDpi(chooser.Handle())); },
                 [&] { chooser.Dismiss(); });
             return problems;
         }},
        {"help window",
         [] {
             ShowHelpTopic(nullptr, ProgramFolder() + L"Pfeilbau.hlp", L"LinkIcon");
             const HWND help = HelpWindowHandle();
             if (!help) return std::string("no help window");
             // Small enough that twice its size fits the test's screen.
             SetWindowPos(help, nullptr, 0, 0, 380, 300, SWP_NOZORDER | SWP_NOACTIVATE);
             const std::string problems = DoubledByDpiChange(help, WindowDpi(help));
             DestroyWindow(help);
             return problems;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        EXPECT_EQ(c.run(), "");
    }
}

}  // namespace
