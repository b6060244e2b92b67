#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf.h"
#include "wizard/icon_rules.h"
#include "wizard/page_flow.h"

namespace {

// Next walks each kind of target through its pages; "Fertig stellen" is on the one that writes the
// link, and Back retraces the walk.
TEST(WizardPageRules, EachTargetWalksItsPagesAndWritesOnlyAtTheEnd) {
    using enum WizardPageId;
    const struct {
        const char* what;
        PageTarget target;
        std::vector<WizardPageId> walk;
    } cases[] = {
        {"file", {}, {Target, Location, Description, Icon}},
        {"folder", {true, false}, {Target, Location, Description, Icon, Kind}},
        {"web address", {false, true}, {Target, Location, Icon}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<WizardPageId> walked{Target};
        while (StepAfter(walked.back(), c.target) == NextStep::ShowNextPage && walked.size() < 8)
            walked.push_back(PageAfter(walked.back(), c.target));
        EXPECT_EQ(walked, c.walk);
        EXPECT_EQ(StepAfter(walked.back(), c.target), NextStep::WriteLink);
        for (std::size_t i = 0; i < walked.size(); ++i) {
            EXPECT_EQ(PageBefore(walked[i], c.target), walked[i ? i - 1 : 0]);
            EXPECT_EQ(NextCaption(walked[i], c.target) == std::wstring(L"Fertig stellen"), i + 1 == walked.size());
        }
        EXPECT_EQ(StepAfter(Closing, c.target), NextStep::StartNewLink);
        EXPECT_EQ(PageBefore(Closing, c.target), Closing);
    }
}

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
