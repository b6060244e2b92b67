#include <gtest/gtest.h>

#include <set>

#include "app/start_mode.h"
#include "links/link_rules.h"
#include "platform/utf.h"

namespace {

const std::set<std::wstring> kFiles = {L"C:\\a.exe", L"C:\\Mit Blank\\b.exe", L"C:\\k,omma.exe", L"C:\\x.lnk",
                                       L"C:\\text.txt", L"C:\\Seite.URL"};
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
        {L"/E", L"C:\\Seite.URL", StartMode::Wizard, L"", L"", L"C:\\Seite.URL"},
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

TEST(StartMode, RelativePathsAreTakenInTheCurrentFolder) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Größenmaß.txt", L"C:\\Arbeit\\Größenmaß.txt"},
        {L".\\Unter/a.txt", L"C:\\Arbeit\\Unter\\a.txt"},
        {L"..\\..\\..\\b.txt", L"C:\\b.txt"},
        {L"\\Wurzel\\c.txt", L"C:\\Wurzel\\c.txt"},
        {L"c:d.txt", L"C:\\Arbeit\\d.txt"},
        {L"D:e.txt", L"D:\\e.txt"},
        {L"D:\\Daten\\.\\Alt\\..\\f.txt", L"D:\\Daten\\f.txt"},
        {L"\\\\server\\share\\x\\..\\g.txt", L"\\\\server\\share\\g.txt"},
        {L"%windir%\\notepad.exe", L"%windir%\\notepad.exe"},
        {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},  // a literal name there
        {L"", L""},
    };
    for (const auto& [given, absolute] : cases) {
        EXPECT_EQ(AbsolutePathIn(given, L"C:\\Arbeit\\"), absolute) << Utf8FromWide(given);
        EXPECT_EQ(AbsolutePathIn(absolute, L"E:\\Anderswo"), absolute) << "absolute stays";
    }
    // Each form of the command line meets its existence check with the absolute path.
    PathQueries inFolder = kPaths;
    inFolder.currentFolder = L"C:\\Mit Blank";
    EXPECT_EQ(DecideStartMode(L"b.exe", L"", inFolder).target, L"\"C:\\Mit Blank\\b.exe\"");
    EXPECT_EQ(DecideStartMode(L"/D", L"..\\Ordner", inFolder).folder, L"C:\\Ordner");
    EXPECT_EQ(DecideStartMode(L"/S", L"..\\Ordner", inFolder).folder, L"C:\\Ordner\\");
    EXPECT_EQ(AbsolutePathIn(L"\\Wurzel", L"\\\\server\\share\\Tief\\"), L"\\\\server\\share\\Wurzel");

    // What the drive verbs and a variable path from Explorer give.
    inFolder.folderExists = [](const std::wstring& p) { return p == L"D:\\" || p == L"C:\\Windows"; };
    inFolder.fileExists = [](const std::wstring& p) { return p == L"C:\\Windows\\notepad.exe"; };
    inFolder.expand = [](const std::wstring& p) { return p.rfind(L"%windir%", 0) ? p : L"C:\\Windows" + p.substr(8); };
    EXPECT_EQ(DecideStartMode(L"/S", L"D:\"", inFolder).folder, L"D:\\");
    EXPECT_EQ(DecideStartMode(L"/D", L"D:\"", inFolder).folder, L"D:\\");
    EXPECT_EQ(DecideStartMode(L"%windir%\\notepad.exe", L"", inFolder).target, L"%windir%\\notepad.exe");
}

TEST(StartMode, EditedLinkPieces) {
    EXPECT_EQ(NewLinkHereParameters(L"C:\\Ordner"), L"appwiz.cpl,NewLinkHere C:\\Ordner\\");
    EXPECT_EQ(NewLinkHereParameters(L"C:\\Ordner\\"), L"appwiz.cpl,NewLinkHere C:\\Ordner\\");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a,b.exe", L""), L"\"C:\\a,b.exe\"");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a b.exe", L"/x y"), L"\"C:\\a b.exe\" /x y");
    EXPECT_EQ(EditedTargetCommandLine(L"C:\\a.exe", L"-q"), L"C:\\a.exe -q");
}

}  // namespace
