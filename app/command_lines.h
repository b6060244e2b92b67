#pragma once
#include <string>
#include <vector>

// The command lines and registry keys of the program's shell integration. No Windows header.

// program: the program's full path. Each command keeps the path one quoted item, blanks or not.
std::wstring OpenCommand(const std::wstring& program);       // "E" "%1"
std::wstring FolderCommand(const std::wstring& program);     // "E" /D "%1"
std::wstring EditCommand(const std::wstring& program);       // "E" /E "%1"
std::wstring UninstallCommand(const std::wstring& program);  // "E" /uninstall

struct VerbKey {
    std::wstring key;    // below the classes root
    std::wstring value;  // its default value
};

// The fourteen keys of the context-menu verbs in the order they are written.
std::vector<VerbKey> VerbKeys(const std::wstring& program);
// The seven verb keys that removal deletes with everything below them.
std::vector<std::wstring> VerbKeysToRemove();

inline constexpr const wchar_t* kUninstallRoot = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const wchar_t* kUninstallKeyName = L"Pfeilbau";
inline constexpr const wchar_t* kUninstallDisplayName = L"Zeigerwerk v2.0";
// Below HKEY_CURRENT_USER: the per-user classes that the shell merges into HKEY_CLASSES_ROOT.
inline constexpr const wchar_t* kUserClasses = L"Software\\Classes";
