#include <gtest/gtest.h>

#include <set>

#include "platform/utf.h"
#include "wizard/location_rules.h"

namespace {

struct Case {
    std::wstring text;
    bool nameEmpty, onCdRom, folderMissing;
    std::wstring proposal;
};

TEST(LocationRules, ChecksNameDriveFolderAndCharacters) {
    const std::set<std::wstring> folders = {L"C:\\Links\\", L"E:\\Disk\\"};
    const auto folderExists = [&](const std::wstring& f) { return folders.count(f) > 0; };
    const auto cdRom = [](const std::wstring& root) { return root == L"E:\\"; };
    const Case cases[] = {
        {L"C:\\Links\\Editor", false, false, false, L""},
        {L"C:\\Links\\", true, false, false, L""},
        {L"C:\\Fehlt\\", true, false, true, L""},
        {L"C:\\Links\\a:b", false, false, false, L"C:\\Links\\ab"},
        {L"C:Editor", false, false, true, L""},
        {L"C:\\Links\\a?b", false, false, false, L"C:\\Links\\ab"},
        {L"E:\\Disk\\x", false, true, false, L""},
        {L"E:\\Fehlt\\x", false, true, true, L""},
        {L"Editor", false, false, true, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.text));
        const LocationCheck check = CheckLocationText(c.text, folderExists, cdRom);
        EXPECT_EQ(check.nameEmpty, c.nameEmpty);
        EXPECT_EQ(check.onCdRom, c.onCdRom);
        EXPECT_EQ(check.folderMissing, c.folderMissing);
        EXPECT_EQ(check.proposal, c.proposal);
        EXPECT_EQ(check.Accepted(), !c.nameEmpty && !c.onCdRom && !c.folderMissing && c.proposal.empty());
    }
}

}  // namespace
