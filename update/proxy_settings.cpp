#include "update/proxy_settings.h"

#include <winhttp.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/registry.h"
#include "platform/system_library.h"
#include "platform/utf.h"

namespace {

std::string Narrow(const std::optional<std::wstring>& text) {
    std::string out;
    if (text)
        for (wchar_t c : *text) out += c < 0x80 ? static_cast<char>(c) : '?';  // host names are ASCII
    return out;
}

const wchar_t* const kInternetSettingsPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Policy may make the proxy one setting for the whole machine.
HKEY SettingsRoot() {
    const auto policy =
        RegistryKey::Open(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    const bool perUser = !policy || policy->GetInteger(L"ProxySettingsPerUser").value_or(1) != 0;
    return perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace

SystemProxySettings ReadProxySettings() {
    SystemProxySettings settings;
    const HKEY root = SettingsRoot();
    const auto key = RegistryKey::Open(root, kInternetSettingsPath);
    if (!key) return settings;
    settings.rules.manual = key->GetInteger(L"ProxyEnable").value_or(0) != 0;
    settings.rules.server = Narrow(key->GetString(L"ProxyServer"));
    settings.rules.bypass = Narrow(key->GetString(L"ProxyOverride"));
    settings.autoConfigUrl = key->GetString(L"AutoConfigURL").value_or(L"");
    // The options dialog keeps "automatically detect" only in the default connection's flags,
    // which grow with the bypass list.
    if (const auto connections = RegistryKey::Open(root, std::wstring(kInternetSettingsPath) + L"\\Connections")) {
        DWORD size = 0, type = 0;
        if (RegQueryValueExW(connections->Get(), L"DefaultConnectionSettings", nullptr, &type, nullptr, &size) ==
                ERROR_SUCCESS &&
            type == REG_BINARY) {
            std::vector<std::uint8_t> data(size);
            if (RegQueryValueExW(connections->Get(), L"DefaultConnectionSettings", nullptr, &type, data.data(), &size) ==
                ERROR_SUCCESS) {
                data.resize(size);
                settings.autoDetect = AutoDetectInConnectionSettings(data);
            }
        }
    }
    settings.rules.automatic = settings.autoDetect || !settings.autoConfigUrl.empty();
    return settings;
}

std::optional<std::string> WinHttpProxyList(const std::string& url, const SystemProxySettings& settings) {
    using Open = HINTERNET(WINAPI*)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
    using GetProxy = BOOL(WINAPI*)(HINTERNET, LPCWSTR, WINHTTP_AUTOPROXY_OPTIONS*, WINHTTP_PROXY_INFO*);
    using Close = BOOL(WINAPI*)(HINTERNET);
    using SetTimeouts = BOOL(WINAPI*)(HINTERNET, int, int, int, int);
    static const auto open = SystemFunction<Open>(L"winhttp.dll", "WinHttpOpen");
    static const auto getProxy = SystemFunction<GetProxy>(L"winhttp.dll", "WinHttpGetProxyForUrl");
    static const auto close = SystemFunction<Close>(L"winhttp.dll", "WinHttpCloseHandle");
    static const auto setTimeouts = SystemFunction<SetTimeouts>(L"winhttp.dll", "WinHttpSetTimeouts");
    // A network without automatic detection, or a script that cannot be fetched, answers only after
    // a long wait; each is asked once in a process.
    static std::atomic<bool> detectionFound{true};
    static std::mutex failedGuard;
    static std::wstring failedScript;
    if (!open || !getProxy || !close) return std::nullopt;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    bool scriptFailed = false;
    {
        const std::lock_guard<std::mutex> lock(failedGuard);
        scriptFailed = !settings.autoConfigUrl.empty() && failedScript == settings.autoConfigUrl;
    }
    if (!settings.autoConfigUrl.empty() && !scriptFailed) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = settings.autoConfigUrl.c_str();
    } else if (settings.autoDetect && detectionFound) {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    } else {
        return std::nullopt;
    }
    options.fAutoLogonIfChallenged = TRUE;
    const std::unique_ptr<void, Close> session(open(L"Zeigerwerk", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0),
                                               close);
    if (!session) return std::nullopt;
    // A script host that accepts and never answers is given up on well before the defaults would.
    if (setTimeouts) setTimeouts(session.get(), 5000, 5000, 5000, 5000);
    WINHTTP_PROXY_INFO info{};
    const std::wstring wideUrl = WideFromUtf8(url);
    std::optional<std::string> answer;
    if (getProxy(session.get(), wideUrl.c_str(), &options, &info)) {
        answer = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy
                     ? Narrow(std::wstring(info.lpszProxy))
                     : std::string("DIRECT");
    } else if (options.dwFlags == WINHTTP_AUTOPROXY_AUTO_DETECT) {
        detectionFound = false;
    } else {
        const std::lock_guard<std::mutex> lock(failedGuard);
        failedScript = settings.autoConfigUrl;
    }
    if (info.lpszProxy) GlobalFree(info.lpszProxy);
    if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
    return answer;
}

ProxyChoice SystemProxy::For(const std::string& url, const std::string& host) {
    SystemProxySettings settings;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (const auto known = byHost_.find(host); known != byHost_.end()) return known->second;
        if (!settings_) settings_ = ReadProxySettings();
        settings = *settings_;
    }
    std::optional<std::string> automatic;
    if (settings.rules.automatic && !IsLoopbackHost(host) && lookup_) automatic = lookup_(url, settings);
    const ProxyChoice choice = ChooseProxy(settings.rules, host, automatic);
    const std::lock_guard<std::mutex> lock(mutex_);
    byHost_.emplace(host, choice);
    return choice;
}
