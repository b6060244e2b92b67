#include <gtest/gtest.h>

#include <windows.h>

#include "app/help_file.h"
#include "app/help_window.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/utf.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/window_tree.h"

namespace {

HelpContents ShippedHelp() {
    const std::string bytes = ReadFileBytes(ProgramHelpFile());
    return ParseHelpFile(bytes);
}

// The scroll bar must cover the wrapped lines, or a long text looks as if it fitted.
int ScrollLines(HWND edit) {
    SCROLLINFO info{sizeof info, SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(edit, SB_VERT, &info);
    return info.nMax - info.nMin + 1;
}

int LineCount(HWND edit) { return static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0)); }

void PressKey(WPARAM key) {
    PostKey(key);
    PumpPending();
}

class HelpWindowTest : public testing::Test {
protected:
    void TearDown() override {
        if (HelpWindowHandle()) DestroyWindow(HelpWindowHandle());
        PumpPending();
    }
};

TEST_F(HelpWindowTest, TheHelpFileLiesBesideTheProgramAndEveryTopicOpensInOneWindow) {
    ASSERT_TRUE(FileExists(ProgramHelpFile())) << Utf8FromWide(ProgramHelpFile());
    const HelpContents help = ShippedHelp();
    BoxScript noBoxes;
    HWND first = nullptr;
    for (const HelpTopic& shipped : help.topics) {
        const wchar_t* name = shipped.name.c_str();
        ShowHelpTopic(nullptr, ProgramHelpFile(), name);
        PumpPending();
        const HWND window = HelpWindowHandle();
        ASSERT_TRUE(window && IsWindowVisible(window)) << Utf8FromWide(name);
        if (!first) first = window;
        EXPECT_EQ(window, first) << "a second topic reuses the open window";
        const HelpTopic* topic = help.Find(name);
        ASSERT_NE(topic, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(window, kHelpTitleId)), topic->title);
        EXPECT_EQ(TextOf(GetDlgItem(window, kHelpTextId)), topic->text);
        EXPECT_EQ(ScrollLines(GetDlgItem(window, kHelpTextId)), LineCount(GetDlgItem(window, kHelpTextId)));
        EXPECT_EQ(TextOf(window), L"Zeigerwerk-Hilfe – " + topic->title);
        const HWND list = GetDlgItem(window, kHelpTopicListId);
        EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(help.topics.size()));
        EXPECT_EQ(help.topics[static_cast<size_t>(SendMessageW(list, CB_GETCURSEL, 0, 0))].name, name);
        HoldForScreenshot();  // to look at each topic by eye
    }
    EXPECT_TRUE(noBoxes.Events().empty());
}

TEST_F(HelpWindowTest, MissingFileOrTopicGivesOneGermanMessageAndNoWindow) {
    TempFolder folder;
    const std::wstring missing = folder / L"Pfeilbau.hlp";
    const std::wstring other = folder.MakeFile(L"Andere.hlp", "[CreateLink] Nur ein Thema\nText\n");
    BoxScript script;
    ShowHelpTopic(nullptr, missing, L"CreateLink");
    ShowHelpTopic(nullptr, other, L"LinkIcon");
    EXPECT_EQ(HelpWindowHandle(), nullptr);
    EXPECT_EQ(script.Texts(), (std::vector<std::wstring>{
                                  L"Die Hilfedatei wurde nicht gefunden:\r\n" + missing,
                                  L"Die Hilfedatei enthält kein Thema „LinkIcon“:\r\n" + other,
                              }));
    for (const auto& box : script.Boxes()) EXPECT_EQ(box.kind, BoxKind::Error);

    ShowHelpTopic(nullptr, other, L"createlink");
    ASSERT_NE(HelpWindowHandle(), nullptr) << "topic names are found regardless of letter case";
    EXPECT_EQ(TextOf(GetDlgItem(HelpWindowHandle(), kHelpTitleId)), L"Nur ein Thema");
}

TEST_F(HelpWindowTest, TabMovesThroughTheControlsAndEscCloses) {
    ShowHelpTopic(nullptr, ProgramHelpFile(), L"CreateLink");
    PumpPending();
    const HWND window = HelpWindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kHelpTextId));
    EXPECT_EQ(SendMessageW(GetDlgItem(window, kHelpTextId), EM_GETSEL, 0, 0), 0) << "the text is not selected";
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kHelpTopicListId));
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, IDCANCEL));
    EXPECT_EQ(TextOf(GetFocus()), L"Schließen");
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(window, kHelpTextId));
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(HelpWindowHandle(), nullptr);

    // The window comes back after being closed.
    ShowHelpTopic(nullptr, ProgramHelpFile(), L"LinkIcon");
    ASSERT_NE(HelpWindowHandle(), nullptr);
    SendMessageW(HelpWindowHandle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(HelpWindowHandle(), nullptr);
}

TEST_F(HelpWindowTest, LongTextScrollsWithTheKeyboardAndTheListSwitchesTopics) {
    ShowHelpTopic(nullptr, ProgramHelpFile(), L"LinkIcon");
    PumpPending();
    const HWND window = HelpWindowHandle();
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, nullptr, 0, 0, 360, 280, SWP_NOMOVE | SWP_NOZORDER);
    PumpPending();
    const HWND text = GetDlgItem(window, kHelpTextId);
    EXPECT_EQ(SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(ScrollLines(text), LineCount(text));
    SetFocus(text);
    PressKey(VK_NEXT);
    PressKey(VK_NEXT);
    EXPECT_GT(SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    const HWND list = GetDlgItem(window, kHelpTopicListId);
    SendMessageW(list, CB_SETCURSEL, 4, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kHelpTopicListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(TextOf(GetDlgItem(window, kHelpTitleId)), ShippedHelp().topics[4].title);
    EXPECT_EQ(SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "a new topic starts at its top";
}

TEST_F(HelpWindowTest, TheWizardOwnsTheWindowEvenWhenADialogAsksAndClosingTheWizardClosesIt) {
    const HWND wizard = CreateWindowExW(0, L"STATIC", L"Assistent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 516, 376,
                                        nullptr, nullptr, nullptr, nullptr);
    const HWND chooser = CreateWindowExW(0, L"STATIC", L"Symbol auswählen", WS_POPUP | WS_CAPTION | WS_VISIBLE, 80, 80,
                                         300, 200, wizard, nullptr, nullptr, nullptr);
    ShowHelpTopic(chooser, ProgramHelpFile(), L"LinkIcon");
    PumpPending();
    const HWND window = HelpWindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), wizard);
    RECT help, owner;
    GetWindowRect(window, &help);
    GetWindowRect(wizard, &owner);
    EXPECT_GE(help.left, owner.right) << "opens beside the wizard, not over it";
    DestroyWindow(wizard);
    PumpPending();
    EXPECT_EQ(HelpWindowHandle(), nullptr);
}

}  // namespace
