#include <windows.h>
#include <propvarutil.h>
#include <shobjidl.h>

#include <commctrl.h>

#include "app/startup.h"
#include "links/folder_links.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/windows/support/link_file_settings.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"
#include "tests/windows/support/wizard_fixture.h"

namespace {

constexpr WORD kHotKey = MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT);
const wchar_t* const kAppId = L"DZ.Zeigerwerk.Angeheftet";
// System.AppUserModel.ID, the identity a link pinned to the taskbar carries.
constexpr PROPERTYKEY kAppIdKey = {{0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

// What the wizard does not show of a link, read through the shell object's own interfaces.
struct Extras {
    WORD hotKey = 0;
    int showCommand = 0;
    bool runAs = false;
    std::wstring appId;
    bool console = false;
    std::wstring variableTarget;  // the target as written with environment variables
    std::wstring workingFolder;
    bool operator==(const Extras&) const = default;
};

ComPtr<IShellLinkW> NewShellLink() {
    ComPtr<IShellLinkW> link;
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    return link;
}

Extras ReadExtras(const std::wstring& file) {
    const ComPtr<IShellLinkW> link = NewShellLink();
    ComPtr<IPersistFile> persist;
    link.As(&persist);
    EXPECT_HRESULT_SUCCEEDED(persist->Load(file.c_str(), STGM_READ));
    Extras extras;
    link->GetHotkey(&extras.hotKey);
    link->GetShowCmd(&extras.showCommand);
    wchar_t folder[MAX_PATH] = {};
    link->GetWorkingDirectory(folder, MAX_PATH);
    extras.workingFolder = folder;
    ComPtr<IShellLinkDataList> data;
    if (SUCCEEDED(link.As(&data))) {
        DWORD flags = 0;
        data->GetFlags(&flags);
        extras.runAs = (flags & SLDF_RUNAS_USER) != 0;
        void* block = nullptr;
        extras.console = SUCCEEDED(data->CopyDataBlock(NT_CONSOLE_PROPS_SIG, &block)) && block;
        if (block) LocalFree(block);
        block = nullptr;
        if (SUCCEEDED(data->CopyDataBlock(EXP_SZ_LINK_SIG, &block)) && block)
            extras.variableTarget = static_cast<EXP_SZ_LINK*>(block)->swzTarget;
        if (block) LocalFree(block);
    }
    ComPtr<IPropertyStore> store;
    if (SUCCEEDED(link.As(&store))) {
        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(store->GetValue(kAppIdKey, &value)) && value.vt == VT_LPWSTR) extras.appId = value.pwszVal;
        PropVariantClear(&value);
    }
    return extras;
}

// A link as another program leaves it: everything set through the shell object. The shell may
// refuse some of it (Wine does); what it took is what an edit must keep.
void WriteRichLink(const std::wstring& file, const std::wstring& target, const std::wstring& workingFolder) {
    const ComPtr<IShellLinkW> link = NewShellLink();
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    link->SetDescription(L"Alt");
    link->SetHotkey(kHotKey);
    link->SetShowCmd(SW_SHOWMINNOACTIVE);
    ComPtr<IShellLinkDataList> data;
    if (SUCCEEDED(link.As(&data))) {
        DWORD flags = 0;
        data->GetFlags(&flags);
        data->SetFlags(flags | SLDF_RUNAS_USER);
        NT_CONSOLE_PROPS console{};
        console.dbh = {sizeof console, NT_CONSOLE_PROPS_SIG};
        console.wFillAttribute = 0x1E;
        console.dwScreenBufferSize = {80, 300};
        data->AddDataBlock(&console);
    }
    ComPtr<IPropertyStore> store;
    if (SUCCEEDED(link.As(&store))) {
        PROPVARIANT value;
        if (SUCCEEDED(InitPropVariantFromString(kAppId, &value))) {
            store->SetValue(kAppIdKey, value);
            store->Commit();
            PropVariantClear(&value);
        }
    }
    ComPtr<IPersistFile> persist;
    link.As(&persist);
    ASSERT_HRESULT_SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

// lnkinfo's report without the lines an edit of the description is meant to change.
std::string ReportWithoutDescription(const std::wstring& file) {
    std::string report = LnkInfo(file), kept;
    size_t start = 0;
    while (start < report.size()) {
        size_t end = report.find('\n', start);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(start, end - start);
        if (line.find("Description") == std::string::npos && line.find("description string") == std::string::npos)
            kept += line + "\n";
        start = end + 1;
    }
    return kept;
}

class LinkEditTest : public WizardTest {
protected:
    void Edit(const std::wstring& path) {
        PrepareWizard(*form, DecideStartMode(L"/E", path, {FileExists, DirectoryExists, {}, {}}));
        ASSERT_EQ(ui().EditedLinkPath(), path);
    }
};

TEST_F(LinkEditTest, WhatTheWizardDoesNotShowSurvivesAnEdit) {
    const std::wstring program = MakeProgram(L"Werkzeug\\alt.exe");
    const std::wstring other = MakeProgram(L"Neu\\neu.exe");
    const std::wstring ownFolder = temp.MakeFolder(L"Eigener Start");
    struct Case {
        const char* name;
        std::wstring target;  // empty: unchanged
        std::wstring workingFolder;
    };
    const Case cases[] = {
        {"description changed", L"", WithoutTrailingBackslash(ownFolder)},
        {"target changed", other, temp.Path() + L"Neu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring link = temp / L"Reich.lnk";
        // Wine takes a target with variables for a relative path; Windows keeps that form.
        wchar_t tempPath[MAX_PATH];
        GetTempPathW(MAX_PATH, tempPath);
        const std::wstring variable = L"%TEMP%\\" + program.substr(wcslen(tempPath));
        ASSERT_NO_FATAL_FAILURE(
            WriteRichLink(link, RunningUnderWine() ? program : variable, WithoutTrailingBackslash(ownFolder)));
        // The header's fields as another program leaves them, also where the shell object did not write them.
        LinkHeader header = ReadLinkHeader(link);
        header.showCommand = SW_SHOWMINNOACTIVE;
        header.flags |= kLinkRunAsUser;
        ASSERT_TRUE(WriteLinkHeader(link, header));
        const Extras before = ReadExtras(link);
        const std::string reportBefore = ReportWithoutDescription(link);
        EXPECT_EQ(before.hotKey, kHotKey);
        EXPECT_EQ(before.workingFolder, WithoutTrailingBackslash(ownFolder));
        // Under Wine the extra data blocks do not reach the file; Windows keeps them.
        if (!RunningUnderWine()) {
            EXPECT_EQ(before.appId, kAppId);
            EXPECT_TRUE(before.console);
            EXPECT_EQ(before.variableTarget, variable);
        }

        NewForm();
        Edit(link);
        CreateLink(c.target.empty() ? ui().Text(Field::CommandLine) : c.target, temp.Path() + L"Reich", L"Neu");
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
        const LinkData written = ReadLink(link);
        EXPECT_EQ(written.description, L"Neu");
        EXPECT_EQ(written.targetPath, c.target.empty() ? program : c.target);
        Extras expected = before;
        expected.workingFolder = c.workingFolder;
        const Extras after = ReadExtras(link);
        if (!c.target.empty()) expected.variableTarget.clear();  // a plain new target has no variable form
        EXPECT_EQ(after, expected);
        const LinkHeader kept = ReadLinkHeader(link);
        EXPECT_EQ(kept.showCommand, std::uint32_t{SW_SHOWMINNOACTIVE});
        EXPECT_EQ(kept.hotKey, kHotKey);
        EXPECT_TRUE(kept.flags & kLinkRunAsUser);
        if (c.target.empty()) { EXPECT_EQ(ReportWithoutDescription(link), reportBefore); }
    }
}

TEST_F(LinkEditTest, AFolderLinksTargetLinkIsEditedInPlace) {
    const std::wstring target = temp.MakeFolder(L"Ziel");
    const std::wstring folderLink = temp.Path() + L"Ordnerlink\\";
    ASSERT_NO_THROW(CreateFolderLink(folderLink, NewLinkData(target, L"", L"Alt", L"", 0)));
    SetFileAttributesW((folderLink + L"target.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_NO_FATAL_FAILURE(WriteRichLink(folderLink + L"target.lnk", WithoutTrailingBackslash(target), temp.Path() + L"Ziel"));
    temp.MakeFile(L"Ordnerlink\\eigene Datei.txt", "bleibt");
    MakeFolderReadOnly(folderLink);
    Edit(WithoutTrailingBackslash(folderLink));
    ASSERT_TRUE(ui().Checked(Push::DeleteEditedLink));
    CreateLink(ui().Text(Field::CommandLine), WithoutTrailingBackslash(folderLink), L"Neu");
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Kind);
    PressNext();  // the folder link is preselected
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_EQ(ReadLink(folderLink + L"target.lnk").description, L"Neu");
    EXPECT_EQ(ReadExtras(folderLink + L"target.lnk").hotKey, 0) << "a folder link has no hot key";
    EXPECT_EQ(ReadFileBytes(folderLink + L"eigene Datei.txt"), "bleibt");
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_NE(BoxTexts()[0].find(WithoutTrailingBackslash(folderLink) + L"."), std::wstring::npos) << "the user is told where";
}

TEST_F(LinkEditTest, TheDeleteBoxStaysUntilALinkWasWritten) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring link = temp / L"Alt.lnk", existing = temp / L"Vorhanden.lnk";
    struct Case {
        const char* name;
        BoxAnswer firstAnswer;
        bool locked;  // the existing link is held open, so that replacing it fails
    };
    const Case cases[] = {{"declined overwrite", BoxAnswer::No, false}, {"failed write", BoxAnswer::Yes, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"alt", L"", 0)));
        ASSERT_NO_THROW(WriteLink(existing, NewLinkData(program, L"", L"vorhanden", L"", 0)));
        NewForm();
        Edit(link);
        {
            FileHandle lock;
            if (c.locked) lock.Reset(CreateFileW(existing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            boxes.Answer(c.firstAnswer);
            CreateLink(ui().Text(Field::CommandLine), temp.Path() + L"Vorhanden", L"neu");
        }
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
        EXPECT_TRUE(ui().Visible(Push::DeleteEditedLink));
        EXPECT_TRUE(ui().Checked(Push::DeleteEditedLink));
        ASSERT_TRUE(FileExists(link)) << "the edited link waits for a written one";

        boxes.Answer(BoxAnswer::Yes);
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
        EXPECT_FALSE(FileExists(link)) << "the old link goes once the new one is written";
        EXPECT_EQ(ReadLink(existing).description, L"neu");
        EXPECT_FALSE(ui().Visible(Push::DeleteEditedLink));
    }
}

TEST_F(LinkEditTest, BackLeavesTheEditedLinkAsItWas) {
    const std::wstring program = MakeProgram(L"a.exe");
    const std::wstring link = temp / L"Alt.lnk";
    ASSERT_NO_THROW(WriteLink(link, NewLinkData(program, L"", L"alt", L"", 0)));
    const std::string before = ReadFileBytes(link);
    Edit(link);
    ASSERT_TRUE(ui().Visible(Push::DeleteEditedLink));
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    EXPECT_TRUE(ui().Press(Push::Back));
    EXPECT_FALSE(ui().Visible(Push::DeleteEditedLink));
    CreateLink(ui().Text(Field::CommandLine), temp.Path() + L"Neu", L"neu");
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_EQ(ReadFileBytes(link), before);
    EXPECT_EQ(ReadLink(temp / L"Neu.lnk").description, L"neu");

    // Back keeps the edited link's own settings: "&Ja" on the overwrite question keeps its hot key.
    LinkData withHotKey = NewLinkData(program, L"", L"alt", L"", 0);
    withHotKey.hotKey = kHotKey;
    ASSERT_NO_THROW(WriteLink(link, withHotKey));
    NewForm();
    Edit(link);
    PressNext();
    EXPECT_TRUE(ui().Press(Push::Back));
    boxes.Answer(BoxAnswer::Yes);
    CreateLink(ui().Text(Field::CommandLine), WithoutExtension(link), L"neu");
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
    EXPECT_EQ(ReadLinkHeader(link).hotKey, kHotKey);
    EXPECT_EQ(ReadLink(link).description, L"neu");
}

// A hot key set through "Erweiterte Einstellungen" reaches the file; an edited link's own
// settings are shown and kept, byte for byte; a target with a variable keeps it.
TEST_F(LinkEditTest, TheDialogsSettingsReachTheFileAndNothingElse) {
    SetEnvironmentVariableW(L"ZW_WERKZEUG", (temp.Path() + L"Werkzeuge").c_str());
    const std::wstring program = MakeProgram(L"Werkzeuge\\prog.exe"), link = temp / L"Gesetzt.lnk";
    const struct {
        std::wstring target;
        bool edit;  // of a link that runs as administrator
    } cases[] = {{program, false}, {program, true}, {L"%ZW_WERKZEUG%\\prog.exe", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8FromWide(c.target) + (c.edit ? " edited" : ""));
        LinkData own = NewLinkData(c.target, L"", L"Werkzeug");
        own.runAsAdmin = c.edit;
        DeleteFileW(link.c_str());
        if (c.edit) { ASSERT_NO_THROW(WriteLink(link, own)); }
        const std::string before = c.edit ? ReadFileBytes(link) : std::string();
        NewForm();
        if (c.edit) Edit(link);
        // The dialog as a user meets it: the run-as box as the link has it, a new hot key, OK.
        WindowAnswer settings([](HWND window) { return TextOf(window) == L"Erweiterte Einstellungen"; },
                              [&](HWND dialog) {
                                  const HWND runAs = ChildWindow(dialog, L"Button", L"Als &Administrator ausführen");
                                  EXPECT_EQ(SendMessageW(runAs, BM_GETCHECK, 0, 0), c.edit ? BST_CHECKED : BST_UNCHECKED);
                                  SendMessageW(ChildWindow(dialog, HOTKEY_CLASSW), HKM_SETHOTKEY,
                                               MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
                                  SendMessageW(ChildWindow(dialog, L"Button", L"OK"), BM_CLICK, 0, 0);
                              });
        TypeTarget(c.target);
        PressNext();
        TypeLocation(temp.Path() + L"Gesetzt");
        PressNext();
        ui().Type(Field::Description, L"Werkzeug");
        EXPECT_TRUE(ui().Press(Push::Settings));
        EXPECT_EQ(settings.Answered(), 1);
        PressNext();
        PressNext();
        ASSERT_EQ(form->CurrentPage(), LinkWizard::Closing);
        own.hotKey = MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT);
        EXPECT_EQ(InFile(link), Asked(own));
        EXPECT_EQ(ReadLink(link).targetPath, c.target);
        if (c.edit) {
            std::string onlyTheHotKey = before;
            onlyTheHotKey.replace(0x40, 2, ReadFileBytes(link).substr(0x40, 2));
            EXPECT_EQ(ReadFileBytes(link), onlyTheHotKey);
        }
    }
    SetEnvironmentVariableW(L"ZW_WERKZEUG", nullptr);
}

}  // namespace
