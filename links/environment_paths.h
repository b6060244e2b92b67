#pragma once
#include <functional>
#include <optional>
#include <string>

// A path may name environment variables as %NAME%, the form administrators give so that a link
// works on every machine. lookup answers a variable's value, or nothing when it is not set.
using VariableLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// The path with every %NAME% that lookup knows replaced by its value; unknown names, a lone
// percent sign and "%%" stay as written, as the system expands them.
std::wstring ExpandVariables(const std::wstring& path, const VariableLookup& lookup);

// Whether the path names at least one variable that lookup knows.
bool HasVariables(const std::wstring& path, const VariableLookup& lookup);
