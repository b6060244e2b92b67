// The update behind a proxy: the dialog's check and download go through a loopback proxy that
// records what it is asked, as the Internet settings (read from the registry) name it.
#include <windows.h>

#include "platform/files.h"
#include "tests/windows/support/update_fixture.h"
#include "update/proxy_settings.h"

using namespace update_test;

namespace {

const std::string kHost = "update.zeigerwerk.example";

struct Published {
    TempFolder folder;
    KeyPair key;
    std::wstring server;
};
Published* published = nullptr;

// A proxy that fetches nothing itself: it serves the maker's folder for every whole URL it is
// asked, or asks for credentials.
class LoopbackProxy {
public:
    explicit LoopbackProxy(bool askCredentials)
        : server_([this, askCredentials](const std::string& request, int) { return Answer(request, askCredentials); }) {}
    int Port() const { return server_.Port(); }
    std::vector<std::string> Targets() {
        std::vector<std::string> targets;
        for (const std::string& request : server_.Requests()) targets.push_back(Target(request));
        return targets;
    }

private:
    static std::string Target(const std::string& request) {
        const std::size_t start = request.find(' ') + 1;
        return request.substr(start, request.find(' ', start) - start);
    }
    static TScriptedResponse Answer(const std::string& request, bool askCredentials) {
        if (askCredentials)
            return {"HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"Firma\"\r\n\r\n",
                    "<html>407</html>"};
        std::string target = Target(request);
        const std::size_t path = target.find('/', target.find("//") + 2);
        std::wstring file = published->server;
        for (char c : target.substr(path + 1)) file += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        if (target.rfind("http://", 0) != 0 || !FileExists(file)) return {"HTTP/1.0 404 Not Found\r\n\r\n", ""};
        const std::string body = ReadFileBytes(file);
        return {"HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n", body};
    }
    TTestHttpServer server_;
};

struct Case {
    const char* what;
    bool manual;
    const char* bypass;
    bool script;  // an automatic configuration script names the proxy
    bool askCredentials;
    bool viaProxy;
};

class UpdateProxyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        published = new Published;
        published->key = MakeKeyPair(published->folder, L"maker");
        const std::wstring build = published->folder.MakeFolder(L"build");
        published->folder.MakeFile(L"build\\zeigerwerk.exe", "MZ neues Programm");
        published->server = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(published->key.privateKey) + L"' --program '" +
                             Unix(build + L"zeigerwerk.exe") + L"' --out '" + Unix(published->server) +
                             L"' --date 05.06.2003"),
                  0);
    }
    static void TearDownTestSuite() {
        delete published;
        published = nullptr;
    }
    ~UpdateProxyTest() override {
        for (const std::wstring& key : {settingsKey, registryKey}) RegistryKey::DeleteTree(HKEY_CURRENT_USER, key);
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
    }

    std::wstring settingsKey = L"Software\\DZ\\ZwProxyTest" + std::to_wstring(GetCurrentProcessId());
    std::wstring registryKey = L"ZwProxyTestUpdate" + std::to_wstring(GetCurrentProcessId());
    TempFolder temp;
};

TEST_F(UpdateProxyTest, CheckAndDownloadGoThroughTheProxyTheSettingsName) {
    const Case cases[] = {
        {"manual proxy for http", true, "<local>;intranet", false, false, true},
        {"host in the bypass list", true, "intranet;*.ZEIGERWERK.example", false, false, false},
        {"configuration script", false, "", true, false, true},
        {"proxy asks for credentials", true, "", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FolderServer origin(published->server);
        LoopbackProxy proxy(c.askCredentials);
        const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
        RegistryKey::DeleteTree(HKEY_CURRENT_USER, settingsKey);
        RegistryKey settings = RegistryKey::Create(HKEY_CURRENT_USER, settingsKey);
        settings.SetInteger(L"ProxyEnable", c.manual ? 1 : 0);
        settings.SetString(L"ProxyServer", WideFromUtf8("ftp=127.0.0.1:1;http=" + proxyAddress));
        settings.SetString(L"ProxyOverride", WideFromUtf8(c.bypass));
        if (c.script) {
            WriteBytes(published->server + L"proxy.pac",
                       "function FindProxyForURL(url, host) { return \"PROXY " + proxyAddress + "\"; }\n");
            settings.SetString(L"AutoConfigURL", L"http://127.0.0.1:" + std::to_wstring(origin.Port()) + L"/proxy.pac");
        }

        BoxScript boxes;
        FixedClock clock{Date(2026, 12, 8) + 0.5};
        FixedConnection connection;
        RecordingLauncher launcher;
        TStatusForm form;
        form.ProgramName = L"Zeigerwerk";
        form.ZIPFileName = L"Pfeilbau.zip";
        form.RegistryKey = registryKey;
        form.ProgramDate = Date(2003, 4, 3);
        form.ProgramFile = temp.MakeFile(L"zeigerwerk.exe", "MZ altes Programm");
        form.Key = published->key.publicKey;
        form.Clock = &clock;
        form.Connection = &connection;
        form.Launcher = &launcher;
        form.Server = {kHost, origin.Port()};
        bool downloaded = false;
        form.OnShown = [&] {
            form.HTTP.Resolver = [](const std::string& host, std::uint32_t& address) {
                address = 0x7F000001;
                return host == kHost;
            };
            form.HTTP.ProxyFor = [&](const std::string& url, const std::string& host) {
                return ProxyFromSettings(ReadProxySettings(HKEY_CURRENT_USER, settingsKey), url, host);
            };
            form.Button_NextClick();
            form.Button_CheckClick();
            if (form.StepIndex() == 2) {
                form.Button_NextClick();
                downloaded = form.Button_Next.Enabled();
            }
            form.Button_CancelClick();
        };
        form.ShowModal(nullptr);

        const std::string base = "http://" + kHost + ":" + std::to_string(origin.Port());
        const std::vector<std::string> asked = {"/Updates.ini", "/Updates.ini.sig", "/Updates/Pfeilbau.zip",
                                                "/Updates/Pfeilbau.zip.sig"};
        if (c.askCredentials) {
            EXPECT_FALSE(downloaded);
            EXPECT_EQ(proxy.Targets(), std::vector<std::string>{base + "/Updates.ini"});
            EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{kProxyAuthenticationText});
            continue;
        }
        EXPECT_TRUE(downloaded);
        EXPECT_TRUE(boxes.Texts().empty());
        std::vector<std::string> whole;
        for (const std::string& path : asked) whole.push_back(base + path);
        EXPECT_EQ(proxy.Targets(), c.viaProxy ? whole : std::vector<std::string>{});
        std::vector<std::string> direct = origin.Paths();
        std::erase(direct, "/proxy.pac");
        EXPECT_EQ(direct, c.viaProxy ? std::vector<std::string>{} : asked);
    }
}

}  // namespace
