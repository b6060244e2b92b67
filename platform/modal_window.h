#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/dialog_window.h"

// Shows a dialog window modally over its owner until *result is no longer 0: the owner is
// disabled meanwhile, Tab, Enter, Esc and access keys work as in a dialog, and a WM_QUIT that
// arrives is passed on to the caller's loop. keyHook sees each key message first and answers
// true when it has handled it. Returns *result (IDCANCEL when the loop ended by WM_QUIT).
int RunModal(HWND dialog, HWND owner, int& result, const std::function<bool(const MSG&)>& keyHook = {});

// Centres a window on the screen.
void CenterOnScreen(HWND window);

// Gives a window exactly this client size, whatever frame the system draws around it.
void SetClientSize(HWND window, int width, int height);

// A dialog window shown modally over an owner: the modal loop, the modal result, a "shown" step
// that runs once the window is on screen and its loop is running, and what every dialog does:
// Enter presses the default button, OK accepts; Esc, Cancel and the close box dismiss; F1 opens
// the dialog's help topic; an edit field that gets the focus first has its text selected; a DPI
// change lays the dialog out again. A dialog declares only what differs.
class ModalWindow : public DialogWindow {
public:
    // Runs once the dialog is on screen and its modal loop is running (tests drive it from here).
    std::function<void()> OnShown;
    // Opens a help topic (F1).
    std::function<void(const std::wstring& topic)> OnHelp;

    // OK (and Enter on it); by default ends with IDOK.
    virtual void Accept() { EndModal(IDOK); }
    // Cancel, Esc and the close box; by default ends with IDCANCEL.
    virtual void Dismiss() { EndModal(IDCANCEL); }
    // F1: opens the dialog's help topic.
    void ShowHelp() const;

    // True from the start of RunModal until the modal result is set.
    bool Open() const { return open_ && modalResult_ == 0; }
    int ModalResult() const { return modalResult_; }

protected:
    // Shows the window centred over owner and runs its loop until EndModal; answers the result.
    // firstFocus gets the focus the first time the window is activated.
    int RunModal(HWND owner, HWND firstFocus);
    // Ends the modal loop with result (not 0).
    void EndModal(int result) { modalResult_ = result; }

    // The help topic F1 opens; none by default.
    virtual const wchar_t* HelpTopic() const { return nullptr; }
    // Lays the dialog out for a new DPI in the window rectangle the system suggests.
    virtual void ApplyDpi(UINT, const RECT*) {}

    // Sees each key message of the window and its children before the dialog keys; true when
    // it has handled the message.
    virtual bool PreTranslateKey(const MSG&) { return false; }
    // The "shown" step; by default calls OnShown.
    virtual void Shown();

    // Answers the messages every modal window shares; the rest goes to Default.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int modalResult_ = 0;
    bool open_ = false;
};
