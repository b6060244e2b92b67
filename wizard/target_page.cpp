#include "controls/directory_view.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "wizard/command_line.h"
#include "links/link_draft.h"
#include "wizard/history_rules.h"
#include "links/link_rules.h"
#include "links/link_store.h"
#include "wizard/name_rules.h"
#include "wizard/wizard_form.h"

namespace {
// A link whose target is again a link is followed this many times at most.
constexpr int kMaxLinkChain = 16;

// A drive for changeable media counts as there even without a disk in it.
bool ChangeableDrive(const std::wstring& path) {
    QuietErrorMode quiet;
    const UINT type = GetDriveTypeW(path.c_str());
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}
}  // namespace

void TForm1::ExistingFileChange() {
    BuildPages();
    Next.SetEnabled(!ExistingFile.Text().empty());
    LinkFile.SetText(L"");
    LinkFileChange();
    if (WizardStage > Stage::FolderChosen) {
        WizardStage = Stage::FolderChosen;
        if (EditedLinkPath.empty()) IconFile.SetText(L"");
    }
}

void TForm1::Button1Click() {
    const std::wstring folder = FolderPart(ExistingFile.Text());
    if (DirectoryExists(folder)) ODialog.InitialDir = folder;
    if (system_.dialogs.Open(Handle(), ODialog)) {
        ExistingFile.SetText(QuoteIf(ODialog.FileName, L" ,"));
        ExistingFile.SelectAll();
        ExistingFile.SetFocus();
        ExistingFileChange();
    }
    ODialog.InitialDir.clear();
}

void TForm1::Button4Click() {
    if (const auto folder = system_.dialogs.BrowseForFolder(Handle())) {
        ExistingFile.SetText(QuoteIf(*folder, L" "));
        ExistingFileChange();
    }
}

bool TForm1::CheckTarget() {
    for (int followed = 0;; ++followed) {
        const std::wstring text = ExistingFile.Text();
        const std::vector<std::wstring> tokens = TokenizeCommandLine(text);
        if (tokens.empty()) {
            // A command line of blanks names nothing.
            ExclamationSound();
            WarnOk(Handle(), L"Geben Sie den Pfad und den Namen des Objekts ein, für das die Verknüpfung erstellt "
                             L"werden soll.");
            ExistingFile.SelectAll();
            ExistingFile.SetFocus();
            return false;
        }
        const std::wstring& target = tokens[0];
        const bool folder = DirectoryExists(target);
        if ((folder || ChangeableDrive(target) || FileExists(target)) && !HasLinkExtension(target)) {
            UpdateHistory(ExistingFile, [&](HistoryList& list) { RememberText(list, text); });
            draft_.target = target;
            draft_.arguments = JoinArguments({tokens.begin() + 1, tokens.end()});
            draft_.targetIsFolder = folder;
            return true;
        }
        if (HasLinkExtension(target)) {
            const std::wstring linkTarget = ReadLink(target).targetPath;
            if (!linkTarget.empty()) {
                if (followed >= kMaxLinkChain) {
                    ExclamationSound();
                    WarnOk(Handle(), L"Die Verknüpfung " + target +
                                         L" verweist über zu viele Verknüpfungen.");
                    ExistingFile.SelectAll();
                    ExistingFile.SetFocus();
                    return false;
                }
                ExistingFile.SetText(QuoteIf(linkTarget, L" ") + text.substr(FirstTokenEnd(text)));
                ExistingFileChange();
                continue;
            }
        }
        const std::wstring candidate = CorrectionCandidate(text, [](const std::wstring& p) { return PathExists(p); });
        ExclamationSound();
        if (PathExists(candidate) && !HasInvalidChars(NamePart(candidate))) {
            const std::wstring proposal = L"\"" + candidate + L"\"" + text.substr(candidate.size());
            if (WarnYesNo(Handle(), L"Die angegebene Datei wurde nicht gefunden.\r\n\r\n"
                                    L"Dateien und Verzeichnisse, die in ihrem Namen Leerzeichen oder Kommata "
                                    L"enthalten, müssen zur Trennung von den anderen Parametern in "
                                    L"Anführungsstriche gesetzt werden.\r\n" +
                                        proposal + L"\r\n\r\nMöchten Sie diesen Vorschlag annehmen?")) {
                ExistingFile.SetText(proposal);
                ExistingFileChange();
                continue;
            }
        } else {
            WarnOk(Handle(), L"Die Datei " + target + L" wurde nicht gefunden!");
        }
        ExistingFile.SelectAll();
        ExistingFile.SetFocus();
        return false;
    }
}

void TForm1::SwitchToLocationPage() {
    Back.SetEnabled(true);
    ShowPage(LinkFilePage);
    if (WizardStage == Stage::Nothing) {
        Dir->SelectDirectory(SpecialFolderPath(CSIDL_DESKTOP));
        WizardStage = Stage::FolderChosen;
    }
    bool allow = true;
    DirDirectoryChanging(Dir->SelectedDirectory(), allow);
    SetCaption(L"Verknüpfungsdatei angeben");
}

void TForm1::DropOnTargetPage(const std::wstring& path) {
    if (!HasLinkExtension(path)) {
        ExistingFile.SetText(QuoteIf(path, L" "));
        ExistingFileChange();
        return;
    }
    const LinkData link = ReadLink(path);
    ExistingFile.SetText(QuoteIf(link.targetPath, L" ") + (link.arguments.empty() ? L"" : L" " + link.arguments));
    ExistingFileChange();
    if (LinkFile.Text().empty()) Dir->SelectDirectory(SpecialFolderPath(CSIDL_DESKTOP));
    LinkFile.SetText(FolderPart(LinkFile.Text()) + WithoutExtension(NamePart(path)));
    LinkFileChange();
    Description.SetText(link.description);
    if (!link.iconFile.empty()) {
        Standard.SetChecked(false);
        IFile.SetChecked(true);
        StandardClick(&IFile);
        IconFile.SetText(link.iconFile);
        SelectedIconIndex = link.iconIndex;
        RefreshPreviewKeepingIndex();
    } else {
        IFile.SetChecked(false);
        Standard.SetChecked(true);
        StandardClick(&Standard);
        IconFile.SetText(L"");
    }
    WizardStage = Stage::LocationAccepted;
}
