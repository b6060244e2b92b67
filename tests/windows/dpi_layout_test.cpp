// Every window of the program at the DPI of the test's prefix (ZW_DPI, 96 when unset): controls
// inside their parent, no unplanned overlaps, every one-line text fitting its control, and the
// design sizes scaled.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "app/help_window.h"
#include "dialogs/about_dialog.h"
#include "dialogs/icon_chooser.h"
#include "dialogs/link_settings_dialog.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/icon_size.h"
#include "platform/input_box.h"
#include "platform/utf.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/wizard_fixture.h"
#include "update/update_dialog.h"
#include "update/update_service.h"

namespace {

// The program declares itself DPI-aware in its manifest; this test program does the same.
const bool aware = DeclarePerMonitorDpiAwareness();

UINT ExpectedDpi() {
    const char* dpi = getenv("ZW_DPI");
    return dpi ? static_cast<UINT>(atoi(dpi)) : 96;
}

std::string Describe(HWND window) {
    return Utf8FromWide(ClassOf(window) + L" \"" + TextOf(window) + L"\"");
}

// The room a control's frame leaves for its text; -1 for controls whose text is not one line.
int TextRoom(HWND control, UINT dpi, int lineHeight) {
    const std::wstring name = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const RECT r = ChildBounds(control);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (TextOf(control).empty()) return -1;
    if (_wcsicmp(name.c_str(), L"Button") == 0) {
        if (style & (BS_ICON | BS_BITMAP)) return -1;
        switch (style & BS_TYPEMASK) {
            case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
                return width - Scale(13 + 4, dpi);  // the box and the gap before the text
            case BS_GROUPBOX:
                return width - Scale(2 * 8, dpi);
            default:
                return width - Scale(2 * 4, dpi);  // frame and focus rectangle on both sides
        }
    }
    if (_wcsicmp(name.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return -1;
        if (height >= 2 * lineHeight) return -1;  // a wrapping label
        return width;
    }
    return -1;
}

struct Extent {
    int width, lineHeight;
};

Extent TextExtent(HWND control) {
    const WindowDc window(control);
    const HDC dc = window.Get();
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    const std::wstring text = TextOf(control);
    RECT r{0, 0, 0, 0};
    const bool prefix = !(GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX) || ClassOf(control) != L"Static";
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | (prefix ? 0 : DT_NOPREFIX));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return {r.right - r.left, metrics.tmHeight};
}

bool InsideOf(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool IsGroupBox(HWND window) {
    return _wcsicmp(ClassOf(window).c_str(), L"Button") == 0 &&
           (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

HWND BuddyOf(HWND window) {
    if (ClassOf(window) != UPDOWN_CLASSW) return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(window, UDM_GETBUDDY, 0, 0));
}

// Everything wrong with the visible controls of one window, one line each.
std::string LayoutProblems(HWND window, UINT dpi) {
    std::ostringstream problems;
    RECT client;
    GetClientRect(window, &client);
    const std::vector<HWND> children = VisibleChildrenOf(window);
    for (size_t i = 0; i < children.size(); ++i) {
        const HWND child = children[i];
        const RECT r = ChildBounds(child);
        if (!InsideOf(r, client)) problems << Describe(child) << " leaves the client area\n";
        const Extent extent = TextExtent(child);
        const int room = TextRoom(child, dpi, extent.lineHeight);
        if (room >= 0 && extent.width > room)
            problems << Describe(child) << " needs " << extent.width << " pixels, has " << room << "\n";
        for (size_t j = i + 1; j < children.size(); ++j) {
            const RECT other = ChildBounds(children[j]);
            RECT common;
            if (!IntersectRect(&common, &r, &other)) continue;
            // A group box frames its buttons, an up-down control sits on its buddy's edge, by design.
            if ((IsGroupBox(child) && InsideOf(other, r)) || (IsGroupBox(children[j]) && InsideOf(r, other))) continue;
            if (BuddyOf(child) == children[j] || BuddyOf(children[j]) == child) continue;
            problems << Describe(child) << " overlaps " << Describe(children[j]) << "\n";
        }
    }
    return problems.str();
}

class DpiLayoutTest : public WizardTest {
protected:
    DpiLayoutTest() {
        if (const char* program = getenv("ZW_PROGRAM"))
            resources_.Reset(LoadLibraryExW(WideFromUtf8(program).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        SetResourceModule(resources_.Get());
        NewForm();  // with the program's pictures
    }
    ~DpiLayoutTest() override { SetResourceModule(nullptr); }

    const UINT dpi = ExpectedDpi();

private:
    ModuleHandle resources_;
};

TEST_F(DpiLayoutTest, TheTestRunsAtThePrefixDpi) {
    ASSERT_TRUE(aware);
    EXPECT_EQ(SystemDpi(), dpi);
    EXPECT_EQ(form->Dpi(), dpi);
}

TEST_F(DpiLayoutTest, EveryWizardPageFitsAtThisScale) {
    const std::wstring folder = temp.Path() + L"Ziel";
    CreateDirectoryW(folder.c_str(), nullptr);
    ShowWindow(ui().Handle(Push::DeleteEditedLink), SW_SHOWNA);  // as when editing a link
    TypeTarget(folder);
    const struct {
        LinkWizard::Page page;
        const wchar_t* next;
    } pages[] = {
        {LinkWizard::Target, L"&Weiter >"}, {LinkWizard::Location, L"&Weiter >"},
        {LinkWizard::Description, L"&Weiter >"}, {LinkWizard::Icon, L"Fertig stellen"},
        {LinkWizard::Kind, L"Fertig stellen"}, {LinkWizard::Closing, L"&Ja"},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(static_cast<int>(p.page));
        form->ShowPage(p.page);
        SetWindowTextW(ui().Handle(Push::Next), p.next);
        if (p.page == LinkWizard::Icon) {
            EXPECT_TRUE(ui().Press(Push::IconFileChoice));
        }
        EXPECT_EQ(LayoutProblems(form->Handle(), dpi), "");
    }
}

// The line above the buttons is the system's etched line at every scale: a shadow row over a
// highlight row.
TEST_F(DpiLayoutTest, TheSeparatorStaysAnEtchedLine) {
    HWND line = nullptr;
    for (HWND child : VisibleChildrenOf(form->Handle()))
        if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ) line = child;
    ASSERT_NE(line, nullptr);
    const RECT r = ChildBounds(line);
    EXPECT_EQ(r.bottom - r.top, 2);
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const WindowDc dc(form->Handle());
    const int x = (r.left + r.right) / 2;
    EXPECT_EQ(GetPixel(dc.Get(), x, r.top), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetPixel(dc.Get(), x, r.top + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(GetPixel(dc.Get(), x, r.top + 2), GetSysColor(COLOR_BTNFACE));
}

TEST_F(DpiLayoutTest, TheDialogsFitAtThisScale) {
    IconChooser chooser;
    std::string chooserProblems = "never shown";
    RECT indexBox{}, arrows{};
    int index = 0;
    CheckWhileShown(
        chooser, [&] { chooser.ShowModal(form->Handle(), ModulePath(), index); },
        [&] {
            chooserProblems = LayoutProblems(chooser.Handle(), dpi);
            indexBox = ChildBounds(chooser.IconIndexEdit());
            arrows = ChildBounds(chooser.IconIndexSpin());
        },
        [&] { chooser.Dismiss(); });
    EXPECT_EQ(chooserProblems, "");
    // The arrows beside the index box, as high as the box and wide at this scale; the box no
    // taller than its text needs.
    EXPECT_EQ(arrows.right - arrows.left, Scale(16, dpi));
    EXPECT_EQ(arrows.left, indexBox.right);
    EXPECT_EQ(arrows.top, indexBox.top);
    EXPECT_EQ(arrows.bottom, indexBox.bottom);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(chooser.IconIndexEdit(), WM_GETFONT, 0, 0));
    EXPECT_LE(indexBox.bottom - indexBox.top, TextExtent(WindowDc(chooser.IconIndexEdit()).Get(), font, L"0").cy + 2 + Scale(4, dpi));

    AboutDialog about;
    std::string aboutProblems = "never shown";
    CheckWhileShown(
        about, [&] { about.ShowModal(form->Handle(), L"Zeigerwerk", L"2000 - 2002", nullptr); },
        [&] { aboutProblems = LayoutProblems(about.Handle(), dpi); }, [&] { about.Accept(); });
    EXPECT_EQ(aboutProblems, "");

    LinkSettingsDialog settingsDialog;  // with the longest reason line
    std::string settingsProblems = "never shown";
    LinkSettings settings;
    CheckWhileShown(
        settingsDialog, [&] { settingsDialog.ShowModal(form->Handle(), SettingsTarget::FolderLink, settings); },
        [&] { settingsProblems = LayoutProblems(settingsDialog.Handle(), dpi); }, [&] { settingsDialog.Dismiss(); });
    EXPECT_EQ(settingsProblems, "");

    ShowHelpTopic(form->Handle(), ProgramFolder() + L"Pfeilbau.hlp", L"LinkIcon");
    ASSERT_NE(HelpWindowHandle(), nullptr);
    EXPECT_EQ(LayoutProblems(HelpWindowHandle(), dpi), "");
    DestroyWindow(HelpWindowHandle());
}

// The input box is a dialog of the system's making from a template; it is checked by its handle
// while its own loop runs.
TEST_F(DpiLayoutTest, TheInputBoxFitsAtThisScale) {
    std::string problems = "never shown";
    const WindowAnswer answer([](HWND box) { return IsDialogTitled(box, L"Neuer Ordner"); },
                              [&](HWND box) {
                                  problems = LayoutProblems(box, ExpectedDpi());
                                  PressDialogButton(box, IDCANCEL);
                              });
    std::wstring value = L"Neuer Ordner";
    const ModalWatchdog watchdog("the input box");
    EXPECT_FALSE(InputQuery(form->Handle(), L"Neuer Ordner", L"Geben Sie den Namen des neuen Ordners ein:", value));
    EXPECT_EQ(problems, "");
}

// Where every control stands and how large its font is, one line per control.
std::string Snapshot(LinkWizard& form) {
    std::ostringstream shot;
    for (HWND child = GetWindow(form.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        const RECT r = ChildBounds(child);
        shot << Describe(child) << " " << r.left << "," << r.top << "," << r.right << "," << r.bottom << " font "
             << lf.lfHeight << "\n";
    }
    return shot.str();
}

TEST_F(DpiLayoutTest, AMoveToAnotherScaleAndBackLaysOutAsAFreshStart) {
    for (LinkWizard::Page page : {LinkWizard::Location, LinkWizard::Icon}) {
        SCOPED_TRACE(static_cast<int>(page));
        NewForm();
        form->ShowPage(page);
        const auto fresh = Snapshot(*form);
        RECT frame;
        GetWindowRect(form->Handle(), &frame);
        const UINT other = dpi == 96 ? 192 : 96;
        RECT there{frame.left, frame.top, frame.left + Scale(516, other), frame.top + Scale(376, other)};
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&there));
        EXPECT_EQ(form->Dpi(), other);
        EXPECT_NE(Snapshot(*form), fresh);
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
        EXPECT_EQ(Snapshot(*form), fresh);
    }
}

// The edges of the tree's pictures and of the folder buttons' icons, as "tree,button,...".
std::string IconEdges(const WizardDriver& ui) {
    using enum WizardDriver::Push;
    int w = 0, h = 0;
    ImageList_GetIconSize(TreeView_GetImageList(ui.Tree()->Handle(), TVSIL_NORMAL), &w, &h);
    std::ostringstream edges;
    edges << w << "x" << h;
    for (const auto b : {Desktop, StartMenu, Programs, SendTo, QuickLaunch, Autostart}) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(ui.Handle(b), BM_GETIMAGE, IMAGE_ICON, 0));
        const SIZE size = icon ? IconSize(icon) : SIZE{};
        edges << "," << size.cx << "x" << size.cy;
    }
    return edges.str();
}

std::string ExpectedEdges(UINT at) {
    const std::string edge = std::to_string(SmallIconSize(at)) + "x" + std::to_string(SmallIconSize(at));
    std::string edges = edge;
    for (int i = 0; i < 6; ++i) edges += "," + edge;
    return edges;
}

TEST_F(DpiLayoutTest, IconsAndTheAboutDialogFollowTheScale) {
    form->ShowPage(LinkWizard::Location);
    ui().Tree()->Reload();
    const UINT other = dpi == 96 ? 192 : 96;
    RECT frame;
    GetWindowRect(form->Handle(), &frame);
    const RECT there{frame.left, frame.top, frame.left + Scale(516, other), frame.top + Scale(376, other)};
    const struct {
        UINT at;
        const RECT* rect;
    } moves[] = {{dpi, nullptr}, {other, &there}, {dpi, &frame}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.at);
        if (m.rect) SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(m.at, m.at), reinterpret_cast<LPARAM>(m.rect));
        EXPECT_EQ(IconEdges(ui()), ExpectedEdges(m.at));
    }

    AboutDialog about;
    std::vector<std::string> problems;
    std::vector<SIZE> sizes;
    const auto checks = [&] {
        for (const auto& m : moves) {
            RECT r;
            GetWindowRect(about.Handle(), &r);
            // The suggested frame: the same client area grown by the frame, at the new scale.
            RECT client{0, 0, Scale(435, m.at), Scale(132, m.at)};
            AdjustWindowRectEx(&client, GetWindowLongW(about.Handle(), GWL_STYLE), FALSE,
                               GetWindowLongW(about.Handle(), GWL_EXSTYLE));
            const RECT suggested{r.left, r.top, r.left + client.right - client.left, r.top + client.bottom - client.top};
            SendMessageW(about.Handle(), WM_DPICHANGED, MAKEWPARAM(m.at, m.at), reinterpret_cast<LPARAM>(&suggested));
            problems.push_back(LayoutProblems(about.Handle(), m.at));
            sizes.push_back(ClientSize(about.Handle()));
        }
    };
    CheckWhileShown(
        about, [&] { about.ShowModal(form->Handle(), L"Zeigerwerk", L"2000 - 2002", nullptr); }, checks,
        [&] { about.Accept(); });
    ASSERT_EQ(problems.size(), std::size(moves));
    for (size_t i = 0; i < problems.size(); ++i) {
        SCOPED_TRACE(moves[i].at);
        EXPECT_EQ(problems[i], "");
        EXPECT_EQ(sizes[i].cx, Scale(435, moves[i].at));
        EXPECT_EQ(sizes[i].cy, Scale(132, moves[i].at));
    }
}

// ---- The update dialog ----

// Every visible wrapping label shows its whole text.
std::string CutLabels(HWND window) {
    std::ostringstream problems;
    for (HWND child : VisibleChildrenOf(window)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (ClassOf(child) != L"Static" || (style & SS_TYPEMASK) != SS_LEFT || TextOf(child).empty()) continue;
        const RECT r = ChildBounds(child);
        const HDC dc = GetDC(child);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
        RECT need{0, 0, r.right - r.left, 0};
        DrawTextW(dc, TextOf(child).c_str(), -1, &need,
                  DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        SelectObject(dc, old);
        ReleaseDC(child, dc);
        if (need.bottom > r.bottom - r.top)
            problems << Describe(child).substr(0, 40) << " needs " << need.bottom << " pixels high, has "
                     << r.bottom - r.top << "\n";
    }
    return problems.str();
}

TEST_F(DpiLayoutTest, TheUpdateDialogFitsAtThisScale) {
    UpdateDialog update;
    std::vector<std::string> problems;
    const auto checks = [&] {
        std::vector<std::wstring> seen;
        auto check = [&](const char* page) {
            // Each page shows other controls than the one before: the click got there.
            std::wstring shown;
            for (HWND child : VisibleChildrenOf(update.Handle())) shown += TextOf(child) + L"|";
            if (!seen.empty() && shown == seen.back()) problems.push_back(std::string(page) + ": the page did not change");
            seen.push_back(shown);
            const std::string found = LayoutProblems(update.Handle(), dpi) + CutLabels(update.Handle());
            if (!found.empty()) problems.push_back(std::string(page) + ":\n" + found);
        };
        const auto click = [&](const wchar_t* caption) {
            const HWND button = FindWindowExW(update.Handle(), nullptr, L"Button", caption);
            if (!button) problems.push_back("no button " + Utf8FromWide(caption));
            SendMessageW(button, BM_CLICK, 0, 0);
        };
        // The pages a user reaches without a server; the others are laid out by the same rules.
        check("welcome");
        click(L"Einstellungen");
        check("settings");
        click(L"Speichern");
        click(L"Weiter >");
        check("check");
    };
    update.Files.registryKey = L"ZwDpiLayoutTest";
    CheckWhileShown(
        update, [&] { update.ShowModal(form->Handle()); }, checks,
        [&] { PostMessageW(update.Handle(), WM_CLOSE, 0, 0); });
    RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"ZwDpiLayoutTest"));
    EXPECT_EQ(problems, std::vector<std::string>{});
}

}  // namespace
