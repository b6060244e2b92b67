#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "controls/animation_control.h"
#include "controls/directory_view.h"
#include "controls/image_control.h"
#include "wizard/history_combo_box.h"
#include "wizard/link_wizard.h"

// The wizard as a user meets it, found in its window by class and caption: typing into its
// fields (the controls' own notifications tell the wizard), pressing its buttons as a click does
// (a disabled or hidden button does nothing), reading what it shows.
class WizardDriver {
public:
    enum class Field { CommandLine, Location, Description, IconFile };
    enum class Push {
        Next, Back, Cancel, DeleteEditedLink,
        BrowseFile, BrowseFolder,
        Desktop, StartMenu, Programs, SendTo, QuickLaunch, Autostart, Up,
        StandardIcon, IconFileChoice, ChooseIcon, BrowseIconFile, WindowsIcons,
        FolderLink, FileLink, Settings,
    };

    explicit WizardDriver(const LinkWizard& form) : form_(form) {}

    // The whole text put into the field at once (WM_SETTEXT on an edit, pasted over a combo box's
    // text); the field reports the change as it does for typing.
    void Type(Field field, const std::wstring& text);
    // Characters typed one by one at the caret (WM_CHAR), as the keyboard gives them.
    void TypeKeys(Field field, const std::wstring& text);
    std::wstring Text(Field field) const;
    std::vector<std::wstring> Items(Field field) const;
    // The field's window (null while its page is not built).
    HWND Handle(Field field) const;
    bool Enabled(Field field) const { return IsWindowEnabled(Handle(field)) != FALSE; }
    bool Focused(Field field) const;
    // A history box with its own typing state (completion, drop-down), found by its window.
    HistoryComboBox& Combo(Field field) const;

    // Presses the button as a click does (BM_CLICK): a check box toggles, a radio button is
    // chosen and its group lets go. False when the button is disabled or hidden.
    bool Press(Push button);
    // Clicks the check box or radio button when it does not show checked yet.
    void SetChecked(Push button, bool checked);
    bool Enabled(Push button) const { return IsWindowEnabled(Handle(button)) != FALSE; }
    bool Visible(Push button) const;
    bool Checked(Push button) const;
    std::wstring Caption(Push button) const;
    HWND Handle(Push button) const;

    // The location page's folder tree (null until that page is built).
    DirectoryView* Tree() const;
    // The user moves the tree to folder: its selection changes as a click changes it.
    void TreeMovedTo(const std::wstring& folder);
    ImageControl& IconPreview() const;
    ImageControl& SmallIconPreview() const;
    // The name under the preview, which starts the target when clicked.
    HWND TargetName() const;
    AnimationControl& Animation() const;

    // The link being edited, as the draft holds it.
    std::wstring EditedLinkPath() const { return form_.Draft().editedLink; }
    // The icon index the draft holds (the icon page writes it when left).
    int IconIndex() const { return form_.Draft().iconIndex; }
    LinkKind Kind() const { return Checked(Push::FolderLink) ? LinkKind::FolderLink : LinkKind::ShellLink; }

private:
    HWND Form() const { return form_.Handle(); }
    const LinkWizard& form_;
};

// The object behind a control window, as the program's windows find it.
template <typename T>
T* ControlObject(HWND control) {
    if (!control) return nullptr;
    return dynamic_cast<T*>(static_cast<ReflectedControl*>(GetPropW(control, L"Zeigerwerk.Control")));
}
template <typename T>
T* WindowObject(HWND window) {
    if (!window) return nullptr;
    return dynamic_cast<T*>(reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
}
