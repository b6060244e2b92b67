#include "platform/registry.h"

#include <vector>

#include "platform/files.h"

namespace {
// Ignored on 32-bit Windows.
constexpr REGSAM kView = KEY_WOW64_64KEY;

bool WindowsIs64Bit() {
#ifdef _WIN64
    return true;
#else
    return RunsUnderWow64();
#endif
}
}  // namespace

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE | kView, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
    return RegistryKey(key);
}

std::optional<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access | kView, &key) != ERROR_SUCCESS) return std::nullopt;
    return RegistryKey(key);
}

bool RegistryKey::Exists(HKEY root, const std::wstring& path) { return Open(root, path).has_value(); }

bool RegistryKey::DeleteTree(HKEY root, const std::wstring& path) {
    {
        const auto key = Open(root, path, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE);
        if (!key) return false;
        const LSTATUS status = RegDeleteTreeW(key->Get(), nullptr);
        if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
    }
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKeyEx.
    const LSTATUS removed = RegDeleteKeyExW(root, path.c_str(), kView, 0);
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) ThrowError(static_cast<DWORD>(removed));
    return true;
}

void RegistryKey::TakeOverMachineValues(const std::wstring& path) {
    if (!WindowsIs64Bit()) return;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_SET_VALUE | DELETE | KEY_WOW64_32KEY, &opened) !=
        ERROR_SUCCESS)
        return;
    const KeyHandle old(opened);
    try {
        RegistryKey now = Create(HKEY_LOCAL_MACHINE, path);
        std::vector<wchar_t> name(16384);
        std::vector<BYTE> data;
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, size = 0;
            LSTATUS status = RegEnumValueW(old.Get(), index, name.data(), &nameLength, nullptr, &type, nullptr, &size);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status != ERROR_SUCCESS) return;
            const std::wstring valueName(name.data(), nameLength);
            if (now.HasValue(valueName)) continue;
            data.assign(size, 0);
            status = RegQueryValueExW(old.Get(), valueName.empty() ? nullptr : valueName.c_str(), nullptr, &type,
                                      data.data(), &size);
            if (status != ERROR_SUCCESS) return;
            if (RegSetValueExW(now.Get(), valueName.empty() ? nullptr : valueName.c_str(), 0, type, data.data(), size) !=
                ERROR_SUCCESS)
                return;
        }
    } catch (const PlatformError&) {
        return;  // the 64-bit view cannot be written: the old values stay where they are
    }
    if (RegDeleteTreeW(old.Get(), nullptr) == ERROR_SUCCESS)
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_32KEY, 0);
}

void RegistryKey::SetString(const std::wstring& name, const std::wstring& value) {
    const LSTATUS status =
        RegSetValueExW(key_.Get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
}
void RegistryKey::SetInteger(const std::wstring& name, DWORD value) {
    const LSTATUS status = RegSetValueExW(key_.Get(), name.c_str(), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
}

std::optional<std::wstring> RegistryKey::GetString(const std::wstring& name) const {
    DWORD type = 0, size = 0;
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    if (RegQueryValueExW(key_.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key_.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
}

std::optional<DWORD> RegistryKey::GetInteger(const std::wstring& name) const {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool RegistryKey::HasValue(const std::wstring& name) const {
    return RegQueryValueExW(key_.Get(), name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}
