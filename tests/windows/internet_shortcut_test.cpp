#include <shlobj.h>
#include <intshcut.h>

#include "app/start_mode.h"
#include "app/startup.h"
#include "links/internet_shortcut.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/wizard_fixture.h"

namespace {

// The file's text, as UTF-16 with its byte-order mark or in single bytes.
std::wstring FileText(const std::wstring& file) {
    const std::string bytes = ReadWholeFile(file);
    if (bytes.rfind("\xFF\xFE", 0) == 0) return {reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2};
    return {bytes.begin(), bytes.end()};
}

// The address as the system's own Internet-shortcut object reads it from the file.
std::wstring AddressThroughSystem(const std::wstring& file) {
    constexpr CLSID kShortcut = {0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
    constexpr IID kLocator = {0xCABB0DA0, 0xDA57, 0x11CF, {0x99, 0x74, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x62}};
    ComPtr<IUniformResourceLocatorW> shortcut;
    ComPtr<IPersistFile> persist;
    wchar_t* url = nullptr;
    if (FAILED(CoCreateInstance(kShortcut, nullptr, CLSCTX_INPROC_SERVER, kLocator,
                                reinterpret_cast<void**>(shortcut.GetAddressOf()))) ||
        FAILED(shortcut.As(&persist)) || FAILED(persist->Load(file.c_str(), STGM_READ)) || FAILED(shortcut->GetURL(&url)))
        return L"(unreadable)";
    const std::wstring address = url ? url : L"";
    CoTaskMemFree(url);
    return address;
}

class InternetShortcutTest : public WizardTest {
protected:
    // Types the address, takes the proposed name in the temporary folder and finishes. The
    // buttons are pressed by their handles: keys posted to the focus would depend on which test's
    // window holds the activation of the shared screen.
    std::wstring MakeTyped(const std::wstring& address, const std::wstring& proposedName) {
        ui().TypeKeys(Field::CommandLine, address);
        ui().Press(Push::Next);
        EXPECT_EQ(form->CurrentPage(), LinkWizard::Location);
        EXPECT_TRUE(BoxTexts().empty()) << "a web address is never looked for on the disk";
        EXPECT_EQ(NamePart(ui().Text(Field::Location)), proposedName);
        ui().Type(Field::Location, temp.Path() + proposedName);
        ui().Press(Push::Next);
        EXPECT_EQ(form->CurrentPage(), LinkWizard::Icon) << "an Internet shortcut has no description";
        EXPECT_EQ(ui().Caption(Push::Next), L"Fertig stellen");
        ui().Press(Push::Next);
        EXPECT_EQ(form->CurrentPage(), LinkWizard::Closing);
        return temp.Path() + proposedName + L".url";
    }
};

TEST_F(InternetShortcutTest, AnAddressTypedBecomesAnInternetShortcutThatEditingKeepsWhole) {
    const std::wstring query = L"https://www.example.org/suche?q=zeiger&seite=2";
    const std::wstring file = MakeTyped(query, L"example.org");
    const std::string bytes = ReadWholeFile(file);
    EXPECT_NE(bytes.find("[InternetShortcut]"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("URL=" + Utf8FromWide(query) + "\r\n"), std::string::npos) << bytes;

    ui().Press(Push::Next);  // "&Ja": another one, with an umlaut
    const std::wstring umlaut = L"https://münchen.example/straße?q=ö&stadt=Győr";
    const std::wstring second = MakeTyped(umlaut, L"münchen.example");
    EXPECT_EQ(AddressThroughSystem(second), umlaut);

    // Keys the wizard does not show, as another program leaves them.
    WritePrivateProfileStringW(L"InternetShortcut", L"Modified", L"C0FFEE", second.c_str());
    WritePrivateProfileStringW(L"Fremd", L"Schluessel", L"Wert", second.c_str());
    form.reset();
    NewForm();
    PrepareWizard(*form, DecideStartMode(L"/E", second, {FileExists, DirectoryExists, {}, {}}));
    EXPECT_EQ(ui().Text(Field::CommandLine), umlaut);
    for (int page = 0; page < 3; ++page) ui().Press(Push::Next);
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing) << Utf8FromWide(BoxTexts().empty() ? L"" : BoxTexts()[0]);
    EXPECT_EQ(AddressThroughSystem(second), umlaut);
    const std::wstring after = FileText(second);
    for (const wchar_t* kept : {L"Modified=C0FFEE", L"[Fremd]", L"Schluessel=Wert"})
        EXPECT_NE(after.find(kept), std::wstring::npos) << Utf8FromWide(after);
}

}  // namespace
