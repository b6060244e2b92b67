#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "platform/message_box.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"

namespace {

TEST(MessageBoxScript, RecordsSoundsAndBoxesInOrderAndAnswersFromTheScript) {
    BoxScript script({BoxAnswer::Yes, BoxAnswer::No});
    ExclamationSound();
    EXPECT_TRUE(WarnYesNo(nullptr, L"Erste Frage?"));
    WarnOk(nullptr, L"Hinweis");
    EXPECT_FALSE(WarnYesNo(nullptr, L"Zweite Frage?", BoxAnswer::No));
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
    const auto boxes = script.Boxes();
    EXPECT_EQ(boxes[0].preselected, BoxAnswer::Yes);
    EXPECT_EQ(boxes[1].preselected, BoxAnswer::Ok);
    EXPECT_EQ(boxes[2].preselected, BoxAnswer::No);
}

// The real box as a user meets it: once its buttons carry their German names and one of them has
// the focus, a key goes to that focus.
struct RealBox {
    std::wstring yes, no, ok;
    bool cancelVisible = true;
    int defaultId = 0;
};

RealBox AnswerRealBox(WPARAM key, const std::function<void()>& show) {
    RealBox seen;
    const WindowAnswer answer(
        [](HWND box) {
            const std::wstring first = TextOf(GetDlgItem(box, IDOK)) + TextOf(GetDlgItem(box, IDYES));
            return IsDialogTitled(box, L"Warnung") && (first == L"OK" || first == L"&Ja") && HasFocus(box);
        },
        [&](HWND box) {
            seen = {TextOf(GetDlgItem(box, IDYES)), TextOf(GetDlgItem(box, IDNO)), TextOf(GetDlgItem(box, IDOK)),
                    IsWindowVisible(GetDlgItem(box, IDCANCEL)) != FALSE};
            for (const int id : {IDOK, IDYES, IDNO})
                if ((GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) seen.defaultId = id;
            PostKey(key);
        });
    {
        const ModalWatchdog watchdog("the message box");
        show();
    }
    EXPECT_EQ(answer.Answered(), 1);
    return seen;
}

TEST(MessageBoxReal, YesNoBoxesHaveGermanButtonsEnterTakesThePreselectedOneAndEscapeNo) {
    const struct {
        BoxAnswer preselected;
        WPARAM key;
        int defaultId;
        bool yes;
    } cases[] = {{BoxAnswer::Yes, VK_ESCAPE, IDYES, false},
                 {BoxAnswer::Yes, VK_RETURN, IDYES, true},
                 {BoxAnswer::No, VK_RETURN, IDNO, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultId);
        bool yes = !c.yes;
        const RealBox seen = AnswerRealBox(c.key, [&] { yes = WarnYesNo(nullptr, L"Löschen?", c.preselected); });
        EXPECT_EQ(yes, c.yes);
        EXPECT_EQ(seen.defaultId, c.defaultId);
        EXPECT_EQ(seen.yes, L"&Ja");
        EXPECT_EQ(seen.no, L"&Nein");
        EXPECT_FALSE(seen.cancelVisible);
    }
}

TEST(MessageBoxReal, OkBoxSaysOk) {
    EXPECT_EQ(AnswerRealBox(VK_RETURN, [] { WarnOk(nullptr, L"Hinweis"); }).ok, L"OK");
}

}  // namespace
