#include "wizard/description_page.h"

void DescriptionPage::BuildPart(int, const PageArea& area) {
    Label caption;
    caption.Create(Owner(), L"Geben &Sie die Beschreibung der Verknüpfung an:", area.x, area.y, area.width, 14);
    description_.Create(Owner(), L"", area.x, area.y + 18, area.width, 21, -1);
    settings_.Create(Owner(), L"&Erweitert…", area.x + area.width - 110, area.y + 48, 110, 23, -1);
    Add(caption.Handle(), AnchorLayout::TopLeftRight);
    Add(description_.Handle(), AnchorLayout::TopLeftRight);
    Add(settings_.Handle(), AnchorLayout::TopRight);
    settings_.OnClick = [this] {
        EditSettings();
        settings_.SetFocus();
    };
}

bool DescriptionPage::Leave() {
    draft_.description = description_.Text();
    return true;
}

void DescriptionPage::EditSettings() {
    LinkSettings settings = draft_.settings.value_or(ProposedSettings ? ProposedSettings() : LinkSettings{});
    // The kind page comes later: a folder counts as a folder link only once it was chosen as one.
    const bool folderLink = draft_.targetIsFolder && draft_.kind == LinkKind::FolderLink;
    settingsDialog_.OnHelp = OnHelp;
    const SettingsTarget target = draft_.targetIsWebAddress
                                      ? SettingsTarget::WebAddress
                                      : SettingsTargetOf(draft_.target, draft_.targetIsFolder, folderLink);
    if (settingsDialog_.ShowModal(Owner(), target, settings) == IDOK) draft_.settings = settings;
}
