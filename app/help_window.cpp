#include "app/help_window.h"

#include <memory>

#include "app/help_file.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/window.h"

namespace {

constexpr int kMargin = 10;
constexpr const wchar_t* kHelpClass = L"ZeigerwerkHelp";
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 25;

// The system's message font, at least 9 pt so that longer texts read comfortably, at the DPI.
LOGFONTW MessageFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    } else {
        font.lfHeight = -Scale(12, dpi);
        font.lfCharSet = DEFAULT_CHARSET;
        wcscpy(font.lfFaceName, L"MS Shell Dlg");
    }
    if (font.lfHeight > -Scale(12, dpi) && font.lfHeight < 0) font.lfHeight = -Scale(12, dpi);
    return font;
}

class HelpWindow final : public Window {
public:
    HelpWindow(HWND owner, HelpContents file) : file_(std::move(file)), owner_(owner), dpi_(DpiForNewWindow(owner)) {
        RECT place = Placement(owner, dpi_);
        CreateWindowObject(kHelpClass, WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME,
                           WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                           L"Zeigerwerk-Hilfe", place.left, place.top, place.right - place.left,
                           place.bottom - place.top, owner, nullptr, nullptr);
    }

    HWND Owner() const { return owner_; }

protected:
    void FinalMessage() override { std::unique_ptr<HelpWindow> self(this); }

public:

    void Replace(HelpContents file) {
        file_ = std::move(file);
        FillTopicList();
    }

    void ShowTopic(const HelpTopic& topic) {
        title_.SetText(topic.title);
        text_.SetText(topic.text);
        SendMessageW(text_.Handle(), EM_SETSEL, 0, 0);
        SendMessageW(text_.Handle(), EM_SCROLLCARET, 0, 0);
        for (size_t i = 0; i < file_.topics.size(); ++i)
            if (file_.topics[i].name == topic.name) SendMessageW(topics_.Handle(), CB_SETCURSEL, i, 0);
        SetWindowTextW(Handle(), (L"Zeigerwerk-Hilfe – " + topic.title).c_str());
    }

    void Present() {
        if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        SetActiveWindow(Handle());
        text_.SetFocus();
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_CREATE:
                CreateControls();
                return 0;
            case WM_SIZE:
                Layout(LOWORD(lParam), HIWORD(lParam));
                RewrapText();
                return 0;
            case WM_GETMINMAXINFO: {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {S(340), S(260)};
                return 0;
            }
            case WM_DPICHANGED: {
                dpi_ = LOWORD(wParam);
                MakeFonts();
                const auto* r = reinterpret_cast<const RECT*>(lParam);
                SetWindowPos(Handle(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
                return 0;
            }
            case WM_ACTIVATE:
                RestoreFocusOnActivate(Handle(), wParam, lastFocus_, text_.Handle());
                return 0;
            case WM_CTLCOLORSTATIC:
                if (reinterpret_cast<HWND>(lParam) == text_.Handle()) {
                    const HDC dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
                }
                break;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDCANCEL:
                    case IDOK:
                        DestroyWindow(Handle());
                        return 0;
                    case kHelpTopicListId:
                        if (HIWORD(wParam) == CBN_SELCHANGE) {
                            const LRESULT index = SendMessageW(topics_.Handle(), CB_GETCURSEL, 0, 0);
                            if (index >= 0 && static_cast<size_t>(index) < file_.topics.size())
                                ShowTopic(file_.topics[static_cast<size_t>(index)]);
                        }
                        return 0;
                }
                break;
        }
        return Default(message, wParam, lParam);
    }

private:
    static RECT Placement(HWND owner, UINT dpi) {
        const int width = Scale(470, dpi), height = Scale(460, dpi);
        RECT place{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + width, CW_USEDEFAULT + height};
        RECT ownerRect;
        if (!owner || !GetWindowRect(owner, &ownerRect)) {
            place = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};
            place.right = place.left + width;
            place.bottom = place.top + height;
            return place;
        }
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        int x = ownerRect.right + Scale(8, dpi);  // beside the wizard, so that both can be read
        if (x + width > work.right) x = ownerRect.left - Scale(8, dpi) - width;
        if (x < work.left) x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        int y = std::max<int>(work.top, std::min<int>(ownerRect.top, work.bottom - height));
        return {x, y, x + width, y + height};
    }

    void CreateControls() {
        const HWND self = Handle();
        title_.Create(self, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 0, 10, 10, kHelpTitleId);
        text_.Create(self, L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 10,
                     10, kHelpTextId, WS_EX_CLIENTEDGE);
        SendMessageW(text_.Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(8, 8));
        label_.Create(self, L"STATIC", L"&Thema:", SS_LEFT, 0, 0, 10, 10, kHelpTopicLabelId);
        topics_.Create(self, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 0, 10, 10,
                       kHelpTopicListId);
        close_.Create(self, L"BUTTON", L"Schließen", WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 10, 10, IDCANCEL);
        MakeFonts();

        // A multi-line edit wants every key; here Tab and Esc belong to the window, and tabbing
        // into the text must not select all of it.
        textHook_.Attach(text_.Handle(), [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            if (message != WM_GETDLGCODE) return false;
            result = DefSubclassProc(text_.Handle(), message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_HASSETSEL | DLGC_WANTTAB);
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE ||
                                                      msg->wParam == VK_TAB))
                result &= ~DLGC_WANTMESSAGE;
            return true;
        });
        FillTopicList();
    }

    // The fonts at the window's DPI; the controls are laid out again for them.
    void MakeFonts() {
        LOGFONTW body = MessageFont(dpi_);
        bodyFont_ = KeptFont(body);
        LOGFONTW heading = body;
        heading.lfHeight = body.lfHeight * 3 / 2;
        heading.lfWeight = FW_BOLD;
        titleFont_ = KeptFont(heading);
        title_.SetFont(titleFont_);
        for (Control* control : {&text_, &label_, &topics_, &close_})
            control->SetFont(bodyFont_);
        // Lay out now: the text must be wrapped at its real width before it is first set, or the
        // edit's scroll range counts unwrapped lines.
        RECT client;
        GetClientRect(Handle(), &client);
        Layout(client.right, client.bottom);
    }

    void FillTopicList() {
        SendMessageW(topics_.Handle(), CB_RESETCONTENT, 0, 0);
        for (const auto& topic : file_.topics) SendMessageW(topics_.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(topic.title.c_str()));
    }

    void Layout(int width, int height) {
        const int margin = S(kMargin), buttonWidth = S(kButtonWidth), buttonHeight = S(kButtonHeight);
        const int titleHeight = TextHeight(titleFont_) + S(6);
        const int bottom = height - margin - buttonHeight;
        MoveWindow(title_.Handle(), margin, margin, width - 2 * margin, titleHeight, TRUE);
        MoveWindow(text_.Handle(), margin, margin + titleHeight + S(4), width - 2 * margin,
                   std::max(S(20), bottom - margin - (margin + titleHeight + S(4))), TRUE);
        const int labelWidth = S(50);
        MoveWindow(label_.Handle(), margin, bottom + S(5), labelWidth, buttonHeight - S(5), TRUE);
        const int listWidth = std::max(S(80), width - 3 * margin - labelWidth - buttonWidth - margin);
        MoveWindow(topics_.Handle(), margin + labelWidth, bottom + S(1), listWidth, S(200), TRUE);
        MoveWindow(close_.Handle(), width - margin - buttonWidth, bottom, buttonWidth, buttonHeight, TRUE);
    }

    // Wine's edit control keeps the scroll range of the old width after a resize; setting the
    // text again recounts the wrapped lines. The reader keeps the line at the top and the caret.
    void RewrapText() {
        if (!text_.Handle() || GetWindowTextLengthW(text_.Handle()) == 0) return;
        const LRESULT top = SendMessageW(text_.Handle(), EM_GETFIRSTVISIBLELINE, 0, 0);
        DWORD start = 0, end = 0;
        SendMessageW(text_.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        std::wstring content(static_cast<size_t>(GetWindowTextLengthW(text_.Handle())) + 1, L'\0');
        content.resize(static_cast<size_t>(GetWindowTextW(text_.Handle(), content.data(), static_cast<int>(content.size()))));
        const RedrawPause pause(text_.Handle());
        SetWindowTextW(text_.Handle(), content.c_str());
        SendMessageW(text_.Handle(), EM_SETSEL, start, end);
        SendMessageW(text_.Handle(), EM_LINESCROLL, 0, top - SendMessageW(text_.Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    }

    int TextHeight(HFONT font) const {
        const WindowDc dc(Handle());
        SelectedObject selected(dc.Get(), font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.Get(), &metrics);
        return metrics.tmHeight;
    }

    HelpContents file_;
    HWND owner_;
    int S(int designSize) const { return Scale(designSize, dpi_); }

    UINT dpi_;
    Control title_, text_, label_, topics_, close_;
    HWND lastFocus_ = nullptr;
    HFONT bodyFont_ = nullptr, titleFont_ = nullptr;
    ControlHook textHook_;
};

struct HelpSearch {
    HWND root;
    bool anyOwner;
    HelpWindow* found;
};

BOOL CALLBACK FindHelp(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<HelpSearch*>(data);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (wcscmp(name, kHelpClass) != 0) return TRUE;
    auto* help = static_cast<HelpWindow*>(reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
    if (help && (search.anyOwner || help->Owner() == search.root)) search.found = help;
    return search.found ? FALSE : TRUE;
}

// The help window of this thread, the one with this owner unless anyOwner.
HelpWindow* FindHelpWindow(HWND root, bool anyOwner) {
    HelpSearch search{root, anyOwner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindHelp, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::wstring ProgramHelpFile() { return ProgramFolder() + L"Pfeilbau.hlp"; }

HWND HelpWindowHandle() {
    const HelpWindow* help = FindHelpWindow(nullptr, true);
    return help ? help->Handle() : nullptr;
}

void ShowHelpTopic(HWND owner, const std::wstring& helpFile, const std::wstring& topic) {
    const HWND root = owner ? GetAncestor(owner, GA_ROOTOWNER) : nullptr;
    const HWND boxOwner = owner;
    if (!FileExists(helpFile)) {
        ShowErrorBox(boxOwner, L"Die Hilfedatei wurde nicht gefunden:\r\n" + helpFile);
        return;
    }
    HelpContents file;
    try {
        file = ParseHelpFile(ReadWholeFile(helpFile));
    } catch (const PlatformError& error) {
        ShowErrorBox(boxOwner, L"Die Hilfedatei konnte nicht gelesen werden:\r\n" + helpFile + L"\r\n" + error.Message());
        return;
    }
    const HelpTopic* found = file.Find(topic);
    if (!found) {
        ShowErrorBox(boxOwner, L"Die Hilfedatei enthält kein Thema „" + topic + L"“:\r\n" + helpFile);
        return;
    }
    const HelpTopic shown = *found;
    HelpWindow* help = FindHelpWindow(root, false);
    if (help) {
        help->Replace(std::move(file));
    } else {
        // One help window at a time: one for another owner goes.
        if (const HWND other = HelpWindowHandle()) DestroyWindow(other);
        // The window owns itself from here on and goes with its last message.
        help = std::make_unique<HelpWindow>(root, std::move(file)).release();
    }
    help->ShowTopic(shown);
    help->Present();
}
