// What stands in an update's way: a program file still in use or a folder named like the copy,
// with the maker's batch run by the command interpreter; and a proxy named by the Internet settings.
#include <windows.h>

#include "platform/files.h"
#include "platform/handles.h"
#include "tests/windows/support/update_fixture.h"
#include "update/install_mark.h"
#include "update/run_folder.h"
#include "update/update_dialog.h"
#include "update/zip_extract.h"

using namespace update_test;

namespace {
std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

const std::string kNewProgram = "MZ neues Programm", kOldProgram = "MZ altes Programm";
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
        published->folder.MakeFile(L"build\\zeigerwerk.exe", kNewProgram);
        published->folder.MakeFile(L"build\\Pfeilbau.hlp", "Hilfe, neu");
        published->server = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(published->folder / L"build\\zeigerwerk.exe") + L"' --out '" +
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

TEST_F(UpdateObstaclesTest, TheBatchWaitsForAFileInUseAndTellsWhenItGaveUp) {
    const struct {
        const char* what;
        int holdMs;  // the program file held open: 0 not at all, -1 until the batch has ended
        int waitSeconds;
        bool folderInTheWay;   // a folder named zeigerwerk.exe.neu
        const char* markName;  // what the next start reports; null: nothing
    } cases[] = {
        {"nothing in the way", 0, 60, false, nullptr},
        {"held 15 s, then released", 15000, 60, false, nullptr},
        {"held past the bound", -1, 2, false, "zeigerwerk.exe"},
        {"a folder named like the copy", 0, 60, true, "zeigerwerk.exe.neu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        const std::wstring run = MakeRunFolder(temp.Path()), install = temp.MakeFolder(L"Programm");
        const std::wstring program = temp.MakeFile(L"Programm\\zeigerwerk.exe", kOldProgram);
        temp.MakeFile(L"Programm\\Pfeilbau.hlp", "Hilfe, alt");
        temp.MakeFile(WideFromUtf8(kInstallMarkName), "Pfeilbau.hlp\r\n");  // goes with a replacement that works
        if (c.folderInTheWay) temp.MakeFolder(L"Programm\\zeigerwerk.exe.neu");
        ZipArchive zip;
        zip.Unattended = true;
        zip.SetZipFileName(published->server + L"Updates\\Pfeilbau.zip");
        zip.ExtrBaseDir = run;
        ASSERT_EQ(zip.Extract(), 4);
        // Filled in as the program does, and started as it starts it, with its process kept.
        const std::wstring batch = run + L"Update.bat";
        WriteBytes(batch, JoinLines(BuildUpdateBatch(SplitLines(ReadFileBytes(batch)), Utf8FromWide(install),
                                                     Utf8FromWide(run), std::nullopt, {c.waitSeconds, ""})));
        FileHandle held(c.holdMs == 0 ? nullptr
                                      : NullIfInvalid(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                                  nullptr, OPEN_EXISTING, 0, nullptr)));
        std::wstring commandLine = L"cmd.exe /c " + run.substr(temp.Path().size()) + L"Update.bat";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   temp.Path().c_str(), &startup, &process));
        CloseHandle(process.hThread);
        const FileHandle interpreter(process.hProcess);
        if (c.holdMs > 0) {
            EXPECT_EQ(WaitForSingleObject(interpreter.Get(), static_cast<DWORD>(c.holdMs)), DWORD{WAIT_TIMEOUT}) << "it waits";
            held.Reset();
        }
        ASSERT_EQ(WaitForSingleObject(interpreter.Get(), 120000), DWORD{WAIT_OBJECT_0});
        held.Reset();

        EXPECT_EQ(ReadFileBytes(program), c.markName ? kOldProgram : kNewProgram);
        EXPECT_EQ(ReadFileBytes(install + L"Pfeilbau.hlp"), c.markName ? "Hilfe, alt" : "Hilfe, neu");
        for (const wchar_t* copy : {L"zeigerwerk.exe.neu", L"Pfeilbau.hlp.neu", L"zeigerwerk.exe.neu\\zeigerwerk.exe"})
            EXPECT_FALSE(FileExists(install + copy)) << Utf8FromWide(copy);
        EXPECT_EQ(DirectoryExists(install + L"zeigerwerk.exe.neu"), c.folderInTheWay);
        EXPECT_TRUE(WaitFor([&] { return !DirectoryExists(run); })) << "the run folder goes whole";

        BoxScript boxes;
        EXPECT_EQ(ReportFailedInstall(nullptr, L"Zeigerwerk", temp.Path()), c.markName != nullptr);
        if (c.markName) {
            EXPECT_EQ(boxes.Texts().at(0), L"Das Update konnte nicht installiert werden, weil " + WideFromUtf8(c.markName) +
                                               L" noch verwendet wurde. Die bisherige Version bleibt erhalten.");
        }
        EXPECT_FALSE(FileExists(InstallMarkPath(temp.Path()))) << "a mark is told once";
    }
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
        form.Files.programName = L"Zeigerwerk";
        form.Files.programDate = Date(2003, 4, 3);
        form.Files.registryKey = settingsKey + L"Schedule";
        form.Files.hkcu = true;
        form.Files.key = published->key.publicKey;
        form.ArchiveFile = L"Pfeilbau.zip";
        form.Connection = &connection;
        form.OnTerminate = [] {};
        form.Server = {host, origin.Port()};
        form.PrepareClient = [&](HttpClient& client) {
            client.Resolver = [&](const std::string& name, std::uint32_t& address) {
                address = 0x7F000001;
                return name == host;
            };
        };
        bool downloaded = false;
        const auto press = [&](const wchar_t* text) {
            for (HWND child = GetWindow(form.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if (IsWindowVisible(child) && WindowText(child) == text) SendMessageW(child, BM_CLICK, 0, 0);
        };
        const auto transferEnded = [&] { return WaitFor([&] { return !form.Run().Checking() && !form.Run().Downloading(); }); };
        form.OnShown = [&] {
            press(L"Weiter >");
            press(L"Jetzt auf neue Updates prüfen");
            EXPECT_TRUE(transferEnded());
            if (form.Run().CurrentStep() == UpdateRun::Step::Result) press(L"Weiter >");
            EXPECT_TRUE(transferEnded());
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
