#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <optional>

#include "platform/win_error.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/wine_drive.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/wizard_fixture.h"
#include "wizard/link_writing_boxes.h"
#include "links/folder_links.h"

namespace {

const std::wstring kCorrectionIntro =
    L"Die angegebene Datei wurde nicht gefunden.\r\n\r\nDateien und Verzeichnisse, die in ihrem Namen Leerzeichen "
    L"oder Kommata enthalten, müssen zur Trennung von den anderen Parametern in Anführungsstriche gesetzt "
    L"werden.\r\n";
const std::wstring kCorrectionQuestion = L"\r\n\r\nMöchten Sie diesen Vorschlag annehmen?";

TEST_F(WizardTest, TargetCorrectionsOfferTheLongestExistingPart) {
    const std::wstring program = MakeProgram(L"Neuer Ordner\\prog.exe");
    struct Case {
        std::wstring typed, proposal;
    };
    const Case cases[] = {
        {program + L" datei.txt", L"\"" + program + L"\" datei.txt"},
        {program, L"\"" + program + L"\""},
    };
    for (const auto& c : cases) {
        for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
            NewForm();
            boxes.Clear();
            boxes.Answer(answer);
            TypeTarget(c.typed);
            PressNext();
            ASSERT_EQ(boxes.Events().size(), 2u);
            EXPECT_EQ(boxes.Events()[0].sound, UINT{MB_ICONEXCLAMATION});
            EXPECT_EQ(boxes.Events()[1].text, kCorrectionIntro + c.proposal + kCorrectionQuestion);
            EXPECT_EQ(boxes.Events()[1].caption, L"Warnung");
            EXPECT_EQ(boxes.Events()[1].buttons, BoxButtons::YesNo);
            if (answer == BoxAnswer::Yes) {
                EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
                EXPECT_EQ(ui().Text(Field::CommandLine), c.proposal);
                EXPECT_EQ(form->Draft().target, program);
            } else {
                EXPECT_EQ(form->CurrentPage(), LinkWizard::Target);
                EXPECT_EQ(ui().Text(Field::CommandLine), c.typed);
                EXPECT_EQ(ui().Combo(Field::CommandLine).SelStart(), 0);
                EXPECT_EQ(ui().Combo(Field::CommandLine).SelLength(), static_cast<int>(c.typed.size()));
            }
        }
    }
}

// What Next does with a typed target that is missing, blank or hostile, or a drive without a medium.
TEST_F(WizardTest, TargetsThatCannotBeTakenGetAGermanBox) {
    WineDrive removable(DRIVE_REMOVABLE, WideFromUtf8(UnixPathOf(temp.Path())) + L"/kein_medium");
    ASSERT_EQ(GetDriveTypeW(removable.Root().c_str()), UINT{DRIVE_REMOVABLE});
    const struct {
        std::wstring typed;
        std::wstring box;  // the box's text; "*": any warning; empty: taken without a box
    } cases[] = {
        {temp.Path() + L"fehlt.exe /x", L"Die Datei " + temp.Path() + L"fehlt.exe wurde nicht gefunden!"},
        {L"    ", L"*"},
        {std::wstring(10000, L'x'), L"*"},
        {L"\"unbalanced quote", L"*"},
        {L"a\tb\x01\x1f c", L"*"},
        {removable.Root(), L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.typed.substr(0, 40)));
        NewForm();
        boxes.Clear();
        TypeTarget(c.typed);
        PressNext();
        EXPECT_EQ(form->CurrentPage(), c.box.empty() ? LinkWizard::Location : LinkWizard::Target);
        ASSERT_EQ(boxes.Boxes().size(), c.box.empty() ? 0u : 1u);
        if (c.box == L"*") {
            EXPECT_EQ(boxes.Boxes()[0].caption, L"Warnung");
        } else if (!c.box.empty()) {
            EXPECT_EQ(boxes.Boxes()[0].text, c.box);
        }
    }
}

TEST_F(WizardTest, TypedLinkIsReplacedByItsTargetAndTheRestOfTheLine) {
    const std::wstring program = MakeProgram(L"Mit Blank\\ziel.exe");
    const std::wstring link = temp / L"verweis.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"", L"", 0)));
    TypeTarget(L"\"" + link + L"\" /p \"x y\"");
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"" + program + L"\" /p \"x y\"");
    EXPECT_EQ(form->Draft().target, program);
    EXPECT_EQ(form->Draft().arguments, L"/p \"x y\"");
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(WizardTest, LinkChainsAndUnreadableLinksEnd) {
    const std::wstring a = temp / L"a.lnk", b = temp / L"b.lnk";
    ASSERT_NO_THROW(WriteLink(a, NewLinkData(b, L"", L"", L"", 0)));
    ASSERT_NO_THROW(WriteLink(b, NewLinkData(a, L"", L"", L"", 0)));
    TypeTarget(a);
    {
        const ModalWatchdog watchdog("following a circular link chain");
        PressNext();
    }
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Target);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_TRUE(BoxTexts()[0].ends_with(L".lnk verweist über zu viele Verknüpfungen.")) << Utf8FromWide(BoxTexts()[0]);

    // A .lnk that is no link ends in the general error box at the window's boundary.
    boxes.Clear();
    const std::wstring bad = temp.MakeFile(L"kaputt.lnk", "kein Link");
    TypeTarget(bad);
    PressNext();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Target);
}

TEST_F(WizardTest, LocationCheckBoxesComeInOrder) {
    const std::wstring program = MakeProgram(L"a.exe");
    TypeTarget(program);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);

    TypeLocation(temp.Path() + L"fehlt\\");
    PressNext();
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Geben Sie einen Namen für die Verknüpfung ein.",
                                                      L"Das Verzeichnis " + temp.Path() +
                                                          L"fehlt\\ existiert nicht."}));
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_TRUE(ui().Focused(Field::Location));

    boxes.Clear();
    boxes.Answer(BoxAnswer::Yes);
    TypeLocation(temp.Path() + L"a:b");
    PressNext();
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Der angegebene Name ist ungültig.\r\n\r\n" + temp.Path() +
                                                      L"ab\r\n\r\nMöchten Sie diesen Vorschlag annehmen?"}));
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Description);
    EXPECT_EQ(ui().Text(Field::Location), temp.Path() + L"ab");
    EXPECT_EQ(ui().Combo(Field::Location).Item(0), temp.Path()) << "the folder went to the top of the history";

    EXPECT_TRUE(ui().Press(Push::Back));
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(ui().Text(Field::Location), temp.Path() + L"ab");
}

TEST_F(WizardTest, NameProposalsFromTheTarget) {
    const std::wstring folder = temp.MakeFolder(L"Ort"), other = temp.MakeFolder(L"Anderer");
    // The proposals themselves are the name rules'; here the accepted target's reaches the field
    // when the user moves the tree.
    for (const auto& [target, name] : {std::pair{MakeProgram(L"Setup.exe"), L"Setup"},
                                       std::pair{temp.MakeFolder(L"Projekte"), L"Projekte"}}) {
        TypeTarget(target);
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
        ui().TreeMovedTo(other);
        TypeLocation(L"");
        ui().TreeMovedTo(folder);
        EXPECT_EQ(ui().Text(Field::Location), folder + name);
        EXPECT_TRUE(ui().Press(Push::Back));
    }
}

TEST_F(WizardTest, TypedNameSurvivesAFolderButton) {
    const std::wstring program = MakeProgram(L"a.exe");
    TypeTarget(program);
    PressNext();
    TypeLocation(temp.Path() + L"Mein Editor");
    EXPECT_TRUE(ui().Press(Push::SendTo));
    EXPECT_TRUE(SameText(ui().Text(Field::Location), WithTrailingBackslash(SpecialFolderPath(CSIDL_SENDTO)) + L"Mein Editor"));
    EXPECT_TRUE(ui().Press(Push::Desktop));
    EXPECT_TRUE(SameText(ui().Text(Field::Location), WithTrailingBackslash(SpecialFolderPath(CSIDL_DESKTOP)) + L"Mein Editor"));
    EXPECT_TRUE(ui().Enabled(Push::Up)) << "the desktop lies below its drive";
    for (int level = 0; level < 32 && ui().Press(Push::Up); ++level) {
    }
    EXPECT_FALSE(ui().Tree()->CanGoUp());
    EXPECT_FALSE(ui().Press(Push::Up)) << "nothing above a drive: the button is disabled";
}

TEST_F(WizardTest, TypingFollowsTheTreeAndFolderLinksResolve) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring real = temp.MakeFolder(L"Archiv");
    temp.MakeFolder(L"Archiv\\2002");
    const std::wstring link = temp.MakeFolder(L"Menü") + L"Daten\\";
    ASSERT_NO_THROW(CreateFolderLink(link, NewLinkData(real, L"", L"", L"", 0)));
    MakeFolderReadOnly(link);
    TypeTarget(program);
    PressNext();

    TypeLocation(temp.Path() + L"Archiv\\");
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), real));
    TypeLocation(temp.Path() + L"Archiv\\Zub");
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), real));
    TypeLocation(temp.Path() + L"Fehlt\\x");
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), real));

    TypeLocation(link + L"2002\\Name");
    EXPECT_EQ(ui().Text(Field::Location), real + L"2002\\Name");
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), real + L"2002\\"));
}

TEST_F(WizardTest, WithoutASelectedFolderTheBareNameIsProposedAndRefused) {
    const std::wstring program = MakeProgram(L"Werkzeug.exe");
    TypeTarget(program);
    PressNext();
    // As with a desktop the tree does not list: the location page finds no folder selected.
    ASSERT_TRUE(ui().Press(Push::Back));
    TreeView_SelectItem(ui().Tree()->Handle(), nullptr);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(ui().Text(Field::Location), L"Werkzeug");
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Das Verzeichnis  existiert nicht."}));
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_FALSE(FileExists(std::wstring(current).substr(0, 3) + L"Werkzeug.lnk"));
}

TEST_F(WizardTest, TheTreeFollowsATypedPathAsFarAsItExists) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring typed = std::wstring(windows) + L"\\sys";
    std::wstring expected = ui().Tree()->SelectedFolder();
    for (size_t length = 1; length <= typed.size(); ++length) {
        const std::wstring text = typed.substr(0, length);
        TypeLocation(text);
        const std::wstring folder = FolderPart(text);
        if (!folder.empty() && DirectoryExists(folder)) expected = WithTrailingBackslash(folder);
        EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), expected))
            << Utf8FromWide(text) << " selected " << Utf8FromWide(ui().Tree()->SelectedFolder());
    }
    // A folder the tree hides (its name begins with RECYCLED) ends the walk at the drive root.
    const std::wstring hidden = typed.substr(0, 3) + L"RecycledZw" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(hidden.c_str(), nullptr);
    CreateDirectoryW((hidden + L"unter").c_str(), nullptr);
    TypeLocation(temp.Path() + L"x");
    ASSERT_TRUE(SameText(ui().Tree()->SelectedFolder(), temp.Path()));
    TypeLocation(hidden + L"unter\\Name");
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), typed.substr(0, 3)))
        << Utf8FromWide(ui().Tree()->SelectedFolder());
    EXPECT_EQ(ui().Text(Field::Location), hidden + L"unter\\Name");
    RemoveTree(hidden);
}

TEST_F(WizardTest, ComboKeysDeleteHistoryEntries) {
    HistoryComboBox& location = ui().Combo(Field::Location);
    HistoryComboBox& target = ui().Combo(Field::CommandLine);
    location.SetItems({L"C:\\a\\", L"C:\\b\\", L"C:\\c\\"});
    location.SetItemIndex(1);
    location.KeyDown(VK_DELETE, false);
    EXPECT_EQ(ui().Items(Field::Location), (std::vector<std::wstring>{L"C:\\a\\", L"C:\\c\\"}));
    location.KeyDown(VK_DELETE, true);
    EXPECT_TRUE(ui().Items(Field::Location).empty());

    target.SetItems({L"C:\\Programme\\Editor.exe"});
    target.SetText(L"C:\\Pro");
    target.SetSelection(2, 2);
    target.KeyDown('X', false);
    EXPECT_FALSE(target.AutoComplete) << "completion only at the end of the text";
    target.CaretToEnd();
    target.KeyDown('X', false);
    EXPECT_TRUE(target.AutoComplete);
    EXPECT_TRUE(target.CompleteFromItems());
    EXPECT_EQ(ui().Text(Field::CommandLine), L"C:\\Programme\\Editor.exe");
}

TEST_F(WizardTest, HistoriesMoveAcceptedEntriesToTheTop) {
    const std::wstring program = MakeProgram(L"A.EXE");
    ui().Combo(Field::CommandLine).SetItems({L"andere", L"x", program});
    TypeTarget(UpperCase(program));
    PressNext();
    EXPECT_EQ(ui().Items(Field::CommandLine), (std::vector<std::wstring>{program, L"andere", L"x"}));
    EXPECT_EQ(ui().Text(Field::CommandLine), UpperCase(program));
}

TEST_F(WizardTest, LocationOnACdRomGivesOnlyTheDeviceBox) {
    const std::wstring medium = temp.MakeFolder(L"medium");
    WineDrive drive(DRIVE_CDROM, WideFromUtf8(UnixPathOf(medium)));
    ASSERT_TRUE(drive.Took()) << "the CD-ROM drive did not take";
    TypeTarget(MakeProgram(L"a.exe"));
    PressNext();
    TypeLocation(drive.Root() + L"fehlt\\Name");
    PressNext();
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Auf diesem Gerät kann nicht geschrieben werden."}));
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
}

TEST_F(WizardTest, DroppedLinkIsTakenOverAsAWhole) {
    const std::wstring program = MakeProgram(L"Mit Blank\\p.exe");
    const std::wstring icons = temp.MakeFile(L"symbole.ico", "x");
    const std::wstring link = temp / L"Übernommen.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"/q", L"Alte Beschreibung", icons, 2)));
    form->DropFiles({link});
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"" + program + L"\" /q");
    EXPECT_EQ(ui().Text(Field::Description), L"Alte Beschreibung");
    EXPECT_TRUE(ui().Checked(Push::IconFileChoice));
    EXPECT_EQ(ui().Text(Field::IconFile), icons);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(NamePart(ui().Text(Field::Location)), L"Übernommen");
}

TEST_F(WizardTest, BrowsedPathsAreQuotedByTheirOwnRules) {
    system.openFile = [](const OpenDialog& dialog) -> std::optional<std::wstring> {
        EXPECT_EQ(dialog.Filter, L"Programme|*.exe|Alle Dateien|*");
        EXPECT_EQ(dialog.Title, L"Durchsuchen");
        EXPECT_TRUE(dialog.InitialDir.empty());
        return L"C:\\Werk,zeug\\a.exe";
    };
    EXPECT_TRUE(ui().Press(Push::BrowseFile));
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"C:\\Werk,zeug\\a.exe\"") << "a file with a comma is quoted";
    EXPECT_TRUE(ui().Enabled(Push::Next));

    system.browseFolder = [] { return std::optional<std::wstring>(L"C:\\Werk,zeug"); };
    EXPECT_TRUE(ui().Press(Push::BrowseFolder));
    EXPECT_EQ(ui().Text(Field::CommandLine), L"C:\\Werk,zeug") << "a folder with a comma is not";
    system.browseFolder = [] { return std::optional<std::wstring>(L"C:\\Mit Blank"); };
    EXPECT_TRUE(ui().Press(Push::BrowseFolder));
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"C:\\Mit Blank\"");
}

TEST_F(WizardTest, TheRealFileDialogOpensAndCancelChangesNothing) {
    TypeTarget(L"bleibt");
    const WindowAnswer cancel([](HWND window) { return IsDialogTitled(window, L"Durchsuchen"); },
                              [](HWND dialog) { PressDialogButton(dialog, IDCANCEL); });
    {
        const ModalWatchdog watchdog("the file dialog");
        EXPECT_TRUE(ui().Press(Push::BrowseFile));
    }
    EXPECT_EQ(cancel.Answered(), 1) << "the dialog titled \"Durchsuchen\" was shown";
    EXPECT_EQ(ui().Text(Field::CommandLine), L"bleibt");
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

std::wstring TooltipOf(HWND form, HWND control) {
    const HWND tooltip =
        ThreadWindow([&](HWND w) { return IsClass(w, TOOLTIPS_CLASSW) && GetWindow(w, GW_OWNER) == form; });
    wchar_t text[256] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text;
    if (tooltip) SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

TEST_F(WizardTest, IconOnlyControlsAreNamedAndHinted) {
    const ModuleHandle program = ProgramResources();
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
        EXPECT_EQ(TextOf(control), c.name);
        EXPECT_EQ(TooltipOf(form->Handle(), control), c.name);
        EXPECT_TRUE(GetWindowLongW(control, GWL_STYLE) & BS_ICON) << "the name is not drawn";
        if (c.picture) { EXPECT_NE(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0), 0); }
    }
    EXPECT_EQ(TextOf(ui().IconPreview().Handle()), L"Symbol der Verknüpfung");
    EXPECT_EQ(TextOf(ui().SmallIconPreview().Handle()), L"Kleines Symbol der Verknüpfung");
    EXPECT_EQ(TooltipOf(form->Handle(), ui().SmallIconPreview().Handle()), L"Kleines Symbol der Verknüpfung");
}

}  // namespace
