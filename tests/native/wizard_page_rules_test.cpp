#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"
#include "wizard/icon_rules.h"

namespace {

TEST(WizardPageRules, PreviewSourceFollowsTheIconFilesKind) {
    const std::pair<const wchar_t*, PreviewSource> cases[] = {
        {L"C:\\Programme\\Editor.exe", PreviewSource::IconsInFile},
        {L"C:\\Windows\\system32\\SHELL32.DLL", PreviewSource::IconsInFile},
        {L"bild.Ico", PreviewSource::IconsInFile},
        {L"sammlung.icl", PreviewSource::IconsInFile},
        {L"C:\\Bilder\\logo.bmp", PreviewSource::Bitmap},
        {L"C:\\Texte\\liesmich.txt", PreviewSource::TargetIcon},
        {L"C:\\Ordner.exe\\ohne", PreviewSource::TargetIcon},
        {L"", PreviewSource::TargetIcon},
    };
    for (const auto& [file, source] : cases) {
        SCOPED_TRACE(Utf8FromWide(file));
        EXPECT_EQ(PreviewSourceOf(file), source);
    }
}

TEST(WizardPageRules, OnlyAFoldersOwnIconIsAskedForWithABackslash) {
    EXPECT_EQ(TargetIconPath(L"C:\\Daten", true), L"C:\\Daten\\");
    EXPECT_EQ(TargetIconPath(L"C:\\Daten\\", true), L"C:\\Daten\\");
    EXPECT_EQ(TargetIconPath(L"C:\\Daten\\a.exe", false), L"C:\\Daten\\a.exe");
}

}  // namespace
