#pragma once
#include <string>

// UTF-8 <-> wide text; wide is UTF-16 on Windows and UTF-32 elsewhere.
// Invalid input becomes U+FFFD rather than being dropped.
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
