#include <gtest/gtest.h>

#include <windows.h>

#include <tuple>

#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/utf.h"
#include "platform/registry.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "wizard/histories.h"
#include "wizard/settings.h"

namespace {

constexpr const wchar_t* kScratchKey = L"Software\\DZ\\ZeigerwerkTest";

TEST(Histories, MissingFilesGiveEmptyListsAndASaveWritesAllThree) {
    TempFolder folder;
    Histories histories = LoadHistories(folder.Path());
    for (const auto& list : histories.lists) EXPECT_TRUE(list.empty());
    histories[HistoryKind::Files] = {L"C:\\a.exe", L"\"C:\\P Q\\b.exe\" -x"};
    histories[HistoryKind::Directories] = {L"D:\\Links\\", L""};
    EXPECT_EQ(SaveHistories(folder.Path(), histories), L"");
    EXPECT_EQ(ReadFileBytes(folder / L"Files.ini"), "C:\\a.exe\r\n\"C:\\P Q\\b.exe\" -x\r\n");
    EXPECT_EQ(ReadFileBytes(folder / L"Directories.ini"), "D:\\Links\\\r\n\r\n");
    EXPECT_EQ(GetFileAttributesW((folder / L"IconFiles.ini").c_str()) == INVALID_FILE_ATTRIBUTES, false);
    EXPECT_EQ(ReadFileBytes(folder / L"IconFiles.ini"), "");

    const Histories again = LoadHistories(folder.Path());
    EXPECT_EQ(again.lists, histories.lists);

    // Only the first twenty entries are kept.
    for (int i = 0; i < 25; ++i) histories[HistoryKind::IconFiles].push_back(L"C:\\i" + std::to_wstring(i) + L".ico");
    EXPECT_EQ(SaveHistories(folder.Path(), histories), L"");
    histories[HistoryKind::IconFiles].resize(20);
    EXPECT_EQ(LoadHistories(folder.Path()).lists, histories.lists);
}

TEST(Histories, GreekEntrySurvivesAsUtf8AndAnOldCodePageFileLoads) {
    ASSERT_EQ(GetACP(), 1252u) << "the tests expect the Western code page as the system code page";
    TempFolder folder;
    Histories histories;
    histories[HistoryKind::IconFiles] = {L"C:\\Symbole\\Αθήνα.ico", L"C:\\Müller\\€.ico"};
    histories[HistoryKind::Files] = {L"C:\\Müller\\Ärger.exe"};
    EXPECT_EQ(SaveHistories(folder.Path(), histories), L"");
    EXPECT_EQ(ReadFileBytes(folder / L"IconFiles.ini"),
              "\xEF\xBB\xBF" "C:\\Symbole\\\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1.ico\r\nC:\\M\xC3\xBCller\\\xE2\x82\xAC.ico\r\n");
    // Entries that fit stay readable by older programs: the system code page, no mark.
    EXPECT_EQ(ReadFileBytes(folder / L"Files.ini"), "C:\\M\xFCller\\\xC4rger.exe\r\n");

    folder.MakeFile(L"Directories.ini", "C:\\Gr\xFC\xDF" "e\\\r\nD:\\\x80uro\\\r\n\r\n");
    const Histories loaded = LoadHistories(folder.Path());
    EXPECT_EQ(loaded[HistoryKind::IconFiles], histories[HistoryKind::IconFiles]);
    EXPECT_EQ(loaded[HistoryKind::Files], histories[HistoryKind::Files]);
    EXPECT_EQ(loaded[HistoryKind::Directories], (HistoryList{L"C:\\Grüße\\", L"D:\\€uro\\", L""}));
}

TEST(Histories, AnUnwritableFileIsReportedOnceAndTheOthersAreStillSaved) {
    // Read-only attributes do not stop a test running as root under Wine; a file held open
    // without sharing and a folder in the file's place refuse writing everywhere.
    TempFolder folder;
    const std::wstring files = folder.MakeFile(L"Files.ini", "alt\r\n");
    folder.MakeFolder(L"Directories.ini");
    Histories histories;
    histories[HistoryKind::Files] = {L"neu"};
    histories[HistoryKind::Directories] = {L"C:\\"};
    histories[HistoryKind::IconFiles] = {L"C:\\x.ico"};
    std::wstring problem;
    {
        FileHandle lock(NullIfInvalid(CreateFileW(files.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(lock);
        problem = SaveHistories(folder.Path(), histories);
    }
    EXPECT_EQ(problem.rfind(L"Die Verlaufslisten konnten nicht gespeichert werden:\r\n" + files + L"\r\n", 0), 0u)
        << Utf8FromWide(problem);
    EXPECT_GT(problem.size(), files.size() + 60) << "the system's reason follows";
    EXPECT_EQ(problem.find(L"Directories.ini"), std::wstring::npos) << "one message names the first failure";
    EXPECT_EQ(ReadFileBytes(files), "alt\r\n");
    EXPECT_EQ(ReadFileBytes(folder / L"IconFiles.ini"), "C:\\x.ico\r\n");

    BoxScript script;
    ReportSaveProblems(nullptr, problem, L"");
    ReportSaveProblems(nullptr, L"", L"");
    ASSERT_EQ(script.Boxes().size(), 1u);
    EXPECT_EQ(script.Boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(script.Boxes()[0].text, problem);
}

TEST(Histories, AMissingProgramFolderDoesNotThrowAndNamesTheFile) {
    TempFolder folder;
    const std::wstring missing = folder / L"weg\\";
    Histories histories;
    histories[HistoryKind::Directories] = {L"C:\\"};
    std::wstring problem;
    EXPECT_NO_THROW(problem = SaveHistories(missing, histories));
    EXPECT_NE(problem.find(missing + L"Files.ini"), std::wstring::npos) << problem;
}

TEST(Histories, AFileThatCannotBeReadIsNotOverwrittenAtTheEnd) {
    TempFolder folder;
    const std::wstring path = folder.MakeFile(L"Files.ini", "wertvoll\r\n");
    Histories histories;
    {
        // Held open without sharing, as another program might do while the wizard starts.
        FileHandle lock(NullIfInvalid(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(lock);
        histories = LoadHistories(folder.Path());
    }
    EXPECT_TRUE(histories.unreadable[0]);
    EXPECT_TRUE(histories[HistoryKind::Files].empty());
    EXPECT_EQ(SaveHistories(folder.Path(), histories), L"");
    EXPECT_EQ(ReadFileBytes(path), "wertvoll\r\n");
}

TEST(Histories, AHiddenHistoryFileIsReplaced) {
    TempFolder folder;
    const std::wstring path = folder.MakeFile(L"Files.ini", "alt, und länger als das Neue\r\n");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    Histories histories;
    histories[HistoryKind::Files] = {L"neu"};
    EXPECT_EQ(SaveHistories(folder.Path(), histories), L"");
    EXPECT_EQ(ReadFileBytes(path), "neu\r\n");
}

TEST(Histories, TheProgramsFolderWhenItCanBeWrittenElseTheUsers) {
    TempFolder temp;
    // A folder the user may not write, as a protected program folder is.
    const std::wstring blocked = temp.MakeFolder(L"gesperrt");
    MakeFolderReadOnly(blocked);
    struct Case {
        const char* name;
        bool programWritable, userHoldsFiles;
        const wchar_t* savedIn;  // "program", "user" or nothing
    };
    const Case cases[] = {
        {"portable install", true, false, L"program"},
        {"protected program folder", false, false, L"user"},
        {"the user's files come first once they exist", true, true, L"user"},
        {"nothing can be written", false, false, nullptr},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring program = c.programWritable ? temp.MakeFolder(L"Programm" + std::to_wstring(run)) : blocked;
        const std::wstring user = temp.Path() + (c.savedIn ? L"" : L"gesperrt\\") + L"Benutzer" + std::to_wstring(run) + L"\\";
        ++run;
        if (c.userHoldsFiles) temp.MakeFile(user.substr(temp.Path().size()) + L"Files.ini", "C:\\alt.exe\r\n");
        Histories histories = LoadHistories(HistoryFolders{program, user});
        EXPECT_EQ(histories[HistoryKind::Files].size(), c.userHoldsFiles ? 1u : 0u);
        histories[HistoryKind::Directories] = {L"D:\\Links\\"};
        const std::wstring problem = SaveHistories(HistoryFolders{program, user}, histories);
        EXPECT_EQ(problem.empty(), c.savedIn != nullptr) << Utf8FromWide(problem);
        if (!c.savedIn) continue;
        const std::wstring expected = std::wstring(c.savedIn) == L"user" ? user : program;
        EXPECT_EQ(ReadFileBytes(expected + L"Directories.ini"), "D:\\Links\\\r\n");
        EXPECT_EQ(LoadHistories(HistoryFolders{program, user})[HistoryKind::Directories], (HistoryList{L"D:\\Links\\"}));
        if (expected == user && c.programWritable) {
            EXPECT_EQ(GetFileAttributesW((program + L"Directories.ini").c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
    MakeFolderWritable(blocked);
}

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { RegistryKey::DeleteTree(HKEY_CURRENT_USER, kScratchKey); }
    void TearDown() override { RegistryKey::DeleteTree(HKEY_CURRENT_USER, kScratchKey); }
};

TEST_F(SettingsTest, SizeAndFilterSurviveARestart) {
    const Settings saved{700, 450, 2};
    EXPECT_EQ(SaveSettings(saved, L"C:\\Program Files\\Zeigerwerk", HKEY_CURRENT_USER, kScratchKey), L"");
    const Settings loaded = LoadSettings(HKEY_CURRENT_USER, kScratchKey);
    EXPECT_EQ(std::tie(loaded.windowWidth, loaded.windowHeight, loaded.fileTypes),
              std::tie(saved.windowWidth, saved.windowHeight, saved.fileTypes));
    const auto key = RegistryKey::Open(HKEY_CURRENT_USER, kScratchKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->GetString(L"ProgramPath"), L"C:\\Program Files\\Zeigerwerk\\");
}

// A missing value, one out of its range and one of the wrong type keep the design-time value.
TEST_F(SettingsTest, UnusableValuesCountAsMissing) {
    const struct {
        const wchar_t* name;
        int Settings::*field;
        DWORD value;
        bool kept;
    } cases[] = {
        {L"WindowWidth", &Settings::windowWidth, 0, false},
        {L"WindowWidth", &Settings::windowWidth, 0xFFFFFF9C, false},
        {L"WindowWidth", &Settings::windowWidth, 470, true},
        {L"WindowHeight", &Settings::windowHeight, 375, false},
        {L"WindowHeight", &Settings::windowHeight, 100000, false},
        {L"WindowHeight", &Settings::windowHeight, 900, true},
        {L"FileTypes", &Settings::fileTypes, 0, false},
        {L"FileTypes", &Settings::fileTypes, 2, true},
    };
    EXPECT_EQ(LoadSettings(HKEY_CURRENT_USER, kScratchKey).windowWidth, Settings{}.windowWidth);
    for (const auto& c : cases) {
        RegistryKey::Create(HKEY_CURRENT_USER, kScratchKey).SetInteger(c.name, c.value);
        EXPECT_EQ(LoadSettings(HKEY_CURRENT_USER, kScratchKey).*c.field, c.kept ? int(c.value) : Settings{}.*c.field)
            << Utf8FromWide(c.name) << " " << c.value;
        RegistryKey::DeleteTree(HKEY_CURRENT_USER, kScratchKey);
    }
    RegistryKey::Create(HKEY_CURRENT_USER, kScratchKey).SetString(L"WindowWidth", L"800");
    EXPECT_EQ(LoadSettings(HKEY_CURRENT_USER, kScratchKey).windowWidth, Settings{}.windowWidth);
}

TEST(Settings, ARestoredSizeIsCentred) {
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 516, 376, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    Settings saved;
    saved.windowWidth = 700;
    saved.windowHeight = 500;
    RestoreWindowSize(window, saved);
    RECT bounds;
    GetWindowRect(window, &bounds);
    DestroyWindow(window);
    EXPECT_EQ(bounds.right - bounds.left, 700);
    EXPECT_EQ(bounds.bottom - bounds.top, 500);
    EXPECT_EQ(bounds.left, (GetSystemMetrics(SM_CXSCREEN) - 700) / 2);
    EXPECT_EQ(bounds.top, (GetSystemMetrics(SM_CYSCREEN) - 500) / 2);
}

}  // namespace
