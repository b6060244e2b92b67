#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/path_text.h"
#include "platform/utf.h"
#include "links/environment_paths.h"
#include "links/link_file_bytes.h"
#include "links/link_kind.h"
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

TEST(LinkKinds, WhatAPathIsAsALinkAndTheFileThatHoldsIt) {
    const struct {
        std::wstring path;
        LinkKind kind;
        std::wstring editedFile;
    } cases[] = {
        {L"C:\\", LinkKind::None, L"C:\\"},
        {L"C:\\a", LinkKind::FolderLink, L"C:\\a\\target.lnk"},
        {L"C:\\Menü\\Werkzeug.LNK", LinkKind::ShellLink, L"C:\\Menü\\Werkzeug.LNK"},
        {L"C:\\Menü\\Werkzeug.lnk\\", LinkKind::ShellLink, L"C:\\Menü\\Werkzeug.lnk\\"},
        {L"C:\\Daten\\", LinkKind::FolderLink, L"C:\\Daten\\target.lnk"},
        {L"C:\\Daten.alt\\", LinkKind::None, L"C:\\Daten.alt\\"},  // a dotted folder is never a folder link
        {L"C:\\a.b\\c", LinkKind::FolderLink, L"C:\\a.b\\c\\target.lnk"},
        {L"C:\\x.txt", LinkKind::None, L"C:\\x.txt"},
        {L"C:\\Seiten\\Beispiel.Url", LinkKind::InternetShortcut, L"C:\\Seiten\\Beispiel.Url"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkKindOfPath(c.path), c.kind) << Utf8FromWide(c.path);
        EXPECT_EQ(EditedLinkFile(c.path), c.editedFile) << Utf8FromWide(c.path);
        const std::wstring name = NamePart(WithoutTrailingBackslash(c.path));
        if (c.kind == LinkKind::FolderLink) {
            EXPECT_EQ(LinkKindOfEntry(name, true, true), LinkKind::FolderLink) << Utf8FromWide(name);
            EXPECT_EQ(LinkKindOfEntry(name, true, false), LinkKind::None) << Utf8FromWide(name);
        } else {
            EXPECT_EQ(LinkKindOfEntry(name, false, false), c.kind) << Utf8FromWide(name);
        }
    }
    EXPECT_EQ(LinkFileName(L"C:\\Daten\\Editor", LinkKind::ShellLink), L"C:\\Daten\\Editor.lnk");
    EXPECT_EQ(LinkFileName(L"C:\\Daten\\example.org", LinkKind::InternetShortcut), L"C:\\Daten\\example.org.url");
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

TEST(LinkRules, HeaderSettingsRoundTripAndTouchNothingElse) {
    const std::string original = LinkBytes(0x80 | 0x04, Counted(u"Neu") + kTerminal);
    for (const LinkHeaderSettings& settings : {LinkHeaderSettings{7, 0x0641, false}, LinkHeaderSettings{3, 0x035A, true}}) {
        const std::string bytes = WithHeaderSettings(original, settings);
        EXPECT_EQ(ReadHeaderSettings(bytes), settings);
        EXPECT_EQ(bytes.substr(0x4C), original.substr(0x4C));
        EXPECT_EQ(WithHeaderSettings(bytes, {}).substr(0x14, 4), original.substr(0x14, 4)) << "other flags kept";
    }
    EXPECT_EQ(WithHeaderSettings("kein Link", {}), "kein Link");
}

TEST(LinkRules, VariablePathBlocksAreSetReplacedAndRemoved) {
    const std::string other = std::string("\x0C\x00\x00\x00\x02\x00\x00\xA0", 8) + "abcd";
    const std::string original = LinkBytes(0x80 | 0x04, Counted(u"Neu") + other + kTerminal);
    const std::wstring paths[] = {L"%windir%\\notepad.exe", L"%ÄRGER%\\\U0001F600.exe", std::wstring(300, L'x')};
    for (const std::uint32_t signature : {kExpStringSignature, kExpIconSignature}) {
        for (const auto& path : paths) {
            const std::string with = WithVariablePath(original, signature, VariablePath{"ansi", path});
            ASSERT_TRUE(LinkLayoutIsWhole(with));
            EXPECT_EQ(ReadVariablePath(with, signature), path.substr(0, 259));
            EXPECT_FALSE(ReadVariablePath(with, signature ^ 0x6)) << "the other block is not set";
            EXPECT_EQ(WithVariablePath(with, signature, VariablePath{"", path.substr(0, 259)}), with);
            const std::string replaced = WithVariablePath(with, signature, VariablePath{"", L"%TEMP%\\b"});
            EXPECT_EQ(ReadVariablePath(replaced, signature), L"%TEMP%\\b");
            EXPECT_EQ(WithVariablePath(replaced, signature, std::nullopt), original) << "removed whole";
        }
    }
}

TEST(LinkRules, KnownVariablesExpandAsTheSystemDoes) {
    const VariableLookup lookup = [](const std::wstring& name) -> std::optional<std::wstring> {
        if (name == L"windir") return L"C:\\Windows";
        if (name == L"LEER") return L"";
        return std::nullopt;
    };
    const struct {
        std::wstring path, expanded;
        bool hasVariables;
    } cases[] = {
        {L"%windir%\\notepad.exe", L"C:\\Windows\\notepad.exe", true},
        {L"%windir%%LEER%\\a%windir%", L"C:\\Windows\\aC:\\Windows", true},
        {L"%LEER%", L"", true},
        {L"C:\\100% sicher\\a.exe", L"C:\\100% sicher\\a.exe", false},
        {L"%unbekannt%\\x", L"%unbekannt%\\x", false},
        {L"50%%windir%\\x", L"50%C:\\Windows\\x", true},
        {L"%%", L"%%", false},
        {L"%windir", L"%windir", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandVariables(c.path, lookup), c.expanded) << Utf8FromWide(c.path);
        EXPECT_EQ(HasVariables(c.path, lookup), c.hasVariables) << Utf8FromWide(c.path);
    }
}

}  // namespace
