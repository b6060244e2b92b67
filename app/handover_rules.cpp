#include "app/handover_rules.h"

std::wstring HandOverCommandLine(const std::wstring& program, const std::wstring& commandLine) {
    // The program's name ends at the closing quote when it starts with one, else at the first blank
    // or tab; no escape counts inside it.
    std::size_t end = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        end = commandLine.find(L'"', 1);
        end = end == std::wstring::npos ? commandLine.size() : end + 1;
    } else {
        end = commandLine.find_first_of(L" \t");
        if (end == std::wstring::npos) end = commandLine.size();
    }
    std::wstring rest = commandLine.substr(end);
    if (!rest.empty() && rest[0] != L' ' && rest[0] != L'\t') rest.insert(0, 1, L' ');
    return L"\"" + program + L"\"" + rest;
}
