#include "platform/registry.h"

#include <vector>

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
    return RegistryKey(key);
}

std::optional<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return std::nullopt;
    return RegistryKey(key);
}

bool RegistryKey::Exists(HKEY root, const std::wstring& path) { return Open(root, path).has_value(); }

bool RegistryKey::DeleteTree(HKEY root, const std::wstring& path) {
    if (!Exists(root, path)) return false;
    const LSTATUS status = RegDeleteTreeW(root, path.c_str());
    if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    const LSTATUS removed = RegDeleteKeyW(root, path.c_str());
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) ThrowError(static_cast<DWORD>(removed));
    return true;
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
