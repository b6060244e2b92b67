// The proxy of the user's Internet settings, read at every request, so that a change applies at
// once: the manual proxy with its bypass list, or the system's automatic configuration.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "update/proxy_rules.h"

inline constexpr const wchar_t* kInternetSettingsPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct SystemProxySettings {
    ProxySettings rules;
    std::wstring autoConfigUrl;  // AutoConfigURL
    bool autoDetect = false;     // "Automatically detect settings" of the default connection
};
SystemProxySettings ReadProxySettings(HKEY root = HKEY_CURRENT_USER, const std::wstring& path = kInternetSettingsPath);

// The system's proxy list for the URL by its automatic configuration (WinHTTP, from the system
// folder); empty when none answers.
std::optional<std::string> AutomaticProxyList(const std::string& url, const SystemProxySettings& settings);

// The proxy for an http URL of `host` by these settings; empty: connect directly.
std::optional<ProxyAddress> ProxyFromSettings(const SystemProxySettings& settings, const std::string& url,
                                              const std::string& host);
// The same by the user's settings as they are now.
std::optional<ProxyAddress> SystemProxyFor(const std::string& url, const std::string& host);
