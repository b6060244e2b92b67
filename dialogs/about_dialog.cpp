#include "dialogs/about_dialog.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <map>
#include <vector>

#include "platform/resource_ids.h"
#include "platform/files.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/icon_size.h"
#include "platform/message_font.h"
#include "platform/modal_window.h"
#include "platform/system_library.h"

namespace {
constexpr int kClientWidth = 435;
constexpr int kClientHeight = 132;
constexpr int kBannerWidth = 435;
constexpr int kBannerHeight = 65;
constexpr COLORREF kLightBlue = RGB(74, 160, 255);
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr COLORREF kLinkRed = RGB(255, 0, 0);
}  // namespace

std::wstring FileVersionOf(const std::wstring& file) {
    if (file.empty() || !SHGetFileInfoW(file.c_str(), 0, nullptr, 0, SHGFI_EXETYPE)) return {};
    // The version functions are needed only here, when the dialog is first shown.
    static const auto infoSize = SystemFunction<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>(L"version.dll", "GetFileVersionInfoSizeW");
    static const auto info = SystemFunction<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>(L"version.dll",
                                                                                           "GetFileVersionInfoW");
    static const auto query = SystemFunction<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>(L"version.dll",
                                                                                               "VerQueryValueW");
    if (!infoSize || !info || !query) return {};
    DWORD ignored = 0;
    const DWORD size = infoSize(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<std::byte> record(size);
    if (!info(file.c_str(), 0, size, record.data())) return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!query(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < 2 * sizeof(WORD))
        return {};
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], L"FileVersion");
    wchar_t* value = nullptr;
    if (!query(record.data(), path, reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, wcsnlen(value, length));
}

COLORREF GradientColor(COLORREF from, COLORREF to, int step, int steps) {
    if (steps == 0) return from;
    auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

// ---- AboutDialog

AboutDialog::AboutDialog(HINSTANCE resources, std::wstring programFile, ShellOpener& shell)
    : resources_(resources ? resources : GetModuleHandleW(nullptr)), shell_(shell), programFile_(std::move(programFile)) {
    if (programFile_.empty()) programFile_ = ModulePath();
    CreateControls();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::CreateControls() {
    dpi_ = SystemDpi();
    CreateDialogWindow(L"ZeigerwerkInfo", L"Info", S(kClientWidth), S(kClientHeight), nullptr,
                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    HWND self = Handle();
    SetClientSize(self, S(kClientWidth), S(kClientHeight));
    font_ = DialogFontForDpi(dpi_);

    credit_.Create(self, kMakerCredit, 0, S(69), 1, 1, SS_RIGHT | SS_NOPREFIX);
    eMailLink_ = std::make_unique<LinkLabel>(self, S(432), S(100), kMakerEMail);
    webSiteLink_ = std::make_unique<LinkLabel>(self, S(432), S(113), kMakerWebSite);
    ok_.Create(self, L"OK", 0, 0, 1, 1, IDOK, BS_DEFPUSHBUTTON);
    for (HWND control : {credit_.Handle(), eMailLink_->Handle(), webSiteLink_->Handle(), ok_.Handle()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Tab goes from OK to the two links.
    SetWindowPos(ok_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    for (LinkLabel* label : {eMailLink_.get(), webSiteLink_.get()}) {
        label->OnMouseEnter = [this, label] { HyperLinkMouseEnter(*label); };
        label->OnMouseLeave = [this, label] { HyperLinkMouseLeave(*label); };
        label->OnMouseDown = [this, label] { HyperLinkMouseDown(*label); };
        label->OnMouseUp = [this, label] { HyperLinkMouseUp(*label); };
    }
    eMailLink_->OnClick = [this] { WriteEMail(); };
    webSiteLink_->OnClick = [this] { OpenWebSite(); };

    UseSystemMessageFont();
    LoadLogo();
    LayoutLabels();
}

void AboutDialog::LoadLogo() {
    // The logo's mask is white where the logo covers the banner (see PaintBanner); it must stay
    // black and white when it is made smaller.
    logo_.Reset(LoadPictureAtSize(resources_, IDB_LOGO, IDB_LOGO_2X, S(142), S(63)));
    logoMask_.Reset(LoadPictureAtSize(resources_, IDB_LOGO_MASK, IDB_LOGO_MASK_2X, S(142), S(63), false));
}

void AboutDialog::LayoutLabels() {
    const WindowDc dc(Handle());
    const SIZE size = TextExtent(dc.Get(), font_, kMakerCredit);
    // The links keep their places unless a taller font would cut the address at the dialog's
    // edge; then they move up by what is missing.
    const int linkHeight = TextExtent(dc.Get(), font_, kMakerWebSite).cy;
    const int urlTop = std::min(S(113), S(kClientHeight) - linkHeight - 1);
    const int eMailTop = std::min(S(100), urlTop - linkHeight);
    MoveWindow(credit_.Handle(), S(430) - size.cx, S(69), size.cx, size.cy, TRUE);
    MoveWindow(ok_.Handle(), S(177), S(101), S(81), S(25), TRUE);
    eMailLink_->SetMaxHeight(urlTop - eMailTop);
    webSiteLink_->SetMaxHeight(S(kClientHeight) - urlTop);
    eMailLink_->MoveTo(S(432), eMailTop);
    webSiteLink_->MoveTo(S(432), urlTop);
}

void AboutDialog::ApplyDpi(UINT dpi, const RECT* suggested) {
    if (dpi == 0 || dpi == dpi_) return;
    font_ = FontForDpi(font_, dpi_, dpi);
    dpi_ = dpi;
    for (HWND control : {credit_.Handle(), eMailLink_->Handle(), webSiteLink_->Handle(), ok_.Handle()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    LoadLogo();
    if (suggested)
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    else
        SetClientSize(Handle(), S(kClientWidth), S(kClientHeight));
    LayoutLabels();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void AboutDialog::ShowModal(HWND owner, const std::wstring& title, const std::wstring& years, HICON icon) {
    title_ = title;
    years_ = years;
    icon_ = icon;
    SetWindowTextW(Handle(), (L"Info über " + title).c_str());
    ApplyDpi(DpiForNewWindow(owner), nullptr);  // the owner may stand on a screen of another scale
    InvalidateRect(Handle(), nullptr, TRUE);
    RunModal(owner, ok_.Handle());
}


void AboutDialog::WriteEMail() {
    shell_.Open(Handle(), std::wstring(L"mailto:") + kMakerEMail, {}, {}, SW_SHOWNORMAL);
}

void AboutDialog::OpenWebSite() {
    shell_.Open(Handle(), std::wstring(L"http://") + kMakerWebSite, {}, {}, SW_SHOWNORMAL);
}

void AboutDialog::HyperLinkMouseEnter(LinkLabel& label) { label.SetUnderlined(true); }
void AboutDialog::HyperLinkMouseLeave(LinkLabel& label) { label.SetUnderlined(false); }
void AboutDialog::HyperLinkMouseDown(LinkLabel& label) { label.SetFontColor(kLinkRed); }
void AboutDialog::HyperLinkMouseUp(LinkLabel& label) { label.SetFontColor(kLinkBlue); }

std::wstring AboutDialog::Caption() const {
    wchar_t text[256] = {};
    GetWindowTextW(Handle(), text, 256);
    return text;
}

void AboutDialog::PaintBanner(HDC target) {
    const int w = S(kBannerWidth), h = S(kBannerHeight);
    // Painted off screen first, so the banner does not flicker; the logo's lowest rows fall
    // outside the bitmap and are cut off.
    DcHandle dc(CreateCompatibleDC(target));
    GdiHandle canvas(CreateCompatibleBitmap(target, w, h));
    SelectedObject canvasSelected(dc.Get(), canvas.Get());

    // Light blue to white over three quarters, back to light blue over the rest, column by column.
    const int a = static_cast<int>(w * 0.75);
    const auto paint = [&](int left, int columns, COLORREF from, COLORREF to) {
        for (int i = 0; i <= columns; ++i) {
            GdiHandle pen(CreatePen(PS_SOLID, 1, GradientColor(from, to, i, columns)));
            SelectedObject selected(dc.Get(), pen.Get());
            MoveToEx(dc.Get(), left + i, 0, nullptr);
            LineTo(dc.Get(), left + i, h);
        }
    };
    paint(0, a, kLightBlue, RGB(255, 255, 255));
    paint(a, w - a, RGB(255, 255, 255), kLightBlue);

    if (logo_ && logoMask_) {
        BITMAP bm{};
        GetObjectW(logo_.Get(), sizeof bm, &bm);
        DcHandle pictureDc(CreateCompatibleDC(target));
        const int left = a - bm.bmWidth / 2, top = S(4);
        {
            SelectedObject mask(pictureDc.Get(), logoMask_.Get());
            BitBlt(dc.Get(), left, top, bm.bmWidth, bm.bmHeight, pictureDc.Get(), 0, 0, SRCPAINT);
        }
        SelectedObject logo(pictureDc.Get(), logo_.Get());
        BitBlt(dc.Get(), left, top, bm.bmWidth, bm.bmHeight, pictureDc.Get(), 0, 0, SRCAND);
    }

    const SIZE icon = IconSize(icon_);
    const int left = S(8);
    if (icon_) DrawIconEx(dc.Get(), left, h / 2 - icon.cy / 2, icon_, icon.cx, icon.cy, 0, nullptr, DI_NORMAL);
    const RECT frame{left - 1, h / 2 - icon.cy / 2 - 1, icon.cx + left, icon.cy / 2 + h / 2};
    FrameRect(dc.Get(), &frame, GetSysColorBrush(COLOR_BTNFACE));

    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), GetSysColor(COLOR_WINDOWTEXT));
    const int x = icon.cx + S(16);
    const std::wstring version = VersionLine(), yearsLine = YearsLine();
    {
        const HFONT bold = FontVariant(font_, FW_BOLD, false);
        const int titleHeight = TextExtent(dc.Get(), bold, title_).cy;
        SelectedObject selected(dc.Get(), bold);
        TextOutW(dc.Get(), x, h / 2 - static_cast<int>(titleHeight * 1.5), title_.c_str(),
                 static_cast<int>(title_.size()));
        SelectedObject regular(dc.Get(), font_);
        TextOutW(dc.Get(), x, h / 2 - static_cast<int>(titleHeight * 0.5), version.c_str(),
                 static_cast<int>(version.size()));
    }
    const int yearsHeight = TextExtent(dc.Get(), font_, yearsLine).cy;
    SelectedObject regular(dc.Get(), font_);
    TextOutW(dc.Get(), x, h / 2 + static_cast<int>(yearsHeight * 0.5), yearsLine.c_str(),
             static_cast<int>(yearsLine.size()));

    BitBlt(target, 0, 0, w, h, dc.Get(), 0, 0, SRCCOPY);
}

LRESULT AboutDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (eMailLink_) LayoutLabels();
        InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    return ModalWindow::HandleMessage(message, wParam, lParam);
}
