#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Windows as a user finds them: by their class, their text, their place among their siblings.

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
// The window's class is className (any case, a side-by-side version ignored).
bool IsClass(HWND window, const std::wstring& className);
// The focus is on the control or inside it (a combo box's edit field).
bool HasFocus(HWND control);
// The children of parent (not theirs) in the order they were made.
std::vector<HWND> ChildrenOf(HWND parent);
// The shown ones among them.
std::vector<HWND> VisibleChildrenOf(HWND parent);
// The size of the window's client area.
SIZE ClientSize(HWND window);
// The nth direct child of parent of the class whose text is text (empty: any text); null if none.
HWND ChildWindow(HWND parent, const std::wstring& className, const std::wstring& text = {}, int nth = 0);
// The visible direct child of parent whose text is text, as a user finds it; null if none.
HWND VisibleChild(HWND parent, const std::wstring& text);
// The first window of this thread's top-level ones, shown or not, that matches.
HWND ThreadWindow(const std::function<bool(HWND)>& matches);

// A key as the message loop receives it, posted to window (null: the focus); the caller pumps.
void PostKey(WPARAM key, HWND window = nullptr);
// Characters as the keyboard types them (WM_CHAR), posted to window (null: the focus).
void PostChars(const std::wstring& text, HWND window = nullptr);
// Alt+key as a label's access key arrives.
void PostAccessKey(wchar_t key, HWND window = nullptr);
// Keys as the keyboard gives them (SendInput): pressed in order, released in reverse. Only the
// active window receives them, so tests using them run one at a time.
void PressKeys(std::initializer_list<WORD> keys);
// A left click at a point of the window's client area, as the mouse gives it to the window.
void Click(HWND window, POINT at = {2, 2});
