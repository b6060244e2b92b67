// The update wizard on its real window against a loopback server that serves a folder made by the
// maker's script, signed with a key made for this run.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/update_fixture.h"
#include "tests/windows/support/window_tree.h"
#include "update/transfer_worker.h"

using namespace update_test;

namespace {

const double kToday = Date(2026, 12, 8);
const std::string kNewProgram = "MZ neues Programm", kNewProgram64 = "MZ neues 64-Bit-Programm";

struct Published {
    TempFolder folder;
    KeyPair key, otherKey;
    std::wstring server;  // the maker's output
    std::wstring older;   // an earlier release, signed by the same key
};
Published* published = nullptr;

std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

void CopyFolder(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"*").c_str(), &found);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyFolder(from + name + L"\\", to + name + L"\\");
        else
            CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

class UpdateDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        published = new Published;
        published->key = MakeKeyPair(published->folder, L"maker");
        published->otherKey = MakeKeyPair(published->folder, L"other");
        const std::wstring build = published->folder.MakeFolder(L"build");
        published->folder.MakeFile(L"build\\zeigerwerk.exe", kNewProgram);
        published->folder.MakeFile(L"build\\zeigerwerk64.exe", kNewProgram64);
        published->folder.MakeFile(L"build\\Pfeilbau.hlp", "Hilfe, neu");
        published->server = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(build + L"zeigerwerk.exe") + L"' --program64 '" + Unix(build + L"zeigerwerk64.exe") + L"' --out '" + Unix(published->server) +
                             L"' --date 05.06.2003 --news '01.02.2003: Alte Korrektur' --news '05.06.2003: Neue "
                             L"Funktion, schneller'"),
                  0);
        published->folder.MakeFile(L"build\\zeigerwerk.exe", "MZ frueheres Programm");
        published->older = published->folder / L"older\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(build + L"zeigerwerk.exe") + L"' --out '" + Unix(published->older) +
                             L"' --date 01.01.2003"),
                  0);
    }
    static void TearDownTestSuite() {
        delete published;
        published = nullptr;
    }

    UpdateDialogTest() {
        static int counter = 0;
        registryKey = L"ZwUpdateDialogTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        server = temp / L"server\\";
        CopyFolder(published->server, server);
        install = temp.MakeFolder(L"Zeigerwerk Programm");
        temp.MakeFile(L"Zeigerwerk Programm\\zeigerwerk.exe", "MZ altes Programm");
        Configure(form);
    }
    void Configure(UpdateDialog& f) {
        f.Files.programName = L"Zeigerwerk";
        f.Files.registryKey = registryKey;
        f.Files.programDate = Date(2003, 4, 3) + 0.5;
        f.Files.hkcu = false;
        f.Files.programFile = install + L"zeigerwerk.exe";
        f.Files.key = published->key.publicKey;
        f.ArchiveFile = L"Pfeilbau.zip";
        f.OnTerminate = [this] { ++terminated; };
        f.Clock = &clock;
        f.Connection = &connection;
        f.Launcher = &launcher;
        if (http) f.Server = {"127.0.0.1", http->Port()};
    }
    ~UpdateDialogTest() override {
        if (shown && form.Run().InstallPrepared()) RemoveTree(form.Run().RunFolder());
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
    }

    void Serve(FolderServer::Adjust adjust = {}) {
        http = std::make_unique<FolderServer>(server, std::move(adjust));
        form.Server = {"127.0.0.1", http->Port()};
    }
    void Run(const std::function<void(UpdateDialog&)>& script) {
        shown = true;
        Run(form, script);
    }
    // The script runs once the dialog is on screen; what it leaves open is closed by the close box.
    static void Run(UpdateDialog& dialog, const std::function<void(UpdateDialog&)>& script) {
        dialog.OnShown = [&] {
            script(dialog);
            if (dialog.Showing()) PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
        };
        dialog.ShowModal(nullptr);
    }
    std::vector<std::string> Batch() const { return SplitLines(ReadFileBytes(form.Run().RunFolder() + L"Update.bat")); }
    // The server's archive replaced by one with these entries, signed and named by the list.
    void PublishArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
        const std::wstring script = temp / L"zip.py";
        WriteBytes(script, "import sys, zipfile\n"
                           "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                           "    for i in range(2, len(sys.argv), 2): z.writestr(sys.argv[i], open(sys.argv[i + 1], 'rb').read())\n");
        std::wstring arguments;
        int n = 0;
        for (const auto& [name, content] : entries) {
            const std::wstring file = temp / (L"entry" + std::to_wstring(++n));
            WriteBytes(file, content);
            arguments += L" '" + WideFromUtf8(name) + L"' '" + Unix(file) + L"'";
        }
        const std::wstring archive = server + L"Updates\\Pfeilbau.zip";
        ASSERT_EQ(RunShell(L"python3 '" + Unix(script) + L"' '" + Unix(archive) + L"'" + arguments), 0);
        ASSERT_EQ(SignFile(published->key, archive), 0);
        EditList(published->key, server + L"Updates.ini", Binding(archive));
    }
    std::optional<double> NextDue() const {
        const auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
        return key ? ReadNextDueDate(*key) : std::nullopt;
    }

    FixedClock clock{kToday + 0.5};
    FixedConnection connection;
    RecordingLauncher launcher;
    const std::vector<std::wstring>& opened = launcher.started;
    TempFolder temp;
    std::optional<BoxScript> boxes{std::in_place};
    std::wstring registryKey, server, install;
    std::unique_ptr<FolderServer> http;
    UpdateDialog form;
    bool shown = false;  // the form has a run
    int terminated = 0;
};

HWND Control(const UpdateDialog& f, const std::wstring& text) { return VisibleChild(f.Handle(), text); }

::testing::AssertionResult Reaches(UpdateDialog& f, UpdateRun::Step step) {
    if (!TransferEnded(f))
        return ::testing::AssertionFailure() << "the transfer did not end";
    if (f.Run().CurrentStep() != step)
        return ::testing::AssertionFailure() << "at step " << static_cast<int>(f.Run().CurrentStep()) << ", not "
                                             << static_cast<int>(step);
    return ::testing::AssertionSuccess();
}
// Welcome, check, result: the state a script continues from.
::testing::AssertionResult ToResult(UpdateDialog& f) {
    Press(f, L"Weiter >");
    Press(f, L"Jetzt auf neue Updates prüfen");
    return Reaches(f, UpdateRun::Step::Result);
}
// On to the downloaded archive.
::testing::AssertionResult ToDownloaded(UpdateDialog& f) {
    if (auto result = ToResult(f); !result) return result;
    Press(f, L"Weiter >");
    if (auto result = Reaches(f, UpdateRun::Step::Download); !result) return result;
    if (!f.Run().Shown().nextEnabled) return ::testing::AssertionFailure() << "the download failed";
    return ::testing::AssertionSuccess();
}
// On to the prepared installation.
::testing::AssertionResult ToPrepared(UpdateDialog& f, bool restart = true) {
    if (auto result = ToDownloaded(f); !result) return result;
    Press(f, L"Weiter >");
    if (!restart) Press(f, L"Programm automatisch neu starten");
    Press(f, L"Weiter >");
    if (!f.Run().InstallPrepared()) return ::testing::AssertionFailure() << Utf8FromWide(f.Run().Shown().installText);
    return ::testing::AssertionSuccess();
}

TEST_F(UpdateDialogTest, WholeRunPreparesTheBatchAndStartsItHiddenAtTheEnd) {
    Serve();
    Run([&](UpdateDialog& f) {
        ASSERT_TRUE(ToPrepared(f));
        EXPECT_EQ(TextOf(Control(f, L"Beenden")), L"Beenden");
        Press(f, L"Beenden");
    });
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(boxes->Boxes().empty());
    EXPECT_EQ(http->Paths(), (std::vector<std::string>{"/Updates.ini", "/Updates.ini.sig", "/Updates/Pfeilbau.zip",
                                                       "/Updates/Pfeilbau.zip.sig"}));

    // The maker's template, filled in: each file's group names the program's folder, its copy the run folder.
    const std::string P = Narrow(install), T = Narrow(form.Run().RunFolder());
    const auto batch = Batch();
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@cd /d \"" + P + "\""), 3);
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@if not exist \"" + T +
                                                         "zeigerwerk64.exe\" if not defined ZW_BUSY (set ZW_WHY=copy& set ZW_BUSY=zeigerwerk64.exe)"), 1);
    EXPECT_EQ(batch.at(batch.size() - 2), "start \"\" \"" + P + "zeigerwerk.exe\"");
    EXPECT_EQ(ReadFileBytes(form.Run().RunFolder() + L"zeigerwerk.exe"), kNewProgram);
    EXPECT_FALSE(FileExists(form.Run().RunFolder() + L"Pfeilbau.zip"));

    // Nothing starts before the program ends.
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(NextDue());
    form.FinishProcess();
    EXPECT_EQ(opened, std::vector<std::wstring>{form.Run().RunFolder() + L"Update.bat"});
    EXPECT_EQ(NextDue(), kToday + 7 - 1);
}

TEST_F(UpdateDialogTest, TheBatchReallyReplacesTheProgramUnderTheCommandInterpreter) {
    Serve();
    form.Launcher = &SystemBatchLauncher();  // the batch is started for real
    Run([&](UpdateDialog& f) {
        ASSERT_TRUE(ToPrepared(f, false));
        // Closed with the window's close box at the last step: the program is told to end.
        SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(terminated, 1);
    const auto batch = Batch();
    ASSERT_FALSE(batch.empty());
    EXPECT_EQ(batch.back().find("cd /d "), 0u);

    form.FinishProcess();
    const std::wstring program = install + L"zeigerwerk.exe";
    // Watched without opening a file: a reading handle would itself keep the program from being replaced.
    EXPECT_TRUE(WaitFor([&] { return !DirectoryExists(form.Run().RunFolder()); }, 60000));
    EXPECT_EQ(ReadFileBytes(program), kNewProgram);
    EXPECT_EQ(ReadFileBytes(install + L"Pfeilbau.hlp"), "Hilfe, neu");
    EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk64.exe"), kNewProgram64);  // both programs, one archive
}

TEST_F(UpdateDialogTest, EachFailureOfTheListHasItsOwnMessage) {
    const std::string kEndless = "endless", kNone = "";
    struct Case {
        const char* what;
        bool online;
        bool listening;
        std::string head;  // replaces the list's answer; kEndless: a list without end
        const wchar_t* message;
        std::string path = "/Updates.ini";
    } const cases[] = {
        {"system offline", false, true, kNone, L"Es besteht keine Internetverbindung."},
        {"nobody listens", true, false, kNone, L"Es besteht keine Internetverbindung."},
        {"a 404 page for the signature", true, true, "HTTP/1.0 404 Not Found\r\n\r\n",
         L"Die Update-Informationen des Servers konnten nicht bestätigt werden: Der Server hat ihre Signatur nicht "
         L"geliefert (Antwort des Servers: 404).", "/Updates.ini.sig"},
        {"cut short", true, true, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n", L"Die Update-Liste ist nicht vollständig angekommen"},
        {"without end", true, true, kEndless, L"Die Update-Liste des Servers ist größer als erlaubt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        connection.connected = c.online;
        Serve([&](const std::string& path, ScriptedResponse& r) {
            if (path != c.path || c.head.empty()) return;
            r.head = c.head == kEndless ? "HTTP/1.0 200 OK\r\n\r\n" : c.head;
            r.body = "<html><body>" + std::string(500, '-') + "</body></html>";
            if (c.head == kEndless) r.generatedSize = 1ull << 36;
        });
        if (!c.listening) form.Server = {"127.0.0.1", 1};
        boxes->Clear();
        Run([&](UpdateDialog& f) {
            Press(f, L"Weiter >");
            Press(f, L"Jetzt auf neue Updates prüfen");
            EXPECT_TRUE(Reaches(f, UpdateRun::Step::Check));
            EXPECT_TRUE(IsWindowEnabled(Control(f, L"Jetzt auf neue Updates prüfen")));
        });
        ASSERT_EQ(boxes->Boxes().size(), 1u);
        EXPECT_EQ(boxes->Boxes()[0].text.rfind(c.message, 0), 0u) << Narrow(boxes->Boxes()[0].text);
        EXPECT_EQ(boxes->Boxes()[0].caption == L"Internetverbindung erforderlich",
                  std::wstring(c.message) == L"Es besteht keine Internetverbindung.");
        EXPECT_FALSE(PathExists(form.Run().RunFolder()));
    }
}

TEST_F(UpdateDialogTest, ListDateAndBindingDecideWhetherUpdatesAreOffered) {
    const std::wstring kUnbound = L"Die Update-Informationen des Servers sind unvollständig";
    const std::wstring kNone = L"Es stehen keine neuen Updates zur Verfügung.";
    struct Case {
        const char* what;
        std::map<std::string, std::string> edit;
        std::string wholeList;
        double programDate;
        const std::wstring* result;  // null: updates offered
    } const cases[] = {
        {"as published", {}, "", Date(2003, 4, 3) + 0.5, nullptr},
        {"server date older than the program", {}, "", Date(2003, 6, 6) + 0.1, &kNone},
        {"no section for the program", {}, "[Anderes]\r\nDate=01.01.2030\r\n", Date(2003, 1, 1), &kNone},
        // Without a readable date a replayed list would offer an update at every start.
        {"unreadable Date", {{"Date", "morgen"}}, "", Date(2003, 1, 1), &kUnbound},
        {"no Size", {{"Size", ""}}, "", Date(2003, 1, 1), &kUnbound},
        {"SHA256 not hexadecimal", {{"SHA256", std::string(64, 'x')}}, "", Date(2003, 1, 1), &kUnbound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CopyFolder(published->server, server);
        if (!c.wholeList.empty()) WriteBytes(server + L"Updates.ini", c.wholeList);
        if (!c.edit.empty() || !c.wholeList.empty()) EditList(published->key, server + L"Updates.ini", c.edit);
        Serve();
        form.Files.programDate = c.programDate;
        Run([&](UpdateDialog& f) {
            ASSERT_TRUE(ToResult(f));
            EXPECT_EQ(f.Run().UpdatesAvailable(), c.result == nullptr);
            if (!c.result) {
                EXPECT_NE(f.Run().Shown().news.find(L"05.06.2003: Neue Funktion, schneller"), std::wstring::npos);
                return;
            }
            EXPECT_EQ(f.Run().Shown().resultText.rfind(*c.result, 0), 0u);
            Press(f, L"Beenden");
            EXPECT_FALSE(f.Showing());
        });
        EXPECT_TRUE(boxes->Boxes().empty());
    }
    // The no-updates result with "Beenden" sets the next reminder, by the stored interval.
    RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey)).SetInteger(L"UpdateInterval", 14);
    form.FinishProcess();
    EXPECT_EQ(NextDue(), kToday + 14 - 1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateDialogTest, OnlyWhatTheMakerSignedIsInstalled) {
    const std::wstring list = L"Updates.ini", archive = L"Updates\\Pfeilbau.zip";
    auto flipByte = [](const std::wstring& file) {
        std::string bytes = ReadFileBytes(file);
        bytes[bytes.size() / 2] ^= 1;
        WriteBytes(file, bytes);
    };
    const std::wstring olderArchive = published->older + L"Updates\\Pfeilbau.zip";
    const wchar_t* const kRefused = L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden";
    struct Case {
        const char* what;
        std::function<void(const std::wstring& folder)> change;
        bool listRefused;
        const wchar_t* message;
    } const cases[] = {
        // Without the 64-bit program it is shorter than the list's size, and so not confirmed.
        {"an older signed archive under the current list",
         [&](const std::wstring& s) {
             CopyFileW(olderArchive.c_str(), (s + archive).c_str(), FALSE);
             CopyFileW((olderArchive + L".sig").c_str(), (s + archive + L".sig").c_str(), FALSE);
         },
         false, kRefused},
        {"the list names a size one byte smaller: the download stops there",
         [&](const std::wstring& s) {
             auto binding = Binding(s + archive);
             binding["Size"] = std::to_string(std::stoull(binding["Size"]) - 1);
             EditList(published->key, s + list, binding);
         },
         false, L"Der Download wurde nicht vollendet."},
        {"list changed by one byte", [&](const std::wstring& s) { flipByte(s + list); }, true, nullptr},
        {"list signed by another key", [&](const std::wstring& s) { SignFile(published->otherKey, s + list); }, true,
         nullptr},
        {"archive changed by one byte", [&](const std::wstring& s) { flipByte(s + archive); }, false, kRefused},
        {"archive signature missing", [&](const std::wstring& s) { DeleteFileW((s + archive + L".sig").c_str()); },
         false, kRefused},
        {"the list's signature offered for the archive",
         [&](const std::wstring& s) { CopyFileW((s + list + L".sig").c_str(), (s + archive + L".sig").c_str(), FALSE); },
         false, kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CopyFolder(published->server, server);
        c.change(server);
        Serve();
        boxes->Clear();
        Run([&](UpdateDialog& f) {
            Press(f, L"Weiter >");
            Press(f, L"Jetzt auf neue Updates prüfen");
            if (c.listRefused) {
                EXPECT_TRUE(Reaches(f, UpdateRun::Step::Check));
                return;
            }
            ASSERT_TRUE(Reaches(f, UpdateRun::Step::Result));
            Press(f, L"Weiter >");
            ASSERT_TRUE(Reaches(f, UpdateRun::Step::Download));
            EXPECT_TRUE(f.Run().DownloadFailed());
            EXPECT_EQ(f.Run().Shown().downloadText.rfind(c.message, 0), 0u) << Narrow(f.Run().Shown().downloadText);
            EXPECT_FALSE(IsWindowEnabled(Control(f, L"Weiter >")));
            EXPECT_FALSE(FileExists(f.Run().RunFolder() + L"Pfeilbau.zip"));
        });
        ASSERT_EQ(boxes->Boxes().size(), c.listRefused ? 1u : 0u);
        if (c.listRefused) {
            EXPECT_EQ(boxes->Boxes()[0].text, L"Die Update-Informationen des Servers konnten nicht bestätigt werden. "
                                             L"Es wird nichts installiert.");
        }
        EXPECT_FALSE(form.Run().InstallPrepared());
        EXPECT_FALSE(PathExists(form.Run().RunFolder()));
    }
    form.FinishProcess();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk.exe"), "MZ altes Programm");
}

TEST_F(UpdateDialogTest, PlantedFilesAndAGreekFolderNameDoNotMisleadTheBatch) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring planted = std::wstring(base) + L"Update.bat";
    WriteBytes(planted, "echo planted\r\n");
    const std::wstring greek = temp.MakeFolder(L"Πρόγραμμα");
    temp.MakeFile(L"Πρόγραμμα\\zeigerwerk.exe", "MZ altes Programm");
    form.Files.programFile = greek + L"zeigerwerk.exe";
    Serve();
    Run([&](UpdateDialog& f) { EXPECT_TRUE(ToPrepared(f)); });
    DeleteFileW(planted.c_str());
    wchar_t shortName[MAX_PATH] = {}, shortProgram[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(greek.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortName), greek);
    GetShortPathNameW(form.Files.programFile.c_str(), shortProgram, MAX_PATH);
    const auto batch = Batch();
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@cd /d \"" + Narrow(shortName) + "\""), 3);
    EXPECT_EQ(batch.at(batch.size() - 2), "start \"\" \"" + Narrow(shortProgram) + "\"");
    for (const std::string& line : batch) EXPECT_EQ(line.find("planted"), std::string::npos);
}

TEST_F(UpdateDialogTest, SettingsPageSavesEitherChoice) {
    struct Case {
        bool never;
        int interval;
    } const cases[] = {{true, 0}, {false, 14}, {true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.never);
        Run([&](UpdateDialog& f) {
            Press(f, L"Weiter >");
            Press(f, L"Einstellungen");
            EXPECT_EQ(f.Run().Shown().page, UpdateRun::Page::Settings);
            EXPECT_FALSE(IsWindowVisible(FindWindowExW(f.Handle(), nullptr, L"Button", L"Einstellungen")));
            Press(f, c.never ? L"Niemals automatisch zum Updaten auffordern"
                             : L"Regelmäßig in bestimmten Abständen zum Updaten auffordern");
            HWND interval = nullptr;
            while ((interval = FindWindowExW(f.Handle(), interval, L"Edit", nullptr)) &&
                   !(GetWindowLongW(interval, GWL_STYLE) & ES_NUMBER)) {
            }
            ASSERT_TRUE(interval);
            EXPECT_EQ(IsWindowEnabled(interval) != FALSE, !c.never);
            if (!c.never) SetWindowTextW(interval, std::to_wstring(c.interval).c_str());
            Press(f, L"Speichern");
            EXPECT_EQ(f.Run().Shown().page, UpdateRun::Page::Check);
            // Opened again, the page shows what was saved.
            Press(f, L"Einstellungen");
            EXPECT_EQ(SendMessageW(Control(f, L"Niemals automatisch zum Updaten auffordern"), BM_GETCHECK, 0, 0) ==
                          BST_CHECKED,
                      c.never);
        });
        const auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
        ASSERT_TRUE(key);
        EXPECT_EQ(key->HasValue(L"NoUpdate"), c.never);
        EXPECT_EQ(key->GetInteger(L"UpdateInterval"), c.never ? std::nullopt : std::optional<DWORD>(c.interval));
    }
}

TEST_F(UpdateDialogTest, ARefusedInstallChangesNothingAndReturnsAsACancel) {
    // The template deletes before it copies: run on a half-unpacked archive it would lose the program.
    const std::string deleting = "rem\r\nattrib -r \"%szeigerwerk.exe\"\r\ndel \"%szeigerwerk.exe\"\r\n"
                                 "copy /y \"%szeigerwerk.exe\" \"%szeigerwerk.exe\"\r\n";
    form.Launcher = &SystemBatchLauncher();  // what would start, starts for real
    for (const std::string& refused : {std::string("sub/.."), std::string(300, 'n') + ".exe"}) {
        SCOPED_TRACE(refused.substr(0, 10));
        CopyFolder(published->server, server);
        ASSERT_NO_FATAL_FAILURE(PublishArchive({{"Update.bat", deleting}, {"zeigerwerk.exe", kNewProgram}, {refused, "x"}}));
        Serve();
        Run([&](UpdateDialog& f) {
            ASSERT_TRUE(ToDownloaded(f));
            Press(f, L"Weiter >");
            Press(f, L"Weiter >");
            EXPECT_FALSE(f.Run().InstallPrepared());
            EXPECT_EQ(f.Run().CurrentStep(), UpdateRun::Step::Install);
            EXPECT_NE(f.Run().Shown().installText.find(L"unzulässigen Dateinamen"), std::wstring::npos);
            EXPECT_EQ(GetFocus(), Control(f, L"Abbrechen"));
            Press(f, L"Abbrechen");
        });
        EXPECT_EQ(terminated, 0);
        EXPECT_FALSE(PathExists(form.Run().RunFolder()));
    }
    form.FinishProcess();
    EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk.exe"), "MZ altes Programm");
}

// Proxy lookups that return only when the case that made them ends: nothing the user does may
// wait for them.
class HeldLookups {
public:
    ~HeldLookups() { SetEvent(release_.get()); }
    AutomaticProxyLookup Lookup() const {
        return [release = release_, asked = asked_](const std::string&, const SystemProxySettings&) {
            ++*asked;
            WaitForSingleObject(release.get(), INFINITE);
            return std::optional<std::string>{};
        };
    }
    bool Asked() const { return *asked_ > 0; }

private:
    std::shared_ptr<void> release_{CreateEventW(nullptr, TRUE, FALSE, nullptr), CloseHandle};
    std::shared_ptr<std::atomic<int>> asked_ = std::make_shared<std::atomic<int>>(0);
};

TEST_F(UpdateDialogTest, EscAbbrechenAndTheCloseBoxStopATransferWithinHalfASecond) {
    enum Stop { Esc, CloseBox, CancelButton };
    // How the proxy is found: not at all (the server is loopback), by a lookup that does not
    // return, or by a configuration script whose host accepts and never answers.
    enum Proxy { Direct, HeldLookup, SilentScript };
    struct Case {
        const char* what;
        std::string path;
        Stop stop;
        Proxy proxy = Direct;
    } const cases[] = {
        {"check, Esc", "/Updates.ini", Esc},
        {"check signature, close box", "/Updates.ini.sig", CloseBox},
        {"download, Abbrechen", "/Updates/Pfeilbau.zip", CancelButton},
        {"download, Esc", "/Updates/Pfeilbau.zip", Esc},
        {"download, close box", "/Updates/Pfeilbau.zip", CloseBox},
        {"held proxy lookup, Esc", "", Esc, HeldLookup},
        {"held proxy lookup, Abbrechen", "", CancelButton, HeldLookup},
        {"held proxy lookup, close box", "", CloseBox, HeldLookup},
        {"silent script host, Esc", "", Esc, SilentScript},
        {"silent script host, Abbrechen", "", CancelButton, SilentScript},
        {"silent script host, close box", "", CloseBox, SilentScript},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes->Clear();
        boxes->Answer(BoxAnswer::Yes);
        Serve([&](const std::string& path, ScriptedResponse& r) {
            if (path != c.path) return;
            r.pieceSize = 1;
            r.pauseMs = 1000;
        });
        TestHttpServer scriptHost([](const std::string&, int) {
            ScriptedResponse silent{"", ""};
            silent.stallAfter = 0;
            return silent;
        });
        std::optional<ConfiguredProxy> configured;
        const HeldLookups held;
        form.AutomaticProxy = WinHttpProxyList;
        if (c.proxy != Direct) {
            configured.emplace(ProxyConfiguration{false, L"", L"", WideFromUtf8(scriptHost.Base()) + L"/proxy.pac"});
            if (c.proxy == HeldLookup) form.AutomaticProxy = held.Lookup();
            form.Server = {"update.zeigerwerk.example", http->Port()};
        }
        const bool atCheck = c.path.rfind("/Updates.ini", 0) == 0 || c.proxy != Direct;
        DWORD took = 0;
        Run([&](UpdateDialog& f) {
            if (atCheck) {
                Press(f, L"Weiter >");
                Press(f, L"Jetzt auf neue Updates prüfen");
            } else {
                ASSERT_TRUE(ToResult(f));
                Press(f, L"Weiter >");
            }
            const auto asked = [&] {
                if (c.proxy == HeldLookup) return held.Asked();
                if (c.proxy == SilentScript) return !scriptHost.Requests().empty();
                const auto paths = http->Paths();
                return std::find(paths.begin(), paths.end(), c.path) != paths.end();
            };
            ASSERT_TRUE(WaitFor(asked));
            const DWORD start = GetTickCount();
            if (c.stop == Esc) PostKey(VK_ESCAPE, f.Handle());
            if (c.stop == CloseBox) PostMessageW(f.Handle(), WM_CLOSE, 0, 0);
            if (c.stop == CancelButton) PostMessageW(Control(f, L"Abbrechen"), BM_CLICK, 0, 0);
            EXPECT_TRUE(WaitFor([&] { return !f.Showing(); }, 5000));
            took = GetTickCount() - start;
        });
        EXPECT_LT(took, 500u);
        std::printf("[ cancel  ] %s: %lu ms\n", c.what, static_cast<unsigned long>(took));
        // Only a running download asks before it stops.
        EXPECT_EQ(boxes->Boxes().size(), atCheck ? 0u : 1u);
        EXPECT_FALSE(PathExists(form.Run().RunFolder()));
    }
}

// The stop question in its real box, answered from within the box's own message loop once the
// download has failed meanwhile: "Ja" stops, it never starts the download again.
TEST_F(UpdateDialogTest, AFailureWhileTheStopQuestionIsOpenLeavesJaItsMeaning) {
    boxes.reset();
    Serve([](const std::string& path, ScriptedResponse& r) {
        if (path == "/Updates/Pfeilbau.zip") r.stallAfter = 100;
    });
    form.PrepareClient = [](HttpClient& client) { client.TimeOut = 1000; };
    Run([&](UpdateDialog& f) {
        ASSERT_TRUE(ToResult(f));
        Press(f, L"Weiter >");
        ASSERT_TRUE(WaitFor([&] { return http->Paths().size() == 3; }));
        DWORD seen = 0;
        const WindowAnswer yes(
            [&](HWND box) {  // once the client has given up on the stalled archive, after a second
                if (GetWindow(box, GW_OWNER) != f.Handle()) return false;
                seen = seen ? seen : GetTickCount();
                return GetTickCount() - seen > 2500;
            },
            [](HWND box) { PostMessageW(box, WM_COMMAND, IDYES, 0); });
        Press(f, L"Download ab&brechen");
        EXPECT_EQ(yes.Answered(), 1);
        EXPECT_FALSE(f.Run().Downloading());
        EXPECT_TRUE(Control(f, L"Erneut versuchen"));
        const auto paths = http->Paths();
        EXPECT_EQ(std::count(paths.begin(), paths.end(), "/Updates/Pfeilbau.zip"), 1);
    });
}

TEST_F(UpdateDialogTest, FolderNamesTheInterpreterCouldExpandAndUtf8AsOemCodePage) {
    struct Case {
        const wchar_t* programFolder;
        const wchar_t* tempFolder;
        unsigned codePage;
    } const cases[] = {
        {L"Zw 100% & A^B!C", L"T %PATH% & %x", 0},
        {L"Zw %OS% ^&!", L"Tmp 65001", 65001},
    };
    Serve();
    wchar_t savedTmp[MAX_PATH] = {}, savedTemp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.programFolder));
        install = temp.MakeFolder(c.programFolder);
        temp.MakeFile(std::wstring(c.programFolder) + L"\\zeigerwerk.exe", "MZ altes Programm");
        const std::wstring tempBase = temp.MakeFolder(c.tempFolder);
        SetEnvironmentVariableW(L"TMP", tempBase.c_str());
        SetEnvironmentVariableW(L"TEMP", tempBase.c_str());
        UpdateDialog dialog;
        Configure(dialog);
        dialog.Launcher = &SystemBatchLauncher();  // the batch is started for real
        dialog.Files.oemCodePage = c.codePage;
        Run(dialog, [&](UpdateDialog& f) {
            EXPECT_TRUE(ToPrepared(f, false));
            Press(f, L"Beenden");
        });
        SetEnvironmentVariableW(L"TMP", savedTmp);
        SetEnvironmentVariableW(L"TEMP", savedTemp);
        ASSERT_EQ(dialog.Run().RunFolder().rfind(tempBase, 0), 0u);
        dialog.FinishProcess();
        const std::wstring program = install + L"zeigerwerk.exe";
        EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(program) == kNewProgram; }, 60000)) << ReadFileBytes(program);
        // The batch's last line removes its folder.
        EXPECT_TRUE(WaitFor([&] { return !PathExists(dialog.Run().RunFolder()); }, 30000));
    }
}

TEST_F(UpdateDialogTest, AnErrorAtTheEndOfTheProcessIsShownAndTheBatchStillStarts) {
    struct FailingLaterClock : UpdateClock {
        double Now() const override {
            if (failing) throw PlatformError(L"Fehler beim Setzen der Daten für 'Update'");
            return kToday + 0.5;
        }
        bool failing = false;
    } later;
    form.Clock = &later;
    Serve();
    Run([&](UpdateDialog& f) { EXPECT_TRUE(ToPrepared(f)); });
    later.failing = true;
    form.FinishProcess();
    ASSERT_EQ(boxes->Boxes().size(), 1u);
    EXPECT_EQ(boxes->Boxes()[0].text, L"Fehler beim Setzen der Daten für 'Update'");
    EXPECT_EQ(boxes->Boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(opened.size(), 1u);
}

// Transfers served from a folder in this process: each ends at once, or, holding, only by a stop.
struct FolderTransfers : UpdateTransfers {
    FolderTransfers(std::wstring folder, TransferEnds& ends, bool holding, int& stops)
        : folder_(std::move(folder)), ends_(ends), holding_(holding), stops_(stops) {}
    void Start(const std::wstring& path, const std::wstring& file, std::uint64_t) override {
        const unsigned number = ends_.Begin();
        if (holding_) return;
        std::wstring source = folder_ + path.substr(1);
        std::replace(source.begin(), source.end(), L'/', L'\\');
        ends_.Post()({number, CopyFileW(source.c_str(), file.c_str(), FALSE)
                                  ? TransferOutcome{}
                                  : TransferOutcome{TransferEnd::HttpStatus, 404}});
    }
    void Stop() override {
        ends_.Drop();
        ++stops_;
    }
    std::wstring folder_;
    TransferEnds& ends_;
    bool holding_;
    int& stops_;
};

// Keys posted one by one to the focused control through the dialog's own modal loop, each only
// once the focus is where the walk expects it ("a|b": on either).
struct KeyWalk {
    UpdateDialog* dialog;
    std::vector<std::pair<std::wstring, WPARAM>> keys;
    std::size_t next = 0;
    DWORD since = GetTickCount();
    std::string failure;
};
KeyWalk* walk = nullptr;
void CALLBACK WalkTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!walk || walk->next >= walk->keys.size()) return;
    const auto& [expected, key] = walk->keys[walk->next];
    const HWND focus = GetFocus();
    const std::wstring text = focus && IsChild(walk->dialog->Handle(), focus) ? TextOf(focus) : L"(nothing)";
    bool there = false;
    for (std::size_t at = 0; at <= expected.size();) {
        const std::size_t bar = std::min(expected.find(L'|', at), expected.size());
        there = there || text.rfind(expected.substr(at, bar - at), 0) == 0;
        at = bar + 1;
    }
    if (there) {
        PostKey(key, focus);
        ++walk->next;
        walk->since = GetTickCount();
    } else if (GetTickCount() - walk->since > 10000) {
        walk->failure = "before key " + std::to_string(walk->next) + " the focus is on \"" + Narrow(text) +
                        "\", not on \"" + Narrow(expected) + "\"";
        walk->next = walk->keys.size();
        PostMessageW(walk->dialog->Handle(), WM_CLOSE, 0, 0);
    }
}

TEST_F(UpdateDialogTest, TheKeyboardReachesEveryStepAndEscStopsTheCheck) {
    struct Case {
        const char* what;
        bool holding;
        std::vector<std::pair<std::wstring, WPARAM>> keys;
        int terminated, stops;
    } const cases[] = {
        {"the whole run",
         false,
         {{L"Weiter >", VK_RETURN},
          {L"Jetzt auf neue Updates prüfen", VK_RETURN},
          {L"Weiter >", VK_RETURN},  // the download
          {L"Weiter >", VK_RETURN},
          {L"Weiter >", VK_RIGHT},  // the arrows stay on the buttons
          {L"Einstellungen", VK_RETURN},
          {L"Speichern", VK_RIGHT},
          {L"Abbrechen", VK_RIGHT},
          {L"Speichern", VK_TAB},  // past the frame, which takes no focus
          {L"Niemals|Regelmäßig", VK_DOWN},
          {L"Niemals|Regelmäßig", VK_ESCAPE},
          {L"Weiter >", VK_RETURN},
          {L"Beenden", VK_RETURN}},
         1,
         0},
        {"a check that does not end",
         true,
         {{L"Weiter >", VK_RETURN}, {L"Jetzt auf neue Updates prüfen", VK_RETURN}, {L"Abbrechen", VK_ESCAPE}},
         0,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        terminated = 0;
        int stops = 0;
        form.MakeTransfers = [&](TransferEnds& ends) {
            return std::make_unique<FolderTransfers>(server, ends, c.holding, stops);
        };
        KeyWalk steps{&form, c.keys, 0, GetTickCount(), ""};
        walk = &steps;
        form.OnShown = [&] { SetTimer(form.Handle(), 1, 20, WalkTick); };
        shown = true;
        form.ShowModal(nullptr);
        KillTimer(form.Handle(), 1);
        walk = nullptr;
        EXPECT_EQ(steps.failure, "");
        EXPECT_EQ(steps.next, c.keys.size());
        EXPECT_EQ(terminated, c.terminated);
        EXPECT_EQ(stops, c.stops);
    }
    EXPECT_TRUE(boxes->Boxes().empty());
}

}  // namespace
