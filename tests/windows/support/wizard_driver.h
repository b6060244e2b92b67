#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "controls/directory_view.h"
#include "controls/dz_image.h"
#include "controls/win_ani.h"
#include "wizard/wizard_form.h"

// The wizard as a user meets it, by name: typing into its fields, pressing its buttons (a disabled
// or hidden button does nothing), reading what it shows.
class WizardDriver {
public:
    enum class Field { ExistingFile, LinkFile, Description, IconFile };
    enum class Push {
        Next, Back, Cancel, DelCurLink,
        Button1, Button4,  // look for the target's file, its folder
        Desktop, Startmenu, Programs, SendTo, QuickLaunch, Autorun, Up,
        Standard, IFile, ChoseIcon, Button3, WinIconsFile,
        KindFolderLink, KindFileLink,
    };

    explicit WizardDriver(TForm1& form) : form_(form) {}

    // The whole text typed at once, then the change the field reports.
    void Type(Field field, const std::wstring& text);
    std::wstring Text(Field field) const;
    std::vector<std::wstring> Items(Field field) const;
    HWND Handle(Field field) const;
    bool Enabled(Field field) const;
    bool Focused(Field field) const;
    // A history box with its own typing state (completion, drop-down).
    ComboBox& Combo(Field field) const;

    // Presses the button as a click does: a check box toggles, a radio button is chosen. False
    // when the button is disabled or hidden and nothing happened.
    bool Press(Push button);
    // Clicks the check box or radio button when it does not show checked yet.
    void SetChecked(Push button, bool checked);
    bool Enabled(Push button) const;
    bool Visible(Push button) const;
    bool Checked(Push button) const;
    std::wstring Caption(Push button) const;
    HWND Handle(Push button) const;

    // The location page's folder tree (null until that page is built).
    TDZDirectoryView* Tree() const { return form_.Dir.get(); }
    TDZImage& IconPreview() const { return *form_.Icon; }
    TDZImage& SmallIconPreview() const { return *form_.SmallIcon; }
    TWinAni& Animation() const { return *form_.WinAni1; }
    // The target page's open dialog as it will be shown.
    const OpenDialog& TargetDialog() const { return form_.ODialog; }

    // What the pages keep between them.
    TForm1::Stage Stage() const { return form_.WizardStage; }
    // A state the tests cannot reach under Wine, such as a desktop the tree does not list.
    void SetStage(TForm1::Stage stage) { form_.WizardStage = stage; }
    const std::wstring& EditedLinkPath() const { return form_.EditedLinkPath; }
    int IconIndex() const { return form_.SelectedIconIndex; }
    LinkKind Kind() const { return form_.KindOfLink(); }

private:
    Control& Of(Field field) const;
    Button& Of(Push button) const;

    TForm1& form_;
};
