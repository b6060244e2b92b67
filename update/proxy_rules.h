// How the update reaches its server through a proxy, as the user's Internet settings name it: the
// proxy for a scheme, the list of hosts reached directly, and the URL a proxy is asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ProxyAddress {
    std::string host;
    int port = 80;
};

// What one request does: connect directly, go through a proxy, or not go at all because the
// configured proxy is one this client cannot speak to (SOCKS, TLS, IPv6).
struct ProxyChoice {
    enum class Kind { Direct, Proxy, Refused } kind = Kind::Direct;
    ProxyAddress address;
};

// The choice for http from a proxy server setting: "host:port" for every scheme, or
// "http=host:port;https=…;socks=…" per scheme (blanks also separate, "http://" before a host is
// allowed, a missing port is 80). Direct when the setting names no proxy that http would use.
ProxyChoice ProxyForHttp(const std::string& setting);

// Whether `host` is reached without the proxy by a bypass list: entries separated by ';' (or
// blanks or commas), '*' standing for any run of characters, compared without regard to case;
// "<local>" stands for every host name without a dot.
bool BypassesProxy(const std::string& host, const std::string& bypassList);

// The system's automatic configuration answer for a URL: "DIRECT" or a list such as
// "host:port; host2:port" or "PROXY host:port; SOCKS s:1; DIRECT". The first entry this client can
// use; entries it cannot use are skipped, and a list of nothing but those is refused.
ProxyChoice FirstProxyOfList(const std::string& list);

// localhost, 127.0.0.0/8 written as an address, and ::1.
bool IsLoopbackHost(const std::string& host);

// The whole URL a proxy is asked for: "http://host[:port]path", the port only when it is not 80.
std::string AbsoluteUrl(const std::string& host, int port, const std::string& path);

// The proxy settings of the user's (or the machine's) Internet options.
struct ProxySettings {
    bool manual = false;      // ProxyEnable
    std::string server;       // ProxyServer
    std::string bypass;       // ProxyOverride
    bool automatic = false;   // a configuration script (AutoConfigURL) or automatic detection
};

// "Automatically detect settings" from the default connection's stored flags, whatever their length.
bool AutoDetectInConnectionSettings(const std::vector<std::uint8_t>& value);

// The choice for one http URL: loopback hosts are reached directly unless the bypass list says
// "<-loopback>", as the system's own Internet functions do; where the settings are automatic,
// `automaticAnswer` (the system's proxy list for the URL; empty when it has none) decides; else
// the manual proxy for http, unless the bypass list names the host.
ProxyChoice ChooseProxy(const ProxySettings& settings, const std::string& host,
                        const std::optional<std::string>& automaticAnswer);

// What the check says when the proxy asks for credentials (status 407), which the update cannot give.
inline constexpr const wchar_t* kProxyAuthenticationCaption = L"Anmeldung am Proxyserver erforderlich";
inline constexpr const wchar_t* kProxyAuthenticationText =
    L"Der Proxyserver verlangt eine Anmeldung, die die Update-Funktion nicht vornehmen kann. Bitte wenden Sie sich "
    L"an Ihren Netzwerkadministrator oder suchen Sie über eine andere Internetverbindung nach Updates.";
// What it says when the settings name a proxy it cannot use, or their configuration does not answer.
inline constexpr const wchar_t* kProxyUnusableCaption = L"Proxyserver nicht verwendbar";
inline constexpr const wchar_t* kProxyUnusableText =
    L"Die Interneteinstellungen nennen einen Proxyserver, den die Update-Funktion nicht verwenden kann, oder ihre "
    L"automatische Konfiguration antwortet nicht. Bitte wenden Sie sich an Ihren Netzwerkadministrator oder suchen "
    L"Sie über eine andere Internetverbindung nach Updates.";
