#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/handles.h"
#include "platform/window.h"

// The maker's values shown and opened by the About dialog.
inline constexpr const wchar_t* kMakerCredit = L"Ein Programm des Zeigerwerk-Projekts";
inline constexpr const wchar_t* kMakerEMail = L"info@example.org";
inline constexpr const wchar_t* kMakerWebSite = L"www.example.org";

// The "FileVersion" of a file's version record (its first language only); empty when the file is
// no program or has no such entry.
std::wstring FileVersionOf(const std::wstring& file);

// Every form of this thread whose font is 8 points gets the system's message font face (its
// controls that share the form's font too). A form takes part by answering WM_GETFONT.
void UseSystemMessageFont();

// Colour between from and to at step of steps, per component, truncated toward zero.
COLORREF GradientColor(COLORREF from, COLORREF to, int step, int steps);

class LinkLabel;

// The About dialog: a painted banner with logo, icon, title, version and years of development,
// the maker's credit line, e-mail address and web site.
class TInfo : public Window {
public:
    // programFile is the program whose version the dialog shows, resources the module holding
    // the logo; both default to the running program.
    explicit TInfo(HINSTANCE resources = nullptr, std::wstring programFile = {});
    ~TInfo() override;

    // Shows the dialog modally with the caption "Info über " + title. The icon stays the caller's.
    void ShowModal(HWND owner, const std::wstring& title, const std::wstring& years, HICON icon);

    std::wstring GetProgramFileVersion() const { return FileVersionOf(programFile_); }
    void EMailLblClick();
    void URLLblClick();
    void HyperLinkMouseEnter(LinkLabel& label);
    void HyperLinkMouseLeave(LinkLabel& label);
    void HyperLinkMouseDown(LinkLabel& label);
    void HyperLinkMouseUp(LinkLabel& label);
    void OKClick();

    // Opens a mail or web address; tests record instead.
    std::function<void(HWND owner, const std::wstring& file)> OpenAddress;
    // Runs once the dialog is on screen and its modal loop is running.
    std::function<void()> OnShown;

    // What the banner shows, line by line.
    std::wstring TitleLine() const { return title_; }
    std::wstring VersionLine() const { return L"Version: " + GetProgramFileVersion(); }
    std::wstring YearsLine() const { return L"Entwicklungszeit: " + years_; }
    std::wstring Caption() const;
    HWND InfoLbl() const { return infoLbl_; }
    LinkLabel& EMailLbl() { return *eMailLbl_; }
    LinkLabel& URLLbl() { return *urlLbl_; }
    HWND OKButton() const { return ok_; }
    bool Open() const { return open_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void LogoPBPaint(HDC dc);
    void LayoutLabels();

    HINSTANCE resources_;
    std::wstring programFile_;
    std::wstring title_, years_;
    HICON icon_ = nullptr;
    GdiHandle logo_, logoMask_;
    HWND infoLbl_ = nullptr;
    std::unique_ptr<LinkLabel> eMailLbl_, urlLbl_;
    HWND ok_ = nullptr;
    HWND lastFocus_ = nullptr;
    HFONT font_ = nullptr;
    GdiHandle boldFont_;
    HFONT boldFrom_ = nullptr;
    int modalResult_ = 0;
    bool open_ = false;
};

// A label that acts as a hyperlink: blue, hand cursor, underlined under the mouse, red while
// pressed; Tab reaches it and Space or Enter opens it.
class LinkLabel : public Window {
public:
    LinkLabel(HWND parent, int rightEdge, int top, const std::wstring& text);

    std::wstring Text() const { return text_; }
    COLORREF FontColor() const { return color_; }
    void SetFontColor(COLORREF color);
    bool Underlined() const { return underlined_; }
    void SetUnderlined(bool underlined);
    void FitToText();  // keeps the right edge

    std::function<void()> OnClick;
    std::function<void()> OnMouseEnter, OnMouseLeave, OnMouseDown, OnMouseUp;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    HFONT CurrentFont();

    std::wstring text_;
    int rightEdge_;
    COLORREF color_ = RGB(0, 0, 255);
    bool underlined_ = false;
    bool inside_ = false;
    bool pressed_ = false;
    HFONT font_ = nullptr;
    GdiHandle underlinedFont_;
    HFONT underlinedFrom_ = nullptr;
};
