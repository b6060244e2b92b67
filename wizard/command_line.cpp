#include "wizard/command_line.h"

namespace {
bool IsSpaceOrControl(wchar_t c) { return c >= 1 && c <= 32; }

// Scans one token starting at pos (which is not a blank); returns the token and moves pos past it.
std::wstring ScanToken(const std::wstring& text, size_t& pos) {
    std::wstring token;
    if (text[pos] == L'"') {
        ++pos;
        while (pos < text.size()) {
            if (text[pos] == L'"') {
                if (pos + 1 < text.size() && text[pos + 1] == L'"') {
                    token += L'"';
                    pos += 2;
                    continue;
                }
                ++pos;
                return token;
            }
            token += text[pos++];
        }
        return token;
    }
    while (pos < text.size() && !IsSpaceOrControl(text[pos])) token += text[pos++];
    return token;
}
}  // namespace

std::vector<std::wstring> TokenizeCommandLine(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsSpaceOrControl(text[pos])) ++pos;
        if (pos >= text.size()) break;
        tokens.push_back(ScanToken(text, pos));
    }
    return tokens;
}

size_t FirstTokenEnd(const std::wstring& text) {
    size_t pos = 0;
    while (pos < text.size() && IsSpaceOrControl(text[pos])) ++pos;
    if (pos < text.size()) ScanToken(text, pos);
    return pos;
}

std::wstring JoinArguments(const std::vector<std::wstring>& tokens) {
    std::wstring result;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i) result += L' ';
        const std::wstring& token = tokens[i];
        bool quote = tokens.size() == 1 && token.empty();
        for (const wchar_t c : token)
            if (IsSpaceOrControl(c) || c == L'"') quote = true;
        if (!quote) {
            result += token;
            continue;
        }
        result += L'"';
        for (const wchar_t c : token) {
            if (c == L'"') result += L'"';
            result += c;
        }
        result += L'"';
    }
    return result;
}

std::wstring CorrectionCandidate(const std::wstring& text, const std::function<bool(const std::wstring&)>& exists) {
    std::wstring candidate = text;
    while (!exists(candidate)) {
        const size_t blank = candidate.rfind(L' ');
        if (blank == std::wstring::npos) break;
        candidate.erase(blank);
    }
    return candidate;
}
