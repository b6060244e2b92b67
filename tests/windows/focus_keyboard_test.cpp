#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "app/help_window.h"
#include "controls/image_control.h"
#include "controls/animation_control.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/utf.h"
#include "dialogs/about_dialog.h"
#include "dialogs/icon_chooser.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/wizard_fixture.h"
#include "tests/windows/support/pixels.h"
#include "wizard/link_writing_boxes.h"

namespace {

bool HasFocus(HWND control) {
    const HWND focus = GetFocus();
    return focus && (focus == control || IsChild(control, focus));
}

void PressAccessKey(wchar_t key) {
    PostMessageW(GetFocus(), WM_SYSCHAR, key, 1 << 29);
    PumpPending();
}

// Answers the message box of this thread once it is there, from its own modal loop.
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = GetActiveWindow();
    wchar_t name[16] = {};
    if (box) GetClassNameW(box, name, 16);
    if (std::wstring(name) != L"#32770") return;
    KillTimer(nullptr, timer);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(WizardTest, FocusReturnsToItsControlAfterEverySecondaryWindow) {
    const std::wstring helpFile = ProgramFolder() + L"Pfeilbau.hlp";
    AboutDialog about;
    IconChooser chooser;
    const struct {
        const char* name;
        std::function<void(HWND owner)> open;
    } windows[] = {
        {"message box",
         [](HWND owner) {
             SetTimer(nullptr, 0, 10, CloseMessageBox);
             MessageBoxW(owner, L"Hinweis", L"Warnung", MB_OK);
         }},
        {"About dialog",
         [&](HWND owner) {
             about.OnShown = [&] { about.Accept(); };
             about.ShowModal(owner, L"Zeigerwerk", L"2000 - 2002", nullptr);
         }},
        {"icon chooser",
         [&](HWND owner) {
             chooser.OnShown = [&] { chooser.Dismiss(); };
             int index = 0;
             chooser.ShowModal(owner, ModulePath(), index);
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

TEST_F(WizardTest, LabelAccessKeysFocusTheControlTheyName) {
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
        while (form->CurrentPage() < c.page) PressNext();
        ASSERT_EQ(form->CurrentPage(), c.page);
        SetFocus(ui().Handle(Push::Cancel));
        PressAccessKey(c.key);
        EXPECT_TRUE(HasFocus(c.expected()));
    }
}

TEST_F(WizardTest, TheChooserAndTheHelpWindowFollowTheirAccessKeys) {
    IconChooser chooser;
    bool indexFocused = false;
    chooser.OnShown = [&] {
        PressAccessKey(L'i');
        indexFocused = HasFocus(chooser.IconIndexEdit());
        chooser.Dismiss();
    };
    int index = 0;
    chooser.ShowModal(form->Handle(), ModulePath(), index);
    EXPECT_TRUE(indexFocused) << "Alt+I goes to \"Symbolindex:\"";

    ShowHelpTopic(form->Handle(), ProgramFolder() + L"Pfeilbau.hlp", L"CreateLink");
    ASSERT_TRUE(PumpUntil([] { return HelpWindowHandle() && GetActiveWindow() == HelpWindowHandle(); }));
    PressAccessKey(L't');
    EXPECT_TRUE(HasFocus(GetDlgItem(HelpWindowHandle(), kHelpTopicListId))) << "Alt+T goes to \"Thema:\"";
    DestroyWindow(HelpWindowHandle());
}

TEST_F(WizardTest, ArrowKeysWalkTheTreeWhileTheLinkNameFollows) {
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

    // A click in the tree takes the focus on to the name.
    const HTREEITEM parent = TreeView_GetParent(tree, TreeView_GetSelection(tree));
    RECT rect{};
    ASSERT_TRUE(TreeView_GetItemRect(tree, parent, &rect, TRUE));
    const LPARAM at = MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
    PostMessageW(tree, WM_LBUTTONUP, 0, at);
    SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(TreeView_GetSelection(tree), parent);
    EXPECT_EQ(ui().Text(Field::Location), ui().Tree()->SelectedFolder() + L"prog");
    EXPECT_TRUE(HasFocus(ui().Handle(Field::Location)));
}

TEST_F(WizardTest, TheQuestionBeforeDeletingAFolderPreselectsNo) {
    const std::wstring folder = WithTrailingBackslash(temp.Path() + L"Ordner");
    CreateDirectoryW(folder.c_str(), nullptr);
    boxes.Clear();
    EXPECT_FALSE(LinkWritingBoxes(form->Handle()).ReplaceFolder(folder));
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(shown[0].preselected, BoxAnswer::No);
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM data) {
    auto& [owner, found] = *reinterpret_cast<std::pair<HWND, HWND>*>(data);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == owner) found = window;
    return found ? FALSE : TRUE;
}

std::wstring TooltipOf(HWND form, HWND control) {
    std::pair<HWND, HWND> search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindTooltip, reinterpret_cast<LPARAM>(&search));
    wchar_t text[256] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    if (search.second) SendMessageW(search.second, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

std::wstring NameOf(HWND control) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    return text;
}

TEST_F(WizardTest, IconOnlyControlsAreNamedAndHinted) {
    ModuleHandle program(LoadLibraryExW(WideFromUtf8(getenv("ZW_PROGRAM") ? getenv("ZW_PROGRAM") : "").c_str(),
                                        nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(program) << "ZW_PROGRAM names the built program";
    SetResourceModule(program.Get());
    NewForm();
    SetResourceModule(nullptr);
    const struct {
        Push button;
        const wchar_t* name;
        bool picture;  // shows a picture of its own (the folder buttons get their folders' icons)
    } cases[] = {
        {Push::Desktop, L"Desktop", false},
        {Push::StartMenu, L"Startmenü", false},
        {Push::Programs, L"Startmenü/Programme", false},
        {Push::SendTo, L"SendTo (Senden an)", false},
        {Push::QuickLaunch, L"Quick Launch (Schnellstart)", false},
        {Push::Autostart, L"Autostart", false},
        {Push::Up, L"Aufwärts", true},
        {Push::ChooseIcon, L"Symbol auswählen", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.name));
        const HWND control = ui().Handle(c.button);
        EXPECT_EQ(NameOf(control), c.name);
        EXPECT_EQ(TooltipOf(form->Handle(), control), c.name);
        EXPECT_TRUE(GetWindowLongW(control, GWL_STYLE) & BS_ICON) << "the name is not drawn";
        if (c.picture) EXPECT_NE(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    }
    EXPECT_EQ(NameOf(ui().IconPreview().Handle()), L"Symbol der Verknüpfung");
    EXPECT_EQ(NameOf(ui().SmallIconPreview().Handle()), L"Kleines Symbol der Verknüpfung");
    EXPECT_EQ(TooltipOf(form->Handle(), ui().SmallIconPreview().Handle()), L"Kleines Symbol der Verknüpfung");
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

TEST_F(WizardTest, AfterMaximisingAndRestoringEveryPageLooksAsBefore) {
    TypeTarget(MakeProgram(L"prog.exe"));
    ui().Animation().SetAniTimerEnabled(false);  // a still picture to compare
    for (const LinkWizard::Page page : {LinkWizard::Location, LinkWizard::Description, LinkWizard::Icon}) {
        SCOPED_TRACE(static_cast<int>(page));
        while (form->CurrentPage() < page) PressNext();
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
