// The keyboard and the focus as a user meets them: real key input (SendInput) or posted keys
// through the dialog-key routing, on a small form and on the program's own windows. These tests
// need the screen's activation and run one at a time.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "app/help_window.h"
#include "controls/directory_view.h"
#include "controls/animation_control.h"
#include "dialogs/icon_chooser.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/window.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wizard_fixture.h"
#include "dialogs/about_dialog.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/pixels.h"
#include "tests/windows/support/window_tree.h"
#include "wizard/link_writing_boxes.h"

namespace {

void Activate(HWND window) {
    SetForegroundWindow(window);
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == window; })) << "the window never became active";
}

// The wizard on the screen's activation, as a user sees it: these tests run one at a time.
class FocusTest : public WizardTest {
protected:
    FocusTest() { Activate(form->Handle()); }
};

bool IsDefault(HWND button) { return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

// A form with the controls a page has: an edit, a history drop-down and push buttons. OK is its
// own default; "Weiter" moves the focus on when pressed, as the folder buttons do.
class KeyForm : public Window {
public:
    enum { IdEdit = 10, IdCombo = 11, IdOther = 20, IdMover = 21 };
    KeyForm() {
        CreateWindowObject(L"ZwKeyForm", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"Tasten", 40, 40, 360,
                           200, nullptr, nullptr);
        edit.Create(Handle(), L"", 10, 10, 150, 22, IdEdit);
        combo.Create(Handle(), 10, 40, 150, 120, IdCombo);
        combo.SetItems({L"C:\\eins.exe", L"C:\\zwei.exe"});
        other.Create(Handle(), L"&Symbol", 10, 120, 80, 24, IdOther);
        mover.Create(Handle(), L"&Weiter", 100, 120, 80, 24, IdMover);
        ok.Create(Handle(), L"OK", 190, 120, 80, 24, IDOK, BS_DEFPUSHBUTTON);
        for (Control* control : std::initializer_list<Control*>{&edit, &combo, &other, &mover, &ok})
            control->SetFont(DialogFont());
        Activate(Handle());
        edit.SetFocus();
        PumpPending();
    }
    std::vector<HWND> Defaults() const {
        std::vector<HWND> found;
        for (const Button* b : {&other, &mover, &ok})
            if (IsDefault(b->Handle())) found.push_back(b->Handle());
        return found;
    }

    Edit edit;
    ComboBox combo;
    Button other, mover, ok;
    std::vector<int> pressed;
    std::vector<WPARAM> systemCommands;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
            case WM_ACTIVATE: RestoreFocusOnActivate(Handle(), wParam, lastFocus_, edit.Handle()); return 0;
            case WM_SYSCOMMAND: systemCommands.push_back(wParam & 0xFFF0); break;
            case WM_COMMAND:
                if (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) == IDCANCEL) return 0;
                pressed.push_back(LOWORD(wParam));
                if (LOWORD(wParam) == IdMover) edit.SetFocus();
                return 0;
        }
        return Default(message, wParam, lParam);
    }

private:
    HWND lastFocus_ = nullptr;
};

TEST(DialogManager, ExactlyOneDefaultButtonAndEnterPressesIt) {
    KeyForm form;
    const struct {
        const char* step;
        std::function<void()> act;
        Button& expectedDefault;
    } steps[] = {
        {"focus in the edit", [&] { form.edit.SetFocus(); }, form.ok},
        {"Tab onto a push button", [&] { form.combo.SetFocus(); PostKey(VK_TAB); }, form.other},
        {"Tab on to the next one", [&] { PostKey(VK_TAB); }, form.mover},
        {"focus set from code", [&] { form.other.SetFocus(); }, form.other},
        {"back to the drop-down", [&] { form.combo.SetFocus(); }, form.ok},
        {"Space on a button that moves the focus on", [&] { form.mover.SetFocus(); PostKey(VK_SPACE); }, form.ok},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        PumpPending();
        EXPECT_EQ(form.Defaults(), std::vector<HWND>{s.expectedDefault.Handle()});
        form.pressed.clear();
        PostKey(VK_RETURN);
        PumpPending();
        EXPECT_EQ(form.pressed, std::vector<int>{GetDlgCtrlID(s.expectedDefault.Handle())});
    }
}

// The keys of the first report: the icon page, Alt+S, Alt+D opens the chooser, Esc, Enter.
TEST_F(FocusTest, EnterAfterEscFromTheChooserOpensItAgainAndWritesNothing) {
    IconChooser chooser;
    form->Connections.iconChooser = &chooser;
    int opened = 0;
    chooser.OnShown = [&] {
        ++opened;
        PostKey(VK_ESCAPE, chooser.IconList());
    };
    TypeTarget(MakeProgram(L"prog.exe"));
    PressNext();
    TypeLocation(temp.Path() + L"prog");
    PressNext();
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    for (const wchar_t key : {L's', L'd'}) {
        PostAccessKey(key, GetFocus() ? GetFocus() : form->Handle());
        PumpPending();
    }
    ASSERT_TRUE(PumpUntil([&] { return opened == 1 && !chooser.Open() && GetFocus() == ui().Handle(Push::WindowsIcons); }));
    PostKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return opened == 2 && !chooser.Open(); }));
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_FALSE(FileExists(temp.Path() + L"prog.lnk"));
    EXPECT_TRUE(IsDefault(ui().Handle(Push::WindowsIcons)));
    EXPECT_FALSE(IsDefault(ui().Handle(Push::Next)));
}

// Every way onto a page leaves the focus on the page's own control, never on the window.
TEST_F(FocusTest, EveryPageEntryFocusesThePagesControl) {
    const std::wstring folder = temp.MakeFolder(L"Ziel");
    const struct {
        const char* step;
        std::function<void()> act;
        LinkWizard::Page page;
        std::function<HWND()> focused;
    } steps[] = {
        {"Next to the location", [&] { TypeTarget(folder); PressNext(); }, LinkWizard::Location,
         [&] { return ui().Handle(Field::Location); }},
        {"Next to the description", [&] { TypeLocation(temp / L"Ziel-Verknüpfung"); PressNext(); },
         LinkWizard::Description, [&] { return ui().Handle(Field::Description); }},
        {"Next to the icon page", [&] { PressNext(); }, LinkWizard::Icon, [&] { return ui().Handle(Push::StandardIcon); }},
        {"Next to the kind of link", [&] { PressNext(); }, LinkWizard::Kind,
         [&] { return ui().Handle(Push::FolderLink); }},
        {"Back to the icon page", [&] { ui().Press(Push::Back); }, LinkWizard::Icon,
         [&] { return ui().Handle(Push::StandardIcon); }},
        {"Back to the description", [&] { ui().Press(Push::Back); }, LinkWizard::Description,
         [&] { return ui().Handle(Field::Description); }},
        {"Back to the location", [&] { ui().Press(Push::Back); }, LinkWizard::Location, [&] { return ui().Handle(Field::Location); }},
        {"Back to the target", [&] { ui().Press(Push::Back); }, LinkWizard::Target,
         [&] { return ui().Handle(Field::CommandLine); }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        PumpPending();
        ASSERT_EQ(form->CurrentPage(), s.page);
        // Where the focus is instead: once seen in a full run, not again alone.
        const HWND focus = GetFocus();
        EXPECT_TRUE(HasFocus(s.focused())) << "the focus is on a " << Utf8FromWide(ClassOf(focus)) << " (shown "
                                           << (IsWindowVisible(focus) != FALSE) << "), the active window is "
                                           << (GetActiveWindow() == form->Handle() ? "the wizard" : "another");
    }
}

// "Nein" to the overwrite question is the default: the old link stays, and the icon page has
// the focus on its own control again.
TEST_F(FocusTest, TheOverwriteQuestionDefaultsToNo) {
    const std::wstring program = MakeProgram(L"prog.exe");
    temp.MakeFile(L"prog.lnk", "alt");
    CreateLink(program, temp / L"prog");
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(shown[0].preselected, BoxAnswer::No);
    EXPECT_EQ(ReadFileBytes(temp / L"prog.lnk"), "alt");
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_TRUE(HasFocus(ui().Handle(Push::StandardIcon)));
}

// What the link store or the folder would refuse at the end is refused when the location page
// is left, with the field selected for a correction.
TEST_F(FocusTest, TheLocationPageRefusesWhatCouldNotBeWritten) {
    const std::wstring program = MakeProgram(L"prog.exe");
    std::wstring deep = temp.Path();
    while (deep.size() < 180) deep = temp.MakeFolder(deep.substr(temp.Path().size()) + L"Unterverzeichnis");
    const struct {
        const char* name;
        std::wstring location;
        const wchar_t* says;
    } cases[] = {
        {"a link path of 273 characters", deep + std::wstring(273 - 4 - deep.size(), L'n'), L"zu lang"},
        {"a folder where no file can be made", L"Z:\\sys\\kernel\\prog", L"kann keine Verknüpfung erstellt werden"},
    };
    TypeTarget(program);
    PressNext();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        TypeLocation(c.location);
        PressNext();
        EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
        const auto& events = boxes.Events();
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].type, BoxEvent::Type::Sound);
        EXPECT_NE(events[1].text.find(c.says), std::wstring::npos) << Utf8FromWide(events[1].text);
        EXPECT_TRUE(HasFocus(ui().Handle(Field::Location)));
        EXPECT_EQ(ui().Combo(Field::Location).SelLength(), static_cast<int>(c.location.size()));
    }
}

TEST(DialogManager, OneEscClosesADropDownOpenedWithAltDown) {
    KeyForm form;
    form.combo.SetFocus();
    // Alt comes up before the arrow, as keyboards often send it.
    INPUT keys[4]{};
    const WORD order[] = {VK_MENU, VK_DOWN, VK_MENU, VK_DOWN};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
    const auto dropped = [&] { return SendMessageW(form.combo.Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0; };
    ASSERT_TRUE(PumpUntil(dropped));
    PumpPending();
    EXPECT_EQ(form.systemCommands, std::vector<WPARAM>{}) << "Alt after Alt+Down opened the window menu";
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(PumpUntil([&] { return !dropped(); }));
    EXPECT_TRUE(IsWindow(form.Handle())) << "the Esc was the drop-down's, not the form's";
}

// The menu the tree opens for a key: its window's top left corner on screen, once it is up; the
// menu is closed again with Esc.
struct MenuWatch {
    explicit MenuWatch(DWORD thread) {
        watcher = std::thread([this, thread] {
            seen = WaitUntil([&] {
                EnumThreadWindows(thread, &FindMenu, reinterpret_cast<LPARAM>(this));
                return menu != nullptr;
            });
            if (seen) PressKeys({VK_ESCAPE});
        });
    }
    ~MenuWatch() { watcher.join(); }
    static BOOL CALLBACK FindMenu(HWND window, LPARAM data) {
            if (!IsClass(window, L"#32768") || !IsWindowVisible(window)) return TRUE;
        auto* self = reinterpret_cast<MenuWatch*>(data);
        RECT r;
        GetWindowRect(window, &r);
        self->corner = {r.left, r.top};
        self->menu = window;
        return FALSE;
    }
    std::atomic<HWND> menu{nullptr};
    POINT corner{};
    bool seen = false;
    std::thread watcher;
};

// Presses keys on the focused tree of window; true when its menu opened at the selected folder's
// lower left corner (and was closed again).
void ExpectMenuAtTheSelection(HWND window, DirectoryView& view, std::initializer_list<WORD> keys) {
    const HWND tree = view.Handle();
    Activate(window);
    SetFocus(tree);
    PumpPending();
    RECT item{};
    ASSERT_TRUE(TreeView_GetItemRect(tree, TreeView_GetSelection(tree), &item, TRUE));
    POINT expected{item.left, item.bottom};
    ClientToScreen(tree, &expected);
    MenuWatch watch(GetCurrentThreadId());
    PressKeys(keys);
    EXPECT_TRUE(PumpUntil([&] { return watch.menu != nullptr && !IsWindowVisible(watch.menu); }));
    EXPECT_EQ(watch.corner.x, expected.x);
    EXPECT_EQ(watch.corner.y, expected.y);
}

TEST(DirectoryViewKeys, TheMenuOpensAtTheSelectedFolderFromTheKeyboard) {
    TempFolder temp;
    CreateDirectoryW((temp.Path() + L"Eins").c_str(), nullptr);
    directory_test::TreeFixture fixture(temp.Path());
    fixture.tree->SelectFolder(temp.Path() + L"Eins");
    const struct {
        const char* keys;
        std::initializer_list<WORD> press;
    } cases[] = {{"Shift+F10", {VK_SHIFT, VK_F10}}, {"menu key", {VK_APPS}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ExpectMenuAtTheSelection(fixture.host.Handle(), *fixture.tree, c.press);
    }
}

// The wizard hooks the tree's keys too; the tree's own handling must stay.
TEST_F(FocusTest, TheLocationPagesTreeOpensItsMenuFromTheKeyboard) {
    TypeTarget(MakeProgram(L"prog.exe"));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    ui().Tree()->SelectFolder(temp.Path());
    ExpectMenuAtTheSelection(form->Handle(), *ui().Tree(), {VK_SHIFT, VK_F10});
}

TEST(HelpFromTheChooser, TheHelpWindowTakesItsKeys) {
    const struct {
        const char* keys;
        std::function<void()> press;
        std::function<bool()> done;
    } cases[] = {
        {"Esc closes it", [] { PostKey(VK_ESCAPE); }, [] { return HelpWindowHandle() == nullptr; }},
        {"Alt+T goes to \"Thema:\"",
         [] { PostAccessKey(L't'); },
         [] { return GetFocus() == GetDlgItem(HelpWindowHandle(), kHelpTopicListId); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        IconChooser chooser;
        chooser.OnHelp = [&](const std::wstring& topic) {
            ShowHelpTopic(chooser.Handle(), ProgramHelpFile(), topic);
        };
        bool done = false;
        int index = 0;
        CheckWhileShown(
            chooser, [&] { chooser.ShowModal(nullptr, ModulePath(), index); },
            [&] {
                chooser.ShowHelp();
                ASSERT_TRUE(HelpWindowHandle());
                c.press();
                done = PumpUntil(c.done);
            },
            [&] { chooser.Dismiss(); });
        EXPECT_TRUE(done);
        if (HelpWindowHandle()) DestroyWindow(HelpWindowHandle());
        PumpPending();
    }
}

// The wizard with the real message boxes of the system (not the test script), each inspected
// while it is up and then answered.
class WizardWithRealBoxes : public testing::Test {
protected:
    WizardWithRealBoxes() {
        form = std::make_unique<LinkWizard>(temp.Path(), temp.Path() + L"Anwendungsdaten\\");
        form->SettingsKey = settingsKey;
        form->Show(SW_SHOW);
        Activate(form->Handle());
    }
    ~WizardWithRealBoxes() override {
        form.reset();
        RegistryKey::DeleteTree(HKEY_CURRENT_USER, settingsKey);
    }
    // Every other pixel of the page area (right of the picture, above the buttons) outside skip
    // (client coordinates) that is not the face colour: what is drawn there.
    std::vector<POINT> Drawn(const RECT& skip) const {
        RECT client;
        GetClientRect(form->Handle(), &client);
        const WindowDc dc(form->Handle());
        std::vector<POINT> drawn;
        for (int y = 0; y < client.bottom - Scale(56, form->Dpi()); y += 2)
            for (int x = Scale(136, form->Dpi()); x < client.right; x += 2)
                if (!PtInRect(&skip, POINT{x, y}) && GetPixel(dc.Get(), x, y) != GetSysColor(COLOR_BTNFACE))
                    drawn.push_back(POINT{x, y});
        return drawn;
    }

    const std::wstring settingsKey = std::wstring(kSettingsKey) + L"-Keys" + std::to_wstring(GetCurrentProcessId());
    TempFolder temp;
    std::unique_ptr<LinkWizard> form;
};

TEST_F(WizardWithRealBoxes, ThePageStaysPaintedBehindTheOverwriteQuestion) {
    const std::wstring program = temp / L"prog.exe";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), program.c_str(), FALSE);
    temp.MakeFile(L"prog.lnk", "alt");
    WizardDriver ui(*form);
    ui.Animation().SetAniTimerEnabled(false);
    ui.Type(WizardDriver::Field::CommandLine, program);
    ui.Press(WizardDriver::Push::Next);
    ui.Type(WizardDriver::Field::Location, temp / L"prog");
    ui.Press(WizardDriver::Push::Next);
    ui.Press(WizardDriver::Push::Next);
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::vector<POINT> before = Drawn(RECT{});

    size_t drawnBefore = 0, drawnDuring = 0;
    bool painted = false;
    const WindowAnswer answer(
        [](HWND box) { return IsClass(box, L"#32770"); },
        [&](HWND box) {
            RECT covered;
            GetWindowRect(box, &covered);
            MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&covered), 2);
            painted = PumpUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }, 2000);
            for (const POINT& p : before) drawnBefore += PtInRect(&covered, p) ? 0 : 1;
            drawnDuring = Drawn(covered).size();
            PressDialogButton(box, IDNO);
        });
    ui.Press(WizardDriver::Push::Next);
    ASSERT_GT(drawnBefore, 0u) << "no box";
    EXPECT_TRUE(painted) << "the form was still waiting to be drawn under the box";
    EXPECT_GT(drawnDuring * 10, drawnBefore * 9) << "drawn beside the box: " << drawnDuring << " of " << drawnBefore;
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_EQ(ReadFileBytes(temp / L"prog.lnk"), "alt");
}

void PressAccessKey(wchar_t key) {
    PostAccessKey(key);
    PumpPending();
}

TEST_F(FocusTest, FocusReturnsToItsControlAfterEverySecondaryWindow) {
    const std::wstring helpFile = ProgramFolder() + L"Pfeilbau.hlp";
    AboutDialog about;
    IconChooser chooser;
    const struct {
        const char* name;
        std::function<void(HWND owner)> open;
    } windows[] = {
        {"message box",
         [](HWND owner) {
             const WindowAnswer answer([](HWND box) { return IsDialogTitled(box, L"Warnung"); },
                                       [](HWND box) { PressDialogButton(box, IDOK); });
             const ModalWatchdog watchdog("the message box");
             MessageBoxW(owner, L"Hinweis", L"Warnung", MB_OK);
         }},
        {"About dialog",
         [&](HWND owner) {
             CheckWhileShown(
                 about, [&] { about.ShowModal(owner, L"Zeigerwerk", L"2000 - 2002", nullptr); }, [] {},
                 [&] { about.Accept(); });
         }},
        {"icon chooser",
         [&](HWND owner) {
             int index = 0;
             CheckWhileShown(
                 chooser, [&] { chooser.ShowModal(owner, ModulePath(), index); }, [] {}, [&] { chooser.Dismiss(); });
         }},
        {"help window",
         [&](HWND owner) {
             ShowHelpTopic(owner, helpFile, L"CreateLink");
             ASSERT_TRUE(PumpUntil([] { return HelpWindowHandle() && GetActiveWindow() == HelpWindowHandle(); }));
             SendMessageW(HelpWindowHandle(), WM_COMMAND, IDCANCEL, 0);
         }},
        {"owned window (as the file dialogs and the folder browser)",
         [](HWND owner) {
             const HWND other = CreateWindowExW(0, L"STATIC", L"Ordner suchen", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                                50, 50, 200, 100, owner, nullptr, nullptr, nullptr);
             SetActiveWindow(other);
             ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == other; }));
             DestroyWindow(other);
         }},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        // Not the control a fresh form focuses, so only a remembered focus passes.
        SetFocus(ui().Handle(Push::BrowseFolder));
        ASSERT_TRUE(HasFocus(ui().Handle(Push::BrowseFolder)));
        w.open(form->Handle());
        EXPECT_TRUE(PumpUntil([&] { return GetFocus() != nullptr; }));
        EXPECT_TRUE(HasFocus(ui().Handle(Push::BrowseFolder)));
    }
}

TEST_F(FocusTest, LabelAccessKeysFocusTheControlTheyName) {
    const std::wstring program = MakeProgram(L"prog.exe");
    TypeTarget(program);
    const struct {
        LinkWizard::Page page;
        wchar_t key;
        std::function<HWND()> expected;
    } cases[] = {
        {LinkWizard::Target, L'b', [&] { return ui().Handle(Field::CommandLine); }},
        {LinkWizard::Location, L's', [&] { return ui().Tree()->Handle(); }},
        {LinkWizard::Description, L'S', [&] { return ui().Handle(Field::Description); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        NextUntil(c.page);
        SetFocus(ui().Handle(Push::Cancel));
        PressAccessKey(c.key);
        EXPECT_TRUE(HasFocus(c.expected()));
    }
}

TEST_F(FocusTest, TheChooserAndTheHelpWindowFollowTheirAccessKeys) {
    IconChooser chooser;
    bool indexFocused = false;
    int index = 0;
    CheckWhileShown(
        chooser, [&] { chooser.ShowModal(form->Handle(), ModulePath(), index); },
        [&] {
            PressAccessKey(L'i');
            indexFocused = HasFocus(chooser.IconIndexEdit());
        },
        [&] { chooser.Dismiss(); });
    EXPECT_TRUE(indexFocused) << "Alt+I goes to \"Symbolindex:\"";

    ShowHelpTopic(form->Handle(), ProgramFolder() + L"Pfeilbau.hlp", L"CreateLink");
    ASSERT_TRUE(PumpUntil([] { return HelpWindowHandle() && GetActiveWindow() == HelpWindowHandle(); }));
    PressAccessKey(L't');
    EXPECT_TRUE(HasFocus(GetDlgItem(HelpWindowHandle(), kHelpTopicListId))) << "Alt+T goes to \"Thema:\"";
    DestroyWindow(HelpWindowHandle());
}

TEST_F(FocusTest, ArrowKeysWalkTheTreeWhileTheLinkNameFollows) {
    for (const wchar_t* folder : {L"Eins", L"Zwei", L"Drei"}) CreateDirectoryW((temp.Path() + folder).c_str(), nullptr);
    TypeTarget(MakeProgram(L"prog.exe"));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    ui().Tree()->SelectFolder(temp.Path() + L"Eins");
    const HWND tree = ui().Tree()->Handle();
    SetFocus(tree);
    for (int step = 0; step < 2; ++step) {
        const std::wstring before = ui().Text(Field::Location);
        PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageW(tree, WM_KEYUP, VK_DOWN, 0xC0000001);
        ASSERT_TRUE(PumpUntil([&] { return ui().Text(Field::Location) != before; })) << "step " << step;
        EXPECT_TRUE(HasFocus(tree)) << "step " << step;
        EXPECT_EQ(ui().Text(Field::Location), ui().Tree()->SelectedFolder() + L"prog");
    }

    // A click in the tree selects there and hands the focus to the name, caret at its end.
    const HTREEITEM parent = TreeView_GetParent(tree, TreeView_GetSelection(tree));
    RECT rect{};
    ASSERT_TRUE(TreeView_GetItemRect(tree, parent, &rect, TRUE));
    const LPARAM at = MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(TreeView_GetSelection(tree), parent);
    EXPECT_TRUE(PumpUntil([&] { return HasFocus(ui().Handle(Field::Location)); }));
    EXPECT_EQ(ui().Text(Field::Location), ui().Tree()->SelectedFolder() + L"prog");
}

// The form's client area as it is on screen; the tree's area counts as blank, as the tree may
// keep another scroll position after a resize.
std::vector<COLORREF> Picture(HWND window, HWND tree) {
    RECT client, skipped;
    GetClientRect(window, &client);
    GetWindowRect(tree, &skipped);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&skipped), 2);
    return ScreenPixels(window, client.right, client.bottom, 2, &skipped);
}

TEST_F(FocusTest, AfterMaximisingAndRestoringEveryPageLooksAsBefore) {
    TypeTarget(MakeProgram(L"prog.exe"));
    ui().Animation().SetAniTimerEnabled(false);  // a still picture to compare
    for (const LinkWizard::Page page : {LinkWizard::Location, LinkWizard::Description, LinkWizard::Icon}) {
        SCOPED_TRACE(static_cast<int>(page));
        NextUntil(page);
        SetFocus(ui().Handle(Push::Cancel));
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
        const std::vector<COLORREF> before = Picture(form->Handle(), ui().Tree()->Handle());
        ShowWindow(form->Handle(), SW_MAXIMIZE);
        ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form->Handle()) != FALSE; }));
        ShowWindow(form->Handle(), SW_RESTORE);
        EXPECT_TRUE(PumpUntil([&] { return Picture(form->Handle(), ui().Tree()->Handle()) == before; }));
        const std::vector<COLORREF> after = Picture(form->Handle(), ui().Tree()->Handle());
        RECT client;
        GetClientRect(form->Handle(), &client);
        const int columns = (client.right + 1) / 2;
        std::string differing;
        for (size_t i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before[i] != after[i] && differing.size() < 400)
                differing += " (" + std::to_string(2 * (i % columns)) + "," + std::to_string(2 * (i / columns)) + ")";
        EXPECT_EQ(differing, "");
    }
}

}  // namespace
