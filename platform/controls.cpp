#include "platform/controls.h"

#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/win_error.h"
#include "platform/fonts.h"

namespace {
thread_local int hiddenChildren = 0;
}  // namespace

HiddenChildren::HiddenChildren() { ++hiddenChildren; }
HiddenChildren::~HiddenChildren() { --hiddenChildren; }

DWORD ChildStyle() { return hiddenChildren > 0 ? WS_CHILD : WS_CHILD | WS_VISIBLE; }

void Control::Create(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                     int width, int height, int id, DWORD exStyle) {
    hwnd_ = CreateWindowExW(exStyle, className, text.c_str(), ChildStyle() | style, x, y, width, height,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) ThrowLastError();
    ReflectFrom(hwnd_);
    SetFont(DialogFont());
}

Control::~Control() { StopReflecting(hwnd_); }

bool Control::Command(UINT code) {
    switch (code) {
        case BN_CLICKED:  // also STN_CLICKED
            if (!OnClick) return false;
            OnClick();
            return true;
        case EN_CHANGE:
            if (!OnChange) return false;
            if (!SettingValue()) OnChange();
            return true;
        default: return false;
    }
}

std::wstring Control::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(length + 1, L'\0');
    text.resize(GetWindowTextW(hwnd_, text.data(), length + 1));
    return text;
}

void Control::SetText(const std::wstring& text) {
    QuietWrite quiet(*this);
    SetWindowTextW(hwnd_, text.c_str());
}

void Control::SetFocus() {
    if (IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_)) ::SetFocus(hwnd_);
}

bool Control::Focused() const {
    const HWND focus = GetFocus();
    return focus && (focus == hwnd_ || IsChild(hwnd_, focus));
}

RECT ChildBounds(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Control::SetBounds(int x, int y, int width, int height) {
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Label::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, DWORD style) {
    Control::Create(parent, L"STATIC", text, style, x, y, width, height, -1);
}

void Button::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int id,
                    DWORD style) {
    // Every control but a radio button after the first of its group starts a group of its own, so
    // arrow keys stay inside radio groups.
    const DWORD type = style & BS_TYPEMASK;
    const bool radio = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
    const DWORD tabbing = radio ? (style & WS_GROUP ? WS_TABSTOP : 0) : WS_TABSTOP | WS_GROUP;
    Control::Create(parent, L"BUTTON", text, tabbing | style, x, y, width, height, id);
}

void Edit::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int id, DWORD style) {
    Control::Create(parent, L"EDIT", text, WS_TABSTOP | WS_GROUP | style, x, y, width, height, id, WS_EX_CLIENTEDGE);
}

void ComboBox::Create(HWND parent, int x, int y, int width, int height, int id) {
    Control::Create(parent, L"COMBOBOX", L"", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, x, y,
                    width, height, id);
}

bool ComboBox::Command(UINT code) {
    switch (code) {
        case CBN_DROPDOWN:
            if (!OnDropDown) return false;
            OnDropDown();
            return true;
        case CBN_SELENDOK:
            if (!OnChange) return false;
            // The edit field shows the chosen item only after this notification.
            SetText(Item(ItemIndex()));
            OnChange();
            return true;
        case CBN_EDITCHANGE:
            if (!OnChange) return false;
            if (!SettingText()) OnChange();
            return true;
        default: return Control::Command(code);
    }
}

bool ListBox::Command(UINT code) {
    const std::function<void()>* handler = code == LBN_SELCHANGE ? &OnSelect : code == LBN_DBLCLK ? &OnDoubleClick : nullptr;
    if (!handler || !*handler) return false;
    (*handler)();
    return true;
}

bool ComboBox::CompleteFromItems() {
    if (!AutoComplete) return false;
    const std::wstring typed = Text();
    if (typed.empty() || SelStart() != static_cast<int>(typed.size())) return false;
    const int found = static_cast<int>(
        SendMessageW(hwnd_, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(typed.c_str())));
    if (found == CB_ERR) return false;
    const std::wstring item = Item(found);
    if (item.size() <= typed.size()) return false;
    SetText(typed + item.substr(typed.size()));
    SetSelection(static_cast<int>(typed.size()), -1);
    return true;
}

HWND ComboBox::EditHandle() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

std::wstring ComboBox::Item(int index) const {
    const LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(length + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

std::vector<std::wstring> ComboBox::Items() const {
    std::vector<std::wstring> items;
    for (int i = 0, n = Count(); i < n; ++i) items.push_back(Item(i));
    return items;
}

void ComboBox::SetItems(const std::vector<std::wstring>& items) {
    Clear();
    for (const auto& item : items) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void ComboBox::Clear() {
    // CB_RESETCONTENT also empties the edit field; keep the text.
    const std::wstring text = Text();
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    SetText(text);
}

int ComboBox::SelStart() const {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int ComboBox::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void ComboBox::CaretToEnd() {
    const int length = GetWindowTextLengthW(hwnd_);
    SetSelection(length, length);
}

void AnchorLayout::Add(HWND child, int anchors) { entries_.push_back({child, ChildBounds(child), anchors}); }

RECT AnchorLayout::Place(const Entry& e, int clientWidth, int clientHeight, UINT dpi) const {
    const int dx = clientWidth - Scale(baseWidth_, dpi), dy = clientHeight - Scale(baseHeight_, dpi);
    RECT r = ScaleRect(e.bounds, dpi);
    if (e.anchors & Right) {
        r.right += dx;
        if (!(e.anchors & Left)) r.left += dx;
    }
    if (e.anchors & Bottom) {
        r.bottom += dy;
        if (!(e.anchors & Top)) r.top += dy;
    }
    // An etched line is two pixels at every scale, as the system draws it; taller, it becomes a
    // rule of its own.
    wchar_t name[8] = {};
    if ((GetWindowLongW(e.child, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ && GetClassNameW(e.child, name, 8) &&
        _wcsicmp(name, L"Static") == 0)
        r.bottom = r.top + 2;
    return r;
}

RECT AnchorLayout::Place(HWND child, int clientWidth, int clientHeight, UINT dpi) const {
    for (const auto& e : entries_)
        if (e.child == child) return Place(e, clientWidth, clientHeight, dpi);
    return ChildBounds(child);
}

void AnchorLayout::Apply(int clientWidth, int clientHeight, UINT dpi, size_t first) const {
    HDWP batch = BeginDeferWindowPos(static_cast<int>(entries_.size()));
    for (size_t i = first; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        const RECT r = Place(e, clientWidth, clientHeight, dpi);
        if (batch)
            batch = DeferWindowPos(batch, e.child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch) EndDeferWindowPos(batch);
}

// The tooltip window itself is made for the first hint: a form whose first page has none
// shows sooner.
void Hints::Create(HWND owner) { owner_ = owner; }

void Hints::Set(HWND tool, const std::wstring& text) {
    if (!owner_) return;
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        if (!tooltip_) return;
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

SIZE TextExtent(HDC dc, HFONT font, const std::wstring& text) {
    SelectedObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
