#pragma once
#include <windows.h>

// The natural size of an icon; the system's icon size when it cannot be read.
SIZE IconSize(HICON icon);
