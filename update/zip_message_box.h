// Shows the archive component's numbered messages in the program's message boxes.
#pragma once

#include <windows.h>

#include "update/zip_extract.h"

void ShowZipMessagesInBoxes(ZipArchive& zip, HWND owner);

// The text of the box for one message: the message and its number.
std::wstring ZipMessageBoxText(int number, const std::wstring& text);
