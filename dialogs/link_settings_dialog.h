#pragma once
#include <windows.h>

#include "dialogs/link_settings_rules.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/modal_window.h"

// "Erweiterte Einstellungen": the link's "Start in" folder, hot key, run mode and run-as, in a
// modal window over the wizard. The settings that do not apply to the target are disabled, with
// one line that says why; their values come back as they went in.
class LinkSettingsDialog : public ModalWindow {
public:
    LinkSettingsDialog() = default;

    // Shows settings for a target of that kind; OK writes the values back into settings, Cancel
    // leaves them. Answers IDOK or IDCANCEL.
    int ShowModal(HWND owner, SettingsTarget target, LinkSettings& settings);

    void Accept() override;

    // The controls as the user sees them (tests drive them).
    HWND WorkingFolderEdit() const { return workingFolder_.Handle(); }
    HWND HotKeyControl() const { return hotKey_.Handle(); }
    HWND RunModeCombo() const { return runMode_.Handle(); }
    HWND RunAsAdminCheck() const { return runAsAdmin_.Handle(); }
    HWND ReasonLabel() const { return reason_.Handle(); }
    HWND OKButton() const { return ok_.Handle(); }
    HWND CancelButton() const { return cancel_.Handle(); }
    UINT Dpi() const { return dpi_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The settings belong to the link's description.
    const wchar_t* HelpTopic() const override { return L"LinkDescription"; }
    void ApplyDpi(UINT dpi, const RECT* suggested) override;

private:
    void CreateControls(HWND owner);
    void Layout();
    void Fill();
    int S(int designSize) const { return Scale(designSize, dpi_); }

    Label workingFolderLabel_, hotKeyLabel_, runModeLabel_, reason_;
    Edit workingFolder_;
    Control hotKey_;
    ComboBox runMode_;
    Button runAsAdmin_, ok_, cancel_;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
    int clientWidth_ = 0, clientHeight_ = 0;
    SettingsTarget target_ = SettingsTarget::Program;
    LinkSettings* settings_ = nullptr;
};
