#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/handles.h"

// An image list of the shell's icons for paths, one entry per caller (entries are not shared, so
// each can switch between its closed and open icon on its own).
class ShellIconList {
public:
    ShellIconList();
    HIMAGELIST Handle() const { return images_.Get(); }
    int Size() const { return size_; }
    // Empties the list and gives it the new size in pixels.
    void SetSize(int pixels);
    void SetBackground(COLORREF colour) { ImageList_SetBkColor(images_.Get(), colour); }
    void Clear() { ImageList_Remove(images_.Get(), -1); }
    // The index of a new entry with path's icon (a folder icon when the shell has none for it).
    // With the attributes of a plain folder, which can have no icon of its own, the shell is not
    // asked: it would look the folder up in its parent, which takes long in a large one.
    int Add(const std::wstring& path, bool open, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);
    void Replace(int index, const std::wstring& path, bool open, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES);

private:
    // The icon to draw; owned holds it unless it is one the list keeps.
    HICON Icon(const std::wstring& path, bool open, DWORD knownAttributes, IconHandle& owned);
    HICON FolderIcon(bool open) const;
    ImageListHandle images_;
    int size_ = 16;
    IconHandle plainFolder_[2];  // closed, open; at size_
};
