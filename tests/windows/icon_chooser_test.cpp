#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/icon_chooser.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/window_tree.h"

namespace {

using namespace icon_files;


RECT CellRect(HWND list, int index) {
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

LPARAM CellCentre(HWND list, int index) {
    const RECT r = CellRect(list, index);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class IconChooserTest : public testing::Test {
protected:
    TempFolder temp;
    std::wstring library = MakeIconLibrary(temp / L"Fünf Symbole.dll", 5);
    ::IconChooser chooser;
    // Shows the chooser; whileShown runs once it shows and ends it. Fails when the chooser never
    // showed or stayed open.
    int Show(HWND owner, const std::wstring& file, int& index, const std::function<void()>& whileShown) {
        int result = 0;
        CheckWhileShown(chooser, [&] { result = chooser.ShowModal(owner, file, index); }, whileShown, [] {});
        return result;
    }
};

TEST_F(IconChooserTest, FiveIconsGiveFiveCellsAndARangeFromZeroToFour) {
    int index = 0;
    int result = 0;
    result = Show(nullptr, library, index, [&] {
        EXPECT_EQ(chooser.Caption(), L"Symbol auswählen - [" + library + L"]");
        EXPECT_EQ(chooser.IconCount(), 5);
        EXPECT_EQ(chooser.IconIndexMin(), 0);
        EXPECT_EQ(chooser.IconIndexMax(), 4);
        EXPECT_EQ(chooser.SelectedCell(), 0);
        chooser.Dismiss();
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(IconChooserTest, CellsRunDownTheColumnsAndShowEachIconWithItsIndex) {
    int index = 2;
    Show(nullptr, library, index, [&] {
        HWND list = chooser.IconList();
        RECT client{};
        GetClientRect(list, &client);
        const RECT first = CellRect(list, 0), second = CellRect(list, 1);
        EXPECT_EQ(first.bottom - first.top, 49);  // 32 for the icon, 6 of margin, 11 for the number
        EXPECT_EQ(first.right - first.left, client.right / 10);
        EXPECT_EQ(second.left, first.left);  // the next cell lies below, in the same column
        EXPECT_EQ(second.top, first.bottom);
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const WindowDc window(list);
        const HDC dc = window.Get();
        for (int k = 0; k < 5; ++k) {
            const RECT cell = CellRect(list, k);
            const int middle = cell.left + (cell.right - cell.left) / 2;
            // The icon's own colour at the top centre; the cell's colour at its bottom corner.
            EXPECT_EQ(GetPixel(dc, middle, cell.top + 16), LibraryColour(k)) << k;
            EXPECT_EQ(GetPixel(dc, cell.left + 2, cell.bottom - 2), GetSysColor(k == 2 ? COLOR_HIGHLIGHT : COLOR_WINDOW))
                << k;
            // Smoothed glyphs have few pixels of the exact text colour: count everything that is not background.
            const COLORREF background = GetSysColor(k == 2 ? COLOR_HIGHLIGHT : COLOR_WINDOW);
            int inked = 0;
            for (int y = cell.top + 33; y < cell.bottom; ++y)
                for (int x = cell.left; x < cell.right; ++x) inked += GetPixel(dc, x, y) != background;
            EXPECT_GT(inked, 5) << "the number " << k << " is written under its icon";
        }
        chooser.Dismiss();
    });
}

TEST_F(IconChooserTest, OkKeepsTheChosenIndexCancelLeavesItAndReopeningPreselects) {
    int index = 0;
    EXPECT_EQ(Show(nullptr, library, index, [&] {
        HWND list = chooser.IconList();
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, CellCentre(list, 3));
        PostMessageW(list, WM_LBUTTONUP, 0, CellCentre(list, 3));
        PumpPending();
        EXPECT_EQ(chooser.SelectedCell(), 3);
        EXPECT_EQ(chooser.IconIndexValue(), 3);  // the click moved the spin edit
        chooser.Accept();
    }), IDOK);
    EXPECT_EQ(index, 3);

    EXPECT_EQ(Show(nullptr, library, index, [&] {
        EXPECT_EQ(chooser.SelectedCell(), 3);
        EXPECT_EQ(chooser.IconIndexValue(), 3);
        chooser.SetIconIndexText(L"1");  // typing moves the list
        EXPECT_EQ(chooser.SelectedCell(), 1);
        chooser.Dismiss();
    }), IDCANCEL);
    EXPECT_EQ(index, 3);
}

TEST_F(IconChooserTest, KeyboardAndMouseCloseItAsAUserExpects) {
    struct Case {
        const char* what;
        std::function<void()> act;
        int result;
        int index;
    };
    const std::vector<Case> cases = {
        {"Enter confirms the typed index",
         [&] {
             chooser.SetIconIndexText(L"4");
             PostKey(VK_RETURN, chooser.IconList());
         },
         IDOK, 4},
        {"Esc cancels",
         [&] {
             chooser.SetIconIndexText(L"4");
             PostKey(VK_ESCAPE, chooser.IconList());
         },
         IDCANCEL, 1},
        {"a double click on a cell confirms it",
         [&] {
             HWND list = chooser.IconList();
             PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, CellCentre(list, 2));
             PostMessageW(list, WM_LBUTTONUP, 0, CellCentre(list, 2));
             PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, CellCentre(list, 2));
             PostMessageW(list, WM_LBUTTONUP, 0, CellCentre(list, 2));
         },
         IDOK, 2},
        {"the arrow keys walk the cells", [&] {
             HWND list = chooser.IconList();
             PostKey(VK_DOWN, list);
             PostKey(VK_DOWN, list);
             PostKey(VK_RETURN, list);
         },
         IDOK, 3},
        {"the spin arrows count up", [&] {
             PostKey(VK_UP, chooser.IconIndexEdit());
             PostKey(VK_RETURN, chooser.IconIndexEdit());
         },
         IDOK, 2},
        {"a number beyond the last icon is kept to the last", [&] {
             chooser.SetIconIndexText(L"99");
             chooser.Accept();
         },
         IDOK, 4},
        {"a text that is no number counts as 0", [&] {
             chooser.SetIconIndexText(L"");
             EXPECT_EQ(chooser.SelectedCell(), 0);
             chooser.Accept();
         },
         IDOK, 0},
        {"closing the window is Cancel", [&] { PostMessageW(chooser.Handle(), WM_CLOSE, 0, 0); }, IDCANCEL, 1},
    };
    for (const auto& c : cases) {
        int index = 1;
        // The actions are posted; the dialog's own loop handles them. A watchdog ends a
        // dialog that does not close.
        const int result = Show(nullptr, library, index, [&] {
            if (c.what == std::string("the spin arrows count up")) SetFocus(chooser.IconIndexEdit());
            c.act();
        });
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(index, c.result == IDOK ? c.index : 1) << c.what;
    }
}

TEST_F(IconChooserTest, F1AsksForTheIconPageTopicAndTheOwnerWaits) {
    std::vector<std::wstring> topics;
    chooser.OnHelp = [&](const std::wstring& topic) { topics.push_back(topic); };
    HWND owner = CreateWindowExW(0, L"STATIC", L"Assistent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    int index = 0;
    Show(owner, library, index, [&] {
        EXPECT_FALSE(IsWindowEnabled(owner));
        EXPECT_EQ(GetWindow(chooser.Handle(), GW_OWNER), owner);
        PostKey(VK_F1, chooser.IconList());
        PostKey(VK_ESCAPE, chooser.IconList());
    });
    EXPECT_EQ(topics, std::vector<std::wstring>{L"LinkIcon"});
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindowVisible(chooser.Handle()));
    DestroyWindow(owner);
}

TEST_F(IconChooserTest, FileWithoutIconsShowsAnEmptyList) {
    const std::wstring text = temp.MakeFile(L"notiz.txt", "kein Symbol");
    int index = 0;
    EXPECT_EQ(Show(nullptr, text, index, [&] {
        EXPECT_EQ(chooser.IconCount(), 0);
        EXPECT_EQ(chooser.IconIndexMax(), 0);
        EXPECT_EQ(chooser.SelectedCell(), -1);
        RedrawWindow(chooser.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        chooser.Accept();
    }), IDOK);
    EXPECT_EQ(index, 0);
}

TEST_F(IconChooserTest, SystemLibraryScrollsSideways) {
    int index = 40;
    Show(nullptr, SystemLibrary(), index, [&] {
        HWND list = chooser.IconList();
        EXPECT_GT(chooser.IconCount(), 50);
        EXPECT_EQ(chooser.SelectedCell(), 40);
        RECT client{};
        GetClientRect(list, &client);
        const RECT last = CellRect(list, chooser.IconCount() - 1);
        EXPECT_GE(last.left, client.right) << "the last cell lies beyond the right edge";
        SCROLLINFO scroll{};
        scroll.cbSize = sizeof scroll;
        scroll.fMask = SIF_RANGE | SIF_PAGE;
        EXPECT_TRUE(GetScrollInfo(list, SB_HORZ, &scroll));
        EXPECT_GT(scroll.nMax, 0);
        HoldForScreenshot();
        chooser.Accept();
    });
    EXPECT_EQ(index, 40);
}

}  // namespace
