#include "app/startup.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/icon_test_files.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/wizard_fixture.h"
#include "links/folder_links.h"
#include "wizard/settings.h"

namespace {

using namespace icon_files;

class StartupTest : public WizardTest {
protected:
    void Start(const std::wstring& first, const std::wstring& second = {}) {
        PrepareWizard(*form, DecideStartMode(first, second, {FileExists, DirectoryExists, {}, {}}));
    }
};

TEST_F(StartupTest, EditModeFillsEveryPage) {
    const std::wstring program = MakeProgram(L"Mit Blank\\a,b.exe");
    const std::wstring five = MakeIconLibrary(temp / L"fuenf.dll", 5);
    const std::wstring link = temp.MakeFolder(L"Links") + L"Alt.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"-x \"y z\"", L"Beschreibung", five, 4)));
    Start(L"/e", link);
    EXPECT_EQ(ui().EditedLinkPath(), link);
    EXPECT_TRUE(ui().Visible(Push::DeleteEditedLink));
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"" + program + L"\" -x \"y z\"");
    EXPECT_EQ(ui().Text(Field::Description), L"Beschreibung");
    EXPECT_EQ(ui().Text(Field::IconFile), five);
    EXPECT_TRUE(ui().Checked(Push::IconFileChoice));
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), temp.Path() + L"Links\\"));

    // Editing with the same name: no overwrite question, the old link replaced.
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_EQ(ui().Text(Field::Location), temp.Path() + L"Links\\Alt");
    PressNext();
    ui().Type(Field::Description, L"Neu");
    PressNext();
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(ui().Visible(Push::DeleteEditedLink));
    const LinkData written = ReadLink(link);
    EXPECT_EQ(written.description, L"Neu");
    EXPECT_EQ(written.iconIndex, 4);
    EXPECT_EQ(written.arguments, L"-x \"y z\"");
}

TEST_F(StartupTest, EditingWithoutDeletingAsksBeforeOverwriting) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring link = temp / L"Alt.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"alt", L"", 0)));
    Start(L"/E", link);
    ui().SetChecked(Push::DeleteEditedLink, false);
    boxes.Answer(BoxAnswer::Yes);
    CreateLink(ui().Text(Field::CommandLine), temp.Path() + L"Alt", L"neu");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(L"Soll sie überschrieben werden?"), std::wstring::npos);
    EXPECT_EQ(ReadLink(link).description, L"neu");
}

TEST_F(StartupTest, EditedLinkSurvivesAFailedWriteAndGoesAfterASuccessfulOne) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring link = temp / L"Alt.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"alt", L"", 0)));
    Start(L"/E", link);
    // The write fails: the folder goes after the location page accepted it.
    const std::wstring folder = temp.MakeFolder(L"Verschwindet");
    TypeTarget(ui().Text(Field::CommandLine));
    PressNext();
    TypeLocation(folder + L"neuer_name");
    PressNext();
    ASSERT_TRUE(RemoveDirectoryW(folder.c_str()));
    ui().Type(Field::Description, L"neu");
    PressNext();
    PressNext();
    EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon);
    ASSERT_TRUE(FileExists(link)) << "the edited link must not be lost";
    EXPECT_EQ(ReadLink(link).description, L"alt");

    NewForm();
    Start(L"/E", link);
    CreateLink(ui().Text(Field::CommandLine), temp.Path() + L"Umbenannt", L"neu");
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_FALSE(FileExists(link));
    EXPECT_EQ(ReadLink(temp.Path() + L"Umbenannt.lnk").description, L"neu");
}

TEST_F(StartupTest, EditsAFolderLink) {
    const std::wstring target = temp.MakeFolder(L"Ziel");
    const std::wstring folderLink = temp.Path() + L"Ordnerlink\\";
    ASSERT_NO_THROW(CreateFolderLink(folderLink, NewLinkData(target, L"", L"Alt", L"", 0)));
    MakeFolderReadOnly(folderLink);
    Start(L"/E", WithoutTrailingBackslash(folderLink));
    EXPECT_EQ(ui().Text(Field::CommandLine), target);
    EXPECT_EQ(ui().Text(Field::Description), L"Alt");
}

TEST_F(StartupTest, AnOrdinaryFolderIsNoFolderLinkToEdit) {
    const std::wstring target = temp.MakeFolder(L"Ziel");
    const std::wstring folder = temp.MakeFolder(L"Gewöhnlich");
    ASSERT_NO_THROW(WriteLink(WithTrailingBackslash(folder) + L"target.lnk", NewLinkData(target)));
    temp.MakeFile(L"Gewöhnlich\\Brief.txt", "bleibt");
    Start(L"/E", WithoutTrailingBackslash(folder));
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_NE(BoxTexts()[0].find(L"keine Ordnerverknüpfung"), std::wstring::npos);
    EXPECT_EQ(ui().EditedLinkPath(), L"");
    EXPECT_FALSE(ui().Visible(Push::DeleteEditedLink));
    EXPECT_EQ(ReadFileBytes(WithTrailingBackslash(folder) + L"Brief.txt"), "bleibt");
    EXPECT_TRUE(FileExists(WithTrailingBackslash(folder) + L"target.lnk"));
}

TEST_F(StartupTest, OtherSwitchesAndBarePaths) {
    const std::wstring text = temp.MakeFile(L"notiz.txt");
    Start(L"/E", text);
    EXPECT_EQ(ui().Text(Field::CommandLine), L"");
    EXPECT_EQ(ui().EditedLinkPath(), L"");

    NewForm();
    const std::wstring folder = temp.MakeFolder(L"Vorauswahl");
    Start(L"/d", folder);
    const std::wstring program = MakeProgram(L"Mit Blank\\p.exe");
    TypeTarget(program);
    boxes.Answer(BoxAnswer::Yes);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_TRUE(SameText(ui().Tree()->SelectedFolder(), folder)) << "the location page opens on the /D folder";

    NewForm();
    Start(program);
    EXPECT_EQ(ui().Text(Field::CommandLine), L"\"" + program + L"\"");
    EXPECT_TRUE(ui().Enabled(Push::Next));
}

TEST_F(StartupTest, NewLinkHereHandsTheFolderToTheSystemWizard) {
    const std::wstring folder = temp.MakeFolder(L"Hier");
    // Relative forms are taken in the folder the program was started in.
    wchar_t started[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, started);
    SetCurrentDirectoryW(temp.Path().c_str());
    for (const std::wstring& given : {WithoutTrailingBackslash(folder), folder, std::wstring(L"Hier"),
                                      std::wstring(L".\\Hier\\..\\Hier")}) {
        opened.clear();
        EXPECT_EQ(RunZeigerwerk({L"/s", given}, SW_HIDE, system), 0);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].first, L"rundll32.exe");
        EXPECT_EQ(opened[0].second, L"appwiz.cpl,NewLinkHere " + folder);
    }
    SetCurrentDirectoryW(started);
}

TEST_F(StartupTest, AProtectedProgramFolderKeepsTheHistoriesInTheUsersFolder) {
    const std::wstring program = MakeProgram(L"a.exe");
    // A file where a folder should be: nothing can be written below it.
    const std::wstring blocked = temp.MakeFile(L"gesperrt") + L"\\";
    struct Case {
        const char* name;
        std::wstring userFolder;
        bool box;
    };
    const Case cases[] = {{"the user's folder can be written", temp.Path() + L"Anwendungsdaten\\", false},
                          {"neither can be written", blocked, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form = std::make_unique<LinkWizard>(blocked, c.userFolder);
        form->SettingsKey = TestSettingsKey();
        form->Show(SW_SHOW);
        CreateLink(program, temp.Path() + L"Bleibt", L"da");
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
        boxes.Clear();
        EXPECT_TRUE(ui().Press(Push::Cancel));
        PumpMessages();
        form.reset();
        EXPECT_EQ(ReadLink(temp.Path() + L"Bleibt.lnk").description, L"da");
        if (c.box) {
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"Die Verlaufslisten konnten nicht gespeichert werden:", 0), 0u);
        } else {
            EXPECT_TRUE(boxes.Boxes().empty());
            LinkWizard next(blocked, c.userFolder);
            EXPECT_EQ(WizardDriver(next).Items(Field::CommandLine), (std::vector<std::wstring>{program}));
            EXPECT_EQ(WizardDriver(next).Items(Field::Location), (std::vector<std::wstring>{temp.Path()}));
        }
        DeleteFileW((temp.Path() + L"Bleibt.lnk").c_str());
    }
}

TEST_F(StartupTest, WindowSizeAndFilterSurviveARestart) {
    SetWindowPos(form->Handle(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    form->SetFileTypes(2);
    form.reset();
    const Settings settings = LoadSettings(HKEY_CURRENT_USER, TestSettingsKey());
    EXPECT_EQ(settings.windowWidth, 640);
    EXPECT_EQ(settings.windowHeight, 480);
    EXPECT_EQ(settings.fileTypes, 2);
    NewForm();
}

}  // namespace
