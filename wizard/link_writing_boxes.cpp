#include "wizard/link_writing_boxes.h"

#include "platform/message_box.h"
#include "platform/path_text.h"

// No is the default of both questions: nothing is replaced by a hasty Enter.
bool LinkWritingBoxes::OverwriteLink(const std::wstring& linkFile) {
    ExclamationSound();
    return WarnYesNo(owner_, L"Die Dateiverknüpfung " + linkFile +
                                 L" kann nicht erstellt werden, da bereits eine gleichnamige Verknüpfung "
                                 L"existiert. Soll sie überschrieben werden?",
                     BoxAnswer::No);
}

bool LinkWritingBoxes::ReplaceFolder(const std::wstring& folder) {
    ExclamationSound();
    return WarnYesNo(owner_, L"Die Ordnerverknüpfung " + WithoutTrailingBackslash(folder) +
                                 L" kann nicht erstellt werden, da bereits ein gleichnamiger Ordner existiert. "
                                 L"Sollen der Ordner und alle in ihm enthaltenen Dateien gelöscht werden?",
                     BoxAnswer::No);
}

void LinkWritingBoxes::ReportWriteError(LinkKind kind, const std::wstring& reason) {
    ExclamationSound();
    WarnOk(owner_, (kind == LinkKind::FolderLink ? L"Beim Erstellen der Ordnerverknüpfung ist ein Fehler aufgetreten.\r\n"
                                                 : L"Beim Erstellen der Verknüpfung ist ein Fehler aufgetreten.\r\n") +
                       reason);
}

void LinkWritingBoxes::Tell(const std::wstring& sentence) { WarnOk(owner_, sentence); }
