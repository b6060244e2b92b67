#include <gtest/gtest.h>

#include <algorithm>

#include "update/update_batch.h"

namespace {

const std::string kProgram = "C:\\PROGRA~1\\Zw\\", kRun = "C:\\TEMP\\zwu1\\";
const BatchSettings kSettings{60, "C:\\Users\\a\\Zw\\Update-zwu1.txt", "C:\\Windows\\System32\\", {}};

// Where the template's lines stand in the batch, between the program's first and last lines.
std::vector<std::string> TemplatePart(const std::vector<std::string>& batch, std::size_t count,
                                      const std::optional<std::string>& restart) {
    const std::size_t foot = 2 + (restart ? 1 : 0), head = batch.size() - foot - count;
    return std::vector<std::string>(batch.begin() + static_cast<long>(head), batch.end() - static_cast<long>(foot));
}

TEST(UpdateBatch, TemplateGroupsTakeTheProgramsFolderAndTheTailTheRunFolder) {
    struct Case {
        const char* what;
        std::vector<std::string> lines, filled;
    } const cases[] = {
        {"two groups and the tail",
         {"@echo off", "attrib -r \"%sa.exe\"", "del \"%sa.exe\"", "copy \"%sa.exe\" \"%sa.exe\"", "rem 100%% x",
          "del %s", "rem %s", "copy %s %s", " del \"%sa.exe\"", "echo 50%% fertig"},
         {"@echo off", "attrib -r \"" + kProgram + "a.exe\"", "del \"" + kProgram + "a.exe\"",
          "copy \"" + kRun + "a.exe\" \"" + kProgram + "a.exe\"", "rem 100%% x", "del " + kProgram, "rem " + kProgram,
          "copy " + kRun + " " + kProgram, " del \"" + kRun + "a.exe\"", "echo 50% fertig"}},
        {"no groups at all", {" rem %s"}, {" rem " + kRun}},
        {"a group cut short at the end", {"x", "y %s"}, {"x", "y " + kProgram}},
        {"an empty line ends the groups", {"a", "b", "c", "d", "", "e %s"}, {"a", "b", "c", "d", "", "e " + kRun}},
        {"an empty template", {}, {}},
    };
    for (const Case& c : cases)
        for (const auto& restart : {std::optional<std::string>(), std::optional<std::string>(kProgram + "zw.exe")})
            EXPECT_EQ(TemplatePart(BuildUpdateBatch(c.lines, kProgram, kRun, restart, kSettings), c.lines.size(), restart),
                      c.filled)
                << c.what;
}

TEST(UpdateBatch, TheProgramsLinesCarryItsChoicesAndKeepPercentSigns) {
    const BatchSettings settings{3, "C:\\M%\\Update-x.txt", "C:\\S%\\", "C:\\T%x%\\Programm.lock"};
    const auto batch = BuildUpdateBatch({" rem"}, "C:\\100%\\", "C:\\T%x%\\", std::string("C:\\100%\\z.exe"), settings);
    const auto has = [&](const std::string& text) {
        return std::any_of(batch.begin(), batch.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_EQ(batch.front(), "@setlocal disabledelayedexpansion");
    for (const char* text : {"ZW_TRIES=3", "ZW_SYSTEM=C:\\S%%\\\"",
                             "\"C:\\T%%x%%\\Programm.lock\"", ">\"C:\\M%%\\Update-x.txt\" echo %ZW_BUSY%",
                             "start \"\" \"C:\\100%%\\z.exe\""})
        EXPECT_TRUE(has(text)) << text;
    // Every line that names a folder names it with its percent signs doubled.
    for (const std::string& line : batch) EXPECT_EQ(line.find("100%\\"), std::string::npos) << line;
    EXPECT_EQ(batch.back().rfind("cd /d \"C:\\T%%x%%\\..\"", 0), 0u);
    // Started at the program's end, it does not wait for a lock.
    const auto atTheEnd = BuildUpdateBatch({}, "P\\", "T\\", std::nullopt, kSettings);
    EXPECT_TRUE(has("zw_wait"));
    EXPECT_FALSE(std::any_of(atTheEnd.begin(), atTheEnd.end(),
                             [](const std::string& l) { return l.find("zw_wait") != std::string::npos; }));
}

TEST(UpdateBatch, TemplateRefusesLinesItCannotFill) {
    struct Case {
        std::vector<std::string> lines;
        int badLine;
    } const cases[] = {
        {{"a", "%s %s", "c", "d"}, 2},         // one folder only on the second line
        {{"a", "b", "c", "%s %s %s"}, 4},      // two on the fourth
        {{" %s%s"}, 1},                        // one in the tail
        {{"a", "%d", "c", "d"}, 2},            // another format sequence
        {{"a", "b", "c", "d", " x 100%"}, 5},  // a lone percent sign at the end
    };
    for (const Case& c : cases) {
        try {
            BuildUpdateBatch(c.lines, "P\\", "T\\", std::nullopt, kSettings);
            ADD_FAILURE() << "accepted line " << c.badLine;
        } catch (const BatchTemplateError& error) {
            EXPECT_EQ(error.Line(), c.badLine);
        }
    }
}

TEST(UpdateBatch, TheMarkTellsWhichFileAndWhetherTheOldVersionIsWhole) {
    const std::wstring start = L"Das Update konnte nicht installiert werden, weil ";
    const std::wstring kept = L" Die bisherige Version bleibt erhalten.";
    struct Case {
        const char* text;
        std::optional<std::wstring> message;
    } const cases[] = {
        {"zeigerwerk64.exe inuse yes\r\n", start + L"zeigerwerk64.exe noch verwendet wurde." + kept},
        {"zeigerwerk.exe\r\n", start + L"zeigerwerk.exe noch verwendet wurde." + kept},
        {"Pfeilbau.hlp.neu copy yes", start + L"Pfeilbau.hlp.neu im Programmordner nicht vollständig geschrieben werden konnte." + kept},
        {"zeigerwerk.exe inuse no", start + L"zeigerwerk.exe noch verwendet wurde. Die bisherige Version konnte nicht "
                                            L"vollständig wiederhergestellt werden; bitte installieren Sie das Programm neu."},
        {"", std::nullopt}, {"\r\n", std::nullopt}, {"..\\x.exe inuse yes", std::nullopt}, {".. copy yes", std::nullopt},
        {"x\x01.exe", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(InstallMarkMessage(c.text), c.message) << c.text;
}

TEST(UpdateBatch, LinesSplitAtEveryLineBreak) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(JoinLines({"a", ""}), "a\r\n\r\n");
}

}  // namespace
