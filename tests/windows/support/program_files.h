#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/handles.h"

// What ctest tells a test about the build and the source tree. Paths come as Unix paths, which
// Wine reaches through its drive Z:.
inline std::wstring WindowsPathOf(std::wstring path) {
    if (path.empty() || path[0] != L'/') return path;
    path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// The built program (ZW_PROGRAM).
inline std::wstring ProgramUnderTest() {
    const wchar_t* program = _wgetenv(L"ZW_PROGRAM");
    return WindowsPathOf(program ? program : L"");
}

// The built program's resources, for what only the program carries (pictures, version).
inline ModuleHandle ProgramResources() {
    return ModuleHandle(LoadLibraryExW(ProgramUnderTest().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// A file of the source tree (ZW_SOURCE_DIR), e.g. SourceFile(L"app/zeigerwerk.rc").
inline std::wstring SourceFile(const std::wstring& relative) {
    const wchar_t* source = _wgetenv(L"ZW_SOURCE_DIR");
    return WindowsPathOf(std::wstring(source ? source : L"") + L"/" + relative);
}
