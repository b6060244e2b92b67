#include <shlobj.h>

#include "controls/image_control.h"
#include "dialogs/icon_chooser.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/wizard_fixture.h"
#include "tests/windows/support/pixels.h"
#include "tests/windows/support/window_tree.h"
#include "app/startup.h"

#include <functional>
#include <vector>

namespace {

using namespace icon_files;

class IconPageTest : public WizardTest {
protected:
    // Brings the wizard to the icon page for target (a command line).
    void ReachIconPage(const std::wstring& target) {
        TypeTarget(target);
        PressNext();
        TypeLocation(temp.Path() + L"Symbol");
        PressNext();
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    }
    void ChooseIconFile() {
        ASSERT_TRUE(ui().Press(Push::IconFileChoice));
    }
};

// The pixels of an icon drawn at 32 x 32 on white, to tell one icon from another.
Pixels IconPixels(HICON icon) {
    return DrawnPixels(32, 32, [icon](HDC dc) {
        const RECT all{0, 0, 32, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    });
}

std::vector<COLORREF> ShellIconPixels(const std::wstring& path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON);
    const std::vector<COLORREF> pixels = IconPixels(info.hIcon);
    DestroyIcon(info.hIcon);
    return pixels;
}

TEST_F(IconPageTest, StandardShowsAFileTargetsOwnIconHoweverThePageWasReached) {
    const std::wstring program = MakeProgram(L"p.exe");
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    const std::vector<COLORREF> own = ShellIconPixels(program);
    // Windows answers for "p.exe\\" with another icon than for the file; Wine strips the backslash,
    // so here the test sees the preview come back from the icon file to the target's icon.
    HICON fromLibrary = nullptr;
    ExtractIconExW(five.c_str(), 2, &fromLibrary, nullptr, 1);
    ASSERT_NE(own, IconPixels(fromLibrary));
    DestroyIcon(fromLibrary);
    for (const bool edited : {false, true}) {
        SCOPED_TRACE(edited ? "reached with an icon file" : "standard, icon file, standard");
        NewForm();
        if (edited) {
            const std::wstring link = temp / L"mit Symbol.lnk";
            ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"", five, 2)));
            PrepareWizard(*form, DecideStartMode(L"/E", link, {FileExists, DirectoryExists, {}, {}}));
            PressNext();
            PressNext();
            PressNext();
            ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
            ASSERT_TRUE(ui().Checked(Push::IconFileChoice));
        } else {
            ReachIconPage(program);
            EXPECT_EQ(IconPixels(ui().IconPreview().Icon()), own);
            ChooseIconFile();
            TypeIconFile(five);
        }
        ASSERT_TRUE(ui().Press(Push::StandardIcon));
        EXPECT_EQ(IconPixels(ui().IconPreview().Icon()), own);
    }
}

TEST_F(IconPageTest, StandardPreviewOfFileAndFolderTargets) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    EXPECT_FALSE(ui().IconPreview().Empty());
    EXPECT_FALSE(ui().SmallIconPreview().Empty());
    EXPECT_EQ(ui().Caption(Push::StandardIcon).rfind(L"Standard&datei: ", 0), 0u);
    EXPECT_NE(ui().Caption(Push::StandardIcon).find(L"p.exe"), std::wstring::npos);

    NewForm();
    const std::wstring folder = temp.MakeFolder(L"Ordner");
    ReachIconPage(WithoutTrailingBackslash(folder));
    EXPECT_FALSE(ui().IconPreview().Empty());
}

TEST_F(IconPageTest, ChooserButtonFollowsTheQuickCount) {
    const std::wstring program = MakeProgram(L"p.exe");
    const std::wstring one = temp.MakeFile(L"eins.ico", IcoFile({RGB(255, 0, 0)}));
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    const std::wstring bitmap = temp.MakeFile(L"bild.bmp", BmpFile(20, 20, RGB(0, 0, 255)));
    ReachIconPage(program);
    ChooseIconFile();
    EXPECT_TRUE(ui().Enabled(Field::IconFile));
    EXPECT_TRUE(ui().Enabled(Push::BrowseIconFile));
    EXPECT_TRUE(ui().Enabled(Push::WindowsIcons));
    const std::pair<std::wstring, bool> cases[] = {{one, false}, {five, true}, {bitmap, false}};
    for (const auto& [file, chooser] : cases) {
        TypeIconFile(file);
        EXPECT_EQ(ui().Enabled(Push::ChooseIcon), chooser);
        EXPECT_FALSE(ui().IconPreview().Empty());
    }
    TypeIconFile(temp / L"fehlt.ico");
    EXPECT_TRUE(ui().IconPreview().Empty());
    EXPECT_TRUE(ui().SmallIconPreview().Empty());
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Die angegebene Symboldatei existiert nicht oder ist ungültig!"}));
    EXPECT_TRUE(ui().Focused(Field::IconFile));
}

TEST_F(IconPageTest, IndexIsResetByTypingAndKeptOtherwise) {
    const std::wstring program = MakeProgram(L"p.exe");
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    const std::wstring dropped = temp / L"mit_symbol.lnk";
    ASSERT_NO_THROW(WriteLink(dropped, NewLinkData(program, L"", L"", five, 2)));
    IconChooser chooser;
    int shown = 0;
    const auto choose = [&](const wchar_t* index) {
        chooser.OnShown = [&, index] {
            ++shown;
            if (index) chooser.SetIconIndexText(index);
            index ? chooser.Accept() : chooser.Dismiss();
        };
        EXPECT_TRUE(ui().Press(Push::ChooseIcon));
    };
    const struct {
        const char* name;
        std::function<void()> steps;
        int index;
    } cases[] = {
        {"chosen, then Cancel keeps it", [&] { choose(L"3"); choose(nullptr); }, 3},
        {"typing resets it", [&] { choose(L"4"); TypeIconFile(five + L" "); TypeIconFile(five); }, 0},
        {"a dropped link brings its own", [&] { choose(L"4"); form->DropFiles({dropped}); }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW((temp / L"Symbol.lnk").c_str());
        NewForm();
        form->Connections.iconChooser = &chooser;
        ReachIconPage(program);
        ChooseIconFile();
        TypeIconFile(five);
        shown = 0;
        c.steps();
        EXPECT_GE(shown, 1) << "the chooser never showed";
        NextUntil(LinkWizard::Closing);
        EXPECT_EQ(ui().IconIndex(), c.index);
        const LinkData link = ReadLink(temp / L"Symbol.lnk");
        EXPECT_TRUE(SameText(link.iconFile, five));
        EXPECT_EQ(link.iconIndex, c.index);
        EXPECT_EQ(ui().Items(Field::IconFile).at(0), five) << "the icon file went to the top of its history";
    }
}

TEST_F(IconPageTest, StandardStoresNoIconLocation) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    ChooseIconFile();
    TypeIconFile(temp.MakeFile(L"eins.ico", IcoFile({RGB(1, 2, 3)})));
    ASSERT_TRUE(ui().Press(Push::StandardIcon));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_EQ(ReadLink(temp.Path() + L"Symbol.lnk").iconFile, L"");
}

TEST_F(IconPageTest, WindowsIconFileOpensTheChooserOnShell32) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    ChooseIconFile();
    IconChooser chooser;
    form->Connections.iconChooser = &chooser;
    int shown = 0;
    chooser.OnShown = [&] {
        ++shown;
        EXPECT_GT(chooser.IconCount(), 10);
        chooser.Dismiss();
    };
    EXPECT_TRUE(ui().Press(Push::WindowsIcons));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(SameText(ui().Text(Field::IconFile), SpecialFolderPath(CSIDL_SYSTEM) + L"\\shell32.dll"));
}

TEST_F(IconPageTest, PreviewClickOpensTheTargetWithTheLinksArguments) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program + L" /a \"b c\"");
    Click(ui().TargetName());
    PumpMessages();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, program);
    EXPECT_EQ(opened[0].second, L"/a \"b c\"");
}

// The replacement in any letter case is the name rules'; here the edited link's path reaches the page.
TEST_F(IconPageTest, SystemRootInAnEditedIconPathIsReplaced) {
    const std::wstring link = temp / L"system.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(MakeProgram(L"p.exe"), L"", L"", L"%systemroot%\\system32\\shell32.dll")));
    PrepareWizard(*form, DecideStartMode(L"/E", link, {FileExists, DirectoryExists, {}, {}}));
    EXPECT_TRUE(SameText(ui().Text(Field::IconFile), SpecialFolderPath(CSIDL_WINDOWS) + L"\\system32\\shell32.dll"));
    NextUntil(LinkWizard::Icon);
    EXPECT_TRUE(ui().Enabled(Push::ChooseIcon));
    EXPECT_FALSE(ui().IconPreview().Empty());
}

}  // namespace
