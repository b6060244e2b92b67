#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "controls/directory_view.h"
#include "controls/image_control.h"
#include "controls/animation_control.h"
#include "wizard/description_page.h"
#include "wizard/icon_page.h"
#include "wizard/kind_and_closing_pages.h"
#include "wizard/link_wizard.h"
#include "wizard/location_page.h"
#include "wizard/target_page.h"

// The wizard as a user meets it, by name: typing into its fields, pressing its buttons (a disabled
// or hidden button does nothing), reading what it shows.
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

    explicit WizardDriver(LinkWizard& form) : form_(form) {}

    // The whole text typed at once, then the change the field reports.
    void Type(Field field, const std::wstring& text);
    std::wstring Text(Field field) const { return Of(field).Text(); }
    std::vector<std::wstring> Items(Field field) const { return Combo(field).Items(); }
    HWND Handle(Field field) const { return Of(field).Handle(); }
    bool Enabled(Field field) const { return Of(field).Enabled(); }
    bool Focused(Field field) const { return Of(field).Focused(); }
    // A history box with its own typing state (completion, drop-down).
    HistoryComboBox& Combo(Field field) const;

    // Presses the button as a click does: a check box toggles, a radio button is chosen. False
    // when the button is disabled or hidden and nothing happened.
    bool Press(Push button);
    // Clicks the check box or radio button when it does not show checked yet.
    void SetChecked(Push button, bool checked);
    bool Enabled(Push button) const { return Of(button).Enabled(); }
    bool Visible(Push button) const { return Of(button).Visible(); }
    bool Checked(Push button) const { return Of(button).Checked(); }
    std::wstring Caption(Push button) const { return Of(button).Text(); }
    HWND Handle(Push button) const { return Of(button).Handle(); }

    // The location page's folder tree (null until that page is built).
    DirectoryView* Tree() const { return form_.location_->tree_.get(); }
    // The tree moved to folder, as its selection change reports it.
    void TreeMovedTo(const std::wstring& folder) { form_.location_->FollowFolder(folder, false); }
    ImageControl& IconPreview() const { return *form_.icon_->preview_; }
    ImageControl& SmallIconPreview() const { return *form_.icon_->smallPreview_; }
    IconPage& Icons() const { return *form_.icon_; }
    AnimationControl& Animation() const { return *form_.animation_; }
    // "Erweiterte Einstellungen", as the description page opens it.
    LinkSettingsDialog& SettingsDialog() const { return form_.description_->settingsDialog_; }
    // The target page's open dialog as it will be shown.
    const OpenDialog& TargetDialog() const { return form_.openDialog_; }

    // What the pages keep between them.
    WizardStage Stage() const { return form_.stage_; }
    // A state the tests cannot reach under Wine, such as a desktop the tree does not list.
    void SetStage(WizardStage stage) { form_.stage_ = stage; }
    const std::wstring& EditedLinkPath() const { return form_.editedLink_; }
    int IconIndex() const { return form_.icon_->iconIndex_; }
    LinkKind Kind() const { return form_.kind_->folderLink_.Checked() ? LinkKind::FolderLink : LinkKind::ShellLink; }

private:
    Control& Of(Field field) const;
    Button& Of(Push button) const;

    LinkWizard& form_;
};
