// The update wizard on its real window against a loopback server that serves a folder made by the
// maker's script, signed with a key made for this run.
#include <windows.h>
#include <commctrl.h>

#include "platform/files.h"
#include "platform/path_text.h"
#include "tests/windows/support/update_fixture.h"

using namespace update_test;

namespace {

const double kToday = Date(2026, 12, 8);
const std::string kNewProgram = "MZ neues Programm";

struct Published {
    TempFolder folder;
    KeyPair key, otherKey;
    std::wstring server;  // the maker's output
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
        published->folder.MakeFile(L"build\\Pfeilbau.hlp", "Hilfe, neu");
        published->server = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(build + L"zeigerwerk.exe") + L"' --out '" + Unix(published->server) +
                             L"' --date 05.06.2003 --news '01.02.2003: Alte Korrektur' --news '05.06.2003: Neue "
                             L"Funktion, schneller'"),
                  0);
    }
    static void TearDownTestSuite() {
        delete published;
        published = nullptr;
    }

    UpdateDialogTest() {
        form.Clock = &clock;
        form.Connection = &connection;
        ShellOpenScript = [this](const std::wstring& file, const std::wstring&) { opened.push_back(file); };
        static int counter = 0;
        registryKey = L"ZwUpdateDialogTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        server = temp / L"server\\";
        CopyFolder(published->server, server);
        install = temp.MakeFolder(L"Zeigerwerk Programm");
        temp.MakeFile(L"Zeigerwerk Programm\\zeigerwerk.exe", "MZ altes Programm");
        form.ProgramName = L"Zeigerwerk";
        form.ZIPFileName = L"Pfeilbau.zip";
        form.RegistryKey = registryKey;
        form.ProgramDate = Date(2003, 4, 3) + 0.5;
        form.HKCU = false;
        form.ProgramFile = install + L"zeigerwerk.exe";
        form.Key = published->key.publicKey;
        form.OnTerminate = [this] { ++terminated; };
    }
    ~UpdateDialogTest() override {
        if (form.InstallPrepared()) RemoveTree(form.TempFolder());
        ShellOpenScript = nullptr;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
    }

    void Serve(FolderServer::Adjust adjust = {}) {
        http = std::make_unique<FolderServer>(server, std::move(adjust));
        form.Server = {"127.0.0.1", http->Port()};
    }
    void Run(const std::function<void(TStatusForm&)>& script) {
        form.OnShown = [&](TStatusForm& f) {
            script(f);
            if (f.Showing()) f.Button_CancelClick();
        };
        form.ShowModal(nullptr);
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
    std::optional<double> NextDue() const {
        const auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
        return key ? ReadNextDueDate(*key) : std::nullopt;
    }

    FixedClock clock{kToday + 0.5};
    FixedConnection connection;
    TempFolder temp;
    BoxScript boxes;
    std::wstring registryKey, server, install;
    std::unique_ptr<FolderServer> http;
    TStatusForm form;
    std::vector<std::wstring> opened;
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

    const std::string P = Narrow(install), T = Narrow(form.TempFolder());
    auto replace = [&](const std::string& name) {
        return "copy /y \"" + T + name + "\" \"" + P + name + ".neu\" >nul && move /y \"" + name + ".neu\" \"" + name +
               "\" >nul";
    };
    EXPECT_EQ(Batch(), (std::vector<std::string>{
                           "@setlocal disabledelayedexpansion & ping -n 3 127.0.0.1 >nul",
                           "cd /d \"" + P + "\"",
                           "attrib -r \"" + P + "zeigerwerk.exe\" >nul 2>&1",
                           replace("zeigerwerk.exe"),
                           "rem Pfeilbau.hlp",
                           "cd /d \"" + P + "\"",
                           "attrib -r \"" + P + "Pfeilbau.hlp\" >nul 2>&1",
                           replace("Pfeilbau.hlp"),
                           " del \"" + T + "zeigerwerk.exe\" >nul 2>&1",
                           " del \"" + T + "Pfeilbau.hlp\" >nul 2>&1",
                           "start \"\" \"" + P + "zeigerwerk.exe\"",
                           "cd /d \"" + P + "\" & del \"" + T + "Update.bat\" & rd \"" + T.substr(0, T.size() - 1) + "\"",
                       }));
    EXPECT_EQ(ReadFileBytes(form.TempFolder() + L"zeigerwerk.exe"), kNewProgram);
    EXPECT_FALSE(FileExists(form.TempFolder() + L"Pfeilbau.zip"));

    // Nothing starts before the program ends.
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(NextDue());
    form.FormDestroy();
    EXPECT_EQ(opened, std::vector<std::wstring>{form.TempFolder() + L"Update.bat"});
    EXPECT_EQ(ShellOpenLastShowCommand, SW_HIDE);
    EXPECT_EQ(NextDue(), kToday + 7 - 1);
}

TEST_F(UpdateDialogTest, TheBatchReallyReplacesTheProgramUnderTheCommandInterpreter) {
    Serve();
    ShellOpenScript = nullptr;  // the batch is started for real
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
    EXPECT_EQ(batch[batch.size() - 2], " del \"" + Narrow(form.TempFolder()) + "Pfeilbau.hlp\" >nul 2>&1");

    form.FormDestroy();
    const std::wstring program = install + L"zeigerwerk.exe";
    EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(program) == kNewProgram; }, 60000)) << ReadFileBytes(program);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(form.TempFolder() + L"Update.bat"); }, 30000));
    EXPECT_EQ(ReadFileBytes(install + L"Pfeilbau.hlp"), "Hilfe, neu");
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

TEST_F(UpdateDialogTest, ListDateDecidesWhetherUpdatesAreOffered) {
    struct Case {
        const char* what;
        std::string list;
        double programDate;
        bool offered;
    } const cases[] = {
        {"server date older than the program", "", Date(2003, 6, 6) + 0.1, false},
        {"no Date: dated today, newer", "[Zeigerwerk]\r\nFile=Pfeilbau.zip\r\n", kToday - 1 + 0.5, true},
        {"no Date: dated today, older", "[Zeigerwerk]\r\nFile=Pfeilbau.zip\r\n", kToday + 0.9, false},
        {"no section for the program", "[Anderes]\r\nDate=01.01.2030\r\n", Date(2003, 1, 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.list.empty()) {
            WriteBytes(server + L"Updates.ini", c.list);
            ASSERT_EQ(SignFile(published->key, server + L"Updates.ini"), 0);
        }
        Serve();
        form.ProgramDate = c.programDate;
        bool closedByNext = false;
        Run([&](TStatusForm& f) {
            f.Button_NextClick();
            f.Button_CheckClick();
            EXPECT_EQ(f.UpdatesAvailableFlag(), c.offered);
            if (c.offered) return;
            EXPECT_EQ(f.CheckResultText(), L"Es stehen keine neuen Updates zur Verfügung. Klicken Sie auf "
                                                  L"\"Beenden\", um den Assistenten zu verlassen.");
            EXPECT_EQ(f.Button_Next.Text(), L"Beenden");
            EXPECT_FALSE(f.Button_Cancel.Enabled());
            f.Button_NextClick();
            closedByNext = !f.Showing();
        });
        EXPECT_EQ(closedByNext, !c.offered);
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
    struct Case {
        const char* what;
        std::function<void(const std::wstring& folder)> change;
        bool listRefused;
    } const cases[] = {
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
            EXPECT_EQ(f.Label_Download.Text().rfind(L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt "
                                                    L"werden und wurden gelöscht.",
                                                    0),
                      0u);
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
    ASSERT_EQ(batch.size(), 12u);
    EXPECT_EQ(batch[1], "cd /d \"" + P + "\"");
    EXPECT_EQ(batch[2], "attrib -r \"" + P + "zeigerwerk.exe\" >nul 2>&1");
    wchar_t shortProgram[MAX_PATH] = {};
    GetShortPathNameW(form.ProgramFile.c_str(), shortProgram, MAX_PATH);
    EXPECT_EQ(batch[10], "start \"\" \"" + Narrow(shortProgram) + "\"");
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

}  // namespace

