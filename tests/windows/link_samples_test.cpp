#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/utf.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/temp_folder.h"
#include "links/link_store.h"
#include "tests/windows/support/wine.h"

#include <algorithm>
#include <vector>

namespace {

// Links made by real Windows versions (tests/data/lnk-samples, with their README and licence).
std::wstring Sample(const std::wstring& relative) { return SourceFile(L"tests/data/lnk-samples/" + relative); }

struct SampleCase {
    std::wstring file, target, arguments, workingFolder, description, iconFile;
    int iconIndex;
};

TEST(LinkSamples, WindowsMadeLinksReadWithTheirFields) {
    const SampleCase cases[] = {
        {L"Lnk/WinXP/Refer me to more Internet Service Providers.lnk",
         L"C:\\Program Files\\Internet Explorer\\Connection Wizard\\icwconn1.exe", L"/smartboot new /skipintro",
         L"C:\\WINDOWS", L"Helps you choose an Internet Service Provider.", L"%SystemRoot%\\system32\\shell32.dll", 88},
        {L"Lnk/WinXP/Set Program Access and Defaults.lnk", L"*", L"appwiz.cpl,,3", L"%HOMEDRIVE%%HOMEPATH%",
         L"@%SystemRoot%\\system32\\xpsp1res.dll,-10078", L"%SystemRoot%\\system32\\moricons.dll", -114},
        {L"Lnk/Win2k3/Manage Your Server.lnk", L"*", L"res://%SystemRoot%\\system32\\mys.dll/mys.hta",
         L"%HOMEDRIVE%%HOMEPATH%", L"@%SystemRoot%\\system32\\mys.dll,-1009", L"%SystemRoot%\\system32\\mys.dll",
         -1000},
        {L"Lnk/Win7/Control Panel.lnk", L"", L"", L"", L"@%windir%\\explorer.exe,-307",
         L"%windir%\\system32\\imageres.dll", -27},
        {L"Lnk/Misc/native.xp.15.test",
         L"C:\\Documents and Settings\\All Users\\Documents\\Mes images\\Échantillons d'images", L"", L"", L"", L"", 0},
        {L"Lnk/WinXP/MSN.lnk", L"C:\\Program Files\\MSN\\MSNCoreFiles\\Install\\msnsusii.exe", L"",
         L"C:\\Program Files\\MSN\\MSNCoreFiles\\Install",
         L"Explore the web, read your e-mail, talk to your online contacts, enjoy online music and video, and more.",
         L"*", 0},
        {L"Lnk/Win10/Hyper-V Manager.lnk", L"*", L"\"%windir%\\System32\\virtmgmt.msc\"", L"%ProgramFiles%\\Hyper-V\\",
         L"@%ProgramFiles%\\Hyper-V\\SnapInAbout.dll,-132", L"%ProgramFiles%\\Hyper-V\\SnapInAbout.dll", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.file));
        LinkData link;
        ASSERT_NO_THROW(link = ReadLink(Sample(c.file)));
        if (c.target != L"*") { EXPECT_EQ(link.targetPath, c.target); }
        EXPECT_EQ(link.arguments, c.arguments);
        EXPECT_EQ(link.workingFolder, c.workingFolder);
        EXPECT_EQ(link.description, c.description);
        if (c.iconFile != L"*") { EXPECT_EQ(link.iconFile, c.iconFile); }
        EXPECT_EQ(link.iconIndex, c.iconIndex);
    }
}

TEST(LinkSamples, MalformedLinksFailWithTheSystemText) {
    TempFolder temp;
    // A real link cut short, at several places.
    const std::string whole = ReadFileBytes(Sample(L"Lnk/WinXP/Refer me to more Internet Service Providers.lnk"));
    ASSERT_GT(whole.size(), 100u);
    std::vector<std::wstring> bad = {Sample(L"Lnk/Bad/$I2GXWHL.lnk")};
    for (const size_t length : {size_t{10}, size_t{76}, size_t{90}}) {
        const std::wstring name = L"cut" + std::to_wstring(length) + L".lnk";
        bad.push_back(temp.MakeFile(name, whole.substr(0, length)));
    }
    for (const auto& path : bad) {
        SCOPED_TRACE(Utf8FromWide(path));
        try {
            const LinkData link = ReadLink(path);
            ADD_FAILURE() << "read without error; target " << Utf8FromWide(link.targetPath);
        } catch (const PlatformError& error) {
            EXPECT_FALSE(error.Message().empty());
        }
    }
}

TEST(LinkSamples, WindowsMadeLinksKeepTheirFieldsWhenEdited) {
    TempFolder temp;
    const std::vector<std::string> fields = {"Local path", "Relative path", "Working directory", "Command line arguments",
                                             "Icon location", "Icon index", "Environment variables location",
                                             "Machine identifier"};
    // What Wine's shell object does not write back: the link tracking block, and, as it stores a
    // loaded relative path without its flag, everything of links that have one beyond the fields
    // the wizard shows (they are written anew from those, a variable target expanded here).
    struct Case {
        std::wstring file;
        std::vector<std::string> wineLoses;
    };
    const Case cases[] = {
        {L"Lnk/Win7/Windows PowerShell.lnk", {"Machine identifier"}},
        {L"Lnk/Win10/Hyper-V Manager.lnk", {}},
        {L"Lnk/Win8.0/AppexNews.lnk", {}},
        {L"Lnk/WinXP/MSN.lnk", {"Relative path", "Icon location", "Machine identifier"}},
        {L"Lnk/WinXP/Refer me to more Internet Service Providers.lnk", {"Relative path", "Machine identifier"}},
        {L"Lnk/WinXP/Command Prompt.lnk", {"Relative path", "Local path", "Machine identifier"}},
        {L"Lnk/Win7/Desktop.lnk", {"Local path", "Relative path", "Machine identifier"}},
        {L"LnkParse3/microsoft_example.lnk", {"Relative path", "Machine identifier"}},
        {L"Lnk/WinVista/migwiz.lnk", {"Relative path", "Local path", "Machine identifier"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.file));
        StoredLink stored;
        ASSERT_NO_THROW(stored = ReadStoredLink(Sample(c.file)));
        LinkData edit = stored.fields;
        edit.description = L"Neu";
        const std::wstring out = temp / L"bearbeitet.lnk";
        ASSERT_NO_THROW(WriteEditedLink(out, stored, edit));

        LinkData back = ReadLink(out);
        EXPECT_EQ(back.description, L"Neu");
        back.description = stored.fields.description;
        EXPECT_EQ(back.targetPath, stored.fields.targetPath);
        EXPECT_EQ(back.arguments, stored.fields.arguments);
        EXPECT_EQ(back.workingFolder, stored.fields.workingFolder);
        EXPECT_EQ(back.iconFile, stored.fields.iconFile);
        EXPECT_EQ(back.iconIndex, stored.fields.iconIndex);

        const std::string before = LnkInfo(Sample(c.file)), after = LnkInfo(out);
        ASSERT_FALSE(after.empty());
        EXPECT_EQ(LnkField(after, "Description"), "Neu") << after;
        for (const auto& field : fields) {
            const bool lost = std::find(c.wineLoses.begin(), c.wineLoses.end(), field) != c.wineLoses.end();
            if (RunningUnderWine() && lost) continue;
            EXPECT_EQ(LnkField(after, field), LnkField(before, field)) << field;
        }
    }
}
}  // namespace
