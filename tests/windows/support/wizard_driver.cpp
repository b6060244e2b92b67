#include "tests/windows/support/wizard_driver.h"

Control& WizardDriver::Of(Field field) const {
    switch (field) {
        case Field::ExistingFile: return form_.ExistingFile;
        case Field::LinkFile: return form_.LinkFile;
        case Field::Description: return form_.Description;
        case Field::IconFile: break;
    }
    return form_.IconFile;
}

ComboBox& WizardDriver::Combo(Field field) const {
    switch (field) {
        case Field::ExistingFile: return form_.ExistingFile;
        case Field::LinkFile: return form_.LinkFile;
        default: return form_.IconFile;
    }
}

Button& WizardDriver::Of(Push button) const {
    switch (button) {
        case Push::Next: return form_.Next;
        case Push::Back: return form_.Back;
        case Push::Cancel: return form_.Cancel;
        case Push::DelCurLink: return form_.DelCurLink;
        case Push::Button1: return form_.Button1;
        case Push::Button4: return form_.Button4;
        case Push::Desktop: return form_.Desktop;
        case Push::Startmenu: return form_.Startmenu;
        case Push::Programs: return form_.Programs;
        case Push::SendTo: return form_.SendTo;
        case Push::QuickLaunch: return form_.QuickLaunch;
        case Push::Autorun: return form_.Autorun;
        case Push::Up: return form_.Up;
        case Push::Standard: return form_.Standard;
        case Push::IFile: return form_.IFile;
        case Push::ChoseIcon: return form_.ChoseIcon;
        case Push::Button3: return form_.Button3;
        case Push::WinIconsFile: return form_.WinIconsFile;
        case Push::KindFolderLink: return form_.KindFolderLink;
        case Push::KindFileLink: break;
    }
    return form_.KindFileLink;
}

void WizardDriver::Type(Field field, const std::wstring& text) {
    switch (field) {
        case Field::ExistingFile:
            form_.ExistingFile.SetText(text);
            form_.ExistingFileChange();
            break;
        case Field::LinkFile:
            form_.LinkFile.SetText(text);
            form_.LinkFileChange();
            break;
        case Field::Description: form_.Description.SetText(text); break;
        case Field::IconFile:
            form_.IconFile.SetText(text);
            form_.StandardClick(&form_.IconFile);
            break;
    }
}

std::wstring WizardDriver::Text(Field field) const { return Of(field).Text(); }
std::vector<std::wstring> WizardDriver::Items(Field field) const { return Combo(field).Items(); }
HWND WizardDriver::Handle(Field field) const { return Of(field).Handle(); }
bool WizardDriver::Enabled(Field field) const { return Of(field).Enabled(); }
bool WizardDriver::Focused(Field field) const { return Of(field).Focused(); }

bool WizardDriver::Press(Push button) {
    Button& pressed = Of(button);
    if (!pressed.Enabled() || !pressed.Visible()) return false;
    const auto style = GetWindowLongW(pressed.Handle(), GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) pressed.SetChecked(!pressed.Checked());
    if (style == BS_AUTORADIOBUTTON || style == BS_RADIOBUTTON) {
        // The other button of its group lets go.
        for (const auto& [one, other] : {std::pair{Push::Standard, Push::IFile}, std::pair{Push::KindFolderLink, Push::KindFileLink}}) {
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

bool WizardDriver::Enabled(Push button) const { return Of(button).Enabled(); }
bool WizardDriver::Visible(Push button) const { return Of(button).Visible(); }
bool WizardDriver::Checked(Push button) const { return Of(button).Checked(); }
std::wstring WizardDriver::Caption(Push button) const { return Of(button).Text(); }
HWND WizardDriver::Handle(Push button) const { return Of(button).Handle(); }
