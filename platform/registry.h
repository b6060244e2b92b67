#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "platform/handles.h"

// A registry key opened or created below a root; string and integer values. On 64-bit Windows
// both programs use the 64-bit view, the one that 64-bit tools and the shell read and write.
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

    // On 64-bit Windows: copies the values that only the 32-bit view of HKEY_LOCAL_MACHINE\path holds
    // (written there by an earlier 32-bit program or a 32-bit tool) into the 64-bit view, which
    // keeps its own where both hold one, then removes the 32-bit copy. Nothing happens without the
    // right to write there. Never throws.
    static void TakeOverMachineValues(const std::wstring& path);

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    KeyHandle key_;
};
