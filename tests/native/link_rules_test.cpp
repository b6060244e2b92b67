#include <gtest/gtest.h>

#include <map>

#include "platform/utf.h"
#include "links/link_rules.h"

namespace {

TEST(LinkRules, WorkingFolderIsTheTargetsFolder) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Programme\\x.exe", L"C:\\Programme"},
        {L"C:\\x.exe", L"C:\\"},
        {L"D:\\Daten\\Alt", L"D:\\Daten"},
        {L"D:\\Daten\\Alt\\", L"D:\\Daten\\Alt"},
        {L"x.exe", L""},
        {L"\\\\server\\share\\x.exe", L"\\\\server\\share"},
        {L"\\\\x.exe", L"\\\\"},
        {L"C:x.exe", L"C:"},
    };
    for (const auto& [target, folder] : cases) EXPECT_EQ(WorkingFolderFor(target), folder) << Utf8FromWide(target);
}

TEST(LinkRules, ResolvesNestedFolderLinksFromTheLeft) {
    const std::map<std::wstring, std::wstring> links = {
        {L"C:\\Menü\\Daten\\", L"D:\\Archiv\\"},
        {L"D:\\Archiv\\Alt\\", L"E:\\Keller\\"},
    };
    std::vector<std::wstring> asked;
    const auto target = [&](const std::wstring& path) {
        asked.push_back(path);
        const auto it = links.find(path);
        return it == links.end() ? std::wstring() : it->second;
    };
    EXPECT_EQ(ResolveFolderLinksWith(L"C:\\Menü\\Daten\\2002", target), L"D:\\Archiv\\2002\\");
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"C:\\", L"C:\\Menü\\", L"C:\\Menü\\Daten\\", L"D:\\Archiv\\2002\\"}));
    EXPECT_EQ(ResolveFolderLinksWith(L"C:\\Menü\\Daten\\Alt\\x", target), L"E:\\Keller\\x\\");
    EXPECT_EQ(ResolveFolderLinksWith(L"C:\\Menü\\Daten", target), L"D:\\Archiv\\");
}

TEST(LinkRules, PathsWithExtensionOrEmptyStayUnchanged) {
    int calls = 0;
    const auto target = [&](const std::wstring&) {
        ++calls;
        return std::wstring(L"X:\\");
    };
    for (const std::wstring path : {L"", L"C:\\Menü\\Daten\\a.txt", L"C:\\Daten.alt"})
        EXPECT_EQ(ResolveFolderLinksWith(path, target), path);
    EXPECT_EQ(calls, 0);
}

}  // namespace
