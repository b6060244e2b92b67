#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/handles.h"

// An image list of the shell's icons for paths. Plain folders, which can have no icon of their
// own, share one entry for closed and one for open; any other path gets an entry of its own.
class ShellIconList {
public:
    ShellIconList();
    HIMAGELIST Handle() const { return images_.Get(); }
    int Size() const { return size_; }
    // Empties the list and gives it the new size in pixels.
    void SetSize(int pixels);
    void SetBackground(COLORREF colour) { ImageList_SetBkColor(images_.Get(), colour); }
    void Clear();
    // The index that draws path's icon (a folder icon when the shell has none for it). current is
    // the index path was drawn with so far: an entry of its own is changed in place. With the
    // attributes of a plain folder the shell is not asked, as it would look the folder up in its
    // parent, which takes long in a large one; nor is an entry added, which takes milliseconds.
    int IndexFor(const std::wstring& path, bool open, DWORD knownAttributes = INVALID_FILE_ATTRIBUTES,
                 int current = -1);

private:
    HICON FolderIcon(bool open) const;
    ImageListHandle images_;
    int size_ = 16;
    int plainFolder_[2] = {-1, -1};  // shared entries: closed, open
};
