#pragma once
#include <string>

// The application title: caption of error boxes and of the About dialog.
const std::wstring& AppTitle();
void SetAppTitle(std::wstring title);
