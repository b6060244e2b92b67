#include "dialogs/icon_chooser.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "platform/dpi.h"
#include "platform/shell_icon.h"
#include "platform/controls.h"
#include "platform/handles.h"
#include "platform/modal_window.h"
#include "controls/icon_count.h"

namespace {
constexpr int kClientWidth = 654;
constexpr int kClientHeight = 285;
constexpr int kColumns = 10;
constexpr int kIconListId = 100;


}  // namespace

void IconChooser::CreateControls(HWND owner) {
    dpi_ = DpiForNewWindow(owner);
    // The chooser takes over the wizard's font; the cells grow with it.
    font_ = owner ? reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)) : nullptr;
    if (!font_) font_ = DialogFontForDpi(dpi_);
    LOGFONTW lf{};
    GetObjectW(font_, sizeof lf, &lf);
    itemHeight_ = S(32) - lf.lfHeight + S(6);
    if (lf.lfHeight > 0) itemHeight_ = S(32) + lf.lfHeight + S(6);  // a cell height given, not a character height

    CreateDialogWindow(L"ZeigerwerkIconChooser", L"Symbol auswählen", S(kClientWidth), S(kClientHeight), owner,
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    HWND self = Handle();
    SetClientSize(self, S(kClientWidth), S(kClientHeight));
    SendMessageW(self, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    iconList_.Create(self, L"LISTBOX", L"",
                     WS_TABSTOP | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTICOLUMN | LBS_NOTIFY |
                         LBS_NOINTEGRALHEIGHT,
                     S(8), S(8), S(545), S(269), kIconListId, WS_EX_CLIENTEDGE);
    RECT listClient{};
    GetClientRect(IconList(), &listClient);
    SendMessageW(IconList(), LB_SETCOLUMNWIDTH, (listClient.right - listClient.left) / kColumns, 0);
    SendMessageW(IconList(), LB_SETITEMHEIGHT, 0, itemHeight_);

    Label indexCaption;
    indexCaption.Create(self, L"Symbol&index:", S(561), S(8), S(85), S(14));
    // The index box as high as its text needs (an edit draws its text at the top), in the middle
    // of its row, with the arrows beside it at the scaled width.
    const int boxHeight = TextExtent(WindowDc(self).Get(), font_, L"0").cy + 2 + S(4);
    const int boxTop = S(24) + (S(21) - boxHeight) / 2;
    iconIndex_.Create(self, L"EDIT", L"0", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL, S(561), boxTop,
                      S(85) - S(16), boxHeight, -1);
    iconIndexSpin_.Create(self, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0,
                          -1);
    SendMessageW(IconIndexSpin(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(IconIndexEdit()), 0);
    SetWindowPos(IconIndexSpin(), nullptr, S(561) + S(85) - S(16), boxTop, S(16), boxHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(IconIndexSpin(), UDM_SETRANGE32, 0, 0);
    ok_.Create(self, L"&OK", S(561), S(221), S(85), S(25), IDOK, BS_DEFPUSHBUTTON);
    cancel_.Create(self, L"Ab&brechen", S(561), S(252), S(85), S(25), IDCANCEL);
    iconList_.OnSelect = [this] { TakeClickedCell(); };
    iconList_.OnDoubleClick = [this] { Accept(); };
    iconIndex_.OnChange = [this] { FollowTypedIndex(); };
    for (HWND control : {IconList(), indexCaption.Handle(), IconIndexEdit(), IconIndexSpin(), ok_.Handle(), cancel_.Handle()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

int IconChooser::ShowModal(HWND owner, const std::wstring& iconFile, int& selectedIconIndex) {
    // Made again for an owner on a screen of another scale.
    if (Handle() && DpiForNewWindow(owner) != dpi_) DestroyWindow(Handle());
    if (!Handle()) CreateControls(owner);
    iconFile_ = iconFile;
    selectedIconIndex_ = &selectedIconIndex;
    ShowIcons();
    const int result = RunModal(owner, IconList());
    selectedIconIndex_ = nullptr;
    return result;
}

void IconChooser::ShowIcons() {
    SetWindowTextW(Handle(), (L"Symbol auswählen - [" + iconFile_ + L"]").c_str());
    const int count = CountIcons(iconFile_, false);
    {
        RedrawPause pause(IconList());
        SendMessageW(IconList(), LB_RESETCONTENT, 0, 0);
        SendMessageW(IconList(), LB_INITSTORAGE, count, count * 4);
        for (int i = 1; i <= count; ++i) {
            const std::wstring text = std::to_wstring(i);
            SendMessageW(IconList(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
    // A file without icons leaves the spin edit at 0 rather than with a range that runs backwards.
    SendMessageW(IconIndexSpin(), UDM_SETRANGE32, 0, std::max(0, count - 1));
    const int selected = selectedIconIndex_ ? *selectedIconIndex_ : 0;
    const int value = std::clamp(selected, 0, std::max(0, count - 1));
    SetWindowTextW(IconIndexEdit(), std::to_wstring(value).c_str());
    FollowTypedIndex();
}

void IconChooser::TakeClickedCell() {
    const LRESULT cell = SendMessageW(IconList(), LB_GETCURSEL, 0, 0);
    if (cell == LB_ERR) return;
    SetWindowTextW(IconIndexEdit(), std::to_wstring(cell).c_str());
}

void IconChooser::FollowTypedIndex() {
    SendMessageW(IconList(), LB_SETCURSEL, IconIndexValue(), 0);
}

void IconChooser::Accept() {
    if (selectedIconIndex_) *selectedIconIndex_ = IconIndexValue();
    EndModal(IDOK);
}

int IconChooser::IconCount() const { return static_cast<int>(SendMessageW(IconList(), LB_GETCOUNT, 0, 0)); }

int IconChooser::SelectedCell() const {
    const LRESULT cell = SendMessageW(IconList(), LB_GETCURSEL, 0, 0);
    return cell == LB_ERR ? -1 : static_cast<int>(cell);
}

int IconChooser::IconIndexMin() const {
    int low = 0, high = 0;
    SendMessageW(IconIndexSpin(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return low;
}

int IconChooser::IconIndexMax() const {
    int low = 0, high = 0;
    SendMessageW(IconIndexSpin(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return high;
}

int IconChooser::IconIndexValue() const {
    wchar_t text[32] = {};
    GetWindowTextW(IconIndexEdit(), text, 32);
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(text, &end, 10);
    const bool number = text[0] != L'\0' && end && *end == L'\0' && errno == 0;
    return std::clamp(number ? static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)) : 0, IconIndexMin(),
                      IconIndexMax());
}

void IconChooser::SetIconIndexText(const std::wstring& text) { SetWindowTextW(IconIndexEdit(), text.c_str()); }

std::wstring IconChooser::Caption() const {
    wchar_t text[1024] = {};
    GetWindowTextW(Handle(), text, 1024);
    return text;
}

void IconChooser::DrawCell(const DRAWITEMSTRUCT& item) {
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
        const int size = LargeIconSize(dpi_);
        IconHandle icon(FileIconAtSize(iconFile_, index, size));
        if (icon)
            DrawIconEx(dc, cell.left + cellWidth / 2 - size / 2, cell.top, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
    }

    const std::wstring number = std::to_wstring(index);
    const SIZE extent = TextExtent(dc, font_, number);
    SelectedObject font(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    TextOutW(dc, cell.left + cellWidth / 2 - extent.cx / 2, cell.top + S(33), number.c_str(),
             static_cast<int>(number.size()));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &cell);
}

LRESULT IconChooser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM:
        if (wParam == kIconListId) {
            DrawCell(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
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
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}

void IconChooser::ApplyDpi(UINT dpi, const RECT* r) {
    if (dpi == 0 || dpi == dpi_) return;
    // Everything made at the old DPI is scaled to the new one, as if it had been made there.
    const UINT old = dpi_;
    dpi_ = dpi;
    font_ = FontForDpi(font_, old, dpi_);
    if (r)
        SetWindowPos(Handle(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    SetClientSize(Handle(), S(kClientWidth), S(kClientHeight));
    const auto scale = [&](LONG v) { return MulDiv(v, static_cast<int>(dpi_), static_cast<int>(old)); };
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT c = ChildBounds(child);
        SetWindowPos(child, nullptr, scale(c.left), scale(c.top), scale(c.right) - scale(c.left),
                     scale(c.bottom) - scale(c.top), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
    itemHeight_ = scale(itemHeight_);
    SendMessageW(IconList(), LB_SETITEMHEIGHT, 0, itemHeight_);
    RECT list{};
    GetClientRect(IconList(), &list);
    SendMessageW(IconList(), LB_SETCOLUMNWIDTH, list.right / kColumns, 0);
}
