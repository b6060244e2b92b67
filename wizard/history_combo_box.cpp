#include "wizard/history_combo_box.h"

#include <utility>

void HistoryComboBox::Create(HWND parent, int x, int y, int width, int height, const HistoryList& items) {
    ComboBox::Create(parent, x, y, width, height, -1);
    keys_.Attach(EditHandle(), [this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message == WM_KEYDOWN) KeyDown(wParam, GetKeyState(VK_SHIFT) < 0);
        // Only a typed character completes; Backspace and Delete must be able to shorten the text.
        if (message == WM_CHAR) completeTyping_ = wParam >= L' ';
        return false;
    });
    SetItems(items);
}

void HistoryComboBox::KeyDown(WPARAM key, bool shift) {
    const int length = static_cast<int>(Text().size());
    AutoComplete = length - SelStart() - SelLength() == 0;
    if (key != VK_DELETE) return;
    if (shift) {
        Clear();
    } else if (ItemIndex() >= 0) {
        const std::wstring text = Text();
        DeleteItem(ItemIndex());
        SetText(text);
    }
}

void HistoryComboBox::Remember(const std::function<void(HistoryList&)>& update) {
    // Moving an entry may change the text shown, which is kept.
    const std::wstring shown = Text();
    HistoryList items = Items();
    update(items);
    SetItems(items);
    SetText(shown);
}

bool HistoryComboBox::Command(UINT code) {
    if (code != CBN_EDITCHANGE || !OnChange) return ComboBox::Command(code);
    if (SettingText()) return true;
    OnChange();
    if (std::exchange(completeTyping_, false) && CompleteFromItems()) OnChange();
    return true;
}
