#include <gtest/gtest.h>

#include "update/proxy_rules.h"

namespace {

std::string Text(const ProxyChoice& choice) {
    switch (choice.kind) {
        case ProxyChoice::Kind::Direct: return "direct";
        case ProxyChoice::Kind::Refused: return "refused";
        case ProxyChoice::Kind::Proxy: break;
    }
    return choice.address.host + ":" + std::to_string(choice.address.port);
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

// The settings and the automatic configuration's answer decide each request: a proxy, a direct
// connection, or a refusal where only proxies this client cannot speak to are named.
TEST(ProxyRules, SettingsAndAutomaticAnswersChooseTheProxyOrRefuse) {
    const auto manual = [](const char* server, const char* bypass = "") { return ProxySettings{true, server, bypass, false}; };
    const ProxySettings automatic{true, "p:8080", "", true}, off{false, "p:8080", "", false};
    const std::tuple<ProxySettings, const char*, std::optional<std::string>, const char*> cases[] = {
        {manual("proxy.firma.de:3128"), "u.example", std::nullopt, "proxy.firma.de:3128"},
        {manual("proxy.firma.de"), "u.example", std::nullopt, "proxy.firma.de:80"},
        {manual("http://p.de:8080/"), "u.example", std::nullopt, "p.de:8080"},
        {manual("ftp=f:21;http=h.de:8080;https=s:443"), "u.example", std::nullopt, "h.de:8080"},
        {manual("HTTP=h:1 https=s:2"), "u.example", std::nullopt, "h:1"},
        {manual("https=s:443;alle:81"), "u.example", std::nullopt, "alle:81"},
        {manual("https=s:443"), "u.example", std::nullopt, "direct"},
        {manual(""), "u.example", std::nullopt, "direct"},
        {manual("https=s:443;socks=k:1080"), "u.example", std::nullopt, "refused"},
        {manual("http=https://p:443"), "u.example", std::nullopt, "refused"},
        {manual("http=[::1]:8080"), "u.example", std::nullopt, "refused"},
        {manual("h:0"), "u.example", std::nullopt, "refused"},
        {manual("h\r\nX:80"), "u.example", std::nullopt, "refused"},
        {manual("http=p:8080", "*.intern"), "a.intern", std::nullopt, "direct"},
        {off, "u.example", std::nullopt, "direct"},
        {manual("p:80"), "127.0.0.1", std::nullopt, "direct"},
        {manual("p:80"), "127.200.3.4", std::nullopt, "direct"},
        {manual("p:80"), "::1", std::nullopt, "direct"},
        {manual("p:80"), "LocalHost", std::nullopt, "direct"},
        {manual("p:80"), "127.attacker.example", std::nullopt, "p:80"},
        {manual("p:80"), "127.0.0.1.example", std::nullopt, "p:80"},
        {manual("p:80", "<-loopback>"), "localhost", std::nullopt, "p:80"},
        {automatic, "u.example", "PROXY auto:3128; DIRECT", "auto:3128"},
        {automatic, "u.example", "a:1 ; b:2", "a:1"},
        {automatic, "u.example", "DIRECT", "direct"},
        {automatic, "u.example", "SOCKS s:1; PROXY q:2", "q:2"},
        {automatic, "u.example", "socks=s:1;p:8080", "p:8080"},
        {automatic, "u.example", "PROXY [2001:db8::1]:80; PROXY v4:81", "v4:81"},
        {automatic, "u.example", "HTTPS s:443; DIRECT", "direct"},
        {automatic, "u.example", "SOCKS5 s:1080; HTTPS s:443", "refused"},
        {automatic, "u.example", "https=s:443", "refused"},
        {automatic, "u.example", std::nullopt, "p:8080"},
        {automatic, "127.0.0.1", "PROXY a:1", "direct"},
    };
    for (const auto& [settings, host, answer, proxy] : cases)
        EXPECT_EQ(Text(ChooseProxy(settings, host, answer)), proxy)
            << settings.server << " / " << host << " / " << answer.value_or("-");
}

TEST(ProxyRules, AutomaticDetectionIsReadWhateverTheLengthOfTheStoredFlags) {
    std::vector<std::uint8_t> flags(8 + 1, 0);
    flags[8] = 0x09;
    for (std::size_t size : {9u, 160u, 666u, 4096u}) {
        flags.resize(size, 'x');
        EXPECT_TRUE(AutoDetectInConnectionSettings(flags)) << size;
    }
    flags[8] = 0x03;
    EXPECT_FALSE(AutoDetectInConnectionSettings(flags));
    EXPECT_FALSE(AutoDetectInConnectionSettings({1, 2, 3}));
}

}  // namespace
