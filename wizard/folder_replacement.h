#pragma once
#include <windows.h>

#include <string>

// Before a folder link is made where a folder of that name exists: asks whether the folder and
// everything in it may go and empties it when the user agrees. False when the user declines.
bool MakeRoomForFolderLink(HWND owner, const std::wstring& folder);
