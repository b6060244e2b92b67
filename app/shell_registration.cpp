#include "app/shell_registration.h"

#include "app/command_lines.h"
#include "platform/app_title.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/settings_key.h"

namespace {

// A 32-bit program on 64-bit Windows would otherwise write the folder-link verb into the 32-bit
// view of CLSID, which the 64-bit shell never reads.
constexpr REGSAM kShellView = KEY_WOW64_64KEY;

class SystemRegistry final : public ShellRegistry {
public:
    void SetString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) override {
        // Every start registers; a value that is already right is left alone, so that a start
        // costs reads, not writes (and the registry's change notifications stay quiet).
        if (HoldsString(root, key, name, value)) return;
        HKEY opened = nullptr;
        LSTATUS status = RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE | kShellView, nullptr, &opened, nullptr);
        if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
        const KeyHandle handle(opened);
        status = RegSetValueExW(handle.Get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
    }

    static bool HoldsString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value) {
        HKEY opened = nullptr;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | kShellView, &opened) != ERROR_SUCCESS) return false;
        const KeyHandle handle(opened);
        DWORD type = 0;
        std::wstring current(value.size() + 2, L'\0');
        DWORD bytes = static_cast<DWORD>(current.size() * sizeof(wchar_t));
        if (RegQueryValueExW(handle.Get(), name.empty() ? nullptr : name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(current.data()), &bytes) != ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        current.resize(bytes / sizeof(wchar_t));
        while (!current.empty() && current.back() == L'\0') current.pop_back();
        return current == value;
    }

    // Deletes in both views: what a 32-bit version of the program (or an older one) left in the
    // 32-bit view of CLSID or of the Uninstall key must go as well. On 32-bit Windows both are one.
    bool DeleteTree(HKEY root, const std::wstring& key) override {
        const bool native = DeleteTreeIn(root, key, KEY_WOW64_64KEY);
        const bool wow = DeleteTreeIn(root, key, KEY_WOW64_32KEY);
        return native || wow;
    }

    bool DeleteIfEmpty(HKEY root, const std::wstring& key) override {
        bool deleted = false;
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY opened = nullptr;
            if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) continue;
            DWORD keys = 0, values = 0;
            {
                const KeyHandle handle(opened);
                if (RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr,
                                     nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                    keys || values)
                    continue;
            }
            const LSTATUS status = RegDeleteKeyExW(root, key.c_str(), view, 0);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ThrowError(static_cast<DWORD>(status));
            deleted = true;
        }
        return deleted;
    }

    static bool DeleteTreeIn(HKEY root, const std::wstring& key, REGSAM view) {
        HKEY opened = nullptr;
        LSTATUS status = RegOpenKeyExW(root, key.c_str(), 0,
                                       DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | view, &opened);
        if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) return false;
        if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
        {
            const KeyHandle handle(opened);
            status = RegDeleteTreeW(handle.Get(), nullptr);
            if (status != ERROR_SUCCESS) ThrowError(static_cast<DWORD>(status));
        }
        status = RegDeleteKeyExW(root, key.c_str(), view, 0);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ThrowError(static_cast<DWORD>(status));
        return true;
    }
};

std::wstring UserClassKey(const std::wstring& key) { return std::wstring(kUserClasses) + L"\\" + key; }
std::wstring UninstallKey() { return std::wstring(kUninstallRoot) + L"\\" + kUninstallKeyName; }

void WriteVerbs(ShellRegistry& registry, HKEY root, const std::wstring& program, bool perUser) {
    for (const auto& verb : VerbKeys(program))
        registry.SetString(root, perUser ? UserClassKey(verb.key) : verb.key, L"", verb.value);
}

void WriteUninstallEntry(ShellRegistry& registry, HKEY root, const std::wstring& program) {
    registry.SetString(root, UninstallKey(), L"DisplayName", kUninstallDisplayName);
    registry.SetString(root, UninstallKey(), L"UninstallString", UninstallCommand(program));
}

// Per-user copies left by an earlier start without rights; they would hide the machine-wide
// entries (and may point to an old place of the program). Removed before the machine-wide write,
// because the shell sends a write to a key that exists per user into the per-user copy.
void RemoveUserVerbs(ShellRegistry& registry) {
    for (const auto& key : VerbKeysToRemove()) registry.DeleteTree(HKEY_CURRENT_USER, UserClassKey(key));
}

// Runs one removal step; the first failure is kept and the rest still runs.
template <typename Step>
void Attempt(std::wstring& problem, Step step) {
    try {
        step();
    } catch (const PlatformError& error) {
        if (problem.empty()) problem = error.Message();
    }
}

}  // namespace

ShellRegistry& SystemShellRegistry() {
    static SystemRegistry registry;
    return registry;
}

RegistrationOutcome RegisterShellIntegration(const std::wstring& programPath, ShellRegistry& registry) {
    RegistrationOutcome outcome;
    try {
        RemoveUserVerbs(registry);
        WriteVerbs(registry, HKEY_CLASSES_ROOT, programPath, false);
    } catch (const PlatformError&) {
        outcome.verbsPerUser = true;
        Attempt(outcome.problem, [&] { WriteVerbs(registry, HKEY_CURRENT_USER, programPath, true); });
    }
    try {
        registry.DeleteTree(HKEY_CURRENT_USER, UninstallKey());
        WriteUninstallEntry(registry, HKEY_LOCAL_MACHINE, programPath);
    } catch (const PlatformError&) {
        outcome.uninstallPerUser = true;
        Attempt(outcome.problem, [&] { WriteUninstallEntry(registry, HKEY_CURRENT_USER, programPath); });
    }
    return outcome;
}

std::wstring RemoveShellIntegration(ShellRegistry& registry) {
    std::wstring problem;
    for (const auto& key : VerbKeysToRemove()) {
        Attempt(problem, [&] { registry.DeleteTree(HKEY_CURRENT_USER, UserClassKey(key)); });
        Attempt(problem, [&] { registry.DeleteTree(HKEY_CLASSES_ROOT, key); });
    }
    const std::wstring settingsParent(kSettingsKey, std::wstring(kSettingsKey).rfind(L'\\'));
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        Attempt(problem, [&] { registry.DeleteTree(root, kSettingsKey); });
        Attempt(problem, [&] { registry.DeleteIfEmpty(root, settingsParent); });
    }
    Attempt(problem, [&] { registry.DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey()); });
    Attempt(problem, [&] { registry.DeleteTree(HKEY_CURRENT_USER, UninstallKey()); });
    return problem;
}

int RunUninstall(ShellRegistry& registry) {
    SetAppTitle(L"Zeigerwerk [Deinstallation]");
    ExclamationSound();
    if (!WarnYesNo(nullptr, L"Soll der Zeigerwerk wirklich deinstalliert werden?")) return 0;
    const std::wstring problem = RemoveShellIntegration(registry);
    if (problem.empty()) return 0;
    ShowErrorBox(nullptr, L"Nicht alle Einträge des Zeigerwerks konnten entfernt werden:\r\n" + problem);
    return 1;
}
