#include "wizard/web_address_rules.h"


#include "wizard/command_line.h"
#include "wizard/name_rules.h"

namespace {
bool IsSpaceOrControl(wchar_t c) { return c >= 1 && c <= 32; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsSchemeChar(wchar_t c) {
    return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// The scheme the text begins with, lower case; empty when it begins with none. A single letter is
// a drive.
std::wstring SchemeOf(const std::wstring& text) {
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos || colon < 2 || !IsAsciiLetter(text[0])) return {};
    for (size_t i = 1; i < colon; ++i)
        if (!IsSchemeChar(text[i])) return {};
    return Lower(text.substr(0, colon));
}

bool StartsWithWww(const std::wstring& text) {
    if (text.size() <= 4 || Lower(text.substr(0, 4)) != L"www.") return false;
    const wchar_t next = text[4];
    return next != L'.' && next != L'/' && next != L'\\' && !IsSpaceOrControl(next);
}

std::wstring TrimmedRight(std::wstring text) {
    while (!text.empty() && IsSpaceOrControl(text.back())) text.pop_back();
    return text;
}
}  // namespace

std::optional<std::wstring> WebAddressOf(const std::wstring& commandLine, const ProtocolQuery& knownProtocol) {
    const std::vector<std::wstring> tokens = TokenizeCommandLine(commandLine);
    if (tokens.empty()) return std::nullopt;
    const std::wstring& first = tokens[0];
    const std::wstring address = TrimmedRight(first + commandLine.substr(FirstTokenEnd(commandLine)));
    if (first.find(L'\\') == std::wstring::npos && StartsWithWww(first)) return L"http://" + address;
    const std::wstring scheme = SchemeOf(first);
    if (scheme.empty()) return std::nullopt;
    static const wchar_t* const kAlwaysKnown[] = {L"http", L"https", L"ftp", L"mailto", L"file"};
    for (const wchar_t* known : kAlwaysKnown)
        if (scheme == known) return address;
    if (knownProtocol && knownProtocol(scheme)) return address;
    return std::nullopt;
}

std::wstring WebAddressName(const std::wstring& address) {
    const std::wstring scheme = SchemeOf(address);
    std::wstring rest = address.substr(scheme.empty() ? 0 : scheme.size() + 1);
    rest = rest.substr(0, rest.find_first_of(L"?#"));
    std::wstring host;
    if (rest.rfind(L"//", 0) == 0) {
        rest.erase(0, 2);
        host = rest.substr(0, rest.find(L'/'));
        rest.erase(0, host.size());
        if (const size_t at = host.rfind(L'@'); at != std::wstring::npos) host.erase(0, at + 1);
        if (!host.empty() && host[0] == L'[') {
            host = host.substr(0, host.find(L']') + 1);
        } else {
            host = host.substr(0, host.find(L':'));
        }
    } else if (scheme == L"mailto") {
        host = rest;
    }
    if (Lower(host.substr(0, 4)) == L"www." && host.size() > 4) host.erase(0, 4);
    std::wstring name = RemoveInvalidChars(TrimmedRight(host));
    if (name.empty()) {
        while (!rest.empty() && (rest.back() == L'/' || rest.back() == L'\\')) rest.pop_back();
        const size_t slash = rest.find_last_of(L"/\\");
        name = RemoveInvalidChars(slash == std::wstring::npos ? rest : rest.substr(slash + 1));
    }
    return name.empty() ? scheme : name;
}
