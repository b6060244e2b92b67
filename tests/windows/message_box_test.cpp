#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/message_box.h"
#include "tests/windows/support/messages.h"

namespace {

TEST(MessageBoxScript, RecordsSoundsAndBoxesInOrderAndAnswersFromTheScript) {
    BoxScript script({BoxAnswer::Yes, BoxAnswer::No});
    ExclamationSound();
    EXPECT_TRUE(WarnYesNo(nullptr, L"Erste Frage?"));
    WarnOk(nullptr, L"Hinweis");
    EXPECT_FALSE(WarnYesNo(nullptr, L"Zweite Frage?"));
    EXPECT_FALSE(WarnYesNo(nullptr, L"Ohne Antwort im Skript?"));  // a running-out script answers No

    const auto& events = script.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].type, BoxEvent::Type::Sound);
    EXPECT_EQ(events[0].sound, UINT{MB_ICONEXCLAMATION});
    EXPECT_EQ(events[1].caption, L"Warnung");
    EXPECT_EQ(events[1].buttons, BoxButtons::YesNo);
    EXPECT_EQ(events[2].buttons, BoxButtons::Ok);
    EXPECT_EQ(script.Texts(), (std::vector<std::wstring>{L"Erste Frage?", L"Hinweis", L"Zweite Frage?",
                                                         L"Ohne Antwort im Skript?"}));
}

// The real box: find it, check the German buttons, and answer with the keyboard.
struct RealBox {
    std::wstring yes, no, ok;
    bool cancelVisible = true;
    int defaultId = 0;
};

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (std::wstring(caption) == L"Warnung" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring ItemText(HWND box, int id) {
    wchar_t text[64] = {};
    GetDlgItemTextW(box, id, text, 64);
    return text;
}

RealBox AnswerRealBox(WPARAM key, DWORD mainThread) {
    RealBox seen;
    HWND box = nullptr;
    HWND focus = nullptr;
    // The box's buttons are renamed just before it becomes the active window.
    const bool active = WaitUntil([&] {
        EnumThreadWindows(mainThread, FindBox, reinterpret_cast<LPARAM>(&box));
        GUITHREADINFO thread{sizeof thread};
        if (!box || !GetGUIThreadInfo(mainThread, &thread) || thread.hwndActive != box) return false;
        // Ready once the buttons carry their German names and one of them has the focus.
        const std::wstring first = ItemText(box, IDOK) + ItemText(box, IDYES);
        focus = thread.hwndFocus;
        return (first == L"OK" || first == L"&Ja") && focus && IsChild(box, focus);
    });
    if (!active) {
        // A box that comes late is answered, so that the test fails rather than waits forever.
        if (WaitUntil([&] { return EnumThreadWindows(mainThread, FindBox, reinterpret_cast<LPARAM>(&box)), box; }))
            PostMessageW(box, WM_COMMAND, GetDlgItem(box, IDNO) ? IDNO : IDOK, 0);
        else {
            std::fputs("no message box came: the waiting thread would never return\n", stderr);
            std::abort();
        }
        return seen;
    }
    seen.yes = ItemText(box, IDYES);
    seen.no = ItemText(box, IDNO);
    seen.ok = ItemText(box, IDOK);
    const HWND cancel = GetDlgItem(box, IDCANCEL);
    seen.cancelVisible = cancel && IsWindowVisible(cancel);
    for (const int id : {IDOK, IDYES, IDNO})
        if (const HWND button = GetDlgItem(box, id);
            button && (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            seen.defaultId = id;
    // The key goes to the control that has the focus, as a user's key would.
    const HWND target = focus ? focus : box;
    PostMessageW(target, WM_KEYDOWN, key, 0);
    PostMessageW(target, WM_KEYUP, key, 0xC0000000);
    return seen;
}

TEST(MessageBoxReal, YesNoBoxHasGermanButtonsAndEscapeAnswersNo) {
    const DWORD self = GetCurrentThreadId();
    RealBox seen;
    std::thread answerer([&] { seen = AnswerRealBox(VK_ESCAPE, self); });
    const bool yes = WarnYesNo(nullptr, L"Wirklich?");
    answerer.join();
    EXPECT_FALSE(yes);
    EXPECT_EQ(seen.yes, L"&Ja");
    EXPECT_EQ(seen.no, L"&Nein");
    EXPECT_FALSE(seen.cancelVisible);
}

TEST(MessageBoxReal, EnterAnswersThePreselectedButton) {
    const struct {
        BoxAnswer preselected;
        int defaultId;
        bool yes;
    } cases[] = {{BoxAnswer::Yes, IDYES, true}, {BoxAnswer::No, IDNO, false}};
    for (const auto& c : cases) {
        const DWORD self = GetCurrentThreadId();
        RealBox seen;
        std::thread answerer([&] { seen = AnswerRealBox(VK_RETURN, self); });
        EXPECT_EQ(WarnYesNo(nullptr, L"Löschen?", c.preselected), c.yes);
        answerer.join();
        EXPECT_EQ(seen.defaultId, c.defaultId);
    }
}

TEST(MessageBoxScript, RecordsThePreselectedAnswer) {
    BoxScript script;
    WarnYesNo(nullptr, L"Erste?");
    WarnYesNo(nullptr, L"Zweite?", BoxAnswer::No);
    WarnOk(nullptr, L"Dritte");
    const auto boxes = script.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].preselected, BoxAnswer::Yes);
    EXPECT_EQ(boxes[1].preselected, BoxAnswer::No);
    EXPECT_EQ(boxes[2].preselected, BoxAnswer::Ok);
}

TEST(MessageBoxReal, OkBoxSaysOk) {
    const DWORD self = GetCurrentThreadId();
    RealBox seen;
    std::thread answerer([&] { seen = AnswerRealBox(VK_RETURN, self); });
    WarnOk(nullptr, L"Hinweis");
    answerer.join();
    EXPECT_EQ(seen.ok, L"OK");
}

}  // namespace
