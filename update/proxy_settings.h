// The proxy of the Internet settings for the update's requests: the user's settings, or the
// machine's where policy says so, read once for a run; the manual proxy with its bypass list, or
// the system's automatic configuration asked through WinHTTP.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "update/proxy_rules.h"

struct SystemProxySettings {
    ProxySettings rules;
    std::wstring autoConfigUrl;  // AutoConfigURL
    bool autoDetect = false;     // "Automatically detect settings" of the default connection
};
SystemProxySettings ReadProxySettings();

// The proxy list the automatic configuration gives for a URL; empty when none answers.
using AutomaticProxyLookup =
    std::function<std::optional<std::string>(const std::string& url, const SystemProxySettings& settings)>;
// By WinHTTP, with bounded time-outs.
std::optional<std::string> WinHttpProxyList(const std::string& url, const SystemProxySettings& settings);

// The choice for each host of one run. The settings are read at the first request and the
// automatic configuration is asked once per host; it may be asked from several threads, and one
// whose lookup was given up on may still finish later.
class SystemProxy {
public:
    explicit SystemProxy(AutomaticProxyLookup lookup = WinHttpProxyList) : lookup_(std::move(lookup)) {}
    ProxyChoice For(const std::string& url, const std::string& host);

private:
    AutomaticProxyLookup lookup_;
    std::mutex mutex_;
    std::optional<SystemProxySettings> settings_;
    std::map<std::string, ProxyChoice> byHost_;
};
