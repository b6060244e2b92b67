#include "tests/windows/support/wizard_fixture.h"

#include "platform/path_text.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "tests/windows/support/wine.h"

WizardTest::WizardTest() { NewForm(); }

void WizardTest::NewForm() {
    form = std::make_unique<LinkWizard>(temp.Path(), temp.Path() + L"Anwendungsdaten\\", WizardSystem{system, system});
    form->SettingsKey = TestSettingsKey();
    form->Show(SW_SHOW);
    PumpMessages();
}

std::wstring WizardTest::TestSettingsKey() {
    // Each test process keeps its forms' settings apart from the program's and other tests'.
    return std::wstring(kSettingsKey) + L"-Test" + std::to_wstring(GetCurrentProcessId());
}

WizardTest::~WizardTest() {
    form.reset();
    RegistryKey::DeleteTree(HKEY_CURRENT_USER, TestSettingsKey());
}

void WizardTest::PumpMessages() { PumpPending(); }

void WizardTest::PressNext() {
    ui().Press(Push::Next);
}

void WizardTest::TypeTarget(const std::wstring& text) {
    ui().Type(Field::CommandLine, text);
}

void WizardTest::TypeLocation(const std::wstring& text) {
    ui().Type(Field::Location, text);
}

void WizardTest::TypeIconFile(const std::wstring& text) {
    ui().Type(Field::IconFile, text);
}

std::wstring WizardTest::MakeProgram(const std::wstring& relative) {
    // A copy of a real program, so that it has icons and runs.
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    temp.MakeFolder(FolderPart(relative));
    const std::wstring path = temp / relative;
    CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), path.c_str(), FALSE);
    return path;
}

void WizardTest::NextUntil(LinkWizard::Page page) {
    for (int presses = 0; form->CurrentPage() < page && presses < 6; ++presses)
        if (!ui().Press(Push::Next)) break;
    ASSERT_EQ(form->CurrentPage(), page) << "Next did not lead there";
}

void WizardTest::CreateLink(const std::wstring& target, const std::wstring& location, const std::wstring& description) {
    TypeTarget(target);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Location);
    TypeLocation(location);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Description);
    ui().Type(Field::Description, description);
    PressNext();
    ASSERT_EQ(form->CurrentPage(), LinkWizard::Icon);
    PressNext();
}

