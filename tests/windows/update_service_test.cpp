// The update component: its schedule, the drive rule, the settings key and the server address,
// the signature check, and its hooks in the wizard form.
#include <aclapi.h>
#include <sddl.h>

#include "platform/files.h"
#include "platform/path_text.h"
#include "update/update_lock.h"
#include "update/run_folder.h"
#include "tests/windows/support/update_fixture.h"
#include "tests/windows/support/wine_drive.h"
#include "tests/windows/support/wizard_driver.h"
#include "wizard/link_wizard.h"

using namespace update_test;

namespace {

const double kToday = Date(2026, 12, 8);

class UpdateFileTest : public ::testing::Test {
protected:
    UpdateFileTest() {
        update.Clock = &clock;
        static int counter = 0;
        registryKey = L"ZwUpdateFileTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        update.ProgramName = L"Zeigerwerk";
        update.RegistryKey = registryKey;
        update.ZIPFileName = L"Pfeilbau.zip";
        update.Dialog().OnShown = [this] {
            UpdateDialog& f = update.Dialog();
            shownAtStep.push_back(static_cast<int>(f.Run().CurrentStep()));
            PostMessageW(f.Handle(), WM_CLOSE, 0, 0);
        };
    }
    ~UpdateFileTest() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
            RegistryKey::DeleteTree(root, L"Software\\DZ\\" + volatileParent);
        }
    }
    RegistryKey Key(HKEY root = HKEY_LOCAL_MACHINE) { return RegistryKey::Create(root, UpdateSettingsPath(registryKey)); }

    TempFolder temp;
    BoxScript boxes;
    std::wstring registryKey, volatileParent = L"ZwVolatile" + std::to_wstring(GetCurrentProcessId());
    FixedClock clock{kToday + 0.25};
    UpdateService update;
    std::vector<int> shownAtStep;
};

TEST_F(UpdateFileTest, ScheduleDecidesWhenTheDialogShows) {
    struct Case {
        const char* what;
        std::function<void(RegistryKey&)> setup;
        bool manual, shown, ended;
    } const cases[] = {
        {"first start", [](RegistryKey&) {}, false, true, false},
        {"Update is today", [](RegistryKey& k) { WriteNextDueDate(k, kToday); }, false, false, false},
        {"Update was yesterday", [](RegistryKey& k) { WriteNextDueDate(k, kToday - 1); }, false, true, false},
        {"Update is not a date", [](RegistryKey& k) { k.SetString(L"Update", L"morgen"); }, false, true, false},
        {"NoUpdate", [](RegistryKey& k) { k.SetString(L"NoUpdate", L""); }, false, false, false},
        {"NoUpdate, Ctrl+U", [](RegistryKey& k) { k.SetString(L"NoUpdate", L""); }, true, true, false},
        {"Ctrl+U before the due date", [](RegistryKey& k) { WriteNextDueDate(k, kToday + 6); }, true, true, false},
        {"OnlyUpdate despite NoUpdate and the due date",
         [](RegistryKey& k) {
             k.SetString(L"NoUpdate", L"");
             k.SetString(L"OnlyUpdate", L"");
             WriteNextDueDate(k, kToday + 6);
         },
         false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey));
        RegistryKey key = Key();
        c.setup(key);
        const auto dueBefore = ReadNextDueDate(key);
        shownAtStep.clear();
        EXPECT_EQ(update.AutomaticUpdate(L"/D C:\\", c.manual, 0), c.ended);
        EXPECT_EQ(shownAtStep, c.shown ? std::vector<int>{0} : std::vector<int>{});
        EXPECT_EQ(Key().GetString(L"ApplicationFileName"),
                  c.manual ? std::nullopt : std::optional<std::wstring>(L"\"" + ModulePath() + L"\" /D C:\\"));
        // Cancelled at the welcome page: the schedule is not moved on.
        EXPECT_EQ(ReadNextDueDate(Key()), dueBefore);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(UpdateFileTest, NothingFromACdRom) {
    temp.MakeFile(L"cd\\zeigerwerk.exe", "MZ");
    WineDrive cd(DRIVE_CDROM, Unix(temp / L"cd"));
    ASSERT_EQ(GetDriveTypeW(cd.Root().c_str()), static_cast<UINT>(DRIVE_CDROM));
    update.ProgramFile = cd.Root() + L"zeigerwerk.exe";
    for (bool manual : {false, true}) update.AutomaticUpdate(L"", manual, 0);
    EXPECT_TRUE(shownAtStep.empty());
    EXPECT_EQ(Key().GetString(L"ApplicationFileName"), L"\"" + cd.Root() + L"zeigerwerk.exe\"");
}

TEST_F(UpdateFileTest, UnwritableMachineKeyFallsBackToTheUserWithoutABox) {
    // A key below a volatile one cannot be made to last: HKEY_LOCAL_MACHINE refuses it.
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\DZ\\" + volatileParent).c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    update.RegistryKey = volatileParent + L"\\Zeigerwerk";
    const std::wstring path = UpdateSettingsPath(update.RegistryKey);
    update.AutomaticUpdate(L"", false, 0);
    EXPECT_EQ(shownAtStep, std::vector<int>{0});
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, path));
    const auto user = RegistryKey::Open(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(user);
    EXPECT_TRUE(user->HasValue(L"ApplicationFileName"));
    // The schedule is read where it was written.
    WriteNextDueDate(RegistryKey::Create(HKEY_CURRENT_USER, path), kToday);
    update.AutomaticUpdate(L"", false, 0);
    EXPECT_EQ(shownAtStep, std::vector<int>{0});
}

TEST_F(UpdateFileTest, ServerAddressFromMachineThenUser) {
    struct Case {
        const wchar_t* user;
        const wchar_t* machine;
        const char* host;
        int port;
    } const cases[] = {
        {nullptr, nullptr, kDefaultUpdateHost, 80},
        {nullptr, L"10.0.0.1:81", "10.0.0.1", 81},
        {L"127.0.0.1:8080", nullptr, "127.0.0.1", 8080},
        {L"127.0.0.1:8080", L"10.0.0.1:81", "10.0.0.1", 81},
        {L"kaputt:adresse", L"mirror.example", "mirror.example", 80},
    };
    for (const Case& c : cases) {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
        if (c.user) Key(HKEY_CURRENT_USER).SetString(L"UpdateServer", c.user);
        if (c.machine) Key().SetString(L"UpdateServer", c.machine);
        const ServerAddress address = UpdateServerAddress(registryKey);
        EXPECT_EQ(address.host, c.host);
        EXPECT_EQ(address.port, c.port);
    }
}

TEST_F(UpdateFileTest, TheMachinesPolicyHoldsForAUserWhoCannotWriteIt) {
    RegistryKey machine = Key();
    machine.SetString(L"NoUpdate", L"");
    machine.SetString(L"UpdateServer", L"10.0.0.1:81");
    Key(HKEY_CURRENT_USER).SetString(L"UpdateServer", L"127.0.0.1:8080");
    // The machine's key as a standard user finds it: readable, not writable.
    const auto protect = [&](const wchar_t* sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr));
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey).c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        RegCloseKey(key);
        LocalFree(descriptor);
    };
    protect(L"D:P(A;;KR;;;WD)");
    HKEY writable = nullptr;
    ASSERT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, UpdateSettingsPath(registryKey).c_str(), 0, KEY_SET_VALUE, &writable),
              ERROR_SUCCESS);
    update.AutomaticUpdate(L"", false, 0);
    EXPECT_TRUE(shownAtStep.empty()) << "the machine's NoUpdate";
    EXPECT_TRUE(Key(HKEY_CURRENT_USER).HasValue(L"ApplicationFileName")) << "the user's own values go to the user";
    EXPECT_EQ(UpdateServerAddress(registryKey).host, "10.0.0.1");
    update.CheckNow();
    EXPECT_EQ(shownAtStep, std::vector<int>{0}) << "Ctrl+U still opens the dialog";
    protect(L"D:P(A;;KA;;;WD)");
}

TEST_F(UpdateFileTest, OneUpdateAtATimePerProgramFolder) {
    std::wstring folder = FolderPart(update.ProgramFile);
    auto other = UpdateLock::Take(folder);
    ASSERT_TRUE(other);
    CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    EXPECT_FALSE(UpdateLock::Take(folder)) << "the same folder, however it is spelt";
    EXPECT_TRUE(UpdateLock::Take(temp.Path())) << "another program's folder";
    update.CheckNow();
    EXPECT_TRUE(shownAtStep.empty());
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{kUpdateBusyText});
    other.reset();
    update.CheckNow();
    EXPECT_EQ(shownAtStep, std::vector<int>{0});
    // A batch started while the lock is held keeps it until the batch has ended.
    temp.MakeFile(L"Warten.bat", "@\"%SystemRoot%\\System32\\ping.exe\" -n 4 127.0.0.1 >nul\r\n");
    other = UpdateLock::Take(folder);
    SystemBatchLauncher().Launch(temp / L"", L"Warten.bat");
    other.reset();
    EXPECT_FALSE(UpdateLock::Take(folder)) << "the batch still runs";
    EXPECT_TRUE(WaitFor([&] { return UpdateLock::Take(folder).has_value(); })) << "its end frees it";
}

TEST_F(UpdateFileTest, SignaturesAreCheckedAgainstTheKey) {
    const KeyPair maker = MakeKeyPair(temp, L"maker"), other = MakeKeyPair(temp, L"other");
    const std::wstring file = temp.MakeFile(L"Updates.ini", "[Zeigerwerk]\r\nDate=05.06.2003\r\n");
    const std::wstring second = temp.MakeFile(L"Pfeilbau.zip", "PK anything");
    ASSERT_EQ(SignFile(maker, file), 0);
    ASSERT_EQ(SignFile(maker, second), 0);
    ASSERT_EQ(SignFile(other, temp.MakeFile(L"other.ini", "[Zeigerwerk]\r\nDate=05.06.2003\r\n")), 0);
    const std::string good = ReadFileBytes(file + L".sig");
    struct Case {
        const char* what;
        std::function<void()> change;
        SignatureCheck expected;
    } const cases[] = {
        {"as signed", [] {}, SignatureCheck::Valid},
        {"one byte changed", [&] { WriteBytes(file, "[Zeigerwerk]\r\nDate=05.06.2004\r\n"); }, SignatureCheck::Invalid},
        {"signature missing", [&] { DeleteFileW((file + L".sig").c_str()); }, SignatureCheck::Missing},
        {"signed by another key", [&] { CopyFileW((temp / L"other.ini.sig").c_str(), (file + L".sig").c_str(), FALSE); },
         SignatureCheck::Invalid},
        {"another file's signature",
         [&] { CopyFileW((second + L".sig").c_str(), (file + L".sig").c_str(), FALSE); }, SignatureCheck::Invalid},
        {"signature cut short", [&] { WriteBytes(file + L".sig", good.substr(0, 63)); }, SignatureCheck::Invalid},
    };
    const std::string content = ReadFileBytes(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(file, content);
        WriteBytes(file + L".sig", good);
        c.change();
        EXPECT_EQ(CheckFileSignature(file, file + L".sig", maker.publicKey), c.expected);
    }
    EXPECT_EQ(CheckFileSignature(temp / L"other.ini", temp / L"other.ini.sig", maker.publicKey), SignatureCheck::Invalid);
    EXPECT_EQ(CheckFileSignature(temp / L"other.ini", temp / L"other.ini.sig", other.publicKey), SignatureCheck::Valid);
}

TEST_F(UpdateFileTest, TheProgramCarriesTheReleaseKey) {
    const std::string pem = ReadFileBytes(L"Z:" + SourceDir() + L"/update/keys/release.pub");
    ASSERT_FALSE(pem.empty());
    EXPECT_EQ(KeyFromPem(pem), ReleaseUpdateKey());
}

TEST_F(UpdateFileTest, TheRunFolderIsTheUsersAloneAndItsCleanUpFollowsNoLink) {
    const std::wstring folder = MakeRunFolder(temp.Path());
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                    &owner, nullptr, &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    auto text = [](PSID sid) {
        wchar_t* raw = nullptr;
        ConvertSidToStringSidW(sid, &raw);
        std::wstring value = raw ? raw : L"";
        LocalFree(raw);
        return value;
    };
    EXPECT_EQ(text(owner), CurrentUserSid());
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        const std::wstring sid = text(&ace->SidStart);
        EXPECT_TRUE(sid == CurrentUserSid() || sid == L"S-1-5-18" || sid == L"S-1-5-32-544") << Utf8FromWide(sid);
    }
    LocalFree(descriptor);
    // Wine keeps no access list for a folder but maps it onto the Unix permissions: others get none.
    const std::wstring mode = temp / L"mode";
    ASSERT_EQ(RunShell(L"(stat -c %a '" + Unix(folder) + L"' > '" + Unix(mode) + L"')"), 0);
    EXPECT_EQ(ReadFileBytes(mode).substr(2, 1), "0") << ReadFileBytes(mode);

    // A link planted in the folder is removed as a link; what it points to stays.
    const std::wstring outside = temp.MakeFolder(L"outside");
    temp.MakeFile(L"outside\\kostbar.txt", "bleibt");
    ASSERT_EQ(RunShell(L"ln -s '" + Unix(outside) + L"' '" + Unix(folder) + L"/link'"), 0);
    RemoveRunFolder(folder);
    EXPECT_EQ(ReadFileBytes(outside + L"kostbar.txt"), "bleibt");
    RunShell(L"rm -rf '" + Unix(folder) + L"'");  // Wine cannot remove a Unix link it reports as a link

    // At the next start, the user's run folders older than a day go; newer ones stay.
    const std::wstring old = MakeRunFolder(temp.Path()), recent = MakeRunFolder(temp.Path());
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG day = 24ull * 3600 * 10000000, nowUnits = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    const ULONGLONG twoDaysAgo = nowUnits - 2 * day;
    FILETIME then{static_cast<DWORD>(twoDaysAgo), static_cast<DWORD>(twoDaysAgo >> 32)};
    HANDLE handle = CreateFileW(old.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(handle, &then, &then, &then));
    CloseHandle(handle);
    RemoveStaleRunFolders(nowUnits - day, temp.Path());
    EXPECT_FALSE(PathExists(old));
    EXPECT_TRUE(PathExists(recent));
}

// The wizard form with the update's Ctrl+U action handed to it by the start-up.
class WizardUpdateTest : public UpdateFileTest {
protected:
    void TearDown() override { RegistryKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\DZ\\" + registryKey + L"-wizard"); }
};

TEST_F(WizardUpdateTest, OnlyUpdateFromCtrlUEndsWithoutTheWizardsSaving) {
    for (bool onlyUpdate : {false, true}) {
        SCOPED_TRACE(onlyUpdate);
        TempFolder data;
        auto form = std::make_unique<LinkWizard>(data.Path());
        form->SettingsKey = L"Software\\DZ\\" + registryKey + L"-wizard";
        int asked = 0;
        form->Connections.update = [&] { return ++asked, onlyUpdate; };
        form->RunUpdate();
        EXPECT_EQ(asked, 1);
        MSG message;
        EXPECT_EQ(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, onlyUpdate);
        form.reset();
        // The wizard's histories are written at its end, unless the update ended the run.
        EXPECT_EQ(FileExists(data / L"Files.ini"), !onlyUpdate);
    }
}

TEST_F(WizardUpdateTest, CtrlUOpensTheDialogFromEveryPage) {
    TempFolder data;
    LinkWizard form(data.Path());
    form.SettingsKey = L"Software\\DZ\\" + registryKey + L"-wizard";
    form.Connections.update = [this] { return update.CheckNow(); };
    update.Owner = form.Handle();
    std::vector<ACCEL> keys = LinkWizard::Keys();
    const HACCEL table = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    BYTE state[256] = {}, pressed[256] = {};
    GetKeyboardState(state);
    memcpy(pressed, state, sizeof state);
    pressed[VK_CONTROL] = 0x80;
    Key().SetString(L"NoUpdate", L"");
    const HWND next = WizardDriver(form).Handle(WizardDriver::Push::Next);
    for (int page = 0; page <= static_cast<int>(LinkWizard::Closing); ++page) {
        form.ShowPage(static_cast<LinkWizard::Page>(page));
        SetKeyboardState(pressed);
        MSG key{next, WM_KEYDOWN, 'U', 0, 0, {}};
        EXPECT_TRUE(TranslateAcceleratorW(form.Handle(), table, &key)) << page;
        SetKeyboardState(state);
    }
    // Without Ctrl the key is a plain letter.
    MSG plain{next, WM_KEYDOWN, 'U', 0, 0, {}};
    EXPECT_FALSE(TranslateAcceleratorW(form.Handle(), table, &plain));
    DestroyAcceleratorTable(table);
    EXPECT_EQ(shownAtStep, std::vector<int>(6, 0));
}

}  // namespace
