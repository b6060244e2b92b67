#include <shlobj.h>

#include <cwchar>

#include "platform/scoped_value.h"
#include "platform/win_error.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/wizard_fixture.h"
#include "links/folder_links.h"

namespace {

std::wstring Desktop() { return SpecialFolderPath(CSIDL_DESKTOP); }

// The form's children in tab order, each with its id, class, place, visibility and font.
std::vector<std::wstring> Children(HWND form) {
    std::vector<std::wstring> children;
    for (HWND h = GetWindow(form, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        const std::wstring name = ClassOf(h);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        wchar_t line[256];
        std::swprintf(line, 256, L"%d %ls (%ld,%ld)-(%ld,%ld) %d %ls %ld %ld", GetDlgCtrlID(h), name.c_str(), r.left, r.top,
                      r.right, r.bottom, IsWindowVisible(h) ? 1 : 0, font.lfFaceName, font.lfHeight, font.lfWeight);
        children.push_back(line);
    }
    return children;
}

TEST_F(WizardTest, ProgramWithArgumentIsProposedOnTheDesktopAndLinkedWithoutTheKindPage) {
    const std::wstring program = MakeProgram(L"Werkzeug\\editor.exe");
    TypeTarget(program + L" /n");
    EXPECT_TRUE(ui().Enabled(Push::Next));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(form->Caption(), L"Verknüpfungsdatei angeben");
    EXPECT_TRUE(ui().Enabled(Push::Back));
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), WithTrailingBackslash(Desktop())));
    EXPECT_TRUE(SameText(ui().Text(Field::Location), WithTrailingBackslash(Desktop()) + L"editor"));
    // Written into the test's own folder: the prefix's desktop is shared with the other tests.
    ui().TreeMovedTo(temp.Path());
    EXPECT_TRUE(SameText(ui().Text(Field::Location), temp.Path() + L"editor"));

    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Description);
    EXPECT_EQ(form->Caption(), L"Beschreibung angeben");
    ui().Type(Field::Description, L"Mein Editör");
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_EQ(ui().Caption(Push::Next), L"Fertig stellen");
    EXPECT_EQ(form->Caption(), L"Symboldatei angeben");
    PressNext();

    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_TRUE(IsWindowVisible(FindWindowExW(form->Handle(), nullptr, L"Static",
                                              L"Die Verknüpfung wurde erstellt. Möchten Sie eine weitere "
                                              L"Verknüpfung erstellen?")));
    EXPECT_EQ(ui().Caption(Push::Next), L"&Ja");
    EXPECT_EQ(ui().Caption(Push::Cancel), L"&Nein");
    EXPECT_FALSE(ui().Visible(Push::Back));
    EXPECT_EQ(form->Caption(), L"Symboldatei angeben");
    ASSERT_FALSE(boxes.Events().empty());
    EXPECT_EQ(boxes.Events().back().sound, UINT{MB_ICONQUESTION});

    const std::wstring linkFile = ui().Text(Field::Location) + L".lnk";
    const LinkData link = ReadLink(linkFile);
    EXPECT_TRUE(SameText(link.targetPath, program));
    EXPECT_EQ(link.arguments, L"/n");
    EXPECT_EQ(link.description, L"Mein Editör");
    EXPECT_TRUE(SameText(link.workingFolder, temp.Path() + L"Werkzeug"));
    EXPECT_EQ(link.iconFile, L"");
}

TEST_F(WizardTest, FolderTargetAsksForTheKindAndMakesEitherKind) {
    const std::wstring target = temp.MakeFolder(L"Ziel Ordner");
    const std::wstring links = temp.MakeFolder(L"Links");
    using Kind = LinkKind;
    for (const Kind kind : {Kind::FolderLink, Kind::ShellLink}) {
        const std::wstring name = kind == Kind::FolderLink ? L"Art0" : L"Art1";
        SCOPED_TRACE(static_cast<int>(kind));
        NewForm();
        TypeTarget(L"\"" + WithoutTrailingBackslash(target) + L"\"");
        PressNext();
        TypeLocation(links + name);
        PressNext();
        PressNext();
        EXPECT_EQ(ui().Caption(Push::Next), L"&Weiter >");
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Kind);
        EXPECT_EQ(ui().Caption(Push::Next), L"Fertig stellen");
        EXPECT_EQ(form->Caption(), L"Art der Verknüpfung angeben");
        EXPECT_EQ(ui().Kind(), LinkKind::FolderLink);
        ASSERT_TRUE(ui().Press(kind == LinkKind::FolderLink ? Push::FolderLink : Push::FileLink));
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
        const std::wstring made = links + name;
        if (kind == Kind::FolderLink) {
            MakeFolderReadOnly(made);
            EXPECT_EQ(FolderLinkTarget(made), target);
            // The refreshed tree lists the new folder link.
            EXPECT_TRUE(ui().Tree()->SelectFolder(made + L"\\"));
        } else {
            EXPECT_TRUE(SameText(ReadLink(made + L".lnk").targetPath, WithoutTrailingBackslash(target)));
        }
    }
}

TEST_F(WizardTest, YesOnTheClosingPageStartsAnotherLink) {
    const std::wstring program = MakeProgram(L"a.exe");
    CreateLink(program, temp.Path() + L"Erste", L"Text");
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Target);
    EXPECT_EQ(ui().Text(Field::CommandLine), L"");
    EXPECT_FALSE(ui().Enabled(Push::Next));
    EXPECT_FALSE(ui().Enabled(Push::Back));
    EXPECT_TRUE(ui().Visible(Push::Back));
    EXPECT_EQ(ui().Caption(Push::Next), L"&Weiter >");
    EXPECT_EQ(ui().Caption(Push::Cancel), L"Abbrechen");
    EXPECT_EQ(form->Caption(), L"Verknüpfung erstellen");
    EXPECT_EQ(ui().Text(Field::Description), L"");
    EXPECT_TRUE(form->Draft().target.empty());
    EXPECT_TRUE(ui().Checked(Push::StandardIcon));
    EXPECT_FALSE(ui().Enabled(Field::IconFile));
    // A disabled Next does nothing, not even the check of the empty field.
    boxes.Clear();
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Target);
    EXPECT_TRUE(boxes.Events().empty());
    TypeTarget(program);
    EXPECT_TRUE(ui().Enabled(Push::Next));
    PressNext();
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), WithTrailingBackslash(Desktop())))
        << "a new link starts on the desktop again";
}

TEST_F(WizardTest, ExistingLinkIsReplacedOnlyAfterYes) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring location = temp.Path() + L"Doppelt";
    ASSERT_NO_THROW(WriteLink(location + L".lnk", NewLinkData(program, L"", L"alt", L"", 0)));
    boxes.Answer(BoxAnswer::No);
    CreateLink(program, location, L"neu");
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_TRUE(IsWindowVisible(ui().Handle(Field::IconFile)));
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Die Dateiverknüpfung " + location +
                                                      L".lnk kann nicht erstellt werden, da bereits eine "
                                                      L"gleichnamige Verknüpfung existiert. Soll sie überschrieben "
                                                      L"werden?"}));
    EXPECT_EQ(ReadLink(location + L".lnk").description, L"alt");

    boxes.Answer(BoxAnswer::Yes);
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_EQ(ReadLink(location + L".lnk").description, L"neu");
}

TEST_F(WizardTest, FailedWriteReturnsToTheIconPage) {
    const std::wstring program = MakeProgram(L"a.exe");
    // The folder goes after the location page accepted it.
    const std::wstring folder = temp.MakeFolder(L"Verschwindet");
    TypeTarget(program);
    PressNext();
    TypeLocation(folder + L"name");
    PressNext();
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    PressNext();
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    EXPECT_TRUE(IsWindowVisible(ui().Handle(Field::IconFile)));
    // The box gives the system's reason on a line of its own.
    const std::wstring intro = L"Beim Erstellen der Verknüpfung ist ein Fehler aufgetreten.\r\n";
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0].rfind(intro, 0), 0u);
    EXPECT_GT(BoxTexts()[0].size(), intro.size());
    EXPECT_FALSE(FileExists(folder + L"name.lnk"));
}

TEST_F(WizardTest, HelpTopicsFollowThePageAndTheClosingPageHasNone) {
    std::vector<std::wstring> topics;
    form->Connections.help = [&](const std::wstring& topic) { topics.push_back(topic); };
    const std::wstring program = MakeProgram(L"a.exe");
    TypeTarget(program);
    form->ShowHelp();
    PressNext();
    form->ShowHelp();
    TypeLocation(temp.Path() + L"hilfe");
    PressNext();
    form->ShowHelp();
    PressNext();
    form->ShowHelp();
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    form->ShowHelp();
    EXPECT_EQ(topics, (std::vector<std::wstring>{L"CreateLink", L"LinkLocation", L"LinkDescription", L"LinkIcon"}));
}

TEST_F(WizardTest, DroppedFilesGoToThePageShown) {
    const std::wstring program = MakeProgram(L"Mit Blank\\p.exe");
    const std::wstring other = MakeProgram(L"q.exe");
    form->DropFiles({program, other});
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"" + program + L"\"");
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    const std::wstring before = ui().Tree()->SelectedFolder();
    form->DropFiles({other});
    EXPECT_EQ(ui().Tree()->SelectedFolder(), before) << "a file dropped on the location page changes nothing";
    form->DropFiles({temp.Path() + L"Mit Blank"});
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), temp.Path() + L"Mit Blank\\"));
}

TEST_F(WizardTest, PagesBuiltWhileIdleEqualPagesBuiltAtOnce) {
    const std::vector<std::wstring> atOnce = Children(form->Handle());
    {
        ScopedFlag idle(LinkWizard::BuildPagesWhenIdle, true);
        form = std::make_unique<LinkWizard>(temp.Path(), temp.Path() + L"Anwendungsdaten\\");
    }
    form->SettingsKey = TestSettingsKey();
    EXPECT_FALSE(ui().Tree()) << "the first page needs no folder tree";
    form->Show(SW_SHOW);
    UpdateWindow(form->Handle());
    // A page built behind the shown one leaves the shown page as it was painted: nothing of it is
    // erased or waits to be painted again.
    int erased = 0;
    ControlHook erasing;
    erasing.Attach(form->Handle(), [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        erased += message == WM_ERASEBKGND;
        return false;
    });
    const auto shownPageTouched = [&] {
        int count = erased + (GetUpdateRect(form->Handle(), nullptr, FALSE) ? 1 : 0);
        for (HWND h = GetWindow(form->Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
            if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) ++count;
        return count;
    };
    ASSERT_EQ(shownPageTouched(), 0);
    ASSERT_TRUE(WaitUntil([&] {
        MSG timer;
        if (PeekMessageW(&timer, form->Handle(), WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&timer);
        EXPECT_EQ(shownPageTouched(), 0) << "after " << form->PagesBuiltCount() << " pages";
        return form->PagesBuilt();
    }));
    erasing.Detach();
    EXPECT_EQ(Children(form->Handle()), atOnce);
    EXPECT_EQ(GetWindow(ui().Handle(Push::Cancel), GW_HWNDNEXT), nullptr) << "the pages come before the buttons";
    LOGFONTW formFont{};
    GetObjectW(form->Font(), sizeof formFont, &formFont);
    for (HWND h = GetWindow(form->Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        const bool text = GetWindowTextLengthW(h) > 0;
        if (!IsClass(h, L"ComboBox") && !(text && (IsClass(h, L"Button") || IsClass(h, L"Static")))) continue;
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::wstring(font.lfFaceName) + L" " + std::to_wstring(font.lfHeight),
                  std::wstring(formFont.lfFaceName) + L" " + std::to_wstring(formFont.lfHeight))
            << "control " << GetDlgCtrlID(h);
    }
    TypeTarget(MakeProgram(L"p.exe"));
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
}

TEST_F(WizardTest, BeforeThePagesAreBuiltTypingBuildsThemAndClosingKeepsTheirHistories) {
    form.reset();
    Histories saved;
    saved[HistoryKind::Directories] = {L"C:\\Ordner\\"};
    saved[HistoryKind::IconFiles] = {L"C:\\Symbole.ico"};
    ASSERT_EQ(SaveHistories(temp.Path(), saved), L"");
    const auto newIdleForm = [&] {
        ScopedFlag idle(LinkWizard::BuildPagesWhenIdle, true);
        form = std::make_unique<LinkWizard>(temp.Path(), temp.Path() + L"Anwendungsdaten\\");
        form->SettingsKey = TestSettingsKey();
        EXPECT_FALSE(form->PagesBuilt());
    };
    newIdleForm();
    form.reset();
    const Histories kept = LoadHistories(temp.Path());
    EXPECT_EQ(kept[HistoryKind::Directories], saved[HistoryKind::Directories]);
    EXPECT_EQ(kept[HistoryKind::IconFiles], saved[HistoryKind::IconFiles]);

    newIdleForm();
    TypeTarget(L"C:\\");
    ASSERT_TRUE(form->PagesBuilt());
    EXPECT_EQ(ui().Items(Field::Location), saved[HistoryKind::Directories]);
    EXPECT_EQ(ui().Items(Field::IconFile), saved[HistoryKind::IconFiles]);
}

}  // namespace
