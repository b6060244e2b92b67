#include <gtest/gtest.h>

#include "platform/utf.h"
#include "wizard/history_rules.h"

namespace {

struct RememberCase {
    const char* name;
    HistoryList before;
    std::wstring accepted;
    HistoryList after;
};

TEST(HistoryRules, RememberTextMovesAnEntryEqualWithoutRegardToCaseAndKeepsItsSpelling) {
    const RememberCase cases[] = {
        {"known in other case", {L"x.exe", L"c:\\a.exe"}, L"C:\\A.EXE", {L"c:\\a.exe", L"x.exe"}},
        {"umlauts in other case", {L"C:\\Menü.exe", L"b"}, L"c:\\MENÜ.EXE", {L"C:\\Menü.exe", L"b"}},
        {"first of two equal entries", {L"a", L"B", L"b"}, L"b", {L"B", L"a", L"b"}},
        {"already on top", {L"a", L"b"}, L"A", {L"a", L"b"}},
        {"unknown", {L"a", L"b"}, L"\"C:\\P Q\\x.exe\" -v", {L"\"C:\\P Q\\x.exe\" -v", L"a", L"b"}},
        {"longer text is another entry", {L"c:\\a.exe"}, L"c:\\a.exe2", {L"c:\\a.exe2", L"c:\\a.exe"}},
        {"empty list", {}, L"a", {L"a"}},
    };
    for (const auto& c : cases) {
        HistoryList list = c.before;
        RememberText(list, c.accepted);
        EXPECT_EQ(list, c.after) << c.name;
    }
}

TEST(HistoryRules, RememberFolderMatchesFolderPartsAndInsertsOnlyTheFolder) {
    const RememberCase cases[] = {
        {"known folder keeps the stored entry", {L"C:\\x\\", L"D:\\LINKS\\Alt"}, L"D:\\Links\\Editor",
         {L"D:\\LINKS\\Alt", L"C:\\x\\"}},
        {"unknown folder inserted as folder part", {L"D:\\LINKS\\Alt"}, L"D:\\Links\\Neu\\Editor",
         {L"D:\\Links\\Neu\\", L"D:\\LINKS\\Alt"}},
        {"a deeper entry is not the folder", {L"D:\\Links\\Neu\\"}, L"D:\\Links\\Editor",
         {L"D:\\Links\\", L"D:\\Links\\Neu\\"}},
        {"drive with colon only", {L"c:Alt"}, L"C:Neu", {L"c:Alt"}},
        {"umlaut folder", {L"x", L"C:\\Über\\"}, L"c:\\ÜBER\\Name", {L"C:\\Über\\", L"x"}},
    };
    for (const auto& c : cases) {
        HistoryList list = c.before;
        RememberFolderOf(list, c.accepted);
        EXPECT_EQ(list, c.after) << c.name;
    }
    EXPECT_EQ(IndexOfFolder(L"D:\\", {L"D:\\Links\\", L"d:\\Name"}), 1);
    EXPECT_EQ(IndexOfFolder(L"E:\\", {L"D:\\Links\\"}), -1);
}

TEST(HistoryRules, OnlyTheFirstTwentyEntriesAreKept) {
    for (const size_t size : {0u, 1u, 20u, 21u, 25u}) {
        HistoryList list;
        for (size_t i = 0; i < size; ++i) list.push_back(L"e" + std::to_wstring(i));
        CutToLimit(list);
        ASSERT_EQ(list.size(), std::min<size_t>(size, 20)) << size;
        if (!list.empty()) {
            EXPECT_EQ(list.back(), L"e" + std::to_wstring(list.size() - 1));
        }
    }
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    HistoryList entries;
};

TEST(HistoryFile, SplitsLinesInTheCodePageOrUtf8AfterAByteOrderMark) {
    const DecodeCase cases[] = {
        {"empty file", "", {}},
        {"CR LF lines", "a\r\nb\r\n", {L"a", L"b"}},
        {"no final break", "a\r\nb", {L"a", L"b"}},
        {"trailing empty line", "a\r\nb\r\n\r\n", {L"a", L"b", L""}},
        {"one empty line", "\r\n", {L""}},
        {"CR, LF and CR LF mixed", "a\rb\nc\r\n", {L"a", L"b", L"c"}},
        {"LF then CR LF is an empty entry", "a\n\r\nb", {L"a", L"", L"b"}},
        {"LF CR is two breaks", "a\n\rb", {L"a", L"", L"b"}},
        {"old file with umlauts", "C:\\M\xFCller\\\xC4rger \x80.exe\r\n", {L"C:\\Müller\\Ärger €.exe"}},
        {"unassigned code page bytes", "\x81\x8D\x8F\x90\x9D", {L"\u0081\u008D\u008F\u0090\u009D"}},
        {"UTF-8 after mark", "\xEF\xBB\xBF\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1\r\nM\xC3\xBC\r\n",
         {L"Αθήνα", L"Mü"}},
        {"mark only", "\xEF\xBB\xBF", {}},
        {"broken UTF-8 after mark", "\xEF\xBB\xBF" "a\xFF" "b", {L"a\uFFFDb"}},
        {"mark not at start is code page text", "a\xEF\xBB\xBF", {L"a\u00EF\u00BB\u00BF"}},
    };
    const Cp1252 codePage;
    for (const auto& c : cases) EXPECT_EQ(DecodeHistoryFile(c.bytes, codePage), c.entries) << c.name;
}

struct EncodeCase {
    const char* name;
    HistoryList entries;
    std::string bytes;
};

TEST(HistoryFile, WritesTheCodePageWhenEverythingFitsOtherwiseUtf8WithMark) {
    const EncodeCase cases[] = {
        {"empty list", {}, ""},
        {"one empty entry", {L""}, "\r\n"},
        {"umlauts and euro fit", {L"C:\\Müller\\€", L"x"}, "C:\\M\xFCller\\\x80\r\nx\r\n"},
        {"one Greek entry switches the whole file",
         {L"Müller", L"Αθήνα"},
         "\xEF\xBB\xBFM\xC3\xBCller\r\n\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1\r\n"},
        {"line break inside an entry", {L"a\r\nb", L"c\nd"}, "a  b\r\nc d\r\n"},
    };
    const Cp1252 codePage;
    for (const auto& c : cases) EXPECT_EQ(EncodeHistoryFile(c.entries, codePage), c.bytes) << c.name;
}

TEST(HistoryFile, EveryListSurvivesWriteAndRead) {
    std::wstring allOfCp1252;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') allOfCp1252 += Cp1252().Decode(std::string(1, static_cast<char>(b)));
    const HistoryList lists[] = {
        {L"", L"", L""},
        {allOfCp1252},
        {L"ΑΒΓ", L"", L"日本語", L"Straße"},
        {std::wstring(L"Emoji ") + WideFromUtf8("\xF0\x9F\x98\x80")},
        {L"\uFEFFstarts with a mark"},
        {L"ï»¿looks like a mark in the code page", L"x"},
    };
    const Cp1252 codePage;
    for (const auto& list : lists) {
        const std::string bytes = EncodeHistoryFile(list, codePage);
        EXPECT_EQ(DecodeHistoryFile(bytes, codePage), list) << bytes;
    }
}

}  // namespace
