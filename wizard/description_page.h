#pragma once
#include "wizard/wizard_page.h"

// The third page: the link's description.
class DescriptionPage final : public WizardPage {
public:
    DescriptionPage(PageHost& host, LinkDraft& draft) : WizardPage(host), draft_(draft) {}
    void SetDescription(const std::wstring& description) { description_.SetText(description); }

    void BuildPart(int part, const PageArea& area) override;
    bool Leave() override;
    HWND FirstControl() const override { return description_.Handle(); }
    void Reset() override { SetDescription(L""); }

private:
    friend class WizardDriver;
    LinkDraft& draft_;
    Edit description_;
};
