#include "dialogs/about_dialog.h"

#include <shellapi.h>

#include <cstddef>
#include <cwchar>
#include <map>
#include <vector>

#include "app/resource_ids.h"
#include "dialogs/modal_loop.h"
#include "platform/files.h"
#include "platform/icon_size.h"

namespace {
constexpr int kClientWidth = 435;
constexpr int kClientHeight = 132;
constexpr int kBannerWidth = 435;
constexpr int kBannerHeight = 65;
constexpr COLORREF kLightBlue = RGB(74, 160, 255);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr COLORREF kLinkRed = RGB(255, 0, 0);
constexpr UINT kShownMessage = WM_APP + 1;
constexpr int kInkSlack = 3;

SIZE TextSize(HDC dc, HFONT font, const std::wstring& text) {
    SelectedObject selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}


// A variant of a font; the variants live as long as the program, like the forms that use them.
HFONT FontVariant(HFONT font, const wchar_t* face, LONG weight, bool underline) {
    LOGFONTW lf{};
    GetObjectW(font ? font : DialogFont(), sizeof lf, &lf);
    if (face) wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    if (weight) lf.lfWeight = weight;
    lf.lfUnderline = underline;
    return CreateFontIndirectW(&lf);
}

int PointSize(HFONT font) {
    LOGFONTW lf{};
    if (!GetObjectW(font, sizeof lf, &lf)) return 0;
    if (lf.lfHeight >= 0) return 0;  // a cell height, not a character height: not the design font
    HDC screen = GetDC(nullptr);
    const int points = MulDiv(-lf.lfHeight, 72, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return points;
}

struct FontSwitch {
    std::wstring face;
    std::map<HFONT, HFONT>* switched;
    HFONT from;
    HFONT to;
};

BOOL CALLBACK SwitchChildFont(HWND child, LPARAM data) {
    auto& change = *reinterpret_cast<FontSwitch*>(data);
    if (reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)) == change.from)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(change.to), TRUE);
    return TRUE;
}

BOOL CALLBACK SwitchFormFont(HWND form, LPARAM data) {
    auto& change = *reinterpret_cast<FontSwitch*>(data);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(form, WM_GETFONT, 0, 0));
    if (!font || PointSize(font) != 8) return TRUE;
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    if (change.face == lf.lfFaceName) return TRUE;
    HFONT& replacement = (*change.switched)[font];
    if (!replacement) replacement = FontVariant(font, change.face.c_str(), 0, lf.lfUnderline);
    change.from = font;
    change.to = replacement;
    EnumChildWindows(form, &SwitchChildFont, data);
    SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), TRUE);
    return TRUE;
}
}  // namespace

std::wstring FileVersionOf(const std::wstring& file) {
    if (file.empty() || !SHGetFileInfoW(file.c_str(), 0, nullptr, 0, SHGFI_EXETYPE)) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<std::byte> record(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, record.data())) return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < 2 * sizeof(WORD))
        return {};
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], L"FileVersion");
    wchar_t* value = nullptr;
    if (!VerQueryValueW(record.data(), path, reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, wcsnlen(value, length));
}

void UseSystemMessageFont() {
    NONCLIENTMETRICSW metrics{};
    // The size without the padded border width, which older systems do not know.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return;
    static std::map<HFONT, HFONT> switched;
    FontSwitch change{metrics.lfMessageFont.lfFaceName, &switched, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &SwitchFormFont, reinterpret_cast<LPARAM>(&change));
}

COLORREF GradientColor(COLORREF from, COLORREF to, int step, int steps) {
    if (steps == 0) return from;
    auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

// ---- LinkLabel

LinkLabel::LinkLabel(HWND parent, int rightEdge, int top, const std::wstring& text)
    : text_(text), rightEdge_(rightEdge) {
    CreateWindowObject(L"ZeigerwerkLinkLabel", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, text, rightEdge - 1, top, 1,
                       1, parent, nullptr, nullptr, nullptr);
}

void LinkLabel::SetFontColor(COLORREF color) {
    color_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void LinkLabel::SetUnderlined(bool underlined) {
    underlined_ = underlined;
    InvalidateRect(Handle(), nullptr, TRUE);
}

HFONT LinkLabel::CurrentFont() {
    HFONT base = font_ ? font_ : DialogFont();
    if (!underlined_) return base;
    if (underlinedFrom_ != base) {
        underlinedFont_.Reset(FontVariant(base, nullptr, 0, true));
        underlinedFrom_ = base;
    }
    return static_cast<HFONT>(underlinedFont_.Get());
}

void LinkLabel::FitToText() {
    HDC dc = GetDC(Handle());
    const SIZE size = TextSize(dc, font_ ? font_ : DialogFont(), text_);
    ReleaseDC(Handle(), dc);
    RECT r{};
    GetWindowRect(Handle(), &r);
    MapWindowPoints(nullptr, GetParent(Handle()), reinterpret_cast<POINT*>(&r), 1);
    // The text's extent ends at the right edge. The window leaves a pixel on the left for the
    // focus rectangle and a few on the right for glyphs that reach beyond their advance (as
    // some substituted fonts do).
    MoveWindow(Handle(), rightEdge_ - size.cx - 1, r.top, size.cx + 1 + kInkSlack, size.cy + 1, TRUE);
}

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT client{};
        GetClientRect(Handle(), &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        SelectedObject font(dc, CurrentFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color_);
        TextOutW(dc, 1, 0, text_.c_str(), static_cast<int>(text_.size()));
        if (GetFocus() == Handle() && !(SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
            DrawFocusRect(dc, &client);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        FitToText();
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
        InvalidateRect(Handle(), nullptr, TRUE);
        break;
    case WM_GETDLGCODE:
        if (lParam) {
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
        }
        return DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && OnClick) OnClick();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (!inside_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            inside_ = true;
            if (OnMouseEnter) OnMouseEnter();
        }
        return 0;
    case WM_MOUSELEAVE:
        inside_ = false;
        if (OnMouseLeave) OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        pressed_ = message == WM_LBUTTONDOWN;
        if (pressed_) SetCapture(Handle());
        if (OnMouseDown) OnMouseDown();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = message == WM_LBUTTONUP && pressed_;
        pressed_ = false;
        if (GetCapture() == Handle()) ReleaseCapture();
        if (OnMouseUp) OnMouseUp();
        RECT client{};
        GetClientRect(Handle(), &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (click && PtInRect(&client, at) && OnClick) OnClick();
        return 0;
    }
    }
    return Default(message, wParam, lParam);
}

// ---- TInfo

TInfo::TInfo(HINSTANCE resources, std::wstring programFile)
    : resources_(resources ? resources : GetModuleHandleW(nullptr)), programFile_(std::move(programFile)) {
    if (programFile_.empty()) programFile_ = ModulePath();
    OpenAddress = [](HWND owner, const std::wstring& file) {
        ShellExecuteW(owner, L"open", file.c_str(), L"", L"", SW_SHOWNORMAL);
    };
    FormCreate();
}

TInfo::~TInfo() = default;

void TInfo::FormCreate() {
    CreateDialogWindow(L"ZeigerwerkInfo", L"Info", kClientWidth, kClientHeight, nullptr,
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND self = Handle();
    SetClientSize(self, kClientWidth, kClientHeight);
    font_ = DialogFont();

    infoLbl_ = CreateWindowExW(0, L"STATIC", kMakerCredit, WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, 0, 69, 1,
                               1, self, nullptr, GetModuleHandleW(nullptr), nullptr);
    eMailLbl_ = std::make_unique<LinkLabel>(self, 432, 100, kMakerEMail);
    urlLbl_ = std::make_unique<LinkLabel>(self, 432, 113, kMakerWebSite);
    ok_ = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 177, 101, 81,
                          25, self, reinterpret_cast<HMENU>(IDOK), GetModuleHandleW(nullptr), nullptr);
    for (HWND control : {infoLbl_, eMailLbl_->Handle(), urlLbl_->Handle(), ok_})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Tab goes from OK to the two links.
    SetWindowPos(ok_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    for (LinkLabel* label : {eMailLbl_.get(), urlLbl_.get()}) {
        label->OnMouseEnter = [this, label] { HyperLinkMouseEnter(*label); };
        label->OnMouseLeave = [this, label] { HyperLinkMouseLeave(*label); };
        label->OnMouseDown = [this, label] { HyperLinkMouseDown(*label); };
        label->OnMouseUp = [this, label] { HyperLinkMouseUp(*label); };
    }
    eMailLbl_->OnClick = [this] { EMailLblClick(); };
    urlLbl_->OnClick = [this] { URLLblClick(); };

    UseSystemMessageFont();

    // The logo's mask is white where the logo covers the banner (see LogoPBPaint).
    const HINSTANCE instance = resources_;
    logo_.Reset(LoadImageW(instance, MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    logoMask_.Reset(LoadImageW(instance, MAKEINTRESOURCEW(IDB_LOGO_MASK), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    LayoutLabels();
}

void TInfo::LayoutLabels() {
    HDC dc = GetDC(Handle());
    const SIZE size = TextSize(dc, font_, kMakerCredit);
    ReleaseDC(Handle(), dc);
    MoveWindow(infoLbl_, 430 - size.cx, 69, size.cx, size.cy, TRUE);
    eMailLbl_->FitToText();
    urlLbl_->FitToText();
}

void TInfo::ShowModal(HWND owner, const std::wstring& title, const std::wstring& years, HICON icon) {
    title_ = title;
    years_ = years;
    icon_ = icon;
    SetWindowTextW(Handle(), (L"Info über " + title).c_str());
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    CenterOnScreen(Handle());
    InvalidateRect(Handle(), nullptr, TRUE);
    lastFocus_ = ok_;
    modalResult_ = 0;
    open_ = true;
    if (OnShown) PostMessageW(Handle(), kShownMessage, 0, 0);
    RunModal(Handle(), owner, modalResult_);
    open_ = false;
}

void TInfo::OKClick() { modalResult_ = IDOK; }

void TInfo::EMailLblClick() {
    if (OpenAddress) OpenAddress(Handle(), std::wstring(L"mailto:") + kMakerEMail);
}

void TInfo::URLLblClick() {
    if (OpenAddress) OpenAddress(Handle(), std::wstring(L"http://") + kMakerWebSite);
}

void TInfo::HyperLinkMouseEnter(LinkLabel& label) { label.SetUnderlined(true); }
void TInfo::HyperLinkMouseLeave(LinkLabel& label) { label.SetUnderlined(false); }
void TInfo::HyperLinkMouseDown(LinkLabel& label) { label.SetFontColor(kLinkRed); }
void TInfo::HyperLinkMouseUp(LinkLabel& label) { label.SetFontColor(kLinkBlue); }

std::wstring TInfo::Caption() const {
    wchar_t text[256] = {};
    GetWindowTextW(Handle(), text, 256);
    return text;
}

void TInfo::LogoPBPaint(HDC target) {
    const int w = kBannerWidth, h = kBannerHeight;
    // Painted off screen first, so the banner does not flicker; the logo's lowest rows fall
    // outside the bitmap and are cut off.
    DcHandle dc(CreateCompatibleDC(target));
    GdiHandle canvas(CreateCompatibleBitmap(target, w, h));
    SelectedObject canvasSelected(dc.Get(), canvas.Get());

    const int a = static_cast<int>(w * 0.75);
    for (int x = 0; x <= a; ++x) {
        GdiHandle pen(CreatePen(PS_SOLID, 1, GradientColor(kLightBlue, RGB(255, 255, 255), x, a)));
        SelectedObject selected(dc.Get(), pen.Get());
        MoveToEx(dc.Get(), x, 0, nullptr);
        LineTo(dc.Get(), x, h);
    }
    const int n = w - a;
    for (int i = 0; i <= n; ++i) {
        GdiHandle pen(CreatePen(PS_SOLID, 1, GradientColor(RGB(255, 255, 255), kLightBlue, i, n)));
        SelectedObject selected(dc.Get(), pen.Get());
        MoveToEx(dc.Get(), a + i, 0, nullptr);
        LineTo(dc.Get(), a + i, h);
    }

    if (logo_ && logoMask_) {
        BITMAP bm{};
        GetObjectW(logo_.Get(), sizeof bm, &bm);
        DcHandle pictureDc(CreateCompatibleDC(target));
        const int left = a - bm.bmWidth / 2, top = 4;
        {
            SelectedObject mask(pictureDc.Get(), logoMask_.Get());
            BitBlt(dc.Get(), left, top, bm.bmWidth, bm.bmHeight, pictureDc.Get(), 0, 0, SRCPAINT);
        }
        SelectedObject logo(pictureDc.Get(), logo_.Get());
        BitBlt(dc.Get(), left, top, bm.bmWidth, bm.bmHeight, pictureDc.Get(), 0, 0, SRCAND);
    }

    const SIZE icon = IconSize(icon_);
    if (icon_) DrawIconEx(dc.Get(), 8, h / 2 - icon.cy / 2, icon_, icon.cx, icon.cy, 0, nullptr, DI_NORMAL);
    const RECT frame{7, h / 2 - icon.cy / 2 - 1, icon.cx + 8, icon.cy / 2 + h / 2};
    FrameRect(dc.Get(), &frame, GetSysColorBrush(COLOR_BTNFACE));

    if (boldFrom_ != font_) {
        boldFont_.Reset(FontVariant(font_, nullptr, FW_BOLD, false));
        boldFrom_ = font_;
    }
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), GetSysColor(COLOR_WINDOWTEXT));
    const int x = icon.cx + 16;
    const std::wstring version = VersionLine(), yearsLine = YearsLine();
    {
        const auto bold = static_cast<HFONT>(boldFont_.Get());
        const int titleHeight = TextSize(dc.Get(), bold, title_).cy;
        SelectedObject selected(dc.Get(), bold);
        TextOutW(dc.Get(), x, h / 2 - static_cast<int>(titleHeight * 1.5), title_.c_str(),
                 static_cast<int>(title_.size()));
        SelectedObject regular(dc.Get(), font_);
        TextOutW(dc.Get(), x, h / 2 - static_cast<int>(titleHeight * 0.5), version.c_str(),
                 static_cast<int>(version.size()));
    }
    const int yearsHeight = TextSize(dc.Get(), font_, yearsLine).cy;
    SelectedObject regular(dc.Get(), font_);
    TextOutW(dc.Get(), x, h / 2 + static_cast<int>(yearsHeight * 0.5), yearsLine.c_str(),
             static_cast<int>(yearsLine.size()));

    BitBlt(target, 0, 0, w, h, dc.Get(), 0, 0, SRCCOPY);
}

LRESULT TInfo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        LogoPBPaint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        LogoPBPaint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_COMMAND:
        // OK is the default and the cancel button: Enter and Esc both close with OK.
        if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && HIWORD(wParam) == BN_CLICKED) OKClick();
        return 0;
    case WM_CLOSE:
        OKClick();
        return 0;
    case WM_ACTIVATE:
        RestoreFocusOnActivate(Handle(), wParam, lastFocus_, ok_);
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (eMailLbl_) LayoutLabels();
        InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case kShownMessage:
        if (OnShown) OnShown();
        return 0;
    }
    return Default(message, wParam, lParam);
}
