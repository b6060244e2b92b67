#include "wizard/description_page.h"

void DescriptionPage::BuildPart(int, const PageArea& area) {
    Label caption;
    caption.Create(Owner(), L"Geben &Sie die Beschreibung der Verknüpfung an:", area.x, area.y, area.width, 14);
    description_.Create(Owner(), L"", area.x, area.y + 18, area.width, 21, -1);
    Add(caption.Handle(), AnchorLayout::TopLeftRight);
    Add(description_.Handle(), AnchorLayout::TopLeftRight);
}

bool DescriptionPage::Leave() {
    draft_.description = description_.Text();
    return true;
}
