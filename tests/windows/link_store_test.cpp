#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/platform_error.h"
#include "platform/utf.h"
#include "tests/windows/support/temp_folder.h"
#include "wizard/link_store.h"

namespace {

struct WriteCase {
    const char* name;
    std::wstring target, arguments, description, iconFile;
    int iconIndex;
    std::wstring workingFolder;
};

class LinkStoreTest : public ::testing::Test {
protected:
    TempFolder temp;
};

TEST_F(LinkStoreTest, WrittenFieldsReadBack) {
    const std::wstring exe = temp.MakeFile(L"Programme\\Werkzeug.exe");
    const std::wstring unicodeFolder = temp.MakeFolder(L"Ärger \u4E2D\u6587 \u0416");
    const std::wstring unicodeExe = temp.MakeFile(L"Ärger \u4E2D\u6587 \u0416\\Prüfer.exe");
    const WriteCase cases[] = {
        {"plain, no arguments, no icon", exe, L"", L"", L"", 0, temp.Path() + L"Programme"},
        {"arguments and icon index 5", exe, L"/x \"a b\"", L"Beschreibung", temp / L"icons.dll", 5,
         temp.Path() + L"Programme"},
        {"folder target", temp.Path() + L"Programme", L"", L"Ordner", L"", 0, temp.Path().substr(0, temp.Path().size() - 1)},
        {"text outside the Western code page", unicodeExe, L"\u0416\u4E2D", L"Ünïcödé \u20AC \u4E2D", L"", 0,
         unicodeFolder.substr(0, unicodeFolder.size() - 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring linkFile = temp / L"Verknüpfung.lnk";
        ASSERT_TRUE(WriteLink(c.target, linkFile, c.arguments, c.description, c.iconFile, c.iconIndex));
        const LinkData data = ReadLink(linkFile);
        EXPECT_EQ(data.targetPath, c.target);
        EXPECT_EQ(data.arguments, c.arguments);
        EXPECT_EQ(data.description, c.description);
        EXPECT_EQ(data.iconFile, c.iconFile);
        EXPECT_EQ(data.iconIndex, c.iconFile.empty() ? 0 : c.iconIndex);
        EXPECT_EQ(data.workingFolder, c.workingFolder);
    }
}

TEST_F(LinkStoreTest, EmptyDescriptionReplacesAnOldOne) {
    const std::wstring exe = temp.MakeFile(L"a.exe");
    const std::wstring linkFile = temp / L"x.lnk";
    ASSERT_TRUE(WriteLink(exe, linkFile, L"-alt", L"Alte Beschreibung", temp / L"i.ico", 2));
    ASSERT_TRUE(WriteLink(exe, linkFile, L"", L"", L"", 0));
    const LinkData data = ReadLink(linkFile);
    EXPECT_EQ(data.description, L"");
    EXPECT_EQ(data.arguments, L"");
    EXPECT_EQ(data.iconFile, L"");
}

TEST_F(LinkStoreTest, LongArgumentsAndDescriptionSurvive) {
    const std::wstring exe = temp.MakeFile(L"a.exe");
    const std::wstring linkFile = temp / L"lang.lnk";
    std::wstring arguments, description;
    for (int i = 0; i < 60; ++i) arguments += L"/option" + std::to_wstring(i) + L" ";
    for (int i = 0; i < 80; ++i) description += L"Wort" + std::to_wstring(i) + L" ";
    ASSERT_GT(arguments.size(), 400u);
    ASSERT_GT(description.size(), 400u);
    ASSERT_TRUE(WriteLink(exe, linkFile, arguments, description, L"", 0));
    const LinkData data = ReadLink(linkFile);
    EXPECT_EQ(data.arguments, arguments);
    EXPECT_EQ(data.description, description);
}

TEST_F(LinkStoreTest, LinkPathLimitIs259Characters) {
    const std::wstring exe = temp.MakeFile(L"a.exe");
    // Fill up to the wanted length with one long folder name (each component stays under 255).
    const auto pathOfLength = [&](size_t length) {
        const size_t folderLength = length - temp.Path().size() - 1 - 5;  // "\x.lnk" minus the backslash
        std::wstring folder = temp.Path() + std::wstring(folderLength, L'd');
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder + L"\\x.lnk";
    };
    const std::wstring fits = pathOfLength(259);
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_TRUE(WriteLink(exe, fits, L"", L"", L"", 0));
    EXPECT_TRUE(FileExists(fits));
    const std::wstring tooLong = pathOfLength(260);
    ASSERT_EQ(tooLong.size(), 260u);
    EXPECT_FALSE(WriteLink(exe, tooLong, L"", L"", L"", 0));
}

TEST_F(LinkStoreTest, UnreadableLinksFailWithTheSystemText) {
    const std::wstring notALink = temp.MakeFile(L"kein.lnk", "das ist keine Verknüpfung");
    for (const std::wstring& path : {temp / L"fehlt.lnk", notALink, temp.Path()}) {
        try {
            ReadLink(path);
            ADD_FAILURE() << "no error for " << Utf8FromWide(path);
        } catch (const PlatformError& error) {
            EXPECT_FALSE(error.Message().empty());
        }
    }
}

TEST_F(LinkStoreTest, WritingIntoAMissingFolderFails) {
    EXPECT_FALSE(WriteLink(temp.MakeFile(L"a.exe"), temp / L"fehlt\\x.lnk", L"", L"", L"", 0));
}

}  // namespace
