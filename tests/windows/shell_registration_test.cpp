#include <gtest/gtest.h>

#include <windows.h>

#include "app/shell_registration.h"
#include "platform/settings_key.h"
#include "platform/app_title.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "platform/win_error.h"

namespace {

const std::wstring kProgram = L"C:\\Program Files\\Mein Werk\\zeigerwerk.exe";
const std::wstring kFolderLinkEdit = L"CLSID\\{0AFACED1-E828-11D1-9187-B532F1E9575D}\\shell\\Edit";
const std::wstring kUninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pfeilbau";

struct Row {
    std::wstring key, value;
};

// The values as the user's shell must see them, written out in full.
const Row kVerbs[] = {
    {L"*\\shell\\Link", L"Verknüpfung mit dieser Datei erstellen"},
    {L"*\\shell\\Link\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" \"%1\""},
    {L"Directory\\shell\\Link", L"Verknüpfung mit diesem Ordner erstellen"},
    {L"Directory\\shell\\Link\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" \"%1\""},
    {L"Directory\\shell\\LinkHere", L"Hier eine Verknüpfung erstellen"},
    {L"Directory\\shell\\LinkHere\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /D \"%1\""},
    {L"Drive\\shell\\Link", L"Verknüpfung mit diesem Laufwerk erstellen"},
    {L"Drive\\shell\\Link\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" \"%1\""},
    {L"Drive\\shell\\LinkHere", L"Hier eine Verknüpfung erstellen"},
    {L"Drive\\shell\\LinkHere\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /D \"%1\""},
    {L"lnkfile\\shell\\Edit", L"Verknüpfung bearbeiten"},
    {L"lnkfile\\shell\\Edit\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /E \"%1\""},
    {L"InternetShortcut\\shell\\Edit", L"Verknüpfung bearbeiten"},
    {L"InternetShortcut\\shell\\Edit\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /E \"%1\""},
    {kFolderLinkEdit, L"Ordnerverknüpfung bearbeiten"},
    {kFolderLinkEdit + L"\\command", L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /E \"%1\""},
};

std::wstring RootName(HKEY root) {
    return root == HKEY_CLASSES_ROOT ? L"HKCR" : root == HKEY_LOCAL_MACHINE ? L"HKLM" : L"HKCU";
}

// Passes everything to the real registry and can act as a user without the rights for the
// machine-wide places.
class RecordingRegistry final : public ShellRegistry {
public:
    bool refuseMachineWrites = false;
    bool refuseMachineDeletes = false;
    bool refuseUserWrites = false;

    void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) override {
        const bool machine = root == HKEY_CLASSES_ROOT || root == HKEY_LOCAL_MACHINE;
        if ((machine && refuseMachineWrites) || (!machine && refuseUserWrites)) ThrowError(ERROR_ACCESS_DENIED);
        SystemShellRegistry().SetString(root, key, name, value);
    }
    bool DeleteTree(HKEY root, const std::wstring& key) override {
        if (refuseMachineDeletes && (root == HKEY_CLASSES_ROOT || root == HKEY_LOCAL_MACHINE) &&
            RegistryKey::Exists(root, key))
            ThrowError(ERROR_ACCESS_DENIED);
        return SystemShellRegistry().DeleteTree(root, key);
    }
    bool DeleteIfEmpty(HKEY root, const std::wstring& key) override { return SystemShellRegistry().DeleteIfEmpty(root, key); }
};

std::optional<std::wstring> DefaultValue(HKEY root, const std::wstring& key) {
    const auto opened = RegistryKey::Open(root, key);
    if (!opened) return std::nullopt;
    return opened->GetString(L"");
}

std::wstring UserClass(const std::wstring& key) { return L"Software\\Classes\\" + key; }

class ShellRegistration : public testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        ASSERT_EQ(RemoveShellIntegration(), L"");
        RegistryKey::DeleteTree(HKEY_CLASSES_ROOT, L"Directory\\shell\\Fremd");
    }
    static void ExpectVerbs(HKEY root, const std::wstring& prefix) {
        for (const auto& row : kVerbs)
            EXPECT_EQ(DefaultValue(root, prefix + row.key), row.value) << Utf8FromWide(prefix + row.key);
    }
    static void ExpectUninstallEntry(HKEY root) {
        const auto entry = RegistryKey::Open(root, kUninstall);
        ASSERT_TRUE(entry) << Utf8FromWide(RootName(root));
        EXPECT_EQ(entry->GetString(L"DisplayName"), L"Zeigerwerk v2.0");
        EXPECT_EQ(entry->GetString(L"UninstallString"), L"\"C:\\Program Files\\Mein Werk\\zeigerwerk.exe\" /uninstall");
        EXPECT_FALSE(entry->HasValue(L"ModifyPath"));
    }
    static void ExpectNothingLeft() {
        for (const auto& [key, value] : kVerbs) {
            EXPECT_FALSE(RegistryKey::Exists(HKEY_CLASSES_ROOT, key)) << Utf8FromWide(key);
            EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, UserClass(key))) << Utf8FromWide(key);
        }
        EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, kUninstall));
        EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, kUninstall));
        EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk"));
    }
};

TEST_F(ShellRegistration, EveryStartWritesTheVerbsAndTheUninstallEntryForTheProgramsCurrentPlace) {
    RecordingRegistry registry;
    RegisterShellIntegration(L"C:\\Alt\\z.exe", registry);
    const RegistrationOutcome outcome = RegisterShellIntegration(kProgram, registry);
    EXPECT_FALSE(outcome.verbsPerUser);
    EXPECT_FALSE(outcome.uninstallPerUser);
    EXPECT_EQ(outcome.problem, L"");
    ExpectVerbs(HKEY_CLASSES_ROOT, L"");
    ExpectUninstallEntry(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, UserClass(L"*\\shell\\Link")));
}

TEST_F(ShellRegistration, RemovalAfterKeysWereDeletedByHandRemovesTheRestAndKeepsTheParents) {
    RegisterShellIntegration(kProgram);
    RegistryKey::Create(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk").SetInteger(L"WindowWidth", 600);
    // Another program's verb beside ours must survive.
    RegistryKey::Create(HKEY_CLASSES_ROOT, L"Directory\\shell\\Fremd").SetString(L"", L"Fremd");
    RegistryKey::DeleteTree(HKEY_CLASSES_ROOT, L"Drive\\shell\\LinkHere");
    RegistryKey::DeleteTree(HKEY_CLASSES_ROOT, L"lnkfile\\shell\\Edit\\command");
    RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall);

    EXPECT_EQ(RemoveShellIntegration(), L"");
    ExpectNothingLeft();
    for (const wchar_t* parent : {L"*\\shell", L"Directory\\shell", L"Drive\\shell", L"lnkfile\\shell"})
        EXPECT_TRUE(RegistryKey::Exists(HKEY_CLASSES_ROOT, parent)) << Utf8FromWide(parent);
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"Directory\\shell\\Fremd"), L"Fremd");
    EXPECT_EQ(RemoveShellIntegration(), L"") << "a second removal finds nothing and is content";
}

TEST_F(ShellRegistration, UninstallAnsweredNoChangesNothingAndYesRemovesEverything) {
    RegisterShellIntegration(kProgram);
    RegistryKey::Create(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk").SetInteger(L"FileTypes", 2);
    {
        BoxScript script({BoxAnswer::No});
        EXPECT_EQ(RunUninstall(), 0);
        ASSERT_EQ(script.Events().size(), 2u);
        EXPECT_EQ(script.Events()[0].type, BoxEvent::Type::Sound);
        EXPECT_EQ(script.Events()[0].sound, UINT{MB_ICONEXCLAMATION});
        EXPECT_EQ(script.Events()[1].text, L"Soll der Zeigerwerk wirklich deinstalliert werden?");
        EXPECT_EQ(script.Events()[1].caption, L"Warnung");
        EXPECT_EQ(script.Events()[1].buttons, BoxButtons::YesNo);
        EXPECT_EQ(AppTitle(), L"Zeigerwerk [Deinstallation]");
    }
    ExpectVerbs(HKEY_CLASSES_ROOT, L"");
    ExpectUninstallEntry(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk"));
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\DZ\\Anderes", 0, nullptr, 0, KEY_WRITE, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    {
        BoxScript script({BoxAnswer::Yes});
        EXPECT_EQ(RunUninstall(), 0);
        EXPECT_EQ(script.Boxes().size(), 1u);
    }
    ExpectNothingLeft();
    EXPECT_TRUE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\DZ\\Anderes")) << "only the program's own key goes";
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, L"Software\\DZ\\Anderes");
}

TEST_F(ShellRegistration, WithoutMachineRightsTheVerbsGoToTheUsersClassesAndRemovalCleansBoth) {
    RecordingRegistry restricted;
    restricted.refuseMachineWrites = true;
    const RegistrationOutcome outcome = RegisterShellIntegration(kProgram, restricted);
    EXPECT_TRUE(outcome.verbsPerUser);
    EXPECT_TRUE(outcome.uninstallPerUser);
    EXPECT_EQ(outcome.problem, L"");
    ExpectVerbs(HKEY_CURRENT_USER, L"Software\\Classes\\");
    ExpectUninstallEntry(HKEY_CURRENT_USER);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\*\\shell\\Link"));
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, kUninstall));

    // A later start with the rights moves everything machine-wide; no per-user copy stays to hide it.
    EXPECT_FALSE(RegisterShellIntegration(kProgram).verbsPerUser);
    ExpectVerbs(HKEY_CLASSES_ROOT, L"");
    ExpectUninstallEntry(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, UserClass(L"*\\shell\\Link")));
    EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, kUninstall));

    // Both places at once (per-user copies from another start) are removed together.
    RegisterShellIntegration(kProgram, restricted);
    BoxScript script({BoxAnswer::Yes});
    EXPECT_EQ(RunUninstall(), 0);
    ExpectNothingLeft();
}

TEST_F(ShellRegistration, NoRightsAnywhereStillLetsTheProgramStart) {
    RecordingRegistry locked;
    locked.refuseMachineWrites = locked.refuseUserWrites = true;
    RegistrationOutcome outcome;
    EXPECT_NO_THROW(outcome = RegisterShellIntegration(kProgram, locked));
    EXPECT_TRUE(outcome.verbsPerUser);
    EXPECT_EQ(outcome.problem, SystemMessage(ERROR_ACCESS_DENIED));
}

TEST_F(ShellRegistration, ARefusedRemovalIsReportedAndTheUsersPartIsStillRemoved) {
    RegisterShellIntegration(kProgram);
    RegistryKey::Create(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk").SetInteger(L"FileTypes", 2);
    RecordingRegistry restricted;
    restricted.refuseMachineDeletes = true;
    BoxScript script({BoxAnswer::Yes});
    EXPECT_EQ(RunUninstall(restricted), 1);
    const auto boxes = script.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].kind, BoxKind::Error);
    EXPECT_EQ(boxes[1].text, L"Nicht alle Einträge des Zeigerwerks konnten entfernt werden:\r\n" +
                                 SystemMessage(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(RegistryKey::Exists(HKEY_CURRENT_USER, L"Software\\DZ\\Zeigerwerk"));
    EXPECT_TRUE(RegistryKey::Exists(HKEY_CLASSES_ROOT, L"*\\shell\\Link"));
}

// What a 32-bit version left in the 32-bit view (on 64-bit Windows a view of its own for CLSID and
// the Uninstall key) goes with the rest.
TEST_F(ShellRegistration, RemovalEmptiesBothRegistryViews) {
    const std::pair<HKEY, std::wstring> leftovers[] = {{HKEY_CLASSES_ROOT, kFolderLinkEdit + L"\\command"},
                                                       {HKEY_LOCAL_MACHINE, kUninstall},
                                                       {HKEY_LOCAL_MACHINE, kSettingsKey},
                                                       {HKEY_LOCAL_MACHINE, L"Software\\DZ"}};
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        RegisterShellIntegration(kProgram);
        for (const auto& [root, key] : leftovers) {
            HKEY created = nullptr;
            ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &created, nullptr),
                      ERROR_SUCCESS);
            RegCloseKey(created);
        }
        EXPECT_EQ(RemoveShellIntegration(), L"");
        for (const auto& [root, key] : leftovers)
            for (const REGSAM either : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
                HKEY opened = nullptr;
                EXPECT_NE(RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | either, &opened), ERROR_SUCCESS)
                    << Utf8FromWide(key) << " view " << either;
                if (opened) RegCloseKey(opened);
            }
    }
}

}  // namespace
