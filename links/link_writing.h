#pragma once
#include <windows.h>

#include <string>

#include "links/link_draft.h"

// What writing a draft may have to ask or tell; the wizard answers with its message boxes.
class LinkWritingQuestions {
public:
    virtual ~LinkWritingQuestions() = default;
    // A file link of that name exists: may it be overwritten?
    virtual bool OverwriteLink(const std::wstring& linkFile) = 0;
    // A folder stands where the folder link goes (folder ends with a backslash): may it and
    // everything in it be deleted?
    virtual bool ReplaceFolder(const std::wstring& folder) = 0;
    // The link could not be written; reason is the system's text.
    virtual void ReportWriteError(LinkKind kind, const std::wstring& reason) = 0;
    // Something of the user's stays where the sentence says.
    virtual void Tell(const std::wstring& sentence) = 0;
    // The window the shell's file operations belong to.
    virtual HWND Owner() const = 0;
};

// Writes the link the draft describes in one transaction: the new link is swapped in whole, the
// edited link (when it is to go) is removed only after that, and only its own files; a folder
// of the folder link's name is emptied into the recycle bin when the user agrees. False when
// nothing was written (declined, or failed and reported).
bool WriteLinkDraft(const LinkDraft& draft, LinkWritingQuestions& questions);
