#include <gtest/gtest.h>

#include <set>

#include "app/command_lines.h"
#include "platform/utf.h"

namespace {

struct CommandCase {
    std::wstring program, open, folder, edit, uninstall;
};

TEST(CommandLines, TheProgramPathIsOneQuotedItemInEveryCommand) {
    const CommandCase cases[] = {
        {L"C:\\Werkzeuge\\Programm.exe", L"\"C:\\Werkzeuge\\Programm.exe\" \"%1\"",
         L"\"C:\\Werkzeuge\\Programm.exe\" /D \"%1\"", L"\"C:\\Werkzeuge\\Programm.exe\" /E \"%1\"",
         L"\"C:\\Werkzeuge\\Programm.exe\" /uninstall"},
        {L"C:\\Program Files\\Mein Werk\\z w.exe", L"\"C:\\Program Files\\Mein Werk\\z w.exe\" \"%1\"",
         L"\"C:\\Program Files\\Mein Werk\\z w.exe\" /D \"%1\"", L"\"C:\\Program Files\\Mein Werk\\z w.exe\" /E \"%1\"",
         L"\"C:\\Program Files\\Mein Werk\\z w.exe\" /uninstall"},
        {L"D:\\Übersicht,Ä\\ζ.exe", L"\"D:\\Übersicht,Ä\\ζ.exe\" \"%1\"", L"\"D:\\Übersicht,Ä\\ζ.exe\" /D \"%1\"",
         L"\"D:\\Übersicht,Ä\\ζ.exe\" /E \"%1\"", L"\"D:\\Übersicht,Ä\\ζ.exe\" /uninstall"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OpenCommand(c.program), c.open) << Utf8FromWide(c.program);
        EXPECT_EQ(FolderCommand(c.program), c.folder) << Utf8FromWide(c.program);
        EXPECT_EQ(EditCommand(c.program), c.edit) << Utf8FromWide(c.program);
        EXPECT_EQ(UninstallCommand(c.program), c.uninstall) << Utf8FromWide(c.program);
    }
}

TEST(CommandLines, VerbsComeInPairsOfMenuTextAndCommandAndRemovalCoversThemAll) {
    const std::wstring program = L"C:\\P Q\\z.exe";
    const auto keys = VerbKeys(program);
    ASSERT_EQ(keys.size() % 2, 0u);
    ASSERT_EQ(VerbKeysToRemove().size(), keys.size() / 2);
    const std::set<std::wstring> commands = {OpenCommand(program), FolderCommand(program), EditCommand(program)};
    const auto removed = VerbKeysToRemove();
    std::set<std::wstring> covered;
    for (size_t i = 0; i < keys.size(); i += 2) {
        EXPECT_EQ(keys[i + 1].key, keys[i].key + L"\\command");
        EXPECT_EQ(commands.count(keys[i + 1].value), 1u) << Utf8FromWide(keys[i + 1].key);
        EXPECT_EQ(commands.count(keys[i].value), 0u) << Utf8FromWide(keys[i].key);
        EXPECT_EQ(removed[i / 2], keys[i].key);
        covered.insert(keys[i].key);
    }
    EXPECT_EQ(covered.size(), removed.size());
    // Removal deletes the verbs, never the shared parents below which other programs register.
    for (const auto& key : removed) EXPECT_NE(key.substr(key.size() - 6), L"\\shell") << Utf8FromWide(key);
}

}  // namespace
