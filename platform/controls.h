#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/reflected_control.h"

// Thin wrappers over the standard controls: the handle and the few operations forms need.

// A child window's rectangle in its parent's client coordinates.
RECT ChildBounds(HWND child);

// Child windows made while one of these lives start hidden: a page built behind the shown one
// neither flickers nor makes the shown page paint again.
class HiddenChildren {
public:
    HiddenChildren();
    ~HiddenChildren();
    HiddenChildren(const HiddenChildren&) = delete;
    HiddenChildren& operator=(const HiddenChildren&) = delete;
};

// WS_CHILD, with WS_VISIBLE unless a HiddenChildren lives.
DWORD ChildStyle();

// The extent of one line of text in the font.
SIZE TextExtent(HDC dc, HFONT font, const std::wstring& text);

// The events are announced only for what the user does: a value set from code stays silent.
class Control : public ReflectedControl {
public:
    Control() = default;
    ~Control() override;

    void Create(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                int width, int height, int id, DWORD exStyle = 0);
    HWND Handle() const { return hwnd_; }
    int Id() const { return GetDlgCtrlID(hwnd_); }

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
    bool Visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
    void SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
    void SetFocus();
    bool Focused() const;
    RECT Bounds() const { return ChildBounds(hwnd_); }
    void SetBounds(int x, int y, int width, int height);
    void SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

    // A button pressed, a notifying label clicked.
    std::function<void()> OnClick;
    // Text typed into an edit or combo box, or an item chosen from a combo box's list.
    std::function<void()> OnChange;
    bool Command(UINT code) override;

protected:
    // True while code writes the control's value.
    bool SettingValue() const { return settingValue_ > 0; }
    struct QuietWrite {
        explicit QuietWrite(Control& control) : control_(control) { ++control_.settingValue_; }
        ~QuietWrite() { --control_.settingValue_; }
        QuietWrite(const QuietWrite&) = delete;
        QuietWrite& operator=(const QuietWrite&) = delete;
        Control& control_;
    };
    HWND hwnd_ = nullptr;

private:
    int settingValue_ = 0;
};

class Label : public Control {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, DWORD style = SS_LEFT);
};

class Button : public Control {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int id,
                DWORD style = BS_PUSHBUTTON);
    bool Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void SetChecked(bool checked) { SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
    void SetIcon(HICON icon) { SendMessageW(hwnd_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)); }
};

class Edit : public Control {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int id,
                DWORD style = ES_AUTOHSCROLL);
    void SelectAll() { SendMessageW(hwnd_, EM_SETSEL, 0, -1); }
};

class ComboBox : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, int id);
    bool SettingText() const { return SettingValue(); }
    // The list is about to drop down.
    std::function<void()> OnDropDown;
    // A chosen item is put into the edit field before OnChange runs.
    bool Command(UINT code) override;
    HWND EditHandle() const;

    std::vector<std::wstring> Items() const;
    void SetItems(const std::vector<std::wstring>& items);
    int Count() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    std::wstring Item(int index) const;
    void DeleteItem(int index) { SendMessageW(hwnd_, CB_DELETESTRING, index, 0); }
    void Clear();
    int ItemIndex() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)); }
    void SetItemIndex(int index) { SendMessageW(hwnd_, CB_SETCURSEL, index, 0); }

    void SelectAll() { SetSelection(0, -1); }
    void SetSelection(int start, int end) { SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
    int SelStart() const;
    int SelLength() const;
    void CaretToEnd();

    // Completes typed text from the list while on (the wizard turns it on only at the end of the text).
    bool AutoComplete = false;
    // After a typed character: extends the text to the first item it begins, selecting the added part.
    bool CompleteFromItems();
};

class ListBox : public Control {
public:
    // The selection moved (by the user), an item was double-clicked.
    std::function<void()> OnSelect, OnDoubleClick;
    bool Command(UINT code) override;
};

// Keeps child windows at their distances to the parent's edges as it is resized, at any scale:
// children are made at their design sizes (96 DPI), which Add records, and Apply places them
// for the parent's client size and DPI.
class AnchorLayout {
public:
    enum Anchor { Left = 1, Top = 2, Right = 4, Bottom = 8, All = 15, TopLeft = 3, TopRight = 6,
                  BottomLeft = 9, BottomRight = 12, TopLeftRight = 7, LeftRightBottom = 13 };
    // The parent's design client size, to which the recorded bounds belong.
    void SetBase(int clientWidth, int clientHeight) { baseWidth_ = clientWidth, baseHeight_ = clientHeight; }
    void Add(HWND child, int anchors);
    // Places the children from the first-th added on.
    void Apply(int clientWidth, int clientHeight, UINT dpi = 96, size_t first = 0) const;
    size_t Count() const { return entries_.size(); }
    // Where Apply puts the child (its design bounds scaled and anchored).
    RECT Place(HWND child, int clientWidth, int clientHeight, UINT dpi) const;

private:
    struct Entry {
        HWND child;
        RECT bounds;
        int anchors;
    };
    RECT Place(const Entry& entry, int clientWidth, int clientHeight, UINT dpi) const;
    std::vector<Entry> entries_;
    int baseWidth_ = 0, baseHeight_ = 0;
};

// One tooltip window serving the hints of a form.
class Hints {
public:
    void Create(HWND owner);
    void Set(HWND tool, const std::wstring& text);

private:
    HWND tooltip_ = nullptr;
    HWND owner_ = nullptr;
};
