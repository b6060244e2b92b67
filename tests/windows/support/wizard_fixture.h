#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/directory_view.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "wizard/file_dialogs.h"
#include "links/link_store.h"
#include "wizard/wizard_form.h"

// Drives the real wizard form: texts are typed through the same handlers the controls call,
// boxes are answered from a script and recorded.
class WizardTest : public ::testing::Test {
protected:
    WizardTest();
    ~WizardTest() override;

    static std::wstring TestSettingsKey();
    // A fresh, shown wizard window (focus needs a visible window).
    void NewForm();
    void TypeTarget(const std::wstring& text);
    void TypeLocation(const std::wstring& text);
    void TypeIconFile(const std::wstring& text);
    void PumpMessages();
    // Runs Next from the target page until the closing page, with the location text given.
    void CreateLink(const std::wstring& target, const std::wstring& location, const std::wstring& description = {});
    std::vector<std::wstring> BoxTexts() const { return boxes.Texts(); }
    // A small program to link to, in the temporary folder.
    std::wstring MakeProgram(const std::wstring& relative);

    TempFolder temp;
    BoxScript boxes;
    std::vector<std::pair<std::wstring, std::wstring>> opened;  // ShellOpen calls: file, parameters
    std::unique_ptr<TForm1> form;
};
