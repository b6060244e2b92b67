#include "tests/windows/support/wizard_driver.h"

#include <gtest/gtest.h>

#include "tests/windows/support/messages.h"
#include "tests/windows/support/modal_watch.h"
#include "tests/windows/support/window_tree.h"

namespace {
// What each button shows (its hint where it shows an icon); a prefix where the page adds to it.
struct ButtonCaption {
    const wchar_t* text;
    bool prefix = false;
};
const ButtonCaption kCaptions[] = {
    {}, {L"< &Zurück"}, {}, {L"Aktuelle Verknüpfung löschen"},
    {L"&Datei suchen..."}, {L"&Ordner suchen..."},
    {L"Desktop"}, {L"Startmenü"}, {L"Startmenü/Programme"}, {L"SendTo (Senden an)"},
    {L"Quick Launch (Schnellstart)"}, {L"Autostart"}, {L"Aufwärts"},
    {L"Standard&datei:", true}, {L"&Symboldatei:"}, {L"Symbol auswählen"}, {L"Durchsuchen..."},
    {L"Windows-Symbol&datei"},
    {L"Ordnerverknüpfung"}, {L"Dateiverknüpfung"}, {L"&Erweitert…"},
};

HWND EditOf(HWND field) {
    if (!IsClass(field, L"ComboBox")) return field;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(field, &info);
    return info.hwndItem;
}
}  // namespace

HWND WizardDriver::Handle(Field field) const {
    if (field == Field::Description) return ChildWindow(Form(), L"Edit");
    const int nth = field == Field::CommandLine ? 0 : field == Field::Location ? 1 : 2;
    return ChildWindow(Form(), L"ComboBox", {}, nth);
}

HistoryComboBox& WizardDriver::Combo(Field field) const {
    auto* combo = ControlObject<HistoryComboBox>(Handle(field));
    if (!combo) throw std::logic_error("the field is no history box or its page is not built");
    return *combo;
}

void WizardDriver::Type(Field field, const std::wstring& text) {
    const HWND box = Handle(field), edit = EditOf(box);
    EXPECT_TRUE(edit) << "no such field on the wizard yet";
    if (edit == box) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        // A combo box's edit field reports no WM_SETTEXT (neither does Windows'): the text is
        // pasted over the whole field, as a user replaces it.
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    PumpPending();
}

void WizardDriver::TypeKeys(Field field, const std::wstring& text) {
    const HWND edit = EditOf(Handle(field));
    for (wchar_t c : text) {
        SendMessageW(edit, WM_CHAR, c, 1);
        PumpPending();
    }
}

std::wstring WizardDriver::Text(Field field) const { return TextOf(Handle(field)); }

std::vector<std::wstring> WizardDriver::Items(Field field) const {
    const HWND combo = Handle(field);
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

bool WizardDriver::Focused(Field field) const { return HasFocus(Handle(field)); }

HWND WizardDriver::Handle(Push button) const {
    const HWND back = ChildWindow(Form(), L"Button", L"< &Zurück");
    switch (button) {
        case Push::Next: return GetWindow(back, GW_HWNDNEXT);
        case Push::Cancel: return GetWindow(GetWindow(back, GW_HWNDNEXT), GW_HWNDNEXT);
        default: break;
    }
    const ButtonCaption& caption = kCaptions[static_cast<size_t>(button)];
    const std::wstring text = caption.text;
    for (HWND child : ChildrenOf(Form())) {
        if (!IsClass(child, L"Button")) continue;
        const std::wstring shown = TextOf(child);
        if (caption.prefix ? shown.rfind(text, 0) == 0 : shown == text) return child;
    }
    return nullptr;
}

bool WizardDriver::Visible(Push button) const {
    return (GetWindowLongW(Handle(button), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool WizardDriver::Checked(Push button) const {
    return SendMessageW(Handle(button), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring WizardDriver::Caption(Push button) const { return TextOf(Handle(button)); }

bool WizardDriver::Press(Push button) {
    const HWND pressed = Handle(button);
    EXPECT_TRUE(pressed) << "no such button on the wizard yet";
    if (!pressed || !IsWindowEnabled(pressed) || !Visible(button)) return false;
    // Whatever the button opens must end; a window left open fails the test within seconds.
    const ModalWatchdog watchdog("a window the wizard's button opened");
    SendMessageW(pressed, BM_CLICK, 0, 0);
    PumpPending();
    return true;
}

void WizardDriver::SetChecked(Push button, bool checked) {
    if (Checked(button) != checked) Press(button);
}

DirectoryView* WizardDriver::Tree() const {
    return ControlObject<DirectoryView>(ChildWindow(Form(), WC_TREEVIEWW));
}

void WizardDriver::TreeMovedTo(const std::wstring& folder) {
    DirectoryView* tree = Tree();
    ASSERT_TRUE(tree) << "the location page is not built";
    // Shown and selected from code (silent), then the parent selected and the folder clicked.
    ASSERT_TRUE(tree->SelectFolder(folder));
    const HWND view = tree->Handle();
    const HTREEITEM node = TreeView_GetSelection(view);
    tree->GoUp();
    RECT rect{};
    ASSERT_TRUE(TreeView_GetItemRect(view, node, &rect, TRUE));
    const LPARAM at = MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
    PostMessageW(view, WM_LBUTTONUP, 0, at);
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpPending();
}

ImageControl& WizardDriver::IconPreview() const {
    return *WindowObject<ImageControl>(ChildWindow(Form(), L"ZeigerwerkImage", L"Symbol der Verknüpfung"));
}

ImageControl& WizardDriver::SmallIconPreview() const {
    return *WindowObject<ImageControl>(ChildWindow(Form(), L"ZeigerwerkImage", L"Kleines Symbol der Verknüpfung"));
}

HWND WizardDriver::TargetName() const {
    const HWND preview = ChildWindow(Form(), L"ZeigerwerkImage", L"Symbol der Verknüpfung");
    for (HWND child = GetWindow(preview, GW_HWNDNEXT); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsClass(child, L"Static") && (GetWindowLongW(child, GWL_STYLE) & SS_NOTIFY)) return child;
    return nullptr;
}

AnimationControl& WizardDriver::Animation() const {
    return *WindowObject<AnimationControl>(ChildWindow(Form(), L"ZeigerwerkAnimation"));
}
