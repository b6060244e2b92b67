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

}  // namespace

SystemProxySettings ReadProxySettings(HKEY root, const std::wstring& path) {
    SystemProxySettings settings;
    const auto key = RegistryKey::Open(root, path);
    if (!key) return settings;
    settings.rules.manual = key->GetInteger(L"ProxyEnable").value_or(0) != 0;
    settings.rules.server = Narrow(key->GetString(L"ProxyServer"));
    settings.rules.bypass = Narrow(key->GetString(L"ProxyOverride"));
    settings.autoConfigUrl = key->GetString(L"AutoConfigURL").value_or(L"");
    // The options dialog keeps "automatically detect" only in the default connection's flags.
    if (const auto connections = RegistryKey::Open(root, path + L"\\Connections")) {
        BYTE data[512] = {};
        DWORD size = sizeof data, type = 0;
        if (RegQueryValueExW(connections->Get(), L"DefaultConnectionSettings", nullptr, &type, data, &size) ==
                ERROR_SUCCESS &&
            type == REG_BINARY && size > 8)
            settings.autoDetect = (data[8] & 0x08) != 0;
    }
    settings.rules.automatic = settings.autoDetect || !settings.autoConfigUrl.empty();
    return settings;
}

std::optional<std::string> AutomaticProxyList(const std::string& url, const SystemProxySettings& settings) {
    using Open = HINTERNET(WINAPI*)(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD);
    using GetProxy = BOOL(WINAPI*)(HINTERNET, LPCWSTR, WINHTTP_AUTOPROXY_OPTIONS*, WINHTTP_PROXY_INFO*);
    using Close = BOOL(WINAPI*)(HINTERNET);
    static const auto open = SystemFunction<Open>(L"winhttp.dll", "WinHttpOpen");
    static const auto getProxy = SystemFunction<GetProxy>(L"winhttp.dll", "WinHttpGetProxyForUrl");
    static const auto close = SystemFunction<Close>(L"winhttp.dll", "WinHttpCloseHandle");
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

std::optional<ProxyAddress> SystemProxyFor(const std::string& url, const std::string& host) {
    return ProxyFromSettings(ReadProxySettings(), url, host);
}

std::optional<ProxyAddress> ProxyFromSettings(const SystemProxySettings& settings, const std::string& url,
                                              const std::string& host) {
    std::optional<std::string> automatic;
    if (settings.rules.automatic) automatic = AutomaticProxyList(url, settings);
    return ChooseProxy(settings.rules, host, automatic);
}
