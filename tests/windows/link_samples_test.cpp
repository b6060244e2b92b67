#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/utf.h"
#include "tests/windows/support/program_files.h"
#include "tests/windows/support/temp_folder.h"
#include "links/link_store.h"

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
        if (c.target != L"*") EXPECT_EQ(link.targetPath, c.target);
        EXPECT_EQ(link.arguments, c.arguments);
        EXPECT_EQ(link.workingFolder, c.workingFolder);
        EXPECT_EQ(link.description, c.description);
        if (c.iconFile != L"*") EXPECT_EQ(link.iconFile, c.iconFile);
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

}  // namespace
