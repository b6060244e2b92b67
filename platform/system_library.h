#pragma once
#include <windows.h>

// Functions of system libraries that the first page does not need, loaded when first called, so
// that a start does not pay for loading them; also functions that older systems lack.

// The library, loaded on first use from the system folder and kept for the program's life; null
// when it cannot be loaded.
HMODULE SystemLibrary(const wchar_t* name);

// A function of that library; null when the library or the function is missing.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Sets the pointer to that function; answers whether it was found.
template <typename Function>
bool FindSystemFunction(Function& function, const wchar_t* library, const char* name) {
    function = SystemFunction<Function>(library, name);
    return function != nullptr;
}
