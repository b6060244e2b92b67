#include <gtest/gtest.h>

#include <windows.h>

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
    // The box's buttons are renamed just before it becomes the active window.
    const bool active = WaitUntil([&] {
        EnumThreadWindows(mainThread, FindBox, reinterpret_cast<LPARAM>(&box));
        GUITHREADINFO thread{sizeof thread};
        return box && GetGUIThreadInfo(mainThread, &thread) && thread.hwndActive == box;
    });
    if (!active) return seen;
    seen.yes = ItemText(box, IDYES);
    seen.no = ItemText(box, IDNO);
    seen.ok = ItemText(box, IDOK);
    const HWND cancel = GetDlgItem(box, IDCANCEL);
    seen.cancelVisible = cancel && IsWindowVisible(cancel);
    PostMessageW(box, WM_COMMAND, key == VK_ESCAPE ? IDCANCEL : key == VK_RETURN ? 0 : 0, 0);
    if (key == VK_RETURN) {
        const HWND focused = seen.ok.empty() ? GetDlgItem(box, IDYES) : GetDlgItem(box, IDOK);
        PostMessageW(focused, BM_CLICK, 0, 0);
    }
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

TEST(MessageBoxReal, DefaultButtonIsYes) {
    const DWORD self = GetCurrentThreadId();
    RealBox seen;
    std::thread answerer([&] { seen = AnswerRealBox(VK_RETURN, self); });
    EXPECT_TRUE(WarnYesNo(nullptr, L"Weiter?"));
    answerer.join();
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
