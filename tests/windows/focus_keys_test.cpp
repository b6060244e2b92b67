// The keyboard as a user meets it: real key input (SendInput) or posted keys through the
// dialog-key routing, on a small form and on the program's own windows.
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

namespace {

// Keys as the keyboard gives them: pressed in order, released in reverse.
void Press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD key : keys) add(key, 0);
    for (auto it = keys.end(); it != keys.begin();) add(*--it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A key posted to the focus, as the message loop receives it.
void PostKey(WPARAM key) {
    const HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

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
        SetForegroundWindow(Handle());
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
TEST_F(WizardTest, EnterAfterEscFromTheChooserOpensItAgainAndWritesNothing) {
    IconChooser chooser;
    form->Connections.iconChooser = &chooser;
    int opened = 0;
    chooser.OnShown = [&] {
        ++opened;
        PostKey(VK_ESCAPE);
    };
    TypeTarget(MakeProgram(L"prog.exe"));
    PressNext();
    TypeLocation(temp.Path() + L"prog");
    PressNext();
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    SetForegroundWindow(form->Handle());
    for (const wchar_t key : {L's', L'd'}) {
        PostMessageW(GetFocus() ? GetFocus() : form->Handle(), WM_SYSCHAR, key, 1 << 29);
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

bool HasFocus(HWND control) {
    const HWND focus = GetFocus();
    return focus && (focus == control || IsChild(control, focus));
}

// Every way onto a page leaves the focus on the page's own control, never on the window.
TEST_F(WizardTest, EveryPageEntryFocusesThePagesControl) {
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
        EXPECT_TRUE(HasFocus(s.focused()));
    }
}

// "Nein" to the overwrite question is the default: the old link stays, and the icon page has
// the focus on its own control again.
TEST_F(WizardTest, TheOverwriteQuestionDefaultsToNo) {
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
TEST_F(WizardTest, TheLocationPageRefusesWhatCouldNotBeWritten) {
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
    Press({VK_ESCAPE});
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
            if (seen) Press({VK_ESCAPE});
        });
    }
    ~MenuWatch() { watcher.join(); }
    static BOOL CALLBACK FindMenu(HWND window, LPARAM data) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32768" || !IsWindowVisible(window)) return TRUE;
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
    SetForegroundWindow(window);
    SetFocus(tree);
    PumpPending();
    RECT item{};
    *reinterpret_cast<HTREEITEM*>(&item) = TreeView_GetSelection(tree);
    ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item)));
    POINT expected{item.left, item.bottom};
    ClientToScreen(tree, &expected);
    MenuWatch watch(GetCurrentThreadId());
    Press(keys);
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
TEST_F(WizardTest, TheLocationPagesTreeOpensItsMenuFromTheKeyboard) {
    TypeTarget(MakeProgram(L"prog.exe"));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    ui().Tree()->SelectFolder(temp.Path());
    ExpectMenuAtTheSelection(form->Handle(), *ui().Tree(), {VK_SHIFT, VK_F10});
}

std::function<void()> check;
void CALLBACK RunCheck(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    check();
}

TEST(HelpFromTheChooser, TheHelpWindowTakesItsKeys) {
    const struct {
        const char* keys;
        std::function<void()> press;
        std::function<bool()> done;
    } cases[] = {
        {"Esc closes it", [] { PostKey(VK_ESCAPE); }, [] { return HelpWindowHandle() == nullptr; }},
        {"Alt+T goes to \"Thema:\"",
         [] { PostMessageW(GetFocus(), WM_SYSCHAR, L't', 1 << 29); },
         [] { return GetFocus() == GetDlgItem(HelpWindowHandle(), kHelpTopicListId); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        IconChooser chooser;
        chooser.OnHelp = [&](const std::wstring& topic) {
            ShowHelpTopic(chooser.Handle(), ProgramHelpFile(), topic);
        };
        bool done = false;
        check = [&] {
            done = c.done();
            chooser.Dismiss();
        };
        chooser.OnShown = [&] {
            chooser.ShowHelp();
            ASSERT_TRUE(HelpWindowHandle());
            c.press();
            // A timer runs when the chooser's own loop has handled the keys.
            SetTimer(nullptr, 0, 1, &RunCheck);
        };
        int index = 0;
        chooser.ShowModal(nullptr, ModulePath(), index);
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
        SetForegroundWindow(form->Handle());
        PumpPending();
    }
    ~WizardWithRealBoxes() override {
        form.reset();
        RegistryKey::DeleteTree(HKEY_CURRENT_USER, settingsKey);
    }
    // Runs inspect(box) once the next box is up, then answers it with answer.
    static void WhenABoxShows(std::function<void(HWND box)> inspect, int answer) {
        inspectBox = std::move(inspect);
        boxAnswer = answer;
        SetTimer(nullptr, 0, 10, &InspectBox);
    }
    static void CALLBACK InspectBox(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND box = GetActiveWindow();
        wchar_t name[16] = {};
        if (box) GetClassNameW(box, name, 16);
        if (std::wstring(name) != L"#32770") return;
        KillTimer(nullptr, timer);
        inspectBox(box);
        PostMessageW(box, WM_COMMAND, boxAnswer, 0);
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

    static inline std::function<void(HWND)> inspectBox;
    static inline int boxAnswer = IDOK;
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
    WhenABoxShows(
        [&](HWND box) {
            RECT covered;
            GetWindowRect(box, &covered);
            MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&covered), 2);
            painted = PumpUntil([&] { return !GetUpdateRect(form->Handle(), nullptr, FALSE); }, 2000);
            for (const POINT& p : before) drawnBefore += PtInRect(&covered, p) ? 0 : 1;
            drawnDuring = Drawn(covered).size();
        },
        IDNO);
    ui.Press(WizardDriver::Push::Next);
    ASSERT_GT(drawnBefore, 0u) << "no box";
    EXPECT_TRUE(painted) << "the form was still waiting to be drawn under the box";
    EXPECT_GT(drawnDuring * 10, drawnBefore * 9) << "drawn beside the box: " << drawnDuring << " of " << drawnBefore;
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_EQ(ReadFileBytes(temp / L"prog.lnk"), "alt");
}

}  // namespace
