#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "links/link_draft.h"
#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/shell_open.h"
#include "wizard/file_dialogs.h"

// What the wizard asks of the system outside its window; tests pass their own.
struct WizardSystem {
    FileDialogs& dialogs = SystemFileDialogs();
    ShellOpener& shell = SystemShellOpener();
};

// How far the pages have been prepared; later stages compare greater.
enum class WizardStage {
    Nothing,           // nothing prepared
    FolderChosen,      // the location page has its folder (the tree is not moved to the desktop again)
    LocationAccepted,  // the icon page is prepared when it is entered
    IconPagePrepared,
    IconPageAccepted,
};

// What a page needs of the wizard's window while it builds and runs.
class PageHost {
public:
    virtual HWND Owner() const = 0;
    virtual HFONT Font() const = 0;
    virtual UINT Dpi() const = 0;
    virtual Hints& PageHints() = 0;
    // Adds a control of the page being built to the layout, with its anchors.
    virtual void Lay(HWND control, int anchors) = 0;

protected:
    ~PageHost() = default;
};

// Where the pages are drawn, in design units.
struct PageArea {
    int x, y, width, height;
};

// One page of the wizard: builds and owns its controls, enters from the draft, leaves by checking
// its input and filling its part of the draft, and answers its controls' events itself.
class WizardPage {
public:
    explicit WizardPage(PageHost& host) : host_(host) {}
    virtual ~WizardPage() = default;
    WizardPage(const WizardPage&) = delete;
    WizardPage& operator=(const WizardPage&) = delete;

    // The page is built in parts, a few controls at a time, while the wizard waits for input.
    virtual int Parts() const { return 1; }
    virtual void BuildPart(int part, const PageArea& area) = 0;
    const std::vector<HWND>& Controls() const { return controls_; }

    // Coming to the page with Next; false keeps the wizard where it was.
    virtual void Enter() {}
    virtual bool Leave() { return true; }
    // The control the page starts with; null: the wizard's Next.
    virtual HWND FirstControl() const = 0;
    // Back to the state of a new link.
    virtual void Reset() {}
    virtual void Drop(const std::wstring&) {}

    // The window's font, pictures or size changed.
    virtual void FontChanged(HFONT) {}
    virtual void LoadPictures(UINT) {}
    virtual void Resize() {}
    // The page was shown, by Next or Back.
    virtual void Shown() {}
    // A message of the window for the page's controls (colours); true with result when answered.
    virtual bool Message(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

protected:
    HWND Owner() const { return host_.Owner(); }
    HFONT Font() const { return host_.Font(); }
    int S(int designSize) const { return Scale(designSize, host_.Dpi()); }
    Hints& PageHints() { return host_.PageHints(); }
    // A control shown with the page, placed by the layout (AnchorLayout anchors).
    void Add(HWND control, int anchors) {
        controls_.push_back(control);
        host_.Lay(control, anchors);
    }
    // Shown with the page; the page places it itself.
    void AddUnlaid(HWND control) { controls_.push_back(control); }
    PageHost& host_;

private:
    std::vector<HWND> controls_;
};
