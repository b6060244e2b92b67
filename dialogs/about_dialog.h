#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/link_label.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/handles.h"
#include "platform/message_font.h"
#include "platform/modal_window.h"
#include "platform/shell_open.h"

// The maker's values shown and opened by the About dialog.
inline constexpr const wchar_t* kMakerCredit = L"Ein Programm des Zeigerwerk-Projekts";
inline constexpr const wchar_t* kMakerEMail = L"info@example.org";
inline constexpr const wchar_t* kMakerWebSite = L"www.example.org";

// The "FileVersion" of a file's version record (its first language only); empty when the file is
// no program or has no such entry.
std::wstring FileVersionOf(const std::wstring& file);

// Colour between from and to at step of steps, per component, truncated toward zero.
COLORREF GradientColor(COLORREF from, COLORREF to, int step, int steps);

// The About dialog: a painted banner with logo, icon, title, version and years of development,
// the maker's credit line, e-mail address and web site.
class AboutDialog : public ModalWindow {
public:
    // programFile is the program whose version the dialog shows, resources the module holding
    // the logo; both default to the running program. shell opens the mail and web addresses.
    explicit AboutDialog(HINSTANCE resources = nullptr, std::wstring programFile = {},
                   ShellOpener& shell = SystemShellOpener());
    ~AboutDialog() override;

    // Shows the dialog modally with the caption "Info über " + title. The icon stays the caller's.
    void ShowModal(HWND owner, const std::wstring& title, const std::wstring& years, HICON icon);

    std::wstring ProgramVersion() const { return FileVersionOf(programFile_); }
    void WriteEMail();
    void OpenWebSite();
    void HyperLinkMouseEnter(LinkLabel& label);
    void HyperLinkMouseLeave(LinkLabel& label);
    void HyperLinkMouseDown(LinkLabel& label);
    void HyperLinkMouseUp(LinkLabel& label);

    // What the banner shows, line by line.
    std::wstring TitleLine() const { return title_; }
    std::wstring VersionLine() const { return L"Version: " + ProgramVersion(); }
    std::wstring YearsLine() const { return L"Entwicklungszeit: " + years_; }
    std::wstring Caption() const;
    HWND CreditLabel() const { return credit_.Handle(); }
    LinkLabel& EMailLink() { return *eMailLink_; }
    LinkLabel& WebSiteLink() { return *webSiteLink_; }
    HWND OKButton() const { return ok_.Handle(); }
    UINT Dpi() const { return dpi_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc) override { PaintBanner(dc); }

private:
    void CreateControls();
    void PaintBanner(HDC dc);
    void LayoutLabels();
    void LoadLogo();
    // Sizes fonts, pictures and controls for dpi; the frame goes to suggested, or keeps its
    // client size at that scale when there is none.
    void ApplyDpi(UINT dpi, const RECT* suggested) override;
    int S(int designSize) const { return Scale(designSize, dpi_); }

    HINSTANCE resources_;
    ShellOpener& shell_;
    std::wstring programFile_;
    std::wstring title_, years_;
    HICON icon_ = nullptr;
    GdiHandle logo_, logoMask_;
    Label credit_;
    std::unique_ptr<LinkLabel> eMailLink_, webSiteLink_;
    Button ok_;
    HFONT font_ = nullptr;
    UINT dpi_ = 96;
};
