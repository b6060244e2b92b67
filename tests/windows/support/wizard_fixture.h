#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/directory_view.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/wizard_driver.h"
#include "wizard/file_dialogs.h"
#include "links/link_store.h"
#include "wizard/link_wizard.h"

// The file dialogs and the shell as the wizard's tests see them: a dialog the test answers
// (the real one where it does not), every start recorded instead of made.
class RecordingSystem final : public FileDialogs, public ShellOpener {
public:
    std::function<std::optional<std::wstring>(const OpenDialog&)> openFile;
    std::function<std::optional<std::wstring>()> browseFolder;
    std::vector<std::pair<std::wstring, std::wstring>> opened;  // file, parameters

    bool Open(HWND owner, OpenDialog& dialog) override {
        if (!openFile) return SystemFileDialogs().Open(owner, dialog);
        const auto chosen = openFile(dialog);
        if (chosen) dialog.FileName = *chosen;
        return chosen.has_value();
    }
    std::optional<std::wstring> BrowseForFolder(HWND owner) override {
        return browseFolder ? browseFolder() : SystemFileDialogs().BrowseForFolder(owner);
    }
    void Open(HWND, const std::wstring& file, const std::wstring& parameters, const std::wstring&, int) override {
        opened.emplace_back(file, parameters);
    }
};

// Drives the real wizard form through its window: texts are typed into its fields, buttons
// clicked; boxes are answered from a script and recorded.
class WizardTest : public ::testing::Test {
protected:
    WizardTest();
    ~WizardTest() override;

    using Field = WizardDriver::Field;
    using Push = WizardDriver::Push;

    static std::wstring TestSettingsKey();
    // The form as a user meets it.
    WizardDriver ui() const { return WizardDriver(*form); }
    // A fresh, shown wizard window; it does not take the activation from other tests' windows.
    void NewForm();
    void TypeTarget(const std::wstring& text);
    void TypeLocation(const std::wstring& text);
    void TypeIconFile(const std::wstring& text);
    void PumpMessages();
    // Next as the user presses it: a disabled or hidden button does nothing, and an error ends
    // in the error box.
    void PressNext();
    // Presses Next until the page shows; fails (and stops) when Next refuses on the way.
    void NextUntil(LinkWizard::Page page);
    // Runs Next from the target page until the closing page, with the location text given.
    void CreateLink(const std::wstring& target, const std::wstring& location, const std::wstring& description = {});
    std::vector<std::wstring> BoxTexts() const { return boxes.Texts(); }
    // A small program to link to, in the temporary folder.
    std::wstring MakeProgram(const std::wstring& relative);

    TempFolder temp;
    BoxScript boxes;
    RecordingSystem system;
    std::vector<std::pair<std::wstring, std::wstring>>& opened = system.opened;
    std::unique_ptr<LinkWizard> form;
};
