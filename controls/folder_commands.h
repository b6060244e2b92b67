#pragma once
#include <windows.h>

#include <string>

#include "controls/folder_source.h"

// The folder tree's context menu and what its commands do on the disk and in the shell.

enum class FolderCommand { None, New, Delete, Open, Refresh };

// Shows the menu at a screen point and returns the command chosen.
FolderCommand ChooseFolderCommand(HWND tree, POINT screen, bool canCreate, bool canDelete);
// Asks for the name of a new folder in folder (trailing backslash) and creates it, with the
// folders on its way; the folder made (trailing backslash), empty when the user gave up or it
// could not be made (which the user is told).
std::wstring CreateFolderAsked(HWND owner, const std::wstring& folder, FolderReading& reading);
// Hands path to the shell's delete, which asks the user and offers the recycle bin.
void DeleteThroughShell(HWND owner, const std::wstring& path);
// Shows folder in the file manager.
void ExploreFolder(HWND owner, const std::wstring& folder);
