#include <gtest/gtest.h>

#include <set>

#include "platform/utf.h"
#include "wizard/command_line.h"
#include "platform/path_text.h"

namespace {

using Tokens = std::vector<std::wstring>;

TEST(CommandLine, Tokenizes) {
    const std::pair<std::wstring, Tokens> cases[] = {
        {L"C:\\a.exe /x", {L"C:\\a.exe", L"/x"}},
        {L"  \"C:\\Program Files\\a.exe\"  -p  ", {L"C:\\Program Files\\a.exe", L"-p"}},
        {L"\"a \"\"b\"\" c\"", {L"a \"b\" c"}},
        {L"\"offen bis zum Ende", {L"offen bis zum Ende"}},
        {L"\"\" x", {L"", L"x"}},
        {L"\"a\"b", {L"a", L"b"}},
        {L"a\"b c", {L"a\"b", L"c"}},
        {L"a\tb\nc", {L"a", L"b", L"c"}},
        {L"   ", {}},
        {L"", {}},
        {L"\"a\"\"\"", {L"a\""}},
    };
    for (const auto& [text, tokens] : cases) EXPECT_EQ(TokenizeCommandLine(text), tokens) << Utf8FromWide(text);
}

TEST(CommandLine, FirstTokenEndKeepsTheRestAsTyped) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"a.lnk /x \"y z\"", L" /x \"y z\""},
        {L"\"a.lnk\"/x", L"/x"},
        {L"  \"C:\\a b.lnk\" rest", L" rest"},
        {L"a.lnk", L""},
    };
    for (const auto& [text, rest] : cases) EXPECT_EQ(text.substr(FirstTokenEnd(text)), rest) << Utf8FromWide(text);
}

TEST(CommandLine, JoinsArgumentsWithQuotesWhereNeeded) {
    const std::pair<Tokens, std::wstring> cases[] = {
        {{L"/a", L"b c"}, L"/a \"b c\""},
        {{L"say\"hi"}, L"\"say\"\"hi\""},
        {{L""}, L"\"\""},
        {{L"a", L"", L"b"}, L"a  b"},
        {{L"tab\there"}, L"\"tab\there\""},
        {{}, L""},
    };
    for (const auto& [tokens, joined] : cases) {
        EXPECT_EQ(JoinArguments(tokens), joined);
        if (!tokens.empty() && tokens != Tokens{L"a", L"", L"b"}) { EXPECT_EQ(TokenizeCommandLine(joined), tokens); }
    }
}

TEST(CommandLine, CorrectionCutsAtTheLastBlankUntilSomethingExists) {
    const std::set<std::wstring> existing = {L"C:\\Program Files\\Editor\\editor.exe", L"C:\\Neuer Ordner"};
    const auto exists = [&](const std::wstring& p) { return existing.count(p) > 0; };
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Program Files\\Editor\\editor.exe /n datei.txt", L"C:\\Program Files\\Editor\\editor.exe"},
        {L"C:\\Neuer Ordner", L"C:\\Neuer Ordner"},
        {L"C:\\gibt es nicht", L"C:\\gibt"},
        {L"nichts", L"nichts"},
    };
    for (const auto& [text, candidate] : cases) EXPECT_EQ(CorrectionCandidate(text, exists), candidate);
}

TEST(CommandLine, QuotesOnlyWhenATriggerIsPresent) {
    EXPECT_EQ(QuoteIf(L"C:\\a b", L" "), L"\"C:\\a b\"");
    EXPECT_EQ(QuoteIf(L"C:\\a,b", L" "), L"C:\\a,b");
    EXPECT_EQ(QuoteIf(L"C:\\a,b", L" ,"), L"\"C:\\a,b\"");
}

}  // namespace
