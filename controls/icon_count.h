#pragma once
#include <string>

// Number of icons in a file (program, library, icon file); 0 for a file that holds none or does
// not exist. In quick mode the answer is 0, 1 or 2, where 2 means two or more.
int CountIcons(const std::wstring& file, bool quick);
