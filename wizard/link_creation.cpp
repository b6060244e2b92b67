#include "controls/directory_view.h"
#include "links/link_writing.h"
#include "platform/message_box.h"
#include "wizard/link_writing_boxes.h"
#include "wizard/wizard_form.h"

bool TForm1::CreateTheLink(const LinkDraft& draft) {
    LinkWritingBoxes boxes(Handle());
    return WriteLinkDraft(draft, boxes);
}

void TForm1::ShowNewLinkPage() {
    // The tree shows a new folder link, or a link written beside a folder it lists.
    DelCurLink.SetVisible(false);
    if (draft_.kind == LinkKind::FolderLink || draft_.targetIsFolder) Dir->UpdateDirectories(Dir->IconSize(), L"");
    ShowPage(NewLinkPage);
    Next.SetText(L"&Ja");
    Cancel.SetText(L"&Nein");
    Back.SetVisible(false);
    QuestionSound();
}
