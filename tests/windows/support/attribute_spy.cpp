#include "tests/windows/support/attribute_spy.h"

#include <cstring>
#include <map>

#include "platform/path_text.h"

namespace {
using SetAttributesFunction = BOOL(WINAPI*)(LPCWSTR, DWORD);
SetAttributesFunction original = nullptr;
std::map<std::wstring, DWORD> requested;

std::wstring Key(const std::wstring& path) { return UpperCase(WithoutTrailingBackslash(path)); }

BOOL WINAPI Recorder(LPCWSTR path, DWORD attributes) {
    requested[Key(path)] = attributes;
    return original(path, attributes);
}

// The program's import slot of a function: every call the program makes goes through it.
void** ImportSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

void Write(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}
}  // namespace

AttributeSpy::AttributeSpy() : slot_(ImportSlot("kernel32.dll", "SetFileAttributesW")) {
    if (!slot_) return;
    original_ = *slot_;
    original = reinterpret_cast<SetAttributesFunction>(original_);
    requested.clear();
    Write(slot_, reinterpret_cast<void*>(&Recorder));
}

AttributeSpy::~AttributeSpy() {
    if (slot_) Write(slot_, original_);
}

DWORD AttributeSpy::Requested(const std::wstring& path) const {
    const auto found = requested.find(Key(path));
    return found == requested.end() ? INVALID_FILE_ATTRIBUTES : found->second;
}
