#pragma once
#include "platform/handles.h"
#include "wizard/wizard_page.h"

// For a folder target: a folder link or a file link.
class KindPage final : public WizardPage {
public:
    KindPage(PageHost& host, LinkDraft& draft) : WizardPage(host), draft_(draft) {}

    void BuildPart(int part, const PageArea& area) override;
    // A folder link is proposed.
    void Enter() override { SetKind(LinkKind::FolderLink); }
    bool Leave() override;
    HWND FirstControl() const override { return (folderLink_.Checked() ? folderLink_ : fileLink_).Handle(); }
    void Reset() override { SetKind(LinkKind::ShellLink); }

private:
    void SetKind(LinkKind kind);
    LinkDraft& draft_;
    Button folderLink_, fileLink_;
};

// After a written link: another one?
class ClosingPage final : public WizardPage {
public:
    using WizardPage::WizardPage;
    void BuildPart(int part, const PageArea& area) override;
    HWND FirstControl() const override { return nullptr; }
    void LoadPictures(UINT dpi) override;

private:
    Label question_;
    IconHandle questionIcon_;
};
