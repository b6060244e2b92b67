#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/resource_ids.h"
#include "controls/image_control.h"
#include "controls/path_label.h"
#include "platform/utf.h"
#include "controls/animation_control.h"
#include "platform/common_controls.h"
#include "platform/controls.h"
#include "platform/handles.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/pixels.h"

namespace {

// A plain top-level window to put the controls on.
struct Host {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"Host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 600, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ~Host() { DestroyWindow(hwnd); }
};

int TextWidth(HWND window, const std::wstring& text) {
    const WindowDc dc(window);
    return TextExtent(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), text).cx;
}

// ---- PathLabel

TEST(FileLabel, ShortensToItsWidthInItsOwnFont) {
    Host host;
    PathLabel label(host.hwnd, 0, 0, 100, 16);
    // The cuts themselves are the shortening rules'; here the label measures in its own font.
    const std::wstring deep = L"C:\\Ordner1\\Ordner2\\Ordner3\\Ordner4\\Datei.txt";
    const std::wstring fromRight = L"C:\\Ordner1\\...\\Datei.txt";
    const struct {
        const char* what;
        int width;
        ShorteningDirection direction;
        std::wstring expected;
    } cases[] = {
        {"a path that fits exactly", TextWidth(label.Handle(), deep), drFromLeft, deep},
        {"one pixel less", TextWidth(label.Handle(), deep) - 1, drFromLeft,
         L"C:\\...\\Ordner2\\Ordner3\\Ordner4\\Datei.txt"},
        {"the top folder that fits", TextWidth(label.Handle(), fromRight), drFromRight, fromRight},
    };
    for (const auto& c : cases) {
        label.SetDirection(c.direction);
        label.SetBounds(0, 0, c.width, 16);
        label.SetFileName(deep);
        EXPECT_EQ(label.Caption(), c.expected) << c.what;
        label.SetFileName(L"");
        EXPECT_EQ(label.Caption(), L"") << c.what;
    }
}

TEST(FileLabel, RecomputesOnPathSeparatorDirectionAndBoundsButNotOnAFontChange) {
    Host host;
    PathLabel label(host.hwnd, 0, 0, 100, 16);
    EXPECT_EQ(label.Direction(), drFromLeft);
    EXPECT_EQ(label.Separator(), L"\\");
    const std::wstring path = L"C:\\Programme\\Zubehör\\Werkzeuge\\Rechner.exe";
    label.SetBounds(0, 0, TextWidth(label.Handle(), L"C:\\...\\Werkzeuge\\Rechner.exe"), 16);
    label.SetFileName(path);
    const std::wstring before = label.Caption();
    EXPECT_EQ(before, L"C:\\...\\Werkzeuge\\Rechner.exe");

    LOGFONTW lf{};
    lf.lfHeight = -24;
    wcscpy(lf.lfFaceName, L"Tahoma");
    FontHandle big(CreateFontIndirectW(&lf));
    label.SetFont(big.Get());
    EXPECT_EQ(label.Caption(), before) << "a new font alone changes nothing";
    label.SetFileName(path);
    EXPECT_EQ(label.Caption(), before) << "the same path again changes nothing";

    label.SetBounds(0, 0, label.Width(), 30);
    const std::wstring after = label.Caption();
    EXPECT_NE(after, before) << "new bounds measure in the new font";
    EXPECT_EQ(after.substr(after.size() - 11), L"Rechner.exe");

    label.SetFont(nullptr);  // back to the system font, smaller than the big one
    label.SetDirection(drFromRight);
    EXPECT_NE(label.Caption(), after);
    label.SetSeparator(L"/");
    EXPECT_EQ(label.Caption().find(L"..."), std::wstring::npos) << "without its separator the path is one part";
}

// ---- ImageControl

TEST(DZImage, ReportsEnterOnceAndLeaveAndClicksOnlyWhenReleasedInside) {
    Host host;
    ImageControl image(host.hwnd, 10, 10, 33, 33);
    std::vector<std::string> events;
    // Without handlers it is a plain image.
    SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_MOUSELEAVE, 0, 0);
    SendMessageW(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    image.OnMouseEnter = [&] { events.push_back("enter"); };
    image.OnMouseLeave = [&] { events.push_back("leave"); };
    image.OnClick = [&] { events.push_back("click"); };
    SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 7));
    EXPECT_TRUE(image.MouseInside());
    SendMessageW(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));  // released outside
    SendMessageW(image.Handle(), WM_MOUSELEAVE, 0, 0);
    SendMessageW(image.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "click", "leave", "enter"}));
}

TEST(DZImage, TheRealMouseRaisesEnterAndLeave) {
    Host host;
    SetForegroundWindow(host.hwnd);
    ImageControl image(host.hwnd, 100, 100, 33, 33);
    std::vector<std::string> events;
    image.OnMouseEnter = [&] { events.push_back("enter"); };
    image.OnMouseLeave = [&] { events.push_back("leave"); };
    POINT inside{116, 116};
    ClientToScreen(host.hwnd, &inside);
    SetCursorPos(inside.x, inside.y);
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
    SetCursorPos(inside.x + 200, inside.y + 100);
    ASSERT_TRUE(PumpUntil([&] { return events.size() > 1; }));
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

TEST(DZImage, ShowsIconsAndBitmapsStretchedOrAsTheyAre) {
    Host host;
    TempFolder temp;
    ImageControl image(host.hwnd, 10, 10, 40, 40);
    const COLORREF background = PrintedPixels(image.Handle(), 40, 40)[0];

    const std::wstring bitmapFile = temp.MakeFile(L"bild.bmp", icon_files::BmpFile(4, 4, RGB(200, 10, 10)));
    ASSERT_TRUE(image.LoadBitmapFile(bitmapFile));
    auto pixels = PrintedPixels(image.Handle(), 40, 40);
    EXPECT_EQ(pixels[0], RGB(200, 10, 10));
    EXPECT_EQ(pixels[39 * 40 + 39], background) << "as it is: only the top-left 4 x 4";
    image.SetStretch(true);
    pixels = PrintedPixels(image.Handle(), 40, 40);
    EXPECT_EQ(pixels[39 * 40 + 39], RGB(200, 10, 10)) << "stretched over the whole control";

    HICON icon = CreateIconFromResourceEx(
        reinterpret_cast<BYTE*>(const_cast<char*>(icon_files::IconImage(RGB(10, 20, 230)).data())),
        static_cast<DWORD>(icon_files::IconImage(RGB(10, 20, 230)).size()), TRUE, 0x00030000, 32, 32, 0);
    ASSERT_NE(icon, nullptr);
    image.SetStretch(false);
    image.SetCenter(true);
    image.SetIcon(icon);
    pixels = PrintedPixels(image.Handle(), 40, 40);
    EXPECT_EQ(pixels[20 * 40 + 20], RGB(10, 20, 230));
    EXPECT_EQ(pixels[1 * 40 + 1], background) << "centred: a 4-pixel margin around the 32 x 32 icon";
    EXPECT_FALSE(image.LoadBitmapFile(temp / L"fehlt.bmp"));
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(PrintedPixels(image.Handle(), 40, 40)[20 * 40 + 20], background);
}

// ---- AnimationControl

TEST(WinAni, StripHasFiftyFramesOf38PixelsEachWithItsKeyColourBottomLeft) {
    ModuleHandle program = ProgramResources();
    ASSERT_TRUE(program) << "ZW_PROGRAM names the built program";
    HRSRC found = FindResourceW(program.Get(), MAKEINTRESOURCEW(IDB_ANIMATION), RT_BITMAP);
    ASSERT_NE(found, nullptr);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(program.Get(), found)));
    EXPECT_EQ(info->biWidth, 38);
    EXPECT_EQ(info->biHeight, 1900);
    EXPECT_EQ(info->biBitCount, 24);
    const auto* bits = reinterpret_cast<const BYTE*>(info) + info->biSize;
    const int stride = (38 * 3 + 3) & ~3;
    auto pixel = [&](int x, int y) {  // rows are stored bottom-up
        const BYTE* p = bits + (1899 - y) * stride + x * 3;
        return RGB(p[2], p[1], p[0]);
    };
    for (int frame = 0; frame < 50; ++frame) {
        const COLORREF key = pixel(0, frame * 38 + 37);
        int keyed = 0;
        for (int y = 0; y < 38; ++y)
            for (int x = 0; x < 38; ++x) keyed += pixel(x, frame * 38 + y) == key;
        EXPECT_GT(keyed, 100) << "frame " << frame << " leaves its corners out";
        EXPECT_LT(keyed, 38 * 38 / 2) << "frame " << frame << " has a picture";
    }
}

TEST(WinAni, TicksAdvanceAndLoopRepaintingDoesNot) {
    ModuleHandle program = ProgramResources();
    ASSERT_TRUE(program);
    Host host;
    AnimationControl ani(host.hwnd, 20, 20, program.Get());
    EXPECT_EQ(ani.Interval(), 10);
    EXPECT_EQ(ani.FrameCount(), 50);
    RECT r{};
    GetClientRect(ani.Handle(), &r);
    EXPECT_EQ(r.right, 38);
    EXPECT_EQ(r.bottom, 38);

    EXPECT_TRUE(PumpUntil([&] { return ani.FrameCounter() != 0; })) << "left alone, the timer moves it on";

    ani.SetAniTimerEnabled(false);
    while (ani.FrameCounter() != 0) ani.AniTimerTimer();
    ani.AniTimerTimer();
    EXPECT_EQ(ani.ShownFrame(), 0);
    const auto first = ScreenPixels(ani.Handle(), 38, 38);  // what the tick drew
    InvalidateRect(ani.Handle(), nullptr, TRUE);
    UpdateWindow(ani.Handle());
    EXPECT_EQ(ani.FrameCounter(), 1);
    EXPECT_EQ(ScreenPixels(ani.Handle(), 38, 38), first) << "a repaint shows the same frame again";
    EXPECT_EQ(PrintedPixels(ani.Handle(), 38, 38), first);

    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(first[37 * 38 + 0], background) << "the key colour is left out";
    EXPECT_EQ(first[0], background);
    EXPECT_NE(first[19 * 38 + 19], background);

    ani.AniTimerTimer();
    EXPECT_NE(PrintedPixels(ani.Handle(), 38, 38), first) << "the next tick shows the next frame";
    for (int i = 0; i < 49; ++i) ani.AniTimerTimer();
    EXPECT_EQ(ani.ShownFrame(), 0) << "after 50 frames it starts again";
    EXPECT_EQ(PrintedPixels(ani.Handle(), 38, 38), first);

    // A longer interval slows it down: two ticks take at least two intervals.
    ani.SetAniTimerEnabled(true);
    ani.SetInterval(300);
    const int from = ani.FrameCounter();
    const DWORD began = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return (ani.FrameCounter() - from + 50) % 50 >= 2; }));
    EXPECT_GE(GetTickCount() - began, 500u);
}

// ---- CommonControls

TEST(WinXP, OnlyOnAFormAndOnlyOnce) {
    Host form;
    Host otherForm;
    HWND child = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD, 0, 0, 10, 10, form.hwnd, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    auto failure = [](HWND owner) -> std::string {
        try {
            CommonControls component(owner);
            return "";
        } catch (const ComponentError& error) {
            return error.what();
        }
    };
    EXPECT_EQ(failure(child), "Control parent must be a form!");
    EXPECT_EQ(failure(nullptr), "Control parent must be a form!");
    EXPECT_EQ(failure(GetDesktopWindow()), "Control parent must be a form!");
    {
        CommonControls first(form.hwnd);
        EXPECT_EQ(failure(form.hwnd), "Only one instance of CommonControls allowed on form");
        EXPECT_EQ(failure(otherForm.hwnd), "") << "another form may have its own";
    }
    EXPECT_EQ(failure(form.hwnd), "") << "once the first is gone, a new one may come";
}

// ---- The manifest the program carries: common controls 6 for its own architecture, per-monitor DPI.

TEST(Manifest, AsksForCommonControlsSixAndPerMonitorDpi) {
    ModuleHandle program = ProgramResources();
    ASSERT_TRUE(program);
    HRSRC found = FindResourceW(program.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(program.Get(), found))),
                          SizeofResource(program.Get(), found));
    const std::string dependency = xml.substr(xml.find("<dependentAssembly>"));
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "X86";
    for (const std::string& part : {std::string("name=\"Microsoft.Windows.Common-Controls\""),
                                    std::string("version=\"6.0.0.0\""),
                                    "processorArchitecture=\"" + arch + "\""})
        EXPECT_NE(dependency.find(part), std::string::npos) << part;
    EXPECT_NE(xml.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(xml.find(">PerMonitorV2"), std::string::npos);
}

}  // namespace
