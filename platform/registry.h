#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "platform/handles.h"

// A registry key opened or created below a root; string and integer values.
class RegistryKey {
public:
    RegistryKey() = default;
    // Opens or creates (with missing parents); throws PlatformError on failure.
    static RegistryKey Create(HKEY root, const std::wstring& path);
    // Opens an existing key; empty when it does not exist.
    static std::optional<RegistryKey> Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
    static bool Exists(HKEY root, const std::wstring& path);
    // Deletes the key with everything below it; false when it did not exist.
    static bool DeleteTree(HKEY root, const std::wstring& path);

    HKEY Get() const { return key_.Get(); }
    void SetString(const std::wstring& name, const std::wstring& value);  // empty name: default value
    void SetInteger(const std::wstring& name, DWORD value);
    std::optional<std::wstring> GetString(const std::wstring& name) const;
    std::optional<DWORD> GetInteger(const std::wstring& name) const;
    bool HasValue(const std::wstring& name) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    KeyHandle key_;
};
