// What stands in an update's way: a program file still in use, a folder named like the copy, a copy
// cut short, a program folder only an administrator may write; and a proxy named by the Internet
// settings. The maker's batch is started by the program's end and run by the command interpreter.
#include <windows.h>

#include "platform/files.h"
#include "platform/handles.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/update_fixture.h"
#include "tests/windows/support/window_tree.h"
#include "update/install_mark.h"
#include "update/run_folder.h"
#include "update/update_settings.h"
#include "update/update_batch.h"
#include "update/update_dialog.h"
#include "update/zip_extract.h"

using namespace update_test;

namespace {
const std::vector<std::pair<std::wstring, std::string>> kNewFiles = {
    {L"zeigerwerk.exe", "MZ neues Programm"}, {L"zeigerwerk64.exe", "MZ neues Programm, 64 Bit"}, {L"Pfeilbau.hlp", "Hilfe, neu"}};
struct Published {
    TempFolder folder;
    KeyPair key;
    std::wstring server;
};
Published* published = nullptr;

class UpdateObstaclesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        published = new Published;
        published->key = MakeKeyPair(published->folder, L"maker");
        for (const auto& [name, content] : kNewFiles) published->folder.MakeFile(L"build\\" + name, content);
        published->server = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(published->folder / L"build\\zeigerwerk.exe") + L"' --program64 '" +
                             Unix(published->folder / L"build\\zeigerwerk64.exe") + L"' --out '" +
                             Unix(published->server) + L"' --date 05.06.2003"),
                  0);
        // A file the template knows nothing of, under a folder name that unpacking drops.
        WriteBytes(published->folder / L"extra.py",
                   "import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'a').writestr('Doku/Liesmich.txt', 'x')\n");
        const std::wstring archive = published->server + L"Updates\\Pfeilbau.zip";
        ASSERT_EQ(RunShell(L"python3 '" + Unix(published->folder / L"extra.py") + L"' '" + Unix(archive) + L"'"), 0);
        ASSERT_EQ(SignFile(published->key, archive), 0);
        EditList(published->key, published->server + L"Updates.ini", Binding(archive));
    }
    static void TearDownTestSuite() { delete published; }
};

// From the welcome page through the check to its result.
void CheckForUpdates(UpdateDialog& form) {
    Press(form, L"Weiter >");
    Press(form, L"Jetzt auf neue Updates prüfen");
    EXPECT_TRUE(TransferEnded(form));
}

// From the result through the download to the install page.
void DownloadAndGoOn(UpdateDialog& form) {
    Press(form, L"Weiter >");
    EXPECT_TRUE(TransferEnded(form));
    Press(form, L"Weiter >");
}

// The dialog set up for one run against the published folder, over a server of its own.
void Prepare(UpdateDialog& form, const FixedConnection& connection, int port, const std::wstring& program,
             const std::wstring& registryKey) {
    form.Files.programName = L"Zeigerwerk";
    form.Files.programDate = Date(2003, 4, 3);
    form.Files.programFile = program;
    form.Files.registryKey = registryKey;
    form.Files.hkcu = true;
    form.Files.key = published->key.publicKey;
    form.ArchiveFile = L"Pfeilbau.zip";
    form.Connection = &connection;
    form.OnTerminate = [] {};
    form.Server = {"127.0.0.1", port};
}

BOOL CALLBACK FirstVisibleWindowOf(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != found->first || !IsWindowVisible(window)) return TRUE;
    found->second = window;
    return FALSE;
}

// The first window a real start of the program shows, and its text when it is a message box.
std::wstring FirstBoxOfARealStart() {
    std::wstring commandLine = L"\"" + ProgramUnderTest() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return L"(nicht gestartet)";
    CloseHandle(process.hThread);
    const FileHandle running(process.hProcess);
    HWND first = nullptr;
    std::pair<DWORD, HWND> found{process.dwProcessId, nullptr};
    WaitFor([&] {
        EnumWindows(FirstVisibleWindowOf, reinterpret_cast<LPARAM>(&found));
        return found.second != nullptr;
    });
    first = found.second;
    wchar_t type[32] = {}, text[512] = {};
    if (first) GetClassNameW(first, type, 32);
    if (first && std::wstring(type) == L"#32770") GetDlgItemTextW(first, 0xFFFF, text, 512);
    TerminateProcess(running.Get(), 0);
    WaitForSingleObject(running.Get(), 10000);
    return text;
}

TEST_F(UpdateObstaclesTest, TheBatchLeavesOneWholeVersionAndTheNextStartSaysWhatHappened) {
    const struct {
        const char* what;
        const wchar_t* held;  // a program file held until the batch has ended
        bool folderInTheWay;  // a folder named zeigerwerk.exe.neu
        bool copyStops;       // the copy of the help file cannot be read to its end
        const char* mark;     // what the batch tells the next start (its message has a table of its own)
    } cases[] = {
        {"nothing in the way", nullptr, false, false, ""},
        {"the first file held past the bound", L"zeigerwerk.exe", false, false, "zeigerwerk.exe inuse yes"},
        {"the second file held past the bound", L"zeigerwerk64.exe", false, false, "zeigerwerk64.exe inuse yes"},
        {"a folder named like the copy", nullptr, true, false, "zeigerwerk.exe.neu copy yes"},
        {"a copy cut short", nullptr, false, true, "Pfeilbau.hlp.neu copy yes"},
    };
    const std::wstring registryKey = L"ZwObstacles" + std::to_wstring(GetCurrentProcessId());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        SetEnvironmentVariableW(L"LOCALAPPDATA", temp.MakeFolder(L"Lokal").c_str());
        const std::wstring install = temp.MakeFolder(L"Programm");
        for (const auto& [name, content] : kNewFiles) temp.MakeFile(L"Programm\\" + name, "alt: " + content);
        if (c.folderInTheWay) temp.MakeFolder(L"Programm\\zeigerwerk.exe.neu");

        FolderServer server(published->server);
        FixedConnection connection;
        BoxScript boxes;
        UpdateDialog form;
        Prepare(form, connection, server.Port(), install + L"zeigerwerk.exe", registryKey);
        form.Files.batchWaitSeconds = 2;
        form.Launcher = &SystemBatchLauncher();
        form.OnShown = [&] {
            CheckForUpdates(form);
            DownloadAndGoOn(form);
            Press(form, L"Programm automatisch neu starten");
            Press(form, L"Weiter >");
            Press(form, L"Beenden");
        };
        form.ShowModal(nullptr);
        ASSERT_TRUE(form.Run().InstallPrepared());
        const std::wstring run = form.Run().RunFolder();
        FileHandle held(c.held ? NullIfInvalid(CreateFileW((install + c.held).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                           nullptr, OPEN_EXISTING, 0, nullptr))
                               : nullptr);
        FileHandle source(c.copyStops ? NullIfInvalid(CreateFileW((run + L"Pfeilbau.hlp").c_str(), GENERIC_READ, 0,
                                                                  nullptr, OPEN_EXISTING, 0, nullptr))
                                      : nullptr);
        // The program's own end starts the batch.
        form.FinishProcess();
        EXPECT_TRUE(WaitFor([&] { return !FileExists(run + L"Update.bat"); }, 60000)) << "the batch ends";
        held.Reset();
        source.Reset();

        const bool whole = c.mark[0] == 0;
        for (const auto& [name, content] : kNewFiles) {
            EXPECT_EQ(ReadFileBytes(install + name), whole ? content : "alt: " + content) << Utf8FromWide(name);
            for (const wchar_t* aside : {L".neu", L".alt"})
                EXPECT_FALSE(FileExists(install + name + aside)) << Utf8FromWide(name + aside);
        }
        EXPECT_EQ(DirectoryExists(install + L"zeigerwerk.exe.neu"), c.folderInTheWay) << "a folder it did not make stays";
        EXPECT_EQ(FirstBoxOfARealStart().substr(0, whole ? 0 : std::wstring::npos),
                  InstallMarkMessage(c.mark).value_or(L""));
        EXPECT_FALSE(FileExists(InstallMarkPath(run))) << "a mark is told once";
    }
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, UpdateSettingsPath(registryKey));
}

TEST_F(UpdateObstaclesTest, WhereOnlyAnAdministratorMayWriteTheProgramIsInstalledAfterConsent) {
    struct RecordingShell : ShellStarter {
        bool Start(const ShellStart& start) const override { return asked.push_back(start), consent; }
        mutable std::vector<ShellStart> asked;
        bool consent = true;
    };
    const std::wstring registryKey = L"ZwObstaclesAdmin" + std::to_wstring(GetCurrentProcessId());
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    for (bool consent : {true, false}) {
        SCOPED_TRACE(consent);
        TempFolder temp;
        SetEnvironmentVariableW(L"LOCALAPPDATA", temp.MakeFolder(L"Lokal").c_str());
        const std::wstring install = temp.MakeFolder(L"Programm");
        temp.MakeFile(L"Programm\\zeigerwerk.exe", "alt");
        MakeFolderReadOnly(install);
        FolderServer server(published->server);
        FixedConnection connection;
        BoxScript boxes;
        RecordingShell shell;
        shell.consent = consent;
        const SystemLauncher launcher(shell);
        UpdateDialog form;
        Prepare(form, connection, server.Port(), install + L"zeigerwerk.exe", registryKey);
        form.Launcher = &launcher;
        std::wstring sentence;
        std::vector<std::string> askedBeforeDownload;
        std::wstring installText;
        form.OnShown = [&] {
            CheckForUpdates(form);
            for (HWND child : ChildrenOf(form.Handle()))
                if (IsWindowVisible(child) && TextOf(child).find(L"Administrator") != std::wstring::npos)
                    sentence = TextOf(child);
            askedBeforeDownload = server.Paths();
            DownloadAndGoOn(form);
            Press(form, L"Installieren");
            installText = form.Run().Shown().installText;
            PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        };
        form.ShowModal(nullptr);
        EXPECT_NE(sentence.find(L"Nur ein Administrator darf in den Ordner des Programms schreiben"), std::wstring::npos);
        EXPECT_EQ(askedBeforeDownload, (std::vector<std::string>{"/Updates.ini", "/Updates.ini.sig"}));
        ASSERT_EQ(shell.asked.size(), 1u);
        const std::wstring run = form.Run().RunFolder();
        EXPECT_EQ(shell.asked[0].verb, L"runas");
        EXPECT_EQ(shell.asked[0].file, std::wstring(system) + L"\\cmd.exe");
        // The run folder becomes the Administrators' before its batch runs, and the batch is run by its whole path.
        const std::wstring folder = run.substr(0, run.size() - 1), icacls = std::wstring(system) + L"\\icacls.exe";
        const std::wstring& asked = shell.asked[0].parameters;
        EXPECT_EQ(asked.rfind(L"/d /c \"cd /d \"" + folder + L"\" && \"" + icacls + L"\" \"" + folder +
                                  L"\" /setowner *S-1-5-32-544 /q && ", 0), 0u);
        EXPECT_NE(asked.find(L"/inheritance:r /remove:g *" + CurrentUserSid() + L" "), std::wstring::npos);
        EXPECT_TRUE(asked.ends_with(L"/reset /l /q && \"" + run + L"Update.bat\"\""));
        // Until then nobody may change what it will run.
        if (consent) {
            EXPECT_FALSE(FileHandle(NullIfInvalid(CreateFileW((run + L"Update.bat").c_str(), GENERIC_WRITE,
                                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                              nullptr))));
        }
        EXPECT_EQ(form.Run().InstallPrepared(), consent);
        EXPECT_EQ(installText.find(L"Zustimmung eines Administrators fehlt") != std::wstring::npos, !consent);
        EXPECT_EQ(ReadFileBytes(install + L"zeigerwerk.exe"), "alt");
        EXPECT_EQ(DirectoryExists(run), consent) << "refused: nothing of the run stays";
        MakeFolderWritable(install);
    }
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, UpdateSettingsPath(registryKey));
}

TEST_F(UpdateObstaclesTest, ALogoffOnTheFinishPageStartsThePreparedInstall) {
    TempFolder temp;
    SetEnvironmentVariableW(L"LOCALAPPDATA", temp.MakeFolder(L"Lokal").c_str());
    temp.MakeFile(L"Programm\\zeigerwerk.exe", "alt");
    const std::wstring registryKey = L"ZwObstaclesLogoff" + std::to_wstring(GetCurrentProcessId());
    FolderServer server(published->server);
    FixedConnection connection;
    BoxScript boxes;
    RecordingLauncher launcher;
    UpdateDialog form;
    Prepare(form, connection, server.Port(), temp / L"Programm\\zeigerwerk.exe", registryKey);
    form.Launcher = &launcher;
    LRESULT allowed = FALSE;
    std::size_t startedAtLogoff = 0;
    form.OnShown = [&] {
        CheckForUpdates(form);
        DownloadAndGoOn(form);
        Press(form, L"Weiter >");
        allowed = SendMessageW(form.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageW(form.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        startedAtLogoff = launcher.started.size();
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    };
    form.ShowModal(nullptr);
    form.FinishProcess();
    EXPECT_TRUE(allowed);
    EXPECT_EQ(startedAtLogoff, 1u);
    EXPECT_EQ(launcher.started.size(), 1u) << "started once";
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, UpdateSettingsPath(registryKey));
}

TEST_F(UpdateObstaclesTest, CheckAndDownloadGoThroughTheProxyTheSettingsName) {
    const std::string host = "update.zeigerwerk.example";
    const std::wstring settingsKey = L"Software\\DZ\\ZwProxyTest" + std::to_wstring(GetCurrentProcessId());
    const struct {
        const char* what;
        bool manual;
        const char* bypass;
        bool script;  // an automatic configuration script names the proxy
        bool askCredentials;
    } cases[] = {
        {"manual proxy for http", true, "<local>;intranet", false, false},
        {"host in the bypass list", true, "intranet;*.ZEIGERWERK.example", false, false},
        {"configuration script", false, "", true, false},
        {"proxy asks for credentials", true, "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FolderServer origin(published->server);
        // A proxy that fetches nothing itself: it serves the maker's folder for a whole URL.
        FolderServer proxy(published->server, [&](const std::string& target, ScriptedResponse& response) {
            const std::wstring file = published->server + WideFromUtf8(target.substr(target.find('/', 7) + 1));
            if (c.askCredentials)
                response = {"HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n\r\n", ""};
            else if (target.rfind("http://", 0) == 0 && FileExists(file))
                response = {"HTTP/1.0 200 OK\r\n\r\n", ReadFileBytes(file)};
        });
        WriteBytes(published->server + L"proxy.pac", "function FindProxyForURL(url, host) { return \"PROXY " +
                                                         Utf8FromWide(proxy.Address()) + "\"; }\n");
        const ConfiguredProxy configured({c.manual, L"ftp=127.0.0.1:1;http=" + proxy.Address(), WideFromUtf8(c.bypass),
                                          c.script ? L"http://" + origin.Address() + L"/proxy.pac" : L""});

        BoxScript boxes;
        FixedConnection connection;
        UpdateDialog form;
        Prepare(form, connection, origin.Port(), L"", settingsKey + L"Schedule");
        form.Server = {host, origin.Port()};
        form.PrepareClient = [&](HttpClient& client) {
            client.Resolver = [&](const std::string& name, std::uint32_t& address) {
                address = 0x7F000001;
                return name == host;
            };
        };
        bool downloaded = false;
        form.OnShown = [&] {
            CheckForUpdates(form);
            if (form.Run().CurrentStep() == UpdateRun::Step::Result) Press(form, L"Weiter >");
            EXPECT_TRUE(TransferEnded(form));
            downloaded = form.Run().CurrentStep() == UpdateRun::Step::Download && form.Run().Shown().nextEnabled;
            PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        };
        form.ShowModal(nullptr);

        std::vector<std::string> asked = {"/Updates.ini", "/Updates.ini.sig", "/Updates/Pfeilbau.zip",
                                          "/Updates/Pfeilbau.zip.sig"}, whole;
        if (c.askCredentials) asked.resize(1);
        for (const std::string& path : asked) whole.push_back("http://" + host + ":" + std::to_string(origin.Port()) + path);
        const bool direct = std::string(c.bypass).find("ZEIGERWERK") != std::string::npos;
        EXPECT_EQ(proxy.Paths(), direct ? std::vector<std::string>{} : whole);
        std::vector<std::string> reached = origin.Paths();
        std::erase(reached, "/proxy.pac");
        EXPECT_EQ(reached, direct ? asked : std::vector<std::string>{});
        EXPECT_EQ(downloaded, !c.askCredentials);
        EXPECT_EQ(boxes.Texts(), c.askCredentials ? std::vector<std::wstring>{kProxyAuthenticationText}
                                                  : std::vector<std::wstring>{});
    }
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, settingsKey);
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, UpdateSettingsPath(settingsKey + L"Schedule"));
}

}  // namespace
