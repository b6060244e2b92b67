#include "update/proxy_rules.h"

#include <vector>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string text) {
    for (char& c : text) c = Lower(c);
    return text;
}

std::vector<std::string> Split(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (separators.find(c) != std::string::npos) {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

// "host", "host:port" or "http://host:port/" as a proxy address; empty for an address this
// client cannot reach a proxy at (another scheme, an IPv6 literal, a malformed port).
std::optional<ProxyAddress> ParseAddress(std::string text) {
    if (const std::size_t scheme = text.find("://"); scheme != std::string::npos) {
        if (Lower(text.substr(0, scheme)) != "http") return std::nullopt;
        text.erase(0, scheme + 3);
    }
    if (const std::size_t slash = text.find('/'); slash != std::string::npos) text.erase(slash);
    ProxyAddress address;
    if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
        const std::string port = text.substr(colon + 1);
        if (port.empty() || port.size() > 5) return std::nullopt;
        int value = 0;
        for (char c : port) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (value < 1 || value > 65535) return std::nullopt;
        address.port = value;
        text.erase(colon);
    }
    if (text.empty() || text.size() > 253) return std::nullopt;
    for (char c : text) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                             c == '-' || c == '_';
        if (!allowed) return std::nullopt;
    }
    address.host = text;
    return address;
}

ProxyChoice Through(const std::optional<ProxyAddress>& address) {
    if (!address) return {ProxyChoice::Kind::Refused, {}};
    return {ProxyChoice::Kind::Proxy, *address};
}

bool WildcardMatch(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && Lower(pattern[p]) == Lower(text[t])) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

ProxyChoice ProxyForHttp(const std::string& setting) {
    std::optional<std::string> http, any;
    bool socks = false;
    for (const std::string& entry : Split(setting, "; \t")) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            if (!any) any = entry;
            continue;
        }
        const std::string scheme = Lower(entry.substr(0, equals));
        if (scheme == "http" && !http) http = entry.substr(equals + 1);
        socks = socks || scheme == "socks";
    }
    if (http && !http->empty()) return Through(ParseAddress(*http));
    if (any) return Through(ParseAddress(*any));
    // Without a proxy of its own, http would go through the SOCKS proxy, which is not spoken here.
    if (socks) return {ProxyChoice::Kind::Refused, {}};
    return {};
}

bool BypassesProxy(const std::string& host, const std::string& bypassList) {
    for (const std::string& entry : Split(bypassList, "; \t\r\n,")) {
        if (Lower(entry) == "<local>") {
            if (host.find('.') == std::string::npos) return true;
        } else if (WildcardMatch(entry, host)) {
            return true;
        }
    }
    return false;
}

ProxyChoice FirstProxyOfList(const std::string& list) {
    bool any = false;
    for (const std::string& entry : Split(list, ";")) {
        std::vector<std::string> words = Split(entry, " \t");
        if (words.empty()) continue;
        any = true;
        const std::string kind = Lower(words[0]);
        if (kind == "direct") return {};
        std::optional<ProxyAddress> address;
        if (words.size() == 1) {
            // WinHTTP's form: "[scheme=][http://]host[:port]".
            std::string text = words[0];
            if (const std::size_t equals = text.find('='); equals != std::string::npos) {
                if (Lower(text.substr(0, equals)) != "http") continue;
                text.erase(0, equals + 1);
            }
            address = ParseAddress(text);
        } else if (kind == "proxy" || kind == "http") {
            address = ParseAddress(words[1]);
        }
        if (address) return {ProxyChoice::Kind::Proxy, *address};
    }
    return any ? ProxyChoice{ProxyChoice::Kind::Refused, {}} : ProxyChoice{};
}

bool IsLoopbackHost(const std::string& host) {
    const std::string lower = Lower(host);
    if (lower == "localhost" || lower == "::1" || lower == "[::1]") return true;
    // Only an address: a name such as "127.example" is a host like any other.
    int parts = 0, value = -1;
    std::string first;
    for (std::size_t i = 0; i <= lower.size(); ++i) {
        if (i == lower.size() || lower[i] == '.') {
            if (value < 0 || value > 255) return false;
            if (parts++ == 0) first = std::to_string(value);
            value = -1;
        } else if (lower[i] >= '0' && lower[i] <= '9' && value < 1000) {
            value = (value < 0 ? 0 : value * 10) + (lower[i] - '0');
        } else {
            return false;
        }
    }
    return parts == 4 && first == "127";
}

bool AutoDetectInConnectionSettings(const std::vector<std::uint8_t>& value) {
    return value.size() > 8 && (value[8] & 0x08) != 0;
}

std::string AbsoluteUrl(const std::string& host, int port, const std::string& path) {
    std::string url = "http://" + host;
    if (port != 80) {
        url += ':';
        url += std::to_string(port);
    }
    url += path;
    return url;
}

ProxyChoice ChooseProxy(const ProxySettings& settings, const std::string& host,
                        const std::optional<std::string>& automaticAnswer) {
    if (IsLoopbackHost(host) && Lower(settings.bypass).find("<-loopback>") == std::string::npos) return {};
    if (settings.automatic && automaticAnswer) return FirstProxyOfList(*automaticAnswer);
    if (!settings.manual) return {};
    if (BypassesProxy(host, settings.bypass)) return {};
    return ProxyForHttp(settings.server);
}
