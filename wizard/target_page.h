#pragma once
#include <functional>

#include "links/link_store.h"
#include "wizard/history_combo_box.h"
#include "wizard/wizard_page.h"

// The first page: the command line of the object the link is for, typed or looked for.
class TargetPage final : public WizardPage {
public:
    TargetPage(PageHost& host, LinkDraft& draft, WizardSystem system, OpenDialog& openDialog, const HistoryList& history);

    // The command line changed, typed or set by the page.
    std::function<void()> OnTargetChanged;
    // A link was dropped on the page: its target is taken, the other pages take the rest.
    std::function<void(const std::wstring& path, const LinkData& link)> OnLinkDropped;

    void SetCommandLine(const std::wstring& commandLine);
    std::wstring CommandLine() const { return commandLine_.Text(); }
    HistoryList History() const { return commandLine_.Items(); }

    void BuildPart(int part, const PageArea& area) override;
    bool Leave() override;
    HWND FirstControl() const override { return commandLine_.Handle(); }
    void Reset() override { SetCommandLine(L""); }
    void Drop(const std::wstring& path) override;

private:
    void BrowseTargetFile();
    void BrowseTargetFolder();
    void Refuse();

    LinkDraft& draft_;
    WizardSystem system_;
    OpenDialog& openDialog_;
    HistoryList initialHistory_;
    HistoryComboBox commandLine_;
    Button browseFile_, browseFolder_;
};
