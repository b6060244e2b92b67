#include <gtest/gtest.h>

#include "links/url_file_text.h"
#include "platform/utf.h"
#include "wizard/web_address_rules.h"

namespace {

// Command lines → the web address they name (empty: a file or folder target) and the name proposed.
TEST(WebAddressRules, CommandLinesNameWebAddressesOrFiles) {
    // A system that knows every scheme but one: a drive letter must still be no scheme.
    const ProtocolQuery registered = [](const std::wstring& scheme) { return scheme != L"unbekannt"; };
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* address;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"https://www.example.org/suche?q=a&b=c", L"https://www.example.org/suche?q=a&b=c", L"example.org"},
        {L"  HTTP://Beispiel.de:8080/", L"HTTP://Beispiel.de:8080/", L"Beispiel.de"},
        {L"ftp://nutzer@ftp.example.org/pub/", L"ftp://nutzer@ftp.example.org/pub/", L"ftp.example.org"},
        {L"mailto:info@example.org?subject=Hallo", L"mailto:info@example.org?subject=Hallo", L"info@example.org"},
        {L"www.example.org/a b", L"http://www.example.org/a b", L"example.org"},
        {L"\"https://example.org/a b\" c  ", L"https://example.org/a b c", L"example.org"},
        {L"https://example.org/suche?q=a b", L"https://example.org/suche?q=a b", L"example.org"},
        {L"file:///C:/Texte/liesmich.txt", L"file:///C:/Texte/liesmich.txt", L"liesmich.txt"},
        {L"steam://run/10", L"steam://run/10", L"run"},
        {L"https://münchen.example/", L"https://münchen.example/", L"münchen.example"},
        {L"C:\\Programme\\a.exe /x", nullptr, nullptr},
        {L"c:programm.exe", nullptr, nullptr},
        {L"\"C:\\Mit Blank\\b.exe\"", nullptr, nullptr},
        {L"unbekannt://x", nullptr, nullptr},
        {L"www.", nullptr, nullptr},
        {L"\\\\server\\www.example.org", nullptr, nullptr},
        {L"1http://x", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.commandLine));
        const auto address = WebAddressOf(c.commandLine, registered);
        ASSERT_EQ(address.has_value(), c.address != nullptr);
        if (!address) continue;
        EXPECT_EQ(*address, c.address);
        EXPECT_EQ(WebAddressName(*address), c.name);
    }
}

// Writing the fields keeps every other line of the file, and reads back as written.
TEST(WebAddressRules, UrlFileTextKeepsWhatItDoesNotWrite) {
    const std::wstring original =
        L"[DEFAULT]\r\nBASEURL=https://alt.example/\r\n[InternetShortcut]\r\nURL=https://alt.example/\r\n"
        L"Modified=C0FFEE\r\nIDList=\r\nHotKey=0\r\n[InternetShortcut.W]\r\nURL=https://alt.example/\r\n"
        L"[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n";
    const InternetShortcutFields fields{L"https://neu.example/?q=ä", L"C:\\Symbole.dll", 3, 0x0641, 7};
    for (const std::wstring& before : {original, std::wstring(), std::wstring(L"[Andere]\nx=1")}) {
        const std::wstring text = UrlFileText(before, fields);
        EXPECT_EQ(ReadUrlFileText(text), fields);
        EXPECT_EQ(UrlFileText(text, fields), text) << "writing the same fields again changes nothing";
        for (const wchar_t* kept : {L"BASEURL=https://alt.example/", L"Modified=C0FFEE", L"Prop3=19,2", L"x=1"})
            EXPECT_EQ(text.find(kept) != std::wstring::npos, before.find(kept) != std::wstring::npos);
    }
    EXPECT_EQ(UrlFileText(original, ReadUrlFileText(original)), original) << "unchanged fields, unchanged text";
    // A file written anew gets back every key it lacks; what it holds stays its own.
    const std::wstring anew = L"[InternetShortcut]\r\nURL=https://neu.example/\r\n";
    const std::wstring whole = WithKeysKept(anew, original);
    EXPECT_EQ(ReadUrlFileText(whole).url, L"https://neu.example/");
    EXPECT_EQ(WithKeysKept(whole, original), whole);
    for (const wchar_t* kept : {L"BASEURL=https://alt.example/", L"Modified=C0FFEE", L"Prop3=19,2"})
        EXPECT_NE(whole.find(kept), std::wstring::npos) << Utf8FromWide(whole);
}

}  // namespace
