#pragma once
#include <functional>

#include "platform/controls.h"
#include "platform/window.h"
#include "wizard/history_rules.h"

// A combo box whose list is a history: typed text is completed from it at the end of the text,
// Del removes the chosen entry, Shift+Del empties the list.
class HistoryComboBox : public ComboBox {
public:
    void Create(HWND parent, int x, int y, int width, int height, const HistoryList& items);
    // A key pressed in the edit field.
    void KeyDown(WPARAM key, bool shift);
    // Changes the list by the rule given; the text shown stays.
    void Remember(const std::function<void(HistoryList&)>& update);
    bool Command(UINT code) override;

private:
    ControlHook keys_;
    bool completeTyping_ = false;
};
