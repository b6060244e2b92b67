#include <gtest/gtest.h>

#include <set>

#include "app/start_mode.h"
#include "links/link_rules.h"
#include "platform/utf.h"

namespace {

const std::set<std::wstring> kFiles = {L"C:\\a.exe", L"C:\\Mit Blank\\b.exe", L"C:\\k,omma.exe", L"C:\\x.lnk",
                                       L"C:\\text.txt"};
const std::set<std::wstring> kFolders = {L"C:\\Ordner", L"C:\\Ordner\\", L"C:\\Menü\\Link"};
const PathQueries kPaths{[](const std::wstring& p) { return kFiles.count(p) > 0; },
                         [](const std::wstring& p) { return kFolders.count(p) > 0; }};

struct Case {
    std::wstring first, second;
    StartMode::Kind kind;
    std::wstring target, folder, edited;
};

TEST(StartMode, DecidesFromTheFirstTwoArguments) {
    const Case cases[] = {
        {L"/uninstall", L"", StartMode::Uninstall, L"", L"", L""},
        {L"/UNINSTALL", L"", StartMode::Wizard, L"", L"", L""},
        {L"/s", L"C:\\Ordner", StartMode::NewLinkHere, L"", L"C:\\Ordner\\", L""},
        {L"/S", L"C:\\Ordner\\", StartMode::NewLinkHere, L"", L"C:\\Ordner\\", L""},
        {L"/S", L"C:\\fehlt", StartMode::Wizard, L"", L"", L""},
        {L"/d", L"C:\\Ordner", StartMode::Wizard, L"", L"C:\\Ordner", L""},
        {L"/D", L"C:\\a.exe", StartMode::Wizard, L"", L"", L""},
        {L"/e", L"C:\\x.lnk", StartMode::Wizard, L"", L"", L"C:\\x.lnk"},
        {L"/E", L"C:\\Menü\\Link", StartMode::Wizard, L"", L"", L"C:\\Menü\\Link"},
        {L"/E", L"C:\\text.txt", StartMode::Wizard, L"", L"", L""},
        {L"/E", L"C:\\fehlt.lnk", StartMode::Wizard, L"", L"", L""},
        {L"C:\\Mit Blank\\b.exe", L"egal", StartMode::Wizard, L"\"C:\\Mit Blank\\b.exe\"", L"", L""},
        {L"C:\\k,omma.exe", L"", StartMode::Wizard, L"C:\\k,omma.exe", L"", L""},
        {L"C:\\Ordner", L"", StartMode::Wizard, L"C:\\Ordner", L"", L""},
        {L"C:\\fehlt.exe", L"", StartMode::Wizard, L"", L"", L""},
        {L"", L"", StartMode::Wizard, L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.first + L" " + c.second));
        const StartMode mode = DecideStartMode(c.first, c.second, kPaths);
        EXPECT_EQ(mode.kind, c.kind);
        EXPECT_EQ(mode.target, c.target);
        EXPECT_EQ(mode.folder, c.folder);
        EXPECT_EQ(mode.editedLink, c.edited);
    }
}

TEST(StartMode, EditedLinkPieces) {
    EXPECT_EQ(NewLinkHereParameters(L"C:\\Ordner"), L"appwiz.cpl,NewLinkHere C:\\Ordner\\");
    EXPECT_EQ(NewLinkHereParameters(L"C:\\Ordner\\"), L"appwiz.cpl,NewLinkHere C:\\Ordner\\");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a,b.exe", L""), L"\"C:\\a,b.exe\"");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a b.exe", L"/x y"), L"\"C:\\a b.exe\" /x y");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a.exe", L"-q"), L"C:\\a.exe -q");
    EXPECT_EQ(EditedLinkFile(L"C:\\x.lnk"), L"C:\\x.lnk");
    EXPECT_EQ(EditedLinkFile(L"C:\\Menü\\Link"), L"C:\\Menü\\Link\\target.lnk");
    EXPECT_EQ(EditedLinkFile(L"C:\\Menü\\Link\\"), L"C:\\Menü\\Link\\target.lnk");
}

}  // namespace
