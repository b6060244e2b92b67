#include <gtest/gtest.h>

#include <tuple>

#include "dialogs/link_settings_rules.h"
#include "links/link_draft.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "platform/utf.h"

namespace {
constexpr int SW_NORMAL = 1, SW_SHOWMAXIMIZED = 3, SW_SHOWMINNOACTIVE = 7;

TEST(LinkSettingsRules, WhatAppliesToEachKindOfTarget) {
    const struct {
        std::wstring target;
        bool isFolder, folderLink;
        SettingsTarget kind;
        bool workingFolder, hotKey, showCommand, runAsAdmin;
    } cases[] = {
        {L"C:\\Programme\\Werk.EXE", false, false, SettingsTarget::Program, true, true, true, true},
        {L"C:\\Skripte\\los.cmd", false, false, SettingsTarget::Program, true, true, true, true},
        {L"C:\\Daten\\Brief.txt", false, false, SettingsTarget::Document, true, true, true, false},
        {L"C:\\Daten\\exe", false, false, SettingsTarget::Document, true, true, true, false},
        {L"C:\\Daten.exe", true, false, SettingsTarget::Folder, false, true, true, false},
        {L"C:\\Daten", true, true, SettingsTarget::FolderLink, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.target));
        ASSERT_EQ(SettingsTargetOf(c.target, c.isFolder, c.folderLink), c.kind);
        const SettingsAvailability available = AvailableSettings(c.kind);
        EXPECT_EQ(std::tie(available.workingFolder, available.hotKey, available.showCommand, available.runAsAdmin),
                  std::tie(c.workingFolder, c.hotKey, c.showCommand, c.runAsAdmin));
        const bool allApply = c.workingFolder && c.hotKey && c.showCommand && c.runAsAdmin;
        EXPECT_EQ(available.reason.empty(), allApply) << "a reason exactly where something is disabled";
        EXPECT_EQ(available.reason.find(L'\n'), std::wstring::npos) << "one line";
    }
}

TEST(LinkSettingsRules, RunModesMapToShowCommandsAndKeepTheLinksOwn) {
    for (int original = 0; original <= 11; ++original) {
        SCOPED_TRACE(original);
        const int own = RunModeOf(original);
        ASSERT_GE(own, 0);
        ASSERT_LT(own, int(std::size(kRunModes)));
        EXPECT_EQ(ShowCommandFor(own, original), original) << "an unchanged choice writes back what was there";
        for (int mode = 0; mode < int(std::size(kRunModes)); ++mode) {
            EXPECT_EQ(RunModeOf(ShowCommandFor(mode, original)), mode);
            // A new choice writes one of the three commands a link takes.
            const int written = ShowCommandFor(mode, original);
            if (mode != own) { EXPECT_TRUE(written == SW_NORMAL || written == SW_SHOWMINNOACTIVE || written == SW_SHOWMAXIMIZED); }
        }
    }
}

TEST(LinkSettingsRules, TheSettingsWrittenAreDecidedOnceForTheFinalKind) {
    const LinkData edited{.targetPath = L"C:\\Alt\\werk.exe", .workingFolder = L"D:\\Arbeit", .hotKey = 0x0655,
                          .showCommand = SW_SHOWMINNOACTIVE, .runAsAdmin = true};
    const LinkSettings userSet{L"D:\\Eigen", 0x0641, SW_SHOWMAXIMIZED, true};
    const struct {
        const char* name;
        LinkDraft draft;
        const LinkData* edited;
        LinkSettings written;
    } cases[] = {
        {"a new program link starts in its folder", {.target = L"C:\\P\\a.exe"}, nullptr, {L"C:\\P"}},
        {"the user's settings for a program", {.target = L"C:\\P\\a.exe", .settings = userSet}, nullptr, userSet},
        {"a document never runs as administrator", {.target = L"C:\\D\\Bericht.txt", .settings = userSet}, nullptr,
         {L"D:\\Eigen", 0x0641, SW_SHOWMAXIMIZED, false}},
        {"a folder has no Start in of its own", {.target = L"C:\\D", .targetIsFolder = true, .settings = userSet},
         nullptr, {L"C:\\", 0x0641, SW_SHOWMAXIMIZED, false}},
        {"a folder link has no settings",
         {.target = L"C:\\D", .targetIsFolder = true, .kind = LinkKind::FolderLink, .settings = userSet}, nullptr,
         {L"C:\\"}},
        {"an edit keeps the link's own", {.target = L"C:\\Alt\\werk.exe"}, &edited,
         {L"D:\\Arbeit", 0x0655, SW_SHOWMINNOACTIVE, true}},
        {"an edit to another target starts there", {.target = L"C:\\Neu\\werk.exe"}, &edited,
         {L"C:\\Neu", 0x0655, SW_SHOWMINNOACTIVE, true}},
        {"a relative Start in is taken in the target's folder",
         {.target = L"C:\\P\\a.exe", .settings = LinkSettings{L".\\Daten\\..\\Bin"}}, nullptr, {L"C:\\P\\Bin"}},
        {"an edit to a document drops run-as", {.target = L"C:\\Neu\\a.txt"}, &edited,
         {L"C:\\Neu", 0x0655, SW_SHOWMINNOACTIVE, false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsToWrite(c.draft, c.edited), c.written) << c.name;
        // The kind page names exactly what the user set and the link does not take.
        if (!c.draft.settings) continue;
        const std::wstring note = DroppedSettingsNote(*c.draft.settings, WorkingFolderFor(c.draft.target),
                                                      SettingsTargetOf(c.draft.target, c.draft.targetIsFolder,
                                                                       c.draft.kind == LinkKind::FolderLink));
        EXPECT_EQ(note.find(L"Tastenkombination") != std::wstring::npos, c.written.hotKey != c.draft.settings->hotKey) << c.name;
        EXPECT_EQ(note.find(L"Administrator") != std::wstring::npos, c.written.runAsAdmin != c.draft.settings->runAsAdmin) << c.name;
    }
}

}  // namespace
