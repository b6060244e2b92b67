#pragma once
#include <string>

// The nine characters a file name must not contain, in the order they are checked.
inline constexpr wchar_t kInvalidNameChars[] = L"\\/:*?\"<>|";

std::wstring RemoveInvalidChars(const std::wstring& name);
bool HasInvalidChars(const std::wstring& name);

// A link name without invalid characters and without its extension (cut at the first place the
// extension's text occurs: a.exe.exe gives a).
std::wstring CleanLinkName(const std::wstring& name);
// A name typed for a link to a web address: without invalid characters and without a trailing
// ".url" (the name of the Internet shortcut being edited); its other dots are part of the name.
std::wstring CleanWebLinkName(const std::wstring& name);
// The link name proposed for a target: its last path part, cleaned.
std::wstring ProposedLinkName(const std::wstring& target);

// Folders directly below a drive root whose name begins with RECYCLED are kept out of the tree.
bool IsRecycledFolder(const std::wstring& directory);

// Every double backslash replaced by a single one, repeatedly.
std::wstring CollapseDoubleBackslashes(std::wstring path);

// Every "%SystemRoot%", in any letter case, replaced by the Windows folder.
std::wstring ReplaceSystemRoot(const std::wstring& text, const std::wstring& windowsFolder);
