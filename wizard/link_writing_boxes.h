#pragma once
#include "links/link_writing.h"

// Writing a link asks and reports through the wizard's message boxes.
class LinkWritingBoxes final : public LinkWritingQuestions {
public:
    explicit LinkWritingBoxes(HWND owner) : owner_(owner) {}
    bool OverwriteLink(const std::wstring& linkFile) override;
    bool ReplaceFolder(const std::wstring& folder) override;
    void ReportWriteError(LinkKind kind, const std::wstring& reason) override;
    void Tell(const std::wstring& sentence) override;
    HWND Owner() const override { return owner_; }

private:
    HWND owner_;
};
