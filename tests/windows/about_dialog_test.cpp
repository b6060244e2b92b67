#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/resource_ids.h"
#include "dialogs/about_dialog.h"
#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/utf.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/pixels.h"

namespace {

// The FileVersion the resource script gives the program.
std::wstring ScriptedFileVersion() {
    const std::string content = ReadFileBytes(SourceFile(L"app/zeigerwerk.rc"));
    std::smatch match;
    if (!std::regex_search(content, match, std::regex("VALUE \"FileVersion\", \"([^\"]*)\""))) return L"?";
    return WideFromUtf8(match[1]);
}

class AboutDialogTest : public testing::Test {
protected:
    ModuleHandle program = ProgramResources();
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
};

TEST_F(AboutDialogTest, CaptionVersionAndYears) {
    ASSERT_TRUE(program) << "ZW_PROGRAM names the built program";
    ::AboutDialog info(program.Get(), ProgramUnderTest());
    CheckWhileShown(
        info, [&] { info.ShowModal(nullptr, L"Zeigerwerk", L"2000 - 2002", icon); },
        [&] {
            EXPECT_EQ(info.Caption(), L"Info über Zeigerwerk");
            EXPECT_EQ(info.TitleLine(), L"Zeigerwerk");
            EXPECT_EQ(info.VersionLine(), L"Version: " + ScriptedFileVersion());
            EXPECT_EQ(info.YearsLine(), L"Entwicklungszeit: 2000 - 2002");
        },
        [&] { info.Accept(); });
    EXPECT_FALSE(IsWindowVisible(info.Handle()));
}

TEST(FileVersion, ReadFromTheFirstLanguageOfTheVersionRecord) {
    TempFolder temp;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(FileVersionOf(ProgramUnderTest()), ScriptedFileVersion());
    EXPECT_NE(ScriptedFileVersion(), L"?");
    EXPECT_EQ(FileVersionOf(self), L"") << "a program without version record";
    EXPECT_EQ(FileVersionOf(temp.MakeFile(L"liesmich.txt", "Text")), L"");
    EXPECT_EQ(FileVersionOf(temp / L"fehlt.exe"), L"");
    EXPECT_EQ(FileVersionOf(L""), L"");
    ::AboutDialog info(nullptr, self);
    EXPECT_EQ(info.VersionLine(), L"Version: ");
}

TEST_F(AboutDialogTest, EnterAndEscCloseIt) {
    ::AboutDialog info(program.Get(), ProgramUnderTest());
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key);
        // The key goes to the OK button by its handle: the focus is the serial focus tests' matter.
        CheckWhileShown(
            info, [&] { info.ShowModal(nullptr, L"Zeigerwerk", L"2000 - 2002", icon); }, [] {},
            [&] { PostKey(key, info.OKButton()); });
    }
}

TEST_F(AboutDialogTest, LinksEndAtTheCreditsRightEdgeAndShowTheirWholeText) {
    ::AboutDialog info(program.Get(), ProgramUnderTest());
    const RECT credit = ChildBounds(info.CreditLabel());
    RECT client{};
    GetClientRect(info.Handle(), &client);
    // A taller font than the design's moves the links up so that the address is not cut.
    const FontHandle tall(CreateFontW(-17, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    for (const HFONT font : {HFONT{}, tall.Get()}) {
        if (font)
            for (HWND window : {info.Handle(), info.EMailLink().Handle(), info.WebSiteLink().Handle()})
                SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        int below = credit.bottom;
        for (LinkLabel* label : {&info.EMailLink(), &info.WebSiteLink()}) {
            SCOPED_TRACE(Utf8FromWide(label->Text()) + (font ? " in a tall font" : ""));
            HWND link = label->Handle();
            const WindowDc dc(link);
            const SIZE extent =
                TextExtent(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), label->Text());
            const RECT r = ChildBounds(link);
            // The text is drawn one pixel inside its window.
            EXPECT_NEAR(r.left + 1 + extent.cx, credit.right, 2);
            EXPECT_GE(r.right - r.left, extent.cx + 1);
            EXPECT_GE(r.bottom - r.top, extent.cy) << "the whole line, descenders included";
            EXPECT_GE(r.top, below);
            EXPECT_LE(r.bottom, client.bottom);
            below = r.bottom;
        }
    }
}

TEST_F(AboutDialogTest, HyperlinksReactToTheMouseAndOpenTheMakersAddresses) {
    struct : ShellOpener {
        std::vector<std::wstring> files;
        void Open(HWND, const std::wstring& file, const std::wstring&, const std::wstring&, int) override {
            files.push_back(file);
        }
    } shell;
    ::AboutDialog info(program.Get(), ProgramUnderTest(), shell);
    const std::vector<std::wstring>& opened = shell.files;
    for (LinkLabel* label : {&info.EMailLink(), &info.WebSiteLink()}) {
        HWND link = label->Handle();
        EXPECT_EQ(label->FontColor(), RGB(0, 0, 255));
        SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        EXPECT_TRUE(label->Underlined());
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(label->FontColor(), RGB(255, 0, 0));
        SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(label->FontColor(), RGB(0, 0, 255));
        SendMessageW(link, WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(label->Underlined());
        SendMessageW(link, WM_KEYDOWN, VK_SPACE, 0);  // reached with Tab, opened with Space
    }
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"mailto:info@example.org", L"mailto:info@example.org",
                                                 L"http://www.example.org", L"http://www.example.org"}));
}

// Stand-ins for the program's other forms: plain windows that answer WM_GETFONT.
HWND MakeForm(const wchar_t* face, int points, HFONT& font) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(WindowDc(nullptr).Get(), LOGPIXELSY), 72);
    wcscpy(lf.lfFaceName, face);
    font = CreateFontIndirectW(&lf);
    HWND form = CreateWindowExW(0, L"STATIC", L"Form", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return form;
}

std::wstring FaceOf(HWND window) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfFaceName;
}

TEST_F(AboutDialogTest, CreatingItGivesEightPointFormsTheMessageFont) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
    const std::wstring messageFace = metrics.lfMessageFont.lfFaceName;
    ASSERT_NE(messageFace, L"Courier New");

    HFONT smallFont = nullptr, bigFont = nullptr;
    HWND eightPoint = MakeForm(L"Courier New", 8, smallFont);
    HWND child = CreateWindowExW(0, L"STATIC", L"x", WS_CHILD, 0, 0, 10, 10, eightPoint, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(smallFont), FALSE);
    HWND twelvePoint = MakeForm(L"Courier New", 12, bigFont);
    {
        AboutDialog info(program.Get(), ProgramUnderTest());
        EXPECT_EQ(FaceOf(info.Handle()), messageFace);
        EXPECT_EQ(FaceOf(info.OKButton()), messageFace);
    }
    EXPECT_EQ(FaceOf(eightPoint), messageFace);
    EXPECT_EQ(FaceOf(child), messageFace);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(twelvePoint, WM_GETFONT, 0, 0)), bigFont);
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(eightPoint, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    LOGFONTW before{};
    GetObjectW(smallFont, sizeof before, &before);
    EXPECT_EQ(lf.lfHeight, before.lfHeight) << "only the face changes";
    DestroyWindow(eightPoint);
    DestroyWindow(twelvePoint);
    DeleteObject(bigFont);
}

TEST(GradientColor, MixesEachComponentWithTruncation) {
    const COLORREF lightBlue = RGB(74, 160, 255), white = RGB(255, 255, 255);
    struct Case {
        COLORREF from, to;
        int step, steps;
        COLORREF expected;
    };
    const Case cases[] = {
        {lightBlue, white, 0, 326, lightBlue},
        {lightBlue, white, 326, 326, white},
        {lightBlue, white, 163, 326, RGB(164, 207, 255)},
        {white, lightBlue, 1, 109, RGB(254, 255, 255)},  // 255 - 181/109 truncates toward zero
        {white, lightBlue, 109, 109, lightBlue},
        {RGB(10, 20, 30), RGB(10, 20, 30), 5, 0, RGB(10, 20, 30)},  // no steps: no division by zero
    };
    for (const auto& c : cases) EXPECT_EQ(GradientColor(c.from, c.to, c.step, c.steps), c.expected);
}

TEST_F(AboutDialogTest, BannerFadesAndShowsLogoAndIcon) {
    ASSERT_TRUE(program);
    ::AboutDialog info(program.Get(), ProgramUnderTest());
    const auto checks = [&] {
        const auto banner = PrintedPixels(info.Handle(), 435, 65);
        auto at = [&](int x, int y) { return banner[y * 435 + x]; };
        EXPECT_EQ(at(0, 2), RGB(74, 160, 255));
        EXPECT_EQ(at(326, 1), RGB(255, 255, 255));
        EXPECT_EQ(at(434, 1), GradientColor(RGB(255, 255, 255), RGB(74, 160, 255), 108, 109));
        EXPECT_EQ(at(7, 15), GetSysColor(COLOR_BTNFACE)) << "the frame around the icon";
        EXPECT_EQ(at(39, 47), GetSysColor(COLOR_BTNFACE));
        EXPECT_NE(at(40, 48), GetSysColor(COLOR_BTNFACE)) << "right and bottom edges exclusive";

        // Where the mask is white the logo shows as it is; elsewhere the banner shows through.
        DcHandle logoDc(CreateCompatibleDC(nullptr)), maskDc(CreateCompatibleDC(nullptr));
        GdiHandle logo(LoadImageW(program.Get(), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        GdiHandle mask(LoadImageW(program.Get(), MAKEINTRESOURCEW(IDB_LOGO_MASK), IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION));
        ASSERT_TRUE(logo && mask);
        SelectedObject logoSelected(logoDc.Get(), logo.Get()), maskSelected(maskDc.Get(), mask.Get());
        int covered = 0, through = 0;
        for (int y = 0; y < 61; y += 3) {
            for (int x = 0; x < 142; x += 3) {
                const COLORREF shown = at(326 - 71 + x, 4 + y);
                if (GetPixel(maskDc.Get(), x, y) == RGB(255, 255, 255)) {
                    EXPECT_EQ(shown, GetPixel(logoDc.Get(), x, y)) << x << "," << y;
                    ++covered;
                } else if (GetPixel(logoDc.Get(), x, y) == RGB(255, 255, 255)) {
                    EXPECT_EQ(shown, at(326 - 71 + x, 1)) << x << "," << y;  // the banner's column colour
                    ++through;
                }
            }
        }
        EXPECT_GT(covered, 100);
        EXPECT_GT(through, 100);
        HoldForScreenshot();
    };
    CheckWhileShown(
        info, [&] { info.ShowModal(nullptr, L"Zeigerwerk", L"2000 - 2002", icon); }, checks, [&] { info.Accept(); });
}

}  // namespace
