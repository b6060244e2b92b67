#include <gtest/gtest.h>

#include <windows.h>

#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/directory_test_host.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/wine.h"
#include "links/link_store.h"

namespace {
using namespace directory_test;

// The shell's questions and the input box are dialogs of the standard class, answered by handle.
bool IsDialog(HWND window) { return IsClass(window, L"#32770"); }
const auto kYes = [](HWND dialog) { PressDialogButton(dialog, IDYES); };
const auto kNo = [](HWND dialog) { PressDialogButton(dialog, IDNO); };

class DirectoryCommandsTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::wstring folder = temp.MakeFolder(L"Neu");
    std::wstring target = temp.MakeFolder(L"Ziel");
};

TEST_F(DirectoryCommandsTest, ANewFolderChainIsCreatedAndSelected) {
    TreeFixture fx(temp.Path());
    InputScript input({L"a\\b"});
    BoxScript boxes;
    ASSERT_TRUE(fx.tree->SelectFolder(folder));
    fx.tree->NewFolder();
    ASSERT_EQ(input.Events().size(), 1u);
    EXPECT_EQ(input.Events()[0].caption, L"Neuer Ordner");
    EXPECT_EQ(input.Events()[0].prompt, L"Geben Sie den Namen des neuen Ordners ein:");
    EXPECT_EQ(input.Events()[0].initialText, L"Neuer Ordner");
    EXPECT_TRUE(DirectoryExists(folder + L"a\\b"));
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), folder + L"a\\b\\");
    ASSERT_EQ(fx.announced.size(), 1u) << "the user's command moved the tree";
    EXPECT_SAME_PATH(fx.announced.back().folder, folder + L"a\\b\\");
    EXPECT_TRUE(boxes.Events().empty());
}

TEST_F(DirectoryCommandsTest, NamesThatCannotBeUsedAreReportedInGerman) {
    temp.MakeFolder(L"Neu\\vorhanden");
    const std::wstring existsText =
        L"Das angegebene Verzeichnis existiert bereits. Möchten Sie einen anderen Namen angeben?";
    struct Case {
        const char* what;
        std::vector<std::optional<std::wstring>> names;
        std::vector<BoxAnswer> answers;
        std::vector<std::wstring> initialTexts;  // of each question
        std::vector<std::wstring> boxTexts;
        std::vector<BoxKind> boxKinds;
        std::wstring created;  // relative to the folder, empty for none
    };
    const Case cases[] = {
        {"cancelled", {std::nullopt}, {}, {L"Neuer Ordner"}, {}, {}, L""},
        {"empty", {L""}, {}, {L"Neuer Ordner"}, {L"Sie müssen einen Ordnernamen angeben."}, {BoxKind::Warning}, L""},
        {"exists, then another", {L"vorhanden", L"anders"}, {BoxAnswer::Yes}, {L"Neuer Ordner", L"vorhanden"},
         {existsText}, {BoxKind::Error}, L"anders"},
        {"exists, then no", {L"vorhanden"}, {BoxAnswer::No}, {L"Neuer Ordner"}, {existsText}, {BoxKind::Error}, L""},
        {"leaves the folder", {L"..\\draußen"}, {}, {L"Neuer Ordner"},
         {L"Der Ordner \"" + folder + L"..\\draußen\" konnte nicht erstellt werden."}, {BoxKind::Error}, L""},
        {"forbidden character", {L"wer?"}, {}, {L"Neuer Ordner"},
         {L"Der Ordner \"" + folder + L"wer?\" konnte nicht erstellt werden."}, {BoxKind::Error}, L""},
    };
    TreeFixture fx(temp.Path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InputScript input(c.names);
        BoxScript boxes(c.answers);
        ASSERT_TRUE(fx.tree->SelectFolder(folder));
        fx.tree->NewFolder();
        ASSERT_EQ(input.Events().size(), c.initialTexts.size());
        for (size_t i = 0; i < c.initialTexts.size(); ++i) EXPECT_EQ(input.Events()[i].initialText, c.initialTexts[i]);
        ASSERT_EQ(boxes.Boxes().size(), c.boxTexts.size());
        for (size_t i = 0; i < c.boxTexts.size(); ++i) {
            EXPECT_EQ(boxes.Boxes()[i].text, c.boxTexts[i]);
            EXPECT_EQ(boxes.Boxes()[i].caption, L"Fehler");
            EXPECT_EQ(boxes.Boxes()[i].kind, c.boxKinds[i]);
            if (c.boxTexts[i] == existsText) {
                EXPECT_EQ(boxes.Boxes()[i].buttons, BoxButtons::YesNo);
                ASSERT_GE(boxes.Events().size(), 2u);
                EXPECT_EQ(boxes.Events()[0].type, BoxEvent::Type::Sound);
                EXPECT_EQ(boxes.Events()[0].sound, UINT{MB_ICONHAND});
            }
        }
        if (!c.created.empty()) { EXPECT_TRUE(DirectoryExists(folder + c.created)); }
    }
    EXPECT_FALSE(DirectoryExists(temp.Path() + L"draußen"));
    WIN32_FIND_DATAW find;
    int count = 0;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &find);
    do ++count;
    while (FindNextFileW(search, &find));
    FindClose(search);
    EXPECT_EQ(count, 4) << ". .. vorhanden anders";
}

TEST_F(DirectoryCommandsTest, OnALinkFileANewFolderGoesIntoTheFolderItPointsTo) {
    ASSERT_NO_THROW(WriteLink(folder + L"c.lnk", NewLinkData(target, L"", L"", L"", 0)));
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(folder + L"c.lnk"));
    InputScript input({L"darin"});
    fx.tree->NewFolder();
    EXPECT_TRUE(DirectoryExists(target + L"darin"));
    EXPECT_FALSE(PathExists(folder + L"c.lnk\\darin"));
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), target + L"darin\\");
}

TEST_F(DirectoryCommandsTest, DeletingALinkRemovesTheLinkFileOnly) {
    temp.MakeFolder(L"Ziel\\Inhalt");
    ASSERT_NO_THROW(WriteLink(folder + L"c.lnk", NewLinkData(target, L"", L"", L"", 0)));
    TreeFixture fx(temp.Path());
    BoxScript boxes;
    ASSERT_TRUE(fx.tree->SelectFolder(temp.Path().substr(0, 3)));
    fx.tree->DeleteFolder();
    EXPECT_TRUE(boxes.Events().empty()) << "a drive is never deleted";

    ASSERT_TRUE(fx.tree->SelectFolder(folder + L"c.lnk"));
    {
        const WindowAnswer yes(IsDialog, kYes);
        const ModalWatchdog watchdog("the question before deleting a link");
        fx.tree->DeleteFolder();
    }
    EXPECT_FALSE(FileExists(folder + L"c.lnk"));
    EXPECT_TRUE(DirectoryExists(target + L"Inhalt")) << "the target is never touched";
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), folder) << "the parent is selected again";
}

TEST_F(DirectoryCommandsTest, AFolderDeletedThroughTheShellLeavesItsParentSelected) {
    const std::wstring doomed = temp.MakeFolder(L"Neu\\weg");
    temp.MakeFile(L"Neu\\weg\\datei.txt");
    TreeFixture fx(temp.Path());
    ASSERT_TRUE(fx.tree->SelectFolder(doomed));
    {
        const WindowAnswer no(IsDialog, kNo);
        const ModalWatchdog watchdog("the question before deleting a folder");
        fx.tree->DeleteFolder();
    }
    EXPECT_TRUE(DirectoryExists(doomed)) << "declined";
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), doomed);
    EXPECT_TRUE(fx.announced.empty());
    {
        const WindowAnswer yes(IsDialog, kYes);
        const ModalWatchdog watchdog("the question before deleting a folder");
        fx.tree->DeleteFolder();
    }
    EXPECT_FALSE(PathExists(doomed));
    EXPECT_SAME_PATH(fx.tree->SelectedFolder(), folder);
    ASSERT_EQ(fx.announced.size(), 1u);
    EXPECT_SAME_PATH(fx.announced[0].folder, folder);
}

TEST(InputBox, TheRealBoxReturnsTheTypedTextOrCancels) {
    HostWindow host;
    struct Case {
        UINT button;
        bool ok;
        std::wstring value;
    };
    for (const Case& c : {Case{IDOK, true, L"Getippt ä"}, Case{IDCANCEL, false, L"Vorschlag"}}) {
        std::wstring seenPrompt, seenText;
        const WindowAnswer answer(
            [](HWND window) { return IsDialogTitled(window, L"Neuer Ordner"); },
            [&](HWND dialog) {
                seenPrompt = TextOf(GetDlgItem(dialog, 100));
                seenText = TextOf(GetDlgItem(dialog, 101));
                SetDlgItemTextW(dialog, 101, L"Getippt ä");
                PressDialogButton(dialog, c.button);
            });
        const ModalWatchdog watchdog("the input box");
        std::wstring value = L"Vorschlag";
        EXPECT_EQ(InputQuery(host.Handle(), L"Neuer Ordner", L"Geben Sie den Namen ein:", value), c.ok);
        EXPECT_EQ(answer.Answered(), 1);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(seenPrompt, L"Geben Sie den Namen ein:");
        EXPECT_EQ(seenText, L"Vorschlag");
    }
}

}  // namespace
