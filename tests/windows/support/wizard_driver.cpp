#include "tests/windows/support/wizard_driver.h"

Control& WizardDriver::Of(Field field) const {
    if (field == Field::Description) return form_.description_->description_;
    return Combo(field);
}

HistoryComboBox& WizardDriver::Combo(Field field) const {
    switch (field) {
        case Field::CommandLine: return form_.target_->commandLine_;
        case Field::Location: return form_.location_->location_;
        default: return form_.icon_->iconFile_;
    }
}

Button& WizardDriver::Of(Push button) const {
    LocationPage& location = *form_.location_;
    IconPage& icon = *form_.icon_;
    Button* const buttons[] = {
        &form_.next_, &form_.back_, &form_.cancel_, &form_.deleteEdited_,
        &form_.target_->browseFile_, &form_.target_->browseFolder_,
        &location.desktop_, &location.startMenu_, &location.programs_, &location.sendTo_, &location.quickLaunch_,
        &location.autostart_, &location.up_,
        &icon.standardIcon_, &icon.iconFileChoice_, &icon.chooseIcon_, &icon.browseIconFile_, &icon.windowsIcons_,
        &form_.kind_->folderLink_, &form_.kind_->fileLink_, &form_.description_->settings_,
    };
    return *buttons[static_cast<size_t>(button)];
}

void WizardDriver::Type(Field field, const std::wstring& text) {
    Control& typed = Of(field);
    typed.SetText(text);
    if (typed.OnChange) typed.OnChange();
}

bool WizardDriver::Press(Push button) {
    Button& pressed = Of(button);
    if (!pressed.Enabled() || !pressed.Visible()) return false;
    const auto style = GetWindowLongW(pressed.Handle(), GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) pressed.SetChecked(!pressed.Checked());
    if (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON) {
        // The other button of its group lets go.
        for (const auto& [one, other] : {std::pair{Push::StandardIcon, Push::IconFileChoice}, std::pair{Push::FolderLink, Push::FileLink}}) {
            if (button == one) Of(other).SetChecked(false);
            if (button == other) Of(one).SetChecked(false);
        }
        pressed.SetChecked(true);
    }
    SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(pressed.Id(), BN_CLICKED), reinterpret_cast<LPARAM>(pressed.Handle()));
    return true;
}

void WizardDriver::SetChecked(Push button, bool checked) {
    if (Checked(button) != checked) Press(button);
}
