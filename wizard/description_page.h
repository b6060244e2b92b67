#pragma once
#include <functional>

#include "dialogs/link_settings_dialog.h"
#include "wizard/wizard_page.h"

// The third page: the link's description, and the way to the link's further settings.
class DescriptionPage final : public WizardPage {
public:
    DescriptionPage(PageHost& host, LinkDraft& draft) : WizardPage(host), draft_(draft) {}
    void SetDescription(const std::wstring& description) { description_.SetText(description); }

    // The settings the link gets while the user has not confirmed others.
    std::function<LinkSettings()> ProposedSettings;
    // Opens a help topic (F1 in the settings).
    std::function<void(const std::wstring& topic)> OnHelp;

    void BuildPart(int part, const PageArea& area) override;
    bool Leave() override;
    HWND FirstControl() const override { return description_.Handle(); }
    void Reset() override { SetDescription(L""); }

    // "Erweiterte Einstellungen"; OK keeps them in the draft. The caller places the focus after.
    void EditSettings();

private:
    LinkDraft& draft_;
    Edit description_;
    Button settings_;
    LinkSettingsDialog settingsDialog_;
};
