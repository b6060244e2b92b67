#include <gtest/gtest.h>

#include "update/proxy_rules.h"

namespace {

std::string Text(const std::optional<ProxyAddress>& proxy) {
    return proxy ? proxy->host + ":" + std::to_string(proxy->port) : "direct";
}

TEST(ProxyRules, ServerSettingForHttp) {
    const std::pair<const char*, const char*> cases[] = {
        {"proxy.firma.de:3128", "proxy.firma.de:3128"}, {"proxy.firma.de", "proxy.firma.de:80"},
        {"http://p.de:8080/", "p.de:8080"}, {"ftp=f:21;http=h.de:8080;https=s:443", "h.de:8080"},
        {"HTTP=h:1 https=s:2", "h:1"}, {"https=s:443;socks=k:1080", "direct"}, {"https=s:443;alle:81", "alle:81"},
        {"", "direct"}, {"http=", "direct"}, {"h:0", "direct"}, {"h:65536", "direct"}, {"h\r\nX:80", "direct"},
    };
    for (const auto& [setting, proxy] : cases) EXPECT_EQ(Text(ProxyForScheme(setting, "http")), proxy) << setting;
}

TEST(ProxyRules, BypassListWithWildcardsAndLocal) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"intranet", "<local>", true}, {"a.example", "<local>", false}, {"a.zw.example", "*.zw.example", true},
        {"zw.example", "*.zw.example", false}, {"A.Zw.EXAMPLE", "b.de; *.zw.example", true}, {"10.1.2.3", "192.*;10.*", true},
        {"110.1.2.3", "10.*", false}, {"a.zw.example", "a.*.example", true}, {"a.zw.example", "a.zw.exampl", false},
        {"a.de", "b.de,a.de", true}, {"a.de", "", false},
    };
    for (const auto& [host, list, bypass] : cases) EXPECT_EQ(BypassesProxy(host, list), bypass) << host << " / " << list;
}

TEST(ProxyRules, TheChoiceForOneRequest) {
    const ProxySettings manual{true, "http=p:8080", "*.intern", false}, automatic{true, "p:8080", "", true};
    const std::tuple<ProxySettings, const char*, std::optional<std::string>, const char*> cases[] = {
        {manual, "update.example", std::nullopt, "p:8080"}, {manual, "a.intern", std::nullopt, "direct"},
        {{false, "p:8080", "", false}, "update.example", std::nullopt, "direct"},
        {manual, "127.0.0.1", std::nullopt, "direct"}, {{true, "p:80", "<-loopback>", false}, "localhost", std::nullopt, "p:80"},
        {automatic, "u.example", "PROXY auto:3128; DIRECT", "auto:3128"}, {automatic, "u.example", "a:1 ; b:2", "a:1"},
        {automatic, "u.example", "DIRECT", "direct"}, {automatic, "u.example", "SOCKS s:1; PROXY q:2", "q:2"},
        {automatic, "u.example", std::nullopt, "p:8080"},
    };
    for (const auto& [settings, host, answer, proxy] : cases)
        EXPECT_EQ(Text(ChooseProxy(settings, host, answer)), proxy) << host << " " << answer.value_or("-");
}

}  // namespace
