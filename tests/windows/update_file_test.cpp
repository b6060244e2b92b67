// The update component: its schedule, the drive rule, the settings key and the server address,
// the signature check, and its hooks in the wizard form.
#include "platform/files.h"
#include "tests/windows/support/update_fixture.h"
#include "tests/windows/support/wine_drive.h"
#include "wizard/wizard_form.h"

using namespace update_test;

namespace {

const double kToday = Date(2026, 12, 8);

class UpdateFileTest : public ::testing::Test {
protected:
    UpdateFileTest() {
        UpdateClockScript = [] { return kToday + 0.25; };
        EndProcessScript = [this] { ++ended; };
        static int counter = 0;
        registryKey = L"ZwUpdateFileTest" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        update.ProgramName = L"Zeigerwerk";
        update.RegistryKey = registryKey;
        update.ZIPFileName = L"Pfeilbau.zip";
        update.OnDetachOwnerDestroy = [this] { ++detached; };
        UpdateStatusForm().OnShown = [this](TStatusForm& f) {
            shownAtStep.push_back(f.Step());
            f.Button_CancelClick();
        };
    }
    ~UpdateFileTest() override {
        UpdateClockScript = nullptr;
        EndProcessScript = nullptr;
        UpdateStatusForm().OnShown = nullptr;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegistryKey::DeleteTree(root, UpdateSettingsPath(registryKey));
            RegistryKey::DeleteTree(root, L"Software\\DZ\\" + volatileParent);
        }
    }
    RegistryKey Key(HKEY root = HKEY_LOCAL_MACHINE) { return RegistryKey::Create(root, UpdateSettingsPath(registryKey)); }

    TempFolder temp;
    BoxScript boxes;
    std::wstring registryKey, volatileParent = L"ZwVolatile" + std::to_wstring(GetCurrentProcessId());
    TDZUpdateFile update;
    std::vector<int> shownAtStep;
    int ended = 0, detached = 0;
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
        ended = detached = 0;
        update.AutomaticUpdate(L"/D C:\\", c.manual, 0);
        EXPECT_EQ(shownAtStep, c.shown ? std::vector<int>{0} : std::vector<int>{});
        EXPECT_EQ(ended, c.ended ? 1 : 0);
        EXPECT_EQ(detached, c.ended ? 1 : 0);
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

TEST_F(UpdateFileTest, ServerAddressFromUserThenMachine) {
    struct Case {
        const wchar_t* user;
        const wchar_t* machine;
        const char* host;
        int port;
    } const cases[] = {
        {nullptr, nullptr, kDefaultUpdateHost, 80},
        {nullptr, L"10.0.0.1:81", "10.0.0.1", 81},
        {L"127.0.0.1:8080", L"10.0.0.1:81", "127.0.0.1", 8080},
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

// The wizard form with its update component, on the program's own settings key.
class WizardUpdateTest : public UpdateFileTest {
protected:
    WizardUpdateTest() {
        saved = Snapshot();
        RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk"));
        for (const wchar_t* name : {L"Update", L"NoUpdate", L"OnlyUpdate"}) RegDeleteValueW(key.Get(), name);
    }
    ~WizardUpdateTest() override {
        TForm1::CheckUpdatesOnCreate = false;
        RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk"));
        for (const wchar_t* name : {L"Update", L"NoUpdate", L"OnlyUpdate"}) RegDeleteValueW(key.Get(), name);
        if (saved) WriteNextDueDate(key, *saved);
    }
    static std::optional<double> Snapshot() {
        const auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk"));
        return key ? ReadNextDueDate(*key) : std::nullopt;
    }
    std::optional<double> saved;
};

TEST_F(WizardUpdateTest, CheckRunsFirstInTheFormsCreationAndOnlyUpdateSkipsItsSaving) {
    for (bool onlyUpdate : {false, true}) {
        SCOPED_TRACE(onlyUpdate);
        TempFolder data;
        if (onlyUpdate)
            RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk")).SetString(L"OnlyUpdate", L"");
        int childrenWhenShown = -1;
        UpdateStatusForm().OnShown = [&](TStatusForm& f) {
            const HWND wizard = FindWindowW(L"TForm1", nullptr);
            childrenWhenShown = wizard && GetWindow(wizard, GW_CHILD) ? 1 : 0;
            f.Button_CancelClick();
        };
        TForm1::CheckUpdatesOnCreate = true;
        ended = 0;
        auto form = std::make_unique<TForm1>(data.Path());
        TForm1::CheckUpdatesOnCreate = false;
        EXPECT_EQ(childrenWhenShown, 0);  // before any of the form's own set-up
        EXPECT_EQ(ended, onlyUpdate ? 1 : 0);
        form->SettingsKey = L"Software\\DZ\\" + registryKey + L"-wizard";
        form.reset();
        // The wizard's histories are written at its end, unless the update ended the run.
        EXPECT_EQ(FileExists(data / L"Files.ini"), !onlyUpdate);
        RegistryKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\DZ\\" + registryKey + L"-wizard");
    }
}

TEST_F(WizardUpdateTest, CtrlUOpensTheDialogFromEveryPage) {
    RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk")).SetString(L"NoUpdate", L"");
    TempFolder data;
    TForm1 form(data.Path());
    form.SettingsKey = L"Software\\DZ\\" + registryKey + L"-wizard";
    std::vector<ACCEL> keys = TForm1::Keys();
    const HACCEL table = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    BYTE state[256] = {}, pressed[256] = {};
    GetKeyboardState(state);
    memcpy(pressed, state, sizeof state);
    pressed[VK_CONTROL] = 0x80;
    for (int page = 0; page <= static_cast<int>(TForm1::NewLinkPage); ++page) {
        form.ShowPage(static_cast<TForm1::Page>(page));
        SetKeyboardState(pressed);
        MSG key{form.Next.Handle(), WM_KEYDOWN, 'U', 0};
        EXPECT_TRUE(TranslateAcceleratorW(form.Handle(), table, &key)) << page;
        SetKeyboardState(state);
    }
    // Without Ctrl the key is a plain letter.
    MSG plain{form.Next.Handle(), WM_KEYDOWN, 'U', 0};
    EXPECT_FALSE(TranslateAcceleratorW(form.Handle(), table, &plain));
    DestroyAcceleratorTable(table);
    EXPECT_EQ(shownAtStep, std::vector<int>(6, 0));
    RegDeleteValueW(RegistryKey::Create(HKEY_LOCAL_MACHINE, UpdateSettingsPath(L"Zeigerwerk")).Get(), L"NoUpdate");
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\DZ\\" + registryKey + L"-wizard");
}

}  // namespace
