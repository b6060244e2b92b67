#include <windows.h>
#include <commctrl.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/handles.h"

namespace {
// Version 6 of the common controls, which the program's manifest asks for, comes from the
// side-by-side assembly store; version 5 from the system folder.
bool CommonControlsAreVersion6(wchar_t (&path)[MAX_PATH]) {
    return GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH) &&
           StrStrIW(path, L"microsoft.windows.common-controls_") != nullptr;
}
}  // namespace

// Windows tests run with COM and the common controls ready, as the program does.
int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    // Tests of other controls than the ones that ship would prove nothing.
    if (wchar_t path[MAX_PATH] = {}; !CommonControlsAreVersion6(path)) {
        std::fprintf(stderr, "common controls from %ls, not version 6: the program's manifest is missing\n", path);
        return 1;
    }
    ComApartment com;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
