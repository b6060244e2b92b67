#include <shlobj.h>

#include "controls/dz_image.h"
#include "dialogs/icon_chooser.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/wizard_fixture.h"
#include "tests/windows/support/pixels.h"
#include "app/startup.h"

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
        ASSERT_EQ(form->PageIndex(), TForm1::IconFilePage);
    }
    void ChooseIconFile() {
        form->IFile.SetChecked(true);
        form->Standard.SetChecked(false);
        form->StandardClick(&form->IFile);
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
            PrepareWizard(*form, DecideStartMode(L"/E", link, {FileExists, DirectoryExists}));
            PressNext();
            PressNext();
            PressNext();
            ASSERT_EQ(form->PageIndex(), TForm1::IconFilePage);
            ASSERT_TRUE(form->IFile.Checked());
        } else {
            ReachIconPage(program);
            EXPECT_EQ(IconPixels(form->Icon->Icon()), own);
            ChooseIconFile();
            TypeIconFile(five);
        }
        form->Standard.SetChecked(true);
        form->IFile.SetChecked(false);
        form->StandardClick(&form->Standard);
        EXPECT_EQ(IconPixels(form->Icon->Icon()), own);
    }
}

TEST_F(IconPageTest, StandardPreviewOfFileAndFolderTargets) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    EXPECT_FALSE(form->Icon->Empty());
    EXPECT_FALSE(form->SmallIcon->Empty());
    EXPECT_EQ(form->Next.Text(), L"Fertig stellen");
    EXPECT_EQ(form->Standard.Text().rfind(L"Standard&datei: ", 0), 0u);
    EXPECT_NE(form->Standard.Text().find(L"p.exe"), std::wstring::npos);

    NewForm();
    const std::wstring folder = temp.MakeFolder(L"Ordner");
    ReachIconPage(WithoutTrailingBackslash(folder));
    EXPECT_FALSE(form->Icon->Empty());
    EXPECT_EQ(form->Next.Text(), L"&Weiter >") << "the kind of link is asked next";
}

TEST_F(IconPageTest, ChooserButtonFollowsTheQuickCount) {
    const std::wstring program = MakeProgram(L"p.exe");
    const std::wstring one = temp.MakeFile(L"eins.ico", IcoFile({RGB(255, 0, 0)}));
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    const std::wstring bitmap = temp.MakeFile(L"bild.bmp", BmpFile(20, 20, RGB(0, 0, 255)));
    ReachIconPage(program);
    ChooseIconFile();
    EXPECT_TRUE(form->IconFile.Enabled());
    EXPECT_TRUE(form->Button3.Enabled());
    EXPECT_TRUE(form->WinIconsFile.Enabled());
    const std::pair<std::wstring, bool> cases[] = {{one, false}, {five, true}, {bitmap, false}};
    for (const auto& [file, chooser] : cases) {
        TypeIconFile(file);
        EXPECT_EQ(form->ChoseIcon.Enabled(), chooser);
        EXPECT_FALSE(form->Icon->Empty());
    }
    TypeIconFile(temp / L"fehlt.ico");
    EXPECT_TRUE(form->Icon->Empty());
    EXPECT_TRUE(form->SmallIcon->Empty());
    PressNext();
    EXPECT_EQ(form->PageIndex(), TForm1::IconFilePage);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Die angegebene Symboldatei existiert nicht oder ist ungültig!"}));
    EXPECT_TRUE(form->IconFile.Focused());
}

TEST_F(IconPageTest, IndexIsResetByTypingAndKeptOtherwise) {
    const std::wstring program = MakeProgram(L"p.exe");
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    ReachIconPage(program);
    ChooseIconFile();
    TypeIconFile(five);
    TForm2 chooser;
    form->IconChooser = &chooser;
    chooser.OnShown = [&] {
        chooser.SetIconIndexText(L"3");
        chooser.OKClick();
    };
    form->ChoseIconClick();
    EXPECT_EQ(form->SelectedIconIndex, 3);

    chooser.OnShown = [&] { chooser.CancelClick(); };
    form->ChoseIconClick();
    EXPECT_EQ(form->SelectedIconIndex, 3) << "Cancel keeps the index";

    PressNext();  // leaving the page keeps the index
    ASSERT_EQ(form->PageIndex(), TForm1::NewLinkPage);
    EXPECT_EQ(form->SelectedIconIndex, 3);
    const LinkData link = ReadLink(temp.Path() + L"Symbol.lnk");
    EXPECT_TRUE(SameText(link.iconFile, five));
    EXPECT_EQ(link.iconIndex, 3);
    EXPECT_EQ(form->IconFile.Item(0), five) << "the icon file went to the top of its history";

    PressNext();
    ReachIconPage(program);
    ChooseIconFile();
    TypeIconFile(five);
    form->SelectedIconIndex = 4;
    TypeIconFile(five + L" ");
    EXPECT_EQ(form->SelectedIconIndex, 0) << "typing resets the index";

    const std::wstring dropped = temp / L"mit_symbol.lnk";
    ASSERT_NO_THROW(WriteLink(dropped, NewLinkData(program, L"", L"", five, 2)));
    form->DropFiles({dropped});
    EXPECT_EQ(form->IconFile.Text(), five);
    EXPECT_EQ(form->SelectedIconIndex, 2) << "dropping a link keeps its index";
}

TEST_F(IconPageTest, StandardStoresNoIconLocation) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    form->IconFile.SetText(temp.MakeFile(L"eins.ico", IcoFile({RGB(1, 2, 3)})));
    PressNext();
    ASSERT_EQ(form->PageIndex(), TForm1::NewLinkPage);
    EXPECT_EQ(ReadLink(temp.Path() + L"Symbol.lnk").iconFile, L"");
}

TEST_F(IconPageTest, WindowsIconFileOpensTheChooserOnShell32) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program);
    ChooseIconFile();
    TForm2 chooser;
    form->IconChooser = &chooser;
    int shown = 0;
    chooser.OnShown = [&] {
        ++shown;
        EXPECT_GT(chooser.IconCount(), 10);
        chooser.CancelClick();
    };
    form->WinIconsFileClick();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(SameText(form->IconFile.Text(), SpecialFolderPath(CSIDL_SYSTEM) + L"\\shell32.dll"));
}

TEST_F(IconPageTest, PreviewClickOpensTheTargetWithTheLinksArguments) {
    const std::wstring program = MakeProgram(L"p.exe");
    ReachIconPage(program + L" /a \"b c\"");
    form->IconClick();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, program);
    EXPECT_EQ(opened[0].second, L"/a \"b c\"");
}

TEST_F(IconPageTest, SystemRootInAnEditedIconPathIsReplaced) {
    for (const std::wstring variable : {L"%SystemRoot%", L"%SYSTEMROOT%", L"%systemroot%"}) {
        NewForm();
        ChooseIconFile();
        form->IconFile.SetText(variable + L"\\system32\\shell32.dll");
        form->IconFileChange();
        EXPECT_TRUE(SameText(form->IconFile.Text(), SpecialFolderPath(CSIDL_WINDOWS) + L"\\system32\\shell32.dll"));
        EXPECT_TRUE(form->ChoseIcon.Enabled());
        EXPECT_FALSE(form->Icon->Empty());
    }
}

}  // namespace
