#include "platform/system_library.h"

#include <map>
#include <mutex>
#include <string>

HMODULE SystemLibrary(const wchar_t* name) {
    static std::mutex guard;  // the update's download thread loads the sockets library
    static std::map<std::wstring, HMODULE> loaded;
    const std::lock_guard<std::mutex> lock(guard);
    const auto found = loaded.find(name);
    if (found != loaded.end()) return found->second;
    // From the system folder only, never from the program's folder or the current one.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring path = length ? std::wstring(folder, length) + L"\\" + name : std::wstring(name);
    HMODULE module = GetModuleHandleW(name);
    if (!module) module = LoadLibraryW(path.c_str());
    loaded[name] = module;
    return module;
}
