#include <gtest/gtest.h>

#include <string>
#include <functional>
#include <tuple>

#include <windows.h>
#include <commctrl.h>

#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/utf.h"
#include "tests/windows/support/link_file_settings.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "links/link_kind.h"
#include "links/link_rules.h"
#include "links/link_store.h"

namespace {

class LinkStoreTest : public ::testing::Test {
protected:
    TempFolder temp;
};

// Each case is written over the one before, so that empty fields replace full ones. The fields
// read back through the program and through an independent reader.
TEST_F(LinkStoreTest, WrittenFieldsReadBackAndReplaceTheOldOnes) {
    const std::wstring exe = temp.MakeFile(L"Programme\\Werkzeug.exe");
    const std::wstring unicodeFolder = temp.MakeFolder(L"Ärger \u4E2D\u6587 \u0416");
    const std::wstring unicodeExe = temp.MakeFile(L"Ärger \u4E2D\u6587 \u0416\\Prüfer.exe");
    std::wstring longArguments, longDescription;
    while (longArguments.size() < 1000) longArguments += L"/option" + std::to_wstring(longArguments.size()) + L" ";
    while (longDescription.size() < 1000) longDescription += L"Wort" + std::to_wstring(longDescription.size()) + L" ";
    const struct {
        const char* name;
        std::wstring target, arguments, description, iconFile;
        int iconIndex;
        std::wstring workingFolder;
    } cases[] = {
        {"arguments and icon index 5", exe, L"/x \"a b\"", L"Beschreibung", temp / L"icons.dll", 5,
         temp.Path() + L"Programme"},
        {"plain, no arguments, no icon", exe, L"", L"", L"", 0, temp.Path() + L"Programme"},
        {"folder target", temp.Path() + L"Programme", L"", L"Ordner", L"", 0, WithoutTrailingBackslash(temp.Path())},
        {"text outside the Western code page", unicodeExe, L"\u0416\u4E2D \u03B1\u03B2", L"Ünïcödé \u20AC \u4E2D \u03A9",
         unicodeFolder + L"\u03A3\u4E2D.ico", 3, WithoutTrailingBackslash(unicodeFolder)},
        {"long arguments and description", exe, longArguments, longDescription, L"", 0, temp.Path() + L"Programme"},
    };
    const std::wstring linkFile = temp / L"Verknüpfung.lnk";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_THROW(WriteLink(linkFile, NewLinkData(c.target, c.arguments, c.description, c.iconFile, c.iconIndex)));
        const LinkData data = ReadLink(linkFile);
        EXPECT_EQ(std::tie(data.targetPath, data.arguments, data.description, data.iconFile, data.workingFolder),
                  std::tie(c.target, c.arguments, c.description, c.iconFile, c.workingFolder));
        EXPECT_EQ(data.iconIndex, c.iconIndex);

        const std::string report = LnkInfo(linkFile);
        ASSERT_FALSE(report.empty()) << "lnkinfo did not run";
        // Wine's link object stores the target's location in the code page only; Windows adds its Unicode form.
        std::string localPath(c.target.size() * 2, '\0');
        localPath.resize(WideCharToMultiByte(CP_ACP, 0, c.target.data(), static_cast<int>(c.target.size()),
                                             localPath.data(), static_cast<int>(localPath.size()), nullptr, nullptr));
        std::wstring widened(localPath.size(), L'\0');
        widened.resize(MultiByteToWideChar(CP_ACP, 0, localPath.data(), static_cast<int>(localPath.size()),
                                           widened.data(), static_cast<int>(widened.size())));
        EXPECT_EQ(LnkField(report, "Local path"), Utf8FromWide(RunningUnderWine() ? widened : c.target)) << report;
        EXPECT_EQ(LnkField(report, "Working directory"), Utf8FromWide(c.workingFolder)) << report;
        EXPECT_EQ(LnkField(report, "Command line arguments"), Utf8FromWide(c.arguments)) << report;
        EXPECT_EQ(LnkField(report, "Description"), Utf8FromWide(c.description)) << report;
        EXPECT_EQ(LnkField(report, "Icon location"), Utf8FromWide(c.iconFile)) << report;
        if (!c.iconFile.empty()) { EXPECT_EQ(LnkField(report, "Icon index"), std::to_string(c.iconIndex)) << report; }
    }
}

// The location page refuses what the store would refuse at the end: a link file longer than
// The location page refuses what the store would refuse at the end: a link file longer than
// kMaxLinkPathLength, and a folder where no file can be made.
TEST_F(LinkStoreTest, TheLocationChecksAgreeWithTheStore) {
    const std::wstring exe = temp.MakeFile(L"a.exe");
    std::wstring folder = temp.Path();
    while (folder.size() < 200) folder = temp.MakeFolder(folder.substr(temp.Path().size()) + L"Verzeichnis");
    for (const size_t length : {kMaxLinkPathLength, kMaxLinkPathLength + 1}) {
        const std::wstring location = folder + std::wstring(length - folder.size() - 4, L'n');
        const std::wstring linkFile = LinkFileName(location, LinkKind::ShellLink);
        ASSERT_EQ(linkFile.size(), length);
        bool written = true;
        try {
            WriteLink(linkFile, NewLinkData(exe, L"", L"", L"", 0));
        } catch (const PlatformError&) {
            written = false;
        }
        EXPECT_EQ(written, linkFile.size() <= kMaxLinkPathLength) << length;
    }

    const std::wstring locked = temp.MakeFolder(L"gesperrt");
    MakeFolderReadOnly(locked);
    const struct {
        std::wstring folder;
        DWORD error;
    } folders[] = {{temp.Path(), 0}, {locked, ERROR_ACCESS_DENIED}};
    for (const auto& f : folders) EXPECT_EQ(FileCreationError(f.folder), f.error) << Utf8FromWide(f.folder);
    MakeFolderWritable(locked);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((temp.Path() + L"~zw*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "the probe leaves no file behind";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
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
    EXPECT_THROW(WriteLink(temp / L"fehlt\\x.lnk", NewLinkData(temp.MakeFile(L"a.exe"), L"", L"", L"", 0)), PlatformError);
}

TEST_F(LinkStoreTest, EachSettingIsWrittenReadBackAndEditedAlone) {
    const LinkData base = NewLinkData(temp.MakeFile(L"Programme\\Werkzeug.exe"), L"-a", L"Beschreibung");
    const std::wstring start = WithoutTrailingBackslash(temp.MakeFolder(L"Start hier"));
    const std::function<void(LinkData&)> changes[] = {
        [](LinkData& l) { l.hotKey = MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT); },
        [](LinkData& l) { l.showCommand = 7; },
        [](LinkData& l) { l.showCommand = 3; },
        [](LinkData& l) { l.runAsAdmin = true; },
        [&](LinkData& l) { l.workingFolder = start; },
    };
    for (const auto& change : changes) {
        LinkData changed = base;
        change(changed);
        const std::wstring set = temp / L"Gesetzt.lnk", plain = temp / L"Schlicht.lnk";
        ASSERT_NO_THROW(WriteLink(set, changed));
        EXPECT_EQ(InFile(set), Asked(changed));
        EXPECT_EQ(Asked(ReadLink(set)), Asked(changed));
        // An edit that changes nothing keeps the bytes; one that changes the setting, only it.
        for (const std::wstring& file : {set, plain}) {
            if (file == plain) { ASSERT_NO_THROW(WriteLink(plain, base)); }
            const std::string bytes = ReadWholeFile(file);
            const StoredLink stored = ReadStoredLink(file);
            ASSERT_NO_THROW(WriteEditedLink(file, stored, stored.fields));
            EXPECT_EQ(ReadWholeFile(file), bytes);
        }
        StoredLink stored = ReadStoredLink(plain);
        change(stored.fields);
        ASSERT_NO_THROW(WriteEditedLink(plain, ReadStoredLink(plain), stored.fields));
        EXPECT_EQ(InFile(plain), Asked(changed));
    }
}

TEST_F(LinkStoreTest, PathsWithVariablesFollowTheVariable) {
    SetEnvironmentVariableW(L"ZW_WERKZEUG", (temp.Path() + L"Werkzeuge").c_str());
    const std::wstring exe = temp.MakeFile(L"Werkzeuge\\prog.exe"), icons = temp.MakeFile(L"Werkzeuge\\bilder.dll");
    const std::wstring linkFile = temp / L"Variable.lnk", variable = L"%ZW_WERKZEUG%\\prog.exe";
    ASSERT_NO_THROW(WriteLink(linkFile, NewLinkData(variable, L"", L"", L"%ZW_WERKZEUG%\\bilder.dll", 2)));
    EXPECT_EQ(ReadLink(linkFile).targetPath, variable);
    EXPECT_EQ(ReadLink(linkFile).iconFile, L"%ZW_WERKZEUG%\\bilder.dll");
    // Other readers find the expanded path; the flags send the system to the variable forms.
    EXPECT_NE(LnkInfo(linkFile).find(Utf8FromWide(exe)), std::string::npos) << LnkInfo(linkFile);
    const std::string bytes = ReadWholeFile(linkFile);
    EXPECT_EQ(bytes[0x15] & 0x42, 0x42);
    EXPECT_NE(bytes.find(std::string(reinterpret_cast<const char*>(variable.c_str()), variable.size() * 2)),
              std::string::npos);
    // An unchanged edit keeps the variable; plain paths drop it.
    StoredLink stored = ReadStoredLink(linkFile);
    ASSERT_NO_THROW(WriteEditedLink(linkFile, stored, stored.fields));
    EXPECT_EQ(ReadWholeFile(linkFile), bytes);
    LinkData plain = NewLinkData(exe, L"", L"", icons, 3);
    ASSERT_NO_THROW(WriteEditedLink(linkFile, stored, plain));
    const LinkData read = ReadLink(linkFile);
    EXPECT_EQ(read.targetPath + L"|" + read.iconFile, exe + L"|" + icons);
    EXPECT_EQ(ReadWholeFile(linkFile)[0x15] & 0x42, 0);
    SetEnvironmentVariableW(L"ZW_WERKZEUG", nullptr);
}

}  // namespace
