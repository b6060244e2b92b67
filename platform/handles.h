#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <utility>

#include "platform/win_error.h"

using Microsoft::WRL::ComPtr;

// Owns one handle and releases it with Close; movable, not copyable.
template <typename Handle, auto Close, Handle Invalid = Handle{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Invalid)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, Invalid));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid; }
    Handle Release() { return std::exchange(handle_, Invalid); }
    void Reset(Handle handle = Invalid) {
        if (handle_ != Invalid) Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Invalid;
};

namespace handle_detail {
inline void CloseKernel(HANDLE h) { CloseHandle(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void CloseKey(HKEY h) { RegCloseKey(h); }
inline void CloseIcon(HICON h) { DestroyIcon(h); }
inline void CloseGdi(HGDIOBJ h) { DeleteObject(h); }
inline void CloseFont(HFONT h) { DeleteObject(h); }
inline void CloseBitmap(HBITMAP h) { DeleteObject(h); }
inline void CloseDc(HDC h) { DeleteDC(h); }
inline void CloseImageList(HIMAGELIST h) { ImageList_Destroy(h); }
inline void ClosePidl(LPITEMIDLIST p) { CoTaskMemFree(p); }
inline void CloseMenu(HMENU h) { DestroyMenu(h); }
inline void CloseModule(HMODULE h) { FreeLibrary(h); }
}  // namespace handle_detail

using FileHandle = UniqueHandle<HANDLE, handle_detail::CloseKernel>;
using FindHandle = UniqueHandle<HANDLE, handle_detail::CloseFind>;
using KeyHandle = UniqueHandle<HKEY, handle_detail::CloseKey>;
using IconHandle = UniqueHandle<HICON, handle_detail::CloseIcon>;
using GdiHandle = UniqueHandle<HGDIOBJ, handle_detail::CloseGdi>;
using FontHandle = UniqueHandle<HFONT, handle_detail::CloseFont>;
using BitmapHandle = UniqueHandle<HBITMAP, handle_detail::CloseBitmap>;
using DcHandle = UniqueHandle<HDC, handle_detail::CloseDc>;
using ImageListHandle = UniqueHandle<HIMAGELIST, handle_detail::CloseImageList>;
using PidlHandle = UniqueHandle<LPITEMIDLIST, handle_detail::ClosePidl>;
using MenuHandle = UniqueHandle<HMENU, handle_detail::CloseMenu>;
using ModuleHandle = UniqueHandle<HMODULE, handle_detail::CloseModule>;

// FindFirstFile and CreateFile answer INVALID_HANDLE_VALUE, not null; normalise it.
inline HANDLE NullIfInvalid(HANDLE h) { return h == INVALID_HANDLE_VALUE ? nullptr : h; }

// A window's device context for one scope (GetDC / ReleaseDC).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Stops a window from redrawing for one scope. With a depth counter, nested pauses redraw once,
// when the outermost ends.
class RedrawPause {
public:
    explicit RedrawPause(HWND window, int* depth = nullptr) : window_(window), depth_(depth) {
        if (!depth_ || (*depth_)++ == 0) SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawPause() {
        if (depth_ && --*depth_ != 0) return;
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
    int* depth_;
};

// Selects a GDI object into a DC for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// COM on this thread for one scope.
class ComApartment {
public:
    ComApartment() : hr_(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT hr_;
};

// Keeps critical-error dialogs (e.g. "no disk in drive") off for one scope.
class QuietErrorMode {
public:
    QuietErrorMode() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietErrorMode() { SetErrorMode(old_); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT old_;
};

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};
