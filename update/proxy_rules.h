// How the update reaches its server through a proxy, as the user's Internet settings name it: the
// proxy for a scheme, the list of hosts reached directly, and the URL a proxy is asked for.
#pragma once

#include <optional>
#include <string>

struct ProxyAddress {
    std::string host;
    int port = 80;
};

// The proxy for `scheme` ("http") from a proxy server setting: "host:port" for every scheme, or
// "http=host:port;https=…" per scheme (blanks also separate, "http://" before a host is allowed,
// a missing port is 80). Empty when the setting names none for the scheme or none that is usable.
std::optional<ProxyAddress> ProxyForScheme(const std::string& setting, const std::string& scheme);

// Whether `host` is reached without the proxy by a bypass list: entries separated by ';' (or
// blanks or commas), '*' standing for any run of characters, compared without regard to case;
// "<local>" stands for every host name without a dot.
bool BypassesProxy(const std::string& host, const std::string& bypassList);

// The proxy answer of the system's automatic configuration for a URL: "DIRECT" or a list such as
// "host:port; host2:port" or "PROXY host:port; DIRECT". The first proxy; empty for DIRECT.
std::optional<ProxyAddress> FirstProxyOfList(const std::string& list);

// The whole URL a proxy is asked for: "http://host[:port]path", the port only when it is not 80.
std::string AbsoluteUrl(const std::string& host, int port, const std::string& path);

// The proxy settings of the user's Internet options.
struct ProxySettings {
    bool manual = false;      // ProxyEnable
    std::string server;       // ProxyServer
    std::string bypass;       // ProxyOverride
    bool automatic = false;   // a configuration script (AutoConfigURL) or automatic detection
};

// The proxy for one http URL: where the settings are automatic, `automaticAnswer` (the system's
// proxy list for the URL; empty when it has none) decides; else the manual proxy for http, unless
// the bypass list names the host. Loopback hosts are reached directly unless the list says
// "<-loopback>", as the system's own Internet functions do.
std::optional<ProxyAddress> ChooseProxy(const ProxySettings& settings, const std::string& host,
                                        const std::optional<std::string>& automaticAnswer);

// What the check says when the proxy asks for credentials (status 407), which the update cannot give.
inline constexpr const wchar_t* kProxyAuthenticationCaption = L"Anmeldung am Proxyserver erforderlich";
inline constexpr const wchar_t* kProxyAuthenticationText =
    L"Der Proxyserver verlangt eine Anmeldung, die die Update-Funktion nicht vornehmen kann. Bitte wenden Sie sich "
    L"an Ihren Netzwerkadministrator oder suchen Sie über eine andere Internetverbindung nach Updates.";
