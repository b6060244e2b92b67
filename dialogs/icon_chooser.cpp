#include "dialogs/icon_chooser.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "dialogs/modal_loop.h"
#include "platform/handles.h"
#include "platform/icon_size.h"
#include "controls/icon_count.h"

namespace {
constexpr int kClientWidth = 654;
constexpr int kClientHeight = 285;
constexpr int kColumns = 10;
constexpr int kIconListId = 100;
constexpr int kIconIndexId = 101;
constexpr int kIconIndexSpinId = 102;
constexpr UINT kShownMessage = WM_APP + 1;


HWND MakeControl(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
                 int height, HWND parent, int id, HFONT font) {
    HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (!control) ThrowLastError();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}
}  // namespace

void TForm2::FormCreate(HWND owner) {
    // The chooser takes over the wizard's font; the cells grow with it.
    font_ = owner ? reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)) : nullptr;
    if (!font_) font_ = DialogFont();
    LOGFONTW lf{};
    GetObjectW(font_, sizeof lf, &lf);
    itemHeight_ = 32 - lf.lfHeight + 6;
    if (lf.lfHeight > 0) itemHeight_ = 32 + lf.lfHeight + 6;  // a cell height given, not a character height

    CreateDialogWindow(L"ZeigerwerkIconChooser", L"Symbol auswählen", kClientWidth, kClientHeight, owner,
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    HWND self = Handle();
    SetClientSize(self, kClientWidth, kClientHeight);
    SendMessageW(self, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    iconList_ = MakeControl(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_TABSTOP | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTICOLUMN |
                                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            8, 8, 545, 269, self, kIconListId, font_);
    RECT listClient{};
    GetClientRect(iconList_, &listClient);
    SendMessageW(iconList_, LB_SETCOLUMNWIDTH, (listClient.right - listClient.left) / kColumns, 0);
    SendMessageW(iconList_, LB_SETITEMHEIGHT, 0, itemHeight_);

    label1_ = MakeControl(0, L"STATIC", L"Symbol&index:", SS_LEFT, 561, 8, 85, 14, self, -1, font_);
    iconIndex_ = MakeControl(0, L"EDIT", L"0", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, 561, 24, 85,
                             21, self, kIconIndexId, font_);
    iconIndexSpin_ = MakeControl(0, UPDOWN_CLASSW, L"",
                                 UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
                                 self, kIconIndexSpinId, font_);
    SendMessageW(iconIndexSpin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(iconIndex_), 0);
    SendMessageW(iconIndexSpin_, UDM_SETRANGE32, 0, 0);
    ok_ = MakeControl(0, L"BUTTON", L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 561, 221, 85, 25, self, IDOK, font_);
    cancel_ = MakeControl(0, L"BUTTON", L"Ab&brechen", WS_TABSTOP | BS_PUSHBUTTON, 561, 252, 85, 25, self,
                          IDCANCEL, font_);
}

int TForm2::ShowModal(HWND owner, const std::wstring& iconFile, int& selectedIconIndex) {
    if (!Handle()) FormCreate(owner);
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    iconFile_ = iconFile;
    selectedIconIndex_ = &selectedIconIndex;
    modalResult_ = 0;
    FormShow();

    CenterOnScreen(Handle());
    lastFocus_ = iconList_;
    if (OnShown) PostMessageW(Handle(), kShownMessage, 0, 0);
    RunModal(Handle(), owner, modalResult_, [this](const MSG& message) {
        if (message.message != WM_KEYDOWN || message.wParam != VK_F1) return false;
        HelpExecute();
        return true;
    });
    selectedIconIndex_ = nullptr;
    return modalResult_;
}

void TForm2::FormShow() {
    SetWindowTextW(Handle(), (L"Symbol auswählen - [" + iconFile_ + L"]").c_str());
    const int count = CountIcons(iconFile_, false);
    SendMessageW(iconList_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(iconList_, LB_RESETCONTENT, 0, 0);
    SendMessageW(iconList_, LB_INITSTORAGE, count, count * 4);
    for (int i = 1; i <= count; ++i) {
        const std::wstring text = std::to_wstring(i);
        SendMessageW(iconList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(iconList_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(iconList_, nullptr, TRUE);
    // A file without icons leaves the spin edit at 0 rather than with a range that runs backwards.
    SendMessageW(iconIndexSpin_, UDM_SETRANGE32, 0, std::max(0, count - 1));
    const int selected = selectedIconIndex_ ? *selectedIconIndex_ : 0;
    const int value = std::clamp(selected, 0, std::max(0, count - 1));
    SetWindowTextW(iconIndex_, std::to_wstring(value).c_str());
    IconIndexChange();
}

void TForm2::IconListClick() {
    const LRESULT cell = SendMessageW(iconList_, LB_GETCURSEL, 0, 0);
    if (cell == LB_ERR) return;
    SetWindowTextW(iconIndex_, std::to_wstring(cell).c_str());
}

void TForm2::IconIndexChange() {
    SendMessageW(iconList_, LB_SETCURSEL, IconIndexValue(), 0);
}

void TForm2::OKClick() {
    if (selectedIconIndex_) *selectedIconIndex_ = IconIndexValue();
    Close(IDOK);
}

void TForm2::CancelClick() { Close(IDCANCEL); }

void TForm2::HelpExecute() {
    if (OnHelp) OnHelp(L"LinkIcon");
}

void TForm2::Close(int result) { modalResult_ = result; }

int TForm2::IconCount() const { return static_cast<int>(SendMessageW(iconList_, LB_GETCOUNT, 0, 0)); }

int TForm2::SelectedCell() const {
    const LRESULT cell = SendMessageW(iconList_, LB_GETCURSEL, 0, 0);
    return cell == LB_ERR ? -1 : static_cast<int>(cell);
}

int TForm2::IconIndexMin() const {
    int low = 0, high = 0;
    SendMessageW(iconIndexSpin_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return low;
}

int TForm2::IconIndexMax() const {
    int low = 0, high = 0;
    SendMessageW(iconIndexSpin_, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return high;
}

int TForm2::IconIndexValue() const {
    wchar_t text[32] = {};
    GetWindowTextW(iconIndex_, text, 32);
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(text, &end, 10);
    const bool number = text[0] != L'\0' && end && *end == L'\0' && errno == 0;
    return std::clamp(number ? static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)) : 0, IconIndexMin(),
                      IconIndexMax());
}

void TForm2::SetIconIndexText(const std::wstring& text) { SetWindowTextW(iconIndex_, text.c_str()); }

std::wstring TForm2::Caption() const {
    wchar_t text[1024] = {};
    GetWindowTextW(Handle(), text, 1024);
    return text;
}

void TForm2::IconListDrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT cell = item.rcItem;
    if (item.itemID == static_cast<UINT>(-1)) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &cell);
        return;
    }
    const bool selected = item.itemState & ODS_SELECTED;
    RECT fill = cell;
    fill.right += 1;
    fill.bottom += 1;
    FillRect(dc, &fill, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

    const int index = static_cast<int>(item.itemID);
    const int cellWidth = cell.right - cell.left;
    {
        QuietErrorMode quiet;
        IconHandle icon(ExtractIconW(GetModuleHandleW(nullptr), iconFile_.c_str(), static_cast<UINT>(index)));
        // Besides null, the extraction answers 1 for a file that is no icon source; that is no icon.
        if (icon && icon.Get() != reinterpret_cast<HICON>(1)) {
            const SIZE size = IconSize(icon.Get());
            DrawIconEx(dc, cell.left + cellWidth / 2 - size.cx / 2, cell.top, icon.Get(), size.cx, size.cy, 0,
                       nullptr, DI_NORMAL);
        } else {
            icon.Release();
        }
    }

    const std::wstring number = std::to_wstring(index);
    SelectedObject font(dc, font_);
    SIZE extent{};
    GetTextExtentPoint32W(dc, number.c_str(), static_cast<int>(number.size()), &extent);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    TextOutW(dc, cell.left + cellWidth / 2 - extent.cx / 2, cell.top + 33, number.c_str(),
             static_cast<int>(number.size()));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &cell);
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDOK && code == BN_CLICKED) OKClick();
        else if (id == IDCANCEL && code == BN_CLICKED) CancelClick();
        else if (id == kIconListId && code == LBN_SELCHANGE) IconListClick();
        else if (id == kIconListId && code == LBN_DBLCLK) OKClick();
        else if (id == kIconIndexId && code == EN_CHANGE) IconIndexChange();
        return 0;
    }
    case WM_DRAWITEM:
        if (wParam == kIconListId) {
            IconListDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_MEASUREITEM:
        if (wParam == kIconListId) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(itemHeight_);
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_ACTIVATE:
        RestoreFocusOnActivate(Handle(), wParam, lastFocus_, iconList_);
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_HELP:
        HelpExecute();
        return TRUE;
    case WM_CLOSE:
        CancelClick();
        return 0;
    case kShownMessage:
        if (OnShown) OnShown();
        return 0;
    }
    return Default(message, wParam, lParam);
}
