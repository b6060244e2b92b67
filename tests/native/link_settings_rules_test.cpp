#include <gtest/gtest.h>

#include <tuple>

#include "dialogs/link_settings_rules.h"
#include "platform/utf.h"

namespace {

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
            if (mode != own) EXPECT_EQ(ShowCommandFor(mode, original), kRunModeShowCommands[mode]);
        }
    }
}

}  // namespace
