#include "wizard/target_page.h"

#include "links/link_kind.h"
#include "links/link_targets.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "wizard/command_line.h"
#include "wizard/name_rules.h"
#include "wizard/web_address_rules.h"
#include "links/internet_shortcut.h"

namespace {
// A link whose target is again a link is followed this many times at most.
constexpr int kMaxLinkChain = 16;
}  // namespace

TargetPage::TargetPage(PageHost& host, LinkDraft& draft, WizardSystem system, OpenDialog& openDialog,
                       const HistoryList& history)
    : WizardPage(host), draft_(draft), system_(system), openDialog_(openDialog), initialHistory_(history) {}

void TargetPage::BuildPart(int, const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    Label explanation, caption;
    explanation.Create(form,
                       L"Geben Sie den Pfad und den Namen des Objekts ein, für das die Verknüpfung erstellt werden "
                       L"soll, oder suchen Sie es über die Schaltfläche \"Datei suchen\" oder \"Ordner suchen\".",
                       x, y, w, 56);
    caption.Create(form, L"&Befehlszeile:", x, y + 66, w, 14);
    commandLine_.Create(form, x, y + 82, w, 200, initialHistory_);
    browseFile_.Create(form, L"&Datei suchen...", x + w - 2 * 110 - 6, y + 112, 110, 23, -1);
    browseFolder_.Create(form, L"&Ordner suchen...", x + w - 110, y + 112, 110, 23, -1);
    Add(explanation.Handle(), AnchorLayout::TopLeftRight);
    Add(caption.Handle(), AnchorLayout::TopLeft);
    Add(commandLine_.Handle(), AnchorLayout::TopLeftRight);
    Add(browseFile_.Handle(), AnchorLayout::TopRight);
    Add(browseFolder_.Handle(), AnchorLayout::TopRight);
    commandLine_.OnChange = [this] { if (OnTargetChanged) OnTargetChanged(); };
    browseFile_.OnClick = [this] { BrowseTargetFile(); };
    browseFolder_.OnClick = [this] { BrowseTargetFolder(); };
    openDialog_.Filter = L"Programme|*.exe|Alle Dateien|*";
}

void TargetPage::SetCommandLine(const std::wstring& commandLine) {
    commandLine_.SetText(commandLine);
    if (OnTargetChanged) OnTargetChanged();
}

void TargetPage::BrowseTargetFile() {
    const std::wstring folder = ExpandedPath(FolderPart(commandLine_.Text()));
    if (DirectoryExists(folder)) openDialog_.InitialDir = folder;
    if (system_.dialogs.Open(Owner(), openDialog_)) {
        SetCommandLine(QuoteIf(openDialog_.FileName, L" ,"));
        commandLine_.SelectAll();
        commandLine_.SetFocus();
    }
    openDialog_.InitialDir.clear();
}

void TargetPage::BrowseTargetFolder() {
    if (const auto folder = system_.dialogs.BrowseForFolder(Owner())) SetCommandLine(QuoteIf(*folder, L" "));
}

void TargetPage::Refuse() {
    commandLine_.SelectAll();
    commandLine_.SetFocus();
}

bool TargetPage::Leave() {
    for (int followed = 0;; ++followed) {
        const std::wstring text = commandLine_.Text();
        const std::vector<std::wstring> tokens = TokenizeCommandLine(text);
        if (tokens.empty()) {
            // A command line of blanks names nothing.
            ExclamationSound();
            WarnOk(Owner(), L"Geben Sie den Pfad und den Namen des Objekts ein, für das die Verknüpfung erstellt "
                            L"werden soll.");
            Refuse();
            return false;
        }
        // A web address is the system's to open: nothing on the disk to look for or correct.
        if (const auto address = WebAddressOf(text, SystemKnowsProtocol)) {
            commandLine_.Remember([&](HistoryList& list) { RememberText(list, text); });
            draft_.target = *address;
            draft_.arguments.clear();
            draft_.targetIsFolder = false;
            draft_.targetIsWebAddress = true;
            return true;
        }
        draft_.targetIsWebAddress = false;
        // The draft keeps the target as typed, so that a link to %NAME%\... follows the variable;
        // the disk is asked for what it names here.
        const std::wstring& target = tokens[0];
        const std::wstring expanded = ExpandedPath(target);
        const bool folder = DirectoryExists(expanded);
        if ((folder || IsRemovableRoot(expanded) || FileExists(expanded)) && !IsLinkFile(target)) {
            commandLine_.Remember([&](HistoryList& list) { RememberText(list, text); });
            draft_.target = target;
            draft_.arguments = JoinArguments({tokens.begin() + 1, tokens.end()});
            draft_.targetIsFolder = folder;
            return true;
        }
        // A typed Internet shortcut stands for its address, as a typed link for its target.
        if (LinkFileKind(target) == LinkKind::InternetShortcut && FileExists(expanded) && followed < kMaxLinkChain) {
            SetCommandLine(ReadInternetShortcut(expanded).url);
            continue;
        }
        if (IsLinkFile(target)) {
            const std::wstring linkTarget = ExpandedPath(ReadLink(expanded).targetPath);
            if (!linkTarget.empty()) {
                if (followed >= kMaxLinkChain) {
                    ExclamationSound();
                    WarnOk(Owner(), L"Die Verknüpfung " + target + L" verweist über zu viele Verknüpfungen.");
                    Refuse();
                    return false;
                }
                SetCommandLine(QuoteIf(linkTarget, L" ") + text.substr(FirstTokenEnd(text)));
                continue;
            }
        }
        const std::wstring candidate =
            CorrectionCandidate(text, [](const std::wstring& p) { return PathExists(ExpandedPath(p)); });
        ExclamationSound();
        if (PathExists(ExpandedPath(candidate)) && !HasInvalidChars(NamePart(candidate))) {
            const std::wstring proposal = L"\"" + candidate + L"\"" + text.substr(candidate.size());
            if (WarnYesNo(Owner(), L"Die angegebene Datei wurde nicht gefunden.\r\n\r\n"
                                   L"Dateien und Verzeichnisse, die in ihrem Namen Leerzeichen oder Kommata "
                                   L"enthalten, müssen zur Trennung von den anderen Parametern in "
                                   L"Anführungsstriche gesetzt werden.\r\n" +
                                       proposal + L"\r\n\r\nMöchten Sie diesen Vorschlag annehmen?")) {
                SetCommandLine(proposal);
                continue;
            }
        } else {
            WarnOk(Owner(), L"Die Datei " + target + L" wurde nicht gefunden!");
        }
        Refuse();
        return false;
    }
}

void TargetPage::Drop(const std::wstring& path) {
    if (LinkFileKind(path) == LinkKind::InternetShortcut) {
        const InternetShortcutFields shortcut = ReadInternetShortcut(path);
        SetCommandLine(shortcut.url);
        LinkData link;
        link.targetPath = shortcut.url;
        link.iconFile = shortcut.iconFile;
        link.iconIndex = shortcut.iconIndex;
        if (OnLinkDropped) OnLinkDropped(path, link);
        return;
    }
    if (!IsLinkFile(path)) {
        SetCommandLine(QuoteIf(path, L" "));
        return;
    }
    const LinkData link = ReadLink(path);
    SetCommandLine(QuoteIf(link.targetPath, L" ") + (link.arguments.empty() ? L"" : L" " + link.arguments));
    if (OnLinkDropped) OnLinkDropped(path, link);
}
