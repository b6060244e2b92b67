#pragma once
#include <string>

// Text rules for Windows paths, shared by every subsystem. No file system access here.

// Upper case through the system's mapping (one helper for the whole program).
std::wstring UpperCase(const std::wstring& text);
bool SameText(const std::wstring& a, const std::wstring& b);

// Everything up to and including the last backslash or colon ("C:\a\b.exe" -> "C:\a\").
std::wstring FolderPart(const std::wstring& path);
// Everything after the last backslash or colon.
std::wstring NamePart(const std::wstring& path);
// From the last dot after the last backslash or colon, dot included; empty without one.
std::wstring ExtensionOf(const std::wstring& path);
std::wstring WithoutExtension(const std::wstring& name);

std::wstring WithTrailingBackslash(const std::wstring& path);
std::wstring WithoutTrailingBackslash(const std::wstring& path);

bool Contains(const std::wstring& text, wchar_t c);

// "X:\" with a letter.
bool IsDriveRootPath(const std::wstring& path);

// The path in double quotes when it holds one of the given characters.
std::wstring QuoteIf(const std::wstring& path, const std::wstring& triggers);
