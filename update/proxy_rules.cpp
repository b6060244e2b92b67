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

// "host", "host:port" or "http://host:port/" as a proxy address.
std::optional<ProxyAddress> ParseAddress(std::string text) {
    if (const std::size_t scheme = text.find("://"); scheme != std::string::npos) text.erase(0, scheme + 3);
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

std::optional<ProxyAddress> ProxyForScheme(const std::string& setting, const std::string& scheme) {
    const std::vector<std::string> entries = Split(setting, "; \t");
    std::optional<std::string> any;
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            if (!any) any = entry;
        } else if (Lower(entry.substr(0, equals)) == Lower(scheme)) {
            return ParseAddress(entry.substr(equals + 1));
        }
    }
    return any ? ParseAddress(*any) : std::nullopt;
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

std::optional<ProxyAddress> FirstProxyOfList(const std::string& list) {
    for (const std::string& entry : Split(list, ";")) {
        std::vector<std::string> words = Split(entry, " \t");
        if (words.empty()) continue;
        const std::string kind = Lower(words[0]);
        if (kind == "direct") return std::nullopt;
        if (words.size() == 1) return ParseAddress(words[0]);
        // A PAC answer: "PROXY host:port" or "HTTP host:port"; other kinds are not spoken here.
        if (kind == "proxy" || kind == "http") return ParseAddress(words[1]);
    }
    return std::nullopt;
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

std::optional<ProxyAddress> ChooseProxy(const ProxySettings& settings, const std::string& host,
                                        const std::optional<std::string>& automaticAnswer) {
    if (settings.automatic && automaticAnswer) return FirstProxyOfList(*automaticAnswer);
    if (!settings.manual) return std::nullopt;
    const std::string lower = Lower(host);
    const bool loopback = lower == "localhost" || lower.rfind("127.", 0) == 0;
    if (loopback && Lower(settings.bypass).find("<-loopback>") == std::string::npos) return std::nullopt;
    if (BypassesProxy(host, settings.bypass)) return std::nullopt;
    return ProxyForScheme(settings.server, "http");
}
