// The update wizard on its real window against a loopback server that serves a folder made by the
// maker's script, signed with a key made for this run.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/support/update_fixture.h"

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
    void Configure(TStatusForm& f) {
        f.ProgramName = L"Zeigerwerk";
        f.ZIPFileName = L"Pfeilbau.zip";
        f.RegistryKey = registryKey;
        f.ProgramDate = Date(2003, 4, 3) + 0.5;
        f.HKCU = false;
        f.ProgramFile = install + L"zeigerwerk.exe";
        f.Key = published->key.publicKey;
        f.OnTerminate = [this] { ++terminated; };
        f.Clock = &clock;
        f.Connection = &connection;
        f.Launcher = &launcher;
        if (http) f.Server = {"127.0.0.1", http->Port()};
    }
    ~UpdateDialogTest() override {
        if (form.InstallPrepared()) RemoveTree(form.TempFolder());
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
    }

    void Serve(FolderServer::Adjust adjust = {}) {
        http = std::make_unique<FolderServer>(server, std::move(adjust));
        form.Server = {"127.0.0.1", http->Port()};
    }
    void Run(const std::function<void(TStatusForm&)>& script) { Run(form, script); }
    static void Run(TStatusForm& dialog, const std::function<void(TStatusForm&)>& script) {
        dialog.OnShown = [&] {
            TStatusForm& f = dialog;
            script(f);
            if (f.Showing()) f.Button_CancelClick();
        };
        dialog.ShowModal(nullptr);
    }
    // Welcome, check, result, download: the state a script continues from.
    static void ToDownload(TStatusForm& f) {
        f.Button_NextClick();
        f.Button_CheckClick();
        ASSERT_EQ(f.StepIndex(), 2);
        f.Button_NextClick();
        ASSERT_EQ(f.StepIndex(), 3);
    }
    std::vector<std::string> Batch() const { return SplitLines(ReadFileBytes(form.TempFolder() + L"Update.bat")); }
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
    BoxScript boxes;
    std::wstring registryKey, server, install;
    std::unique_ptr<FolderServer> http;
    TStatusForm form;
    int terminated = 0;
};

TEST_F(UpdateDialogTest, WholeRunPreparesTheBatchAndStartsItHiddenAtTheEnd) {
    Serve();
    Run([&](TStatusForm& f) {
        EXPECT_EQ(f.Panel_Title.Text(), L"Willkommen");
        EXPECT_EQ(f.PageIndex(), 0);
        EXPECT_FALSE(f.CancelDownload.Visible());
        f.Button_NextClick();
        EXPECT_EQ(f.Panel_Title.Text(), L"Auf neue Updates prüfen");
        EXPECT_FALSE(f.Button_Next.Enabled());
        EXPECT_EQ(GetFocus(), f.Button_Check.Handle()) << "the keyboard reaches the check at once";
        f.Button_CheckClick();
        EXPECT_EQ(f.StepIndex(), 2);
        EXPECT_EQ(f.CheckResultText(),
                  L"Es stehen neue Updates zum Download bereit.\r\n\r\nDie Updates beheben folgende Probleme bzw. "
                  L"stellen folgende neue Funktionen zur Verfügung:\r\n- 05.06.2003: Neue Funktion, schneller\r\n"
                  L"\r\n\r\nKlicken Sie auf \"Weiter\", um die Updates jetzt herunterzuladen.");
        f.Button_NextClick();
        const std::uint64_t size = ReadFileBytes(server + L"Updates\\Pfeilbau.zip").size();
        EXPECT_EQ(f.Panel_Title.Text(), L"Download der Updates");
        EXPECT_EQ(f.PerCent.Text(), L"100 %");
        EXPECT_EQ(f.StatusLabel.Text(), SizeText(size) + L" von " + SizeText(size) + L" gedownloadet");
        EXPECT_EQ(f.TimeLeft.Text().rfind(L"verbleibende Zeit: ", 0), 0u);
        EXPECT_EQ(f.Label_Download.Text(), L"Die Update-Dateien wurden erfolgreich heruntergeladen. Klicken Sie auf "
                                           L"\"Weiter\", um die Updates zu installieren.");
        EXPECT_TRUE(f.Button_Next.Enabled());
        EXPECT_FALSE(f.CancelDownload.Visible());
        EXPECT_EQ(GetFocus(), f.Button_Next.Handle());
        f.Button_NextClick();
        EXPECT_EQ(f.Panel_Title.Text(), L"Installieren");
        EXPECT_TRUE(f.CheckBox_Restart.Checked());
        f.Button_NextClick();
        EXPECT_EQ(f.Panel_Title.Text(), L"Abschließen der Installation");
        EXPECT_EQ(f.PageIndex(), 5);
        EXPECT_EQ(f.Button_Next.Text(), L"Beenden");
        EXPECT_FALSE(f.Button_Cancel.Enabled());
        f.Button_NextClick();
    });
    EXPECT_EQ(terminated, 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(http->Paths(), (std::vector<std::string>{"/Updates.ini", "/Updates.ini.sig", "/Updates/Pfeilbau.zip",
                                                       "/Updates/Pfeilbau.zip.sig"}));

    // The maker's template, filled in: each file's group names the program's folder, its copy the run folder.
    const std::string P = Narrow(install), T = Narrow(form.TempFolder());
    const auto batch = Batch();
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@cd /d \"" + P + "\""), 3);
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@if not defined ZW_BUSY copy /y \"" + T +
                                                         "zeigerwerk64.exe\" \"zeigerwerk64.exe.neu\" >nul 2>&1"), 1);
    EXPECT_EQ(batch.at(batch.size() - 2), "start \"\" \"" + P + "zeigerwerk.exe\"");
    EXPECT_EQ(ReadFileBytes(form.TempFolder() + L"zeigerwerk.exe"), kNewProgram);
    EXPECT_FALSE(FileExists(form.TempFolder() + L"Pfeilbau.zip"));

    // Nothing starts before the program ends.
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(NextDue());
    form.FormDestroy();
    EXPECT_EQ(opened, std::vector<std::wstring>{form.TempFolder() + L"Update.bat"});
    EXPECT_EQ(NextDue(), kToday + 7 - 1);
}

TEST_F(UpdateDialogTest, TheBatchReallyReplacesTheProgramUnderTheCommandInterpreter) {
    Serve();
    form.Launcher = &SystemBatchLauncher();  // the batch is started for real
    Run([&](TStatusForm& f) {
        ToDownload(f);
        f.Button_NextClick();
        f.CheckBox_Restart.SetChecked(false);
        f.Button_NextClick();
        // Closed with the window's close box at the last step: the program is told to end.
        SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(terminated, 1);
    const auto batch = Batch();
    ASSERT_FALSE(batch.empty());
    EXPECT_EQ(batch.back().find("cd /d "), 0u);

    form.FormDestroy();
    const std::wstring program = install + L"zeigerwerk.exe";
    // Watched without opening a file: a reading handle would itself keep the program from being replaced.
    EXPECT_TRUE(WaitFor([&] { return !DirectoryExists(form.TempFolder()); }, 60000));
    EXPECT_EQ(ReadFileBytes(program), kNewProgram);
    EXPECT_EQ(ReadFileBytes(install + L"Pfeilbau.hlp"), "Hilfe, neu");
    EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk64.exe"), kNewProgram64);  // both programs, one archive
    EXPECT_FALSE(FileExists(form.TempFolder() + L"zeigerwerk.exe"));
}

TEST_F(UpdateDialogTest, CancelledDownloadOffersARetryAndASecondShowingStartsAfresh) {
    Serve();
    boxes.Answer(BoxAnswer::Yes);
    Run([&](TStatusForm& f) {
        f.Button_NextClick();
        f.Button_CheckClick();
        // The click waits in the queue and is handled inside the download that Next starts.
        PostMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(f.CancelDownload.Handle()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(f.CancelDownload.Handle()));
        f.Button_NextClick();
        EXPECT_TRUE(f.DownloadFailed());
        EXPECT_EQ(f.CancelDownload.Text(), L"Erneut versuchen");
        EXPECT_EQ(f.Label_Download.Text(),
                  L"Der Download wurde nicht vollendet.\r\n\r\nKlicken Sie auf \"Erneut versuchen\", um den Download "
                  L"erneut zu starten.\r\nKlicken Sie auf \"Abbrechen\", um den Assistenten zu beenden.");
        EXPECT_FALSE(f.Button_Next.Enabled());
        EXPECT_FALSE(FileExists(f.TempFolder() + L"Pfeilbau.zip"));
        f.CancelDownloadClick();  // "Erneut versuchen"
        EXPECT_EQ(f.StepIndex(), 3);
        EXPECT_FALSE(f.DownloadFailed());
        EXPECT_TRUE(f.Button_Next.Enabled());
        EXPECT_TRUE(FileExists(f.TempFolder() + L"Pfeilbau.zip"));
    });
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Soll der Download wirklich abgebrochen werden?");
    EXPECT_EQ(boxes.Boxes()[0].buttons, BoxButtons::YesNo);
    EXPECT_FALSE(PathExists(form.TempFolder()));  // closed without installing: nothing left behind

    Run([&](TStatusForm& f) {
        EXPECT_EQ(f.StepIndex(), 0);
        EXPECT_EQ(f.Panel_Title.Text(), L"Willkommen");
        EXPECT_EQ(f.Button_Next.Text(), L"Weiter >");
        ToDownload(f);
        EXPECT_TRUE(f.Button_Next.Enabled());
        EXPECT_FALSE(f.CancelDownload.Visible());
    });
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(UpdateDialogTest, IncompleteTransfersAreFailedDownloads) {
    struct Case {
        const char* what;
        std::function<void(TScriptedResponse&)> change;
    } const cases[] = {
        {"connection dropped mid-body", [](TScriptedResponse& r) { r.body.resize(r.body.size() / 2); }},
        {"HTTP error", [](TScriptedResponse& r) { r.head = "HTTP/1.0 500 Server Error\r\n\r\n"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Serve([&](const std::string& path, TScriptedResponse& r) {
            if (path == "/Updates/Pfeilbau.zip") c.change(r);
        });
        Run([&](TStatusForm& f) {
            ToDownload(f);
            EXPECT_TRUE(f.DownloadFailed());
            EXPECT_EQ(f.CancelDownload.Text(), L"Erneut versuchen");
            EXPECT_EQ(f.Label_Download.Text().rfind(L"Der Download wurde nicht vollendet.", 0), 0u);
            EXPECT_FALSE(FileExists(f.TempFolder() + L"Pfeilbau.zip"));
            // Nothing of an error page or a cut body is shown as progress.
            EXPECT_EQ(f.PerCent.Text() + f.StatusLabel.Text(), L"");
        });
        EXPECT_FALSE(PathExists(form.TempFolder()));
    }
}

TEST_F(UpdateDialogTest, WithoutContentLengthThePercentReadsHundred) {
    Serve([](const std::string& path, TScriptedResponse& r) {
        if (path == "/Updates/Pfeilbau.zip") r.head = "HTTP/1.0 200 OK\r\n\r\n";
    });
    form.ProgressRefreshMs = 0;
    Run([&](TStatusForm& f) {
        ToDownload(f);
        EXPECT_FALSE(f.DownloadFailed());
        EXPECT_EQ(f.PerCent.Text(), L"100 %");
        EXPECT_EQ(SendMessageW(f.Status.Handle(), PBM_GETRANGE, FALSE, 0), 0);
        EXPECT_EQ(f.TimeLeft.Text(), L"verbleibende Zeit: unbekannt");
        const std::uint64_t size = ReadFileBytes(server + L"Updates\\Pfeilbau.zip").size();
        EXPECT_EQ(f.StatusLabel.Text(), SizeText(size) + L" gedownloadet");
    });
}

TEST_F(UpdateDialogTest, NoConnectionKeepsTheCheckStep) {
    for (bool systemOnline : {false, true}) {
        SCOPED_TRACE(systemOnline);
        connection.connected = systemOnline;
        form.Server = {"127.0.0.1", 1};  // nobody listens there
        boxes.Clear();
        Run([&](TStatusForm& f) {
            f.Button_NextClick();
            f.Button_CheckClick();
            EXPECT_EQ(f.StepIndex(), 1);
        });
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, L"Es besteht keine Internetverbindung.");
        EXPECT_EQ(boxes.Boxes()[0].caption, L"Internetverbindung erforderlich");
        EXPECT_EQ(boxes.Boxes()[0].kind, BoxKind::Warning);
    }
}

TEST_F(UpdateDialogTest, ListDateAndBindingDecideWhetherUpdatesAreOffered) {
    const std::wstring kUnbound =
        L"Die Update-Informationen des Servers sind unvollständig (Datum, Größe oder Prüfsumme der Update-Dateien "
        L"fehlen). Es wird nichts installiert. Klicken Sie auf \"Beenden\", um den Assistenten zu verlassen.";
    const std::wstring kNone = L"Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf \"Beenden\", um den "
                               L"Assistenten zu verlassen.";
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
        // A list without a readable date no longer counts as dated today: replayed, it would offer
        // an update at every start.
        {"no Date", {{"Date", ""}}, "", Date(2003, 1, 1), &kUnbound},
        {"unreadable Date", {{"Date", "morgen"}}, "", Date(2003, 1, 1), &kUnbound},
        {"no Size", {{"Size", ""}}, "", Date(2003, 1, 1), &kUnbound},
        {"no SHA256", {{"SHA256", ""}}, "", Date(2003, 1, 1), &kUnbound},
        {"SHA256 not hexadecimal", {{"SHA256", std::string(64, 'x')}}, "", Date(2003, 1, 1), &kUnbound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CopyFolder(published->server, server);
        if (!c.wholeList.empty()) WriteBytes(server + L"Updates.ini", c.wholeList);
        if (!c.edit.empty() || !c.wholeList.empty()) EditList(published->key, server + L"Updates.ini", c.edit);
        Serve();
        form.ProgramDate = c.programDate;
        bool closedByNext = false;
        Run([&](TStatusForm& f) {
            f.Button_NextClick();
            f.Button_CheckClick();
            EXPECT_EQ(f.StepIndex(), 2);
            EXPECT_EQ(f.UpdatesAvailableFlag(), c.result == nullptr);
            if (!c.result) return;
            EXPECT_EQ(f.CheckResultText(), *c.result);
            EXPECT_EQ(f.Button_Next.Text(), L"Beenden");
            EXPECT_FALSE(f.Button_Cancel.Enabled());
            f.Button_NextClick();
            closedByNext = !f.Showing();
        });
        EXPECT_EQ(closedByNext, c.result != nullptr);
        EXPECT_TRUE(boxes.Boxes().empty());
    }
    // The no-updates result with "Beenden" sets the next reminder, by the stored interval.
    RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey)).SetInteger(L"UpdateInterval", 14);
    form.FormDestroy();
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
    auto serveOlder = [&](const std::wstring& s) {
        CopyFileW(olderArchive.c_str(), (s + archive).c_str(), FALSE);
        CopyFileW((olderArchive + L".sig").c_str(), (s + archive + L".sig").c_str(), FALSE);
    };
    struct Case {
        const char* what;
        std::function<void(const std::wstring& folder)> change;
        bool listRefused;
        const wchar_t* message = L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden und wurden "
                                 L"gelöscht.";
    } const cases[] = {
        // Without the 64-bit program it is shorter than the list's size, and so not confirmed.
        {"an older signed archive under the current list", serveOlder, false},
        {"the list names another archive's hash",
         [&](const std::wstring& s) {
             auto binding = Binding(olderArchive);
             binding.erase("Size");
             EditList(published->key, s + list, binding);
         },
         false},
        {"the list names a size one byte larger",
         [&](const std::wstring& s) {
             auto binding = Binding(s + archive);
             binding["Size"] = std::to_string(std::stoull(binding["Size"]) + 1);
             EditList(published->key, s + list, binding);
         },
         false},
        {"the list names a size one byte smaller: the download stops there",
         [&](const std::wstring& s) {
             auto binding = Binding(s + archive);
             binding["Size"] = std::to_string(std::stoull(binding["Size"]) - 1);
             EditList(published->key, s + list, binding);
         },
         false, L"Der Download wurde nicht vollendet."},
        {"list changed by one byte", [&](const std::wstring& s) { flipByte(s + list); }, true},
        {"list signature missing", [&](const std::wstring& s) { DeleteFileW((s + list + L".sig").c_str()); }, true},
        {"list signed by another key", [&](const std::wstring& s) { SignFile(published->otherKey, s + list); }, true},
        {"archive changed by one byte", [&](const std::wstring& s) { flipByte(s + archive); }, false},
        {"archive signature missing", [&](const std::wstring& s) { DeleteFileW((s + archive + L".sig").c_str()); },
         false},
        {"archive signed by another key", [&](const std::wstring& s) { SignFile(published->otherKey, s + archive); },
         false},
        {"the list's signature offered for the archive",
         [&](const std::wstring& s) { CopyFileW((s + list + L".sig").c_str(), (s + archive + L".sig").c_str(), FALSE); },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CopyFolder(published->server, server);
        c.change(server);
        Serve();
        boxes.Clear();
        Run([&](TStatusForm& f) {
            f.Button_NextClick();
            f.Button_CheckClick();
            if (c.listRefused) {
                EXPECT_EQ(f.StepIndex(), 1);
                return;
            }
            f.Button_NextClick();
            EXPECT_TRUE(f.DownloadFailed());
            EXPECT_EQ(f.Label_Download.Text().rfind(c.message, 0), 0u) << Narrow(f.Label_Download.Text());
            EXPECT_FALSE(f.Button_Next.Enabled());
            EXPECT_FALSE(FileExists(f.TempFolder() + L"Pfeilbau.zip"));
            EXPECT_FALSE(FileExists(f.TempFolder() + L"Update.bat"));
        });
        if (c.listRefused) {
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text, L"Die Update-Informationen des Servers konnten nicht bestätigt werden. "
                                             L"Es wird nichts installiert.");
        } else {
            EXPECT_TRUE(boxes.Boxes().empty());
        }
        EXPECT_FALSE(form.InstallPrepared());
        EXPECT_FALSE(PathExists(form.TempFolder()));
        EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk.exe"), "MZ altes Programm");
    }
    form.FormDestroy();
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(NextDue());
}

TEST_F(UpdateDialogTest, PlantedFilesAndAGreekFolderNameDoNotMisleadTheBatch) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    const std::wstring planted = std::wstring(base) + L"Update.bat";
    WriteBytes(planted, "echo planted\r\n");
    const std::wstring greek = temp.MakeFolder(L"Πρόγραμμα");
    temp.MakeFile(L"Πρόγραμμα\\zeigerwerk.exe", "MZ altes Programm");
    form.ProgramFile = greek + L"zeigerwerk.exe";
    Serve();
    Run([&](TStatusForm& f) {
        ToDownload(f);
        f.Button_NextClick();
        f.Button_NextClick();
        EXPECT_TRUE(f.InstallPrepared());
    });
    DeleteFileW(planted.c_str());
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(greek.c_str(), shortName, MAX_PATH), 0u);
    const std::string P = Narrow(shortName);
    ASSERT_NE(std::wstring(shortName), greek);
    const auto batch = Batch();
    EXPECT_EQ(std::count(batch.begin(), batch.end(), "@cd /d \"" + P + "\""), 3);
    wchar_t shortProgram[MAX_PATH] = {};
    GetShortPathNameW(form.ProgramFile.c_str(), shortProgram, MAX_PATH);
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
        Run([&](TStatusForm& f) {
            f.Button_NextClick();
            f.Button_SettingsClick();
            EXPECT_EQ(f.PageIndex(), TStatusForm::Einstellungen);
            EXPECT_EQ(f.Panel_Title.Text(), L"Einstellungen");
            EXPECT_FALSE(f.StandardButtonsShown());
            EXPECT_FALSE(f.Button_Settings.Visible());
            f.RadioButton_NoAutoUpdt.SetChecked(c.never);
            f.RadioButton_AutoUpdt.SetChecked(!c.never);
            f.RadioButton_UpdtClick();
            EXPECT_EQ(f.SpinEdit_AutoUpdt.Enabled(), !c.never);
            if (!c.never) f.SetSpinValue(c.interval);
            f.Button_SettingsSaveClick();
            EXPECT_EQ(f.StepIndex(), 1);
            EXPECT_EQ(f.PageIndex(), 1);
            EXPECT_EQ(f.Panel_Title.Text(), L"Auf neue Updates prüfen");
            EXPECT_TRUE(f.Button_Settings.Visible());
            // Opened again, the page shows what was saved.
            f.Button_SettingsClick();
            EXPECT_EQ(f.RadioButton_NoAutoUpdt.Checked(), c.never);
            f.Button_SettingsCancelClick();
        });
        const auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
        ASSERT_TRUE(key);
        EXPECT_EQ(key->HasValue(L"NoUpdate"), c.never);
        EXPECT_EQ(key->GetInteger(L"UpdateInterval"), c.never ? std::nullopt : std::optional<DWORD>(c.interval));
    }
}

TEST_F(UpdateDialogTest, AnArchiveNotUnpackedWholeChangesNothing) {
    // The template deletes before it copies: run on a half-unpacked archive it would lose the program.
    const std::string deleting = "rem\r\nattrib -r \"%szeigerwerk.exe\"\r\ndel \"%szeigerwerk.exe\"\r\n"
                                 "copy /y \"%szeigerwerk.exe\" \"%szeigerwerk.exe\"\r\n";
    form.Launcher = &SystemBatchLauncher();  // what would start, starts for real
    for (const std::string& refused : {std::string("sub/.."), std::string(300, 'n') + ".exe"}) {
        SCOPED_TRACE(refused.substr(0, 10));
        CopyFolder(published->server, server);
        PublishArchive({{"Update.bat", deleting}, {"zeigerwerk.exe", kNewProgram}, {refused, "x"}});
        Serve();
        Run([&](TStatusForm& f) {
            ToDownload(f);
            f.Button_NextClick();
            f.Button_NextClick();
            EXPECT_FALSE(f.InstallPrepared());
            EXPECT_EQ(f.Label3.Text().rfind(L"Die Update-Dateien konnten nicht vollständig entpackt werden.", 0), 0u);
            EXPECT_NE(f.Label3.Text().find(L"unzulässigen Dateinamen"), std::wstring::npos) << "the archive's message";
            EXPECT_FALSE(f.Button_Next.Enabled());
        });
        EXPECT_FALSE(PathExists(form.TempFolder()));
    }
    form.FormDestroy();
    EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk.exe"), "MZ altes Programm");
}

// Runs an action from the dialog's own message handling once the transfer is under way: that it
// runs at all shows the dialog answering meanwhile.
struct Probe {
    std::function<bool()> ready;
    std::function<void()> action;
    bool fired = false;
    DWORD firedAt = 0;
};
Probe* probe = nullptr;
void CALLBACK ProbeTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!probe || probe->fired || !probe->ready()) return;
    probe->fired = true;
    probe->firedAt = GetTickCount();
    probe->action();
}

TEST_F(UpdateDialogTest, TransfersAreBoundedAndStopAtOnceWhenCancelled) {
    enum Stop { Bound, Esc, CloseBox, CancelButton };
    struct Case {
        const char* what;
        std::string path;
        Stop stop;
    } const cases[] = {
        {"endless list", "/Updates.ini", Bound},
        {"endless archive", "/Updates/Pfeilbau.zip", Bound},
        {"trickling list, Esc", "/Updates.ini", Esc},
        {"trickling list signature, close box", "/Updates.ini.sig", CloseBox},
        {"trickling archive, Abbrechen", "/Updates/Pfeilbau.zip", CancelButton},
        {"trickling archive, Esc", "/Updates/Pfeilbau.zip", Esc},
    };
    boxes.Answer(BoxAnswer::Yes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Clear();
        boxes.Answer(BoxAnswer::Yes);
        Serve([&](const std::string& path, TScriptedResponse& r) {
            if (path != c.path) return;
            if (c.stop == Bound) {
                r.head = "HTTP/1.0 200 OK\r\n\r\n";
                r.body.clear();
                r.generatedSize = 1ull << 36;
            } else {
                r.pieceSize = 1;
                r.pauseMs = 1000;
            }
        });
        const bool atCheck = c.path.rfind("/Updates.ini", 0) == 0;
        Probe watch;
        bool closedAtOnce = false;
        DWORD returnedAt = 0;
        Run([&](TStatusForm& f) {
            watch.ready = [&] { return (atCheck ? f.Checking() : f.Downloading()) && f.HTTP.BytesRecvd() > 0; };
            watch.action = [&] {
                if (c.stop == Esc) PostMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
                if (c.stop == CloseBox) PostMessageW(f.Handle(), WM_CLOSE, 0, 0);
                if (c.stop == CancelButton) f.Button_CancelClick();
            };
            probe = &watch;
            SetTimer(f.Handle(), 1, 10, ProbeTick);
            f.Button_NextClick();
            if (!atCheck) {
                f.Button_CheckClick();
                EXPECT_FALSE(f.Checking());
            }
            atCheck ? f.Button_CheckClick() : f.Button_NextClick();
            returnedAt = GetTickCount();
            KillTimer(f.Handle(), 1);
            probe = nullptr;
            closedAtOnce = !f.Showing();
            if (c.stop != Bound) return;
            if (atCheck) {
                EXPECT_EQ(f.StepIndex(), 1);
            } else {
                EXPECT_TRUE(f.DownloadFailed());
                EXPECT_EQ(f.Label_Download.Text().rfind(L"Der Download wurde nicht vollendet.", 0), 0u);
            }
        });
        if (c.stop == Bound) {
            if (atCheck) {
                ASSERT_EQ(boxes.Boxes().size(), 1u);
                EXPECT_EQ(boxes.Boxes()[0].text, L"Es besteht keine Internetverbindung.");
            }
            continue;
        }
        EXPECT_TRUE(closedAtOnce);
        ASSERT_TRUE(watch.fired) << "the dialog did not answer during the transfer";
        EXPECT_LT(returnedAt - watch.firedAt, 500u);
        // Only a running download asks before it stops.
        EXPECT_EQ(boxes.Boxes().size(), atCheck ? 0u : 1u);
        EXPECT_FALSE(PathExists(form.TempFolder()));
    }
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
        TStatusForm dialog;
        Configure(dialog);
        dialog.Launcher = &SystemBatchLauncher();  // the batch is started for real
        dialog.OemCodePage = c.codePage;
        Run(dialog, [&](TStatusForm& f) {
            ToDownload(f);
            f.Button_NextClick();
            f.CheckBox_Restart.SetChecked(false);
            f.Button_NextClick();
            EXPECT_TRUE(f.InstallPrepared()) << Narrow(f.Label3.Text());
            f.Button_NextClick();
        });
        SetEnvironmentVariableW(L"TMP", savedTmp);
        SetEnvironmentVariableW(L"TEMP", savedTemp);
        ASSERT_EQ(dialog.TempFolder().rfind(tempBase, 0), 0u);
        dialog.FormDestroy();
        const std::wstring program = install + L"zeigerwerk.exe";
        EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(program) == kNewProgram; }, 60000)) << ReadFileBytes(program);
        // The batch's last line removes its folder.
        EXPECT_TRUE(WaitFor([&] { return !PathExists(dialog.TempFolder()); }, 30000)) << [&] {
            std::string left;
            WIN32_FIND_DATAW found;
            HANDLE search = FindFirstFileW((dialog.TempFolder() + L"*").c_str(), &found);
            if (search == INVALID_HANDLE_VALUE) return left;
            do left += Narrow(found.cFileName) + " "; while (FindNextFileW(search, &found));
            FindClose(search);
            return left;
        }();
        EXPECT_EQ(ReadFileBytes(install + L"Pfeilbau.hlp"), "Hilfe, neu");
    }
}

TEST_F(UpdateDialogTest, AnErrorAtTheEndOfTheProcessIsShownAndTheBatchStillStarts) {
    struct BrokenClock : UpdateClock {
        double Now() const override { throw PlatformError(L"Fehler beim Setzen der Daten für 'Update'"); }
    } broken;
    Serve();
    Run([&](TStatusForm& f) {
        ToDownload(f);
        f.Button_NextClick();
        f.Button_NextClick();
        ASSERT_TRUE(f.InstallPrepared());
        f.Clock = &broken;
        f.Button_NextClick();
    });
    form.FormDestroy();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Fehler beim Setzen der Daten für 'Update'");
    EXPECT_EQ(boxes.Boxes()[0].kind, BoxKind::Error);
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(UpdateDialogTest, EnterPressesTheFocusedButtonAndEscLeavesEveryPage) {
    std::string news = "News=";
    for (int i = 1; i <= 15; ++i) news += "\"0" + std::to_string(i % 9 + 1) + ".06.2003: Eintrag " + std::to_string(i) + " Zahl & Datum\",";
    news.pop_back();
    EditList(published->key, server + L"Updates.ini", {{"News", news.substr(5)}});
    Serve();
    auto key = [](TStatusForm& f, WPARAM k) {
        const HWND focus = GetFocus();
        return f.HandleKey(MSG{focus ? focus : f.Handle(), WM_KEYDOWN, k, 0, 0, {}});
    };
    Run([&](TStatusForm& f) {
        key(f, VK_RETURN);
        EXPECT_EQ(f.StepIndex(), 1);
        EXPECT_EQ(GetFocus(), f.Button_Check.Handle());
        key(f, VK_RETURN);  // the focused "Jetzt auf neue Updates prüfen", not the disabled "Weiter >"
        ASSERT_EQ(f.StepIndex(), 2);
        // The news list scrolls; the closing sentence stays in view below it; "&" is shown as it is.
        EXPECT_NE(GetWindowLongW(f.News.Handle(), GWL_STYLE) & WS_VSCROLL, 0);
        EXPECT_NE(f.News.Text().find(L"Eintrag 15 Zahl & Datum"), std::wstring::npos);
        EXPECT_TRUE(IsWindowVisible(f.Label_CheckResultEnd.Handle()));
        EXPECT_GE(f.Label_CheckResultEnd.Bounds().top, f.News.Bounds().bottom);
        EXPECT_NE(GetWindowLongW(f.Label_CheckResult.Handle(), GWL_STYLE) & SS_NOPREFIX, 0);
        key(f, VK_ESCAPE);  // closes here, as "Abbrechen" does
        EXPECT_FALSE(f.Showing());
    });
    for (int page = 0; page < 6; ++page) {
        SCOPED_TRACE(page);
        Run([&](TStatusForm& f) {
            for (int step = 0; step < page; ++step) {
                if (step == 1)
                    f.Button_CheckClick();
                else
                    key(f, VK_RETURN);
            }
            ASSERT_EQ(f.StepIndex(), page) << (boxes.Boxes().empty() ? "" : Narrow(boxes.Boxes()[0].text))
                                           << (f.Checking() ? " (a check still runs)" : "")
                                           << (f.Showing() ? "" : " (the dialog closed)");
            f.Button_SettingsClick();
            key(f, VK_ESCAPE);  // the settings page returns to the step
            EXPECT_EQ(f.PageIndex(), page == 5 ? TStatusForm::Bestaetigung3 : page);
            key(f, VK_ESCAPE);
            EXPECT_FALSE(f.Showing());
        });
    }
    EXPECT_EQ(terminated, 1);  // Esc at the last step ends the program, as the close box does
    // The modal loop itself hands the keys over.
    Run([&](TStatusForm& f) { PostMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_FALSE(form.Showing());
}

}  // namespace

