#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/help_file.h"
#include "wizard/page_flow.h"
#include "platform/utf.h"

namespace {

struct TopicCase {
    const char* name;
    std::string source;
    std::wstring topic, title, text;
};

TEST(HelpFile, SectionsBecomeTopicsWithParagraphsAndListItems) {
    const TopicCase cases[] = {
        {"title and one paragraph joined from lines", "[A] Erste Seite\nZeile eins\nZeile zwei\n", L"A", L"Erste Seite",
         L"Zeile eins Zeile zwei"},
        {"empty lines separate paragraphs once", "[A] T\n\nEins\n\n\n\nZwei\n\n", L"A", L"T", L"Eins\r\n\r\nZwei"},
        {"CR LF lines and surrounding blanks", "[A] T \r\n  Eins  \r\nZwei\r\n", L"A", L"T", L"Eins Zwei"},
        {"list items on their own lines", "[A] T\nVorher:\n- erstens\n- zweitens\nNachher\n", L"A", L"T",
         L"Vorher:\r\n\r\n• erstens\r\n• zweitens\r\n\r\nNachher"},
        {"indented line continues an item", "[A] T\n- lang\n  und weiter\n- kurz\n", L"A", L"T",
         L"• lang und weiter\r\n• kurz"},
        {"a dash without blank is text", "[A] T\n-5 Grad\n", L"A", L"T", L"-5 Grad"},
        {"no title uses the name", "[LinkIcon]\nText\n", L"LinkIcon", L"LinkIcon", L"Text"},
        {"comments and preamble are skipped", "Vorspann\n; Kommentar\n[A] T\n; noch einer\nText\n", L"A", L"T", L"Text"},
        {"umlauts and byte-order mark", "\xEF\xBB\xBF[Ü] Größe\nMaße ändern\n", L"Ü", L"Größe", L"Maße ändern"},
        {"brackets inside text stay", "[A] T\nWert [in mm]\n", L"A", L"T", L"Wert [in mm]"},
        {"last line without break", "[A] T\nEnde", L"A", L"T", L"Ende"},
        {"empty topic", "[A] T\n[B] U\nx\n", L"A", L"T", L""},
        {"first of two equal names wins", "[A] Eins\nx\n[a] Zwei\ny\n", L"A", L"Eins", L"x"},
    };
    for (const auto& c : cases) {
        const HelpContents file = ParseHelpFile(c.source);
        const HelpTopic* topic = file.Find(c.topic);
        ASSERT_NE(topic, nullptr) << c.name;
        EXPECT_EQ(topic->title, c.title) << c.name;
        EXPECT_EQ(topic->text, c.text) << c.name;
    }
}

TEST(HelpFile, LookupIgnoresLetterCaseAndKeepsFileOrder) {
    const HelpContents file = ParseHelpFile("[CreateLink] a\n[KindOfLink] b\n[LinkIcon] c\n[] leer\n[ ]\n");
    ASSERT_EQ(file.topics.size(), 4u);  // "[]" is not a section; "[ ]" is one with a blank name
    EXPECT_EQ(file.topics[1].name, L"KindOfLink");
    EXPECT_NE(file.Find(L"linkicon"), nullptr);
    EXPECT_EQ(file.Find(L"LinkIcons"), nullptr);
    EXPECT_EQ(file.Find(L"Link"), nullptr);
    EXPECT_EQ(ParseHelpFile("").topics.size(), 0u);
    EXPECT_EQ(ParseHelpFile("nur Text\nohne Abschnitt").topics.size(), 0u);
}

// The program's own help file answers the topic of every wizard page with real text.
TEST(HelpFile, TheShippedFileHasEveryTopicOfTheWizard) {
    const std::string source = __FILE__;
    const std::string root = source.substr(0, source.rfind("tests/native/"));
    std::ifstream in(root + "app/Pfeilbau.hlp", std::ios::binary);
    ASSERT_TRUE(in) << root;
    std::stringstream content;
    content << in.rdbuf();
    const HelpContents file = ParseHelpFile(content.str());
    using enum WizardPageId;
    for (const WizardPageId page : {Target, Location, Description, Icon, Kind}) {
        const wchar_t* name = PageHelpTopic(page);
        ASSERT_NE(name, nullptr);
        const HelpTopic* topic = file.Find(name);
        ASSERT_NE(topic, nullptr) << Utf8FromWide(name);
        EXPECT_GT(topic->text.size(), 200u) << Utf8FromWide(name);
        EXPECT_EQ(topic->text.find(L'\uFFFD'), std::wstring::npos) << Utf8FromWide(name);
    }
}

}  // namespace
