#include <gtest/gtest.h>

#include "update/http_client.h"
#include "update/proxy_rules.h"

namespace {

std::string Text(const std::optional<ProxyAddress>& proxy) {
    return proxy ? proxy->host + ":" + std::to_string(proxy->port) : "direct";
}

TEST(ProxyRules, ServerSettingForTheScheme) {
    struct Case {
        const char* setting;
        const char* proxy;
    } const cases[] = {
        {"proxy.firma.de:3128", "proxy.firma.de:3128"},
        {"proxy.firma.de", "proxy.firma.de:80"},
        {"http://proxy.firma.de:8080/", "proxy.firma.de:8080"},
        {"ftp=f:21;http=h.firma.de:8080;https=s:443", "h.firma.de:8080"},
        {"HTTP=h:1 https=s:2", "h:1"},
        {"https=s:443;socks=k:1080", "direct"},
        {"https=s:443;alle:81", "alle:81"},
        {"", "direct"},
        {"http=", "direct"},
        {"h:0", "direct"},
        {"h:65536", "direct"},
        {"h:8o", "direct"},
        {"h\r\nX: y:80", "direct"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(ProxyForScheme(c.setting, "http")), c.proxy) << c.setting;
}

TEST(ProxyRules, BypassListWithWildcardsAndLocal) {
    struct Case {
        const char* host;
        const char* list;
        bool bypass;
    } const cases[] = {
        {"intranet", "<local>", true},
        {"update.zeigerwerk.example", "<local>", false},
        {"update.zeigerwerk.example", "*.zeigerwerk.example", true},
        {"zeigerwerk.example", "*.zeigerwerk.example", false},
        {"UPDATE.Zeigerwerk.EXAMPLE", "a.de; *.zeigerwerk.example", true},
        {"10.1.2.3", "192.168.*;10.*", true},
        {"110.1.2.3", "10.*", false},
        {"update.zeigerwerk.example", "update.*.example", true},
        {"update.zeigerwerk.example", "update.zeigerwerk.exampl", false},
        {"update.zeigerwerk.example", "*", true},
        {"update.zeigerwerk.example", "", false},
        {"a.de", "b.de,a.de", true},
    };
    for (const Case& c : cases) EXPECT_EQ(BypassesProxy(c.host, c.list), c.bypass) << c.host << " / " << c.list;
}

TEST(ProxyRules, TheChoiceForOneRequest) {
    const ProxySettings manual{true, "http=p:8080", "*.intern", false};
    const ProxySettings automatic{true, "p:8080", "", true};
    struct Case {
        const char* what;
        ProxySettings settings;
        const char* host;
        std::optional<std::string> answer;
        const char* proxy;
    } const cases[] = {
        {"manual", manual, "update.example", std::nullopt, "p:8080"},
        {"bypassed", manual, "a.intern", std::nullopt, "direct"},
        {"switched off", {false, "p:8080", "", false}, "update.example", std::nullopt, "direct"},
        {"loopback goes direct", manual, "127.0.0.1", std::nullopt, "direct"},
        {"unless the list says so", {true, "p:8080", "<-loopback>", false}, "localhost", std::nullopt, "p:8080"},
        {"automatic answer", automatic, "update.example", "PROXY auto:3128; DIRECT", "auto:3128"},
        {"automatic list", automatic, "update.example", "auto:1 ; auto2:2", "auto:1"},
        {"automatic direct", automatic, "update.example", "DIRECT", "direct"},
        {"kinds not spoken are passed over", automatic, "update.example", "SOCKS s:1; PROXY q:2", "q:2"},
        {"no automatic answer: the manual proxy", automatic, "update.example", std::nullopt, "p:8080"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(ChooseProxy(c.settings, c.host, c.answer)), c.proxy) << c.what;
}

TEST(ProxyRules, AProxyIsAskedForTheWholeUrl) {
    struct Case {
        const char* host;
        int port;
        const char* path;
        const char* line;
    } const cases[] = {
        {"update.example", 80, "/Updates.ini", "GET http://update.example/Updates.ini HTTP/1.0\r\n"},
        {"update.example", 8080, "/Updates/a.zip", "GET http://update.example:8080/Updates/a.zip HTTP/1.0\r\n"},
    };
    for (const Case& c : cases) {
        const std::string request = BuildGetRequest(c.path, c.host, "", AbsoluteUrl(c.host, c.port, c.path));
        EXPECT_EQ(request.rfind(c.line, 0), 0u) << request;
        EXPECT_NE(request.find(std::string("\r\nHost: ") + c.host + "\r\n"), std::string::npos);
        EXPECT_EQ(request.find("Keep-Alive"), std::string::npos) << "the body ends when the proxy closes";
    }
    EXPECT_EQ(BuildGetRequest("/a", "h", "", "").rfind("GET /a HTTP/1.0\r\nHost: h\r\n", 0), 0u);
}

}  // namespace
