#include "wizard/kind_and_closing_pages.h"

void KindPage::BuildPart(int, const PageArea& area) {
    const HWND form = Owner();
    const int x = area.x, y = area.y, w = area.width;
    Label explanation;
    explanation.Create(form,
                       L"Ordnerverknüpfungen werden vom Explorer anders als Dateiverknüpfungen wie Ordner behandelt, "
                       L"weswegen in Menüs (z.B. Startmenü) auch deren Inhalt eingeblendet werden kann. Welche Art "
                       L"von Verknüpfung soll erstellt werden?",
                       x, y, w, 56);
    Button group;
    group.Create(form, L"Art der Verknüpfung", x, y + 64, w, 72, -1, BS_GROUPBOX);
    SetWindowLongW(group.Handle(), GWL_STYLE, GetWindowLongW(group.Handle(), GWL_STYLE) & ~WS_TABSTOP);
    folderLink_.Create(form, L"Ordnerverknüpfung", x + 12, y + 84, w - 24, 18, -1, BS_AUTORADIOBUTTON | WS_GROUP);
    fileLink_.Create(form, L"Dateiverknüpfung", x + 12, y + 106, w - 24, 18, -1, BS_AUTORADIOBUTTON);
    fileLink_.SetChecked(true);
    Add(explanation.Handle(), AnchorLayout::TopLeftRight);
    Add(group.Handle(), AnchorLayout::TopLeftRight);
    Add(folderLink_.Handle(), AnchorLayout::TopLeftRight);
    Add(fileLink_.Handle(), AnchorLayout::TopLeftRight);
}

void KindPage::SetKind(LinkKind kind) {
    folderLink_.SetChecked(kind == LinkKind::FolderLink);
    fileLink_.SetChecked(kind == LinkKind::ShellLink);
}

bool KindPage::Leave() {
    draft_.kind = folderLink_.Checked() ? LinkKind::FolderLink : LinkKind::ShellLink;
    return true;
}

void ClosingPage::BuildPart(int, const PageArea& area) {
    question_.Create(Owner(), L"", area.x, area.y, 32, 32, SS_ICON);
    Label text;
    text.Create(Owner(), L"Die Verknüpfung wurde erstellt. Möchten Sie eine weitere Verknüpfung erstellen?",
                area.x + 44, area.y + 4, area.width - 44, 44);
    Add(question_.Handle(), AnchorLayout::TopLeft);
    Add(text.Handle(), AnchorLayout::TopLeftRight);
}

void ClosingPage::LoadPictures(UINT dpi) {
    const int large = LargeIconSize(dpi);
    questionIcon_.Reset(static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_QUESTION), IMAGE_ICON, large, large, 0)));
    if (question_.Handle())
        SendMessageW(question_.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(questionIcon_.Get()), 0);
}
