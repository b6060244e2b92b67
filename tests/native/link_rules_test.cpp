#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/utf.h"
#include "links/link_rules.h"

namespace {

// A link as the bytes on disk: header with its flags, then the parts those flags announce.
std::string LinkBytes(std::uint32_t flags, const std::string& parts) {
    std::string bytes(0x4C, '\0');
    bytes[0] = 0x4C;
    for (int i = 0; i < 4; ++i) bytes[0x14 + i] = static_cast<char>(flags >> (8 * i));
    return bytes + parts;
}
std::string Counted(const std::u16string& text) {  // a Unicode string with its character count
    std::string bytes{static_cast<char>(text.size()), '\0'};
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}
const std::string kTerminal(4, '\0');

TEST(LinkRules, LinkLayoutFollowsTheHeadersFlags) {
    const std::string idList = std::string("\x04\x00", 2) + std::string("\x02\x00\x00\x00", 4);
    const std::string block = std::string("\x0C\x00\x00\x00\x02\x00\x00\xA0", 8) + "abcd";
    const std::pair<std::string, bool> cases[] = {
        {LinkBytes(0x80, kTerminal), true},
        {LinkBytes(0x81 | 0x04, idList + Counted(u"Neu") + block + kTerminal), true},
        {LinkBytes(0x80 | 0x04 | 0x10, Counted(u"Neu") + Counted(u"C:\\x") + kTerminal), true},
        {LinkBytes(0x04, std::string("\x03\x00Neu", 5) + kTerminal), true},  // single-byte strings
        // a relative path written without its flag: what follows is no longer a block
        {LinkBytes(0x80 | 0x04, Counted(u"Neu") + Counted(u".\\a.txt") + kTerminal), false},
        {LinkBytes(0x80 | 0x04, Counted(u"Neu")), false},                    // no terminal block
        {LinkBytes(0x80 | 0x04, Counted(u"Neu").substr(0, 4)), false},       // cut inside a string
        {LinkBytes(0x80, block.substr(0, 10)), false},                        // block longer than the file
        {LinkBytes(0x82, std::string("\x02\x00\x00\x00", 4) + kTerminal), false},  // location block too small
        {std::string("\x4B") + LinkBytes(0x80, kTerminal).substr(1), false},         // not a link header
        {std::string(), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(LinkLayoutIsWhole(cases[i].first), cases[i].second) << "case " << i;
}

TEST(LinkRules, AnEditKeepsTheHeaderFieldsTheWizardDoesNotShow) {
    std::string original = LinkBytes(0x2000 | 0x80, "alt"), saved = LinkBytes(0x80 | 0x04, "neu");
    original.replace(0x3C, 6, "\x07\0\0\0\x5A\x06", 6);  // minimised, Ctrl+Alt+Z
    const std::string kept = WithHeaderFieldsOf(saved, original);
    EXPECT_EQ(kept.substr(0x3C, 6), original.substr(0x3C, 6));
    EXPECT_EQ(kept.substr(0x14, 4), std::string("\x84\x20\0\0", 4)) << "the saved flags, with run-as";
    EXPECT_EQ(kept.substr(0x4C), "neu");
    EXPECT_EQ(WithHeaderFieldsOf(LinkBytes(0x2080, "x"), LinkBytes(0x80, "y")).substr(0x14, 4), std::string("\x80\0\0\0", 4));
    EXPECT_EQ(WithHeaderFieldsOf(saved, "kein Link"), saved);
}

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

TEST(LinkRules, TheLinkFileOfALocation) {
    const struct {
        std::wstring location;
        bool folderLink;
        std::wstring file;
    } cases[] = {
        {L"C:\\Daten\\Editor", false, L"C:\\Daten\\Editor.lnk"},
        {L"C:\\Daten\\Editor", true, L"C:\\Daten\\Editor\\target.lnk"},
        {L"C:\\Daten\\Editor\\", true, L"C:\\Daten\\Editor\\target.lnk"},
    };
    for (const auto& c : cases) EXPECT_EQ(LinkFileAt(c.location, c.folderLink), c.file) << Utf8FromWide(c.location);
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
