#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/handles.h"

// Windows tests run with COM and the common controls ready, as the program does.
int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    ComApartment com;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
