#include <gtest/gtest.h>

#include <string>

#include "platform/utf.h"
#include "wizard/icon_rules.h"
#include "wizard/page_flow.h"

namespace {

TEST(WizardPageRules, NextLeadsThroughThePagesAndWritesOnlyAtTheEnd) {
    using enum WizardPageId;
    const PageTarget file{}, folder{true, false}, web{false, true};
    struct Case {
        WizardPageId page;
        PageTarget target;
        NextStep step;
    };
    const Case cases[] = {
        {Target, file, NextStep::ShowNextPage},    {Location, folder, NextStep::ShowNextPage},
        {Description, file, NextStep::ShowNextPage}, {Icon, file, NextStep::WriteLink},
        {Icon, folder, NextStep::ShowNextPage},     {Kind, folder, NextStep::WriteLink},
        {Closing, file, NextStep::StartNewLink},     {Location, web, NextStep::ShowNextPage},
        {Icon, web, NextStep::WriteLink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        EXPECT_EQ(StepAfter(c.page, c.target), c.step);
        // Next says what it does: "Fertig stellen" exactly where it writes the link.
        const std::wstring caption = NextCaption(c.page, c.target);
        EXPECT_EQ(caption == L"Fertig stellen", c.step == NextStep::WriteLink);
        // Back returns to the page before, whose Next leads here again; nothing before the first
        // page or after a written link. A web address never passes the description page.
        const WizardPageId before = PageBefore(c.page, c.target);
        if (c.page == Target || c.page == Closing)
            EXPECT_EQ(before, c.page);
        else
            EXPECT_EQ(PageAfter(before, c.target), c.page);
        if (c.target.webAddress) EXPECT_NE(PageAfter(c.page, c.target), Description);
        // Every page but the closing one names its caption and help topic.
        EXPECT_EQ(PageCaption(c.page) != nullptr, c.page != Closing);
        EXPECT_EQ(PageHelpTopic(c.page) != nullptr, c.page != Closing);
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
