#pragma once
#include <functional>
#include <string>
#include <vector>

// Cuts a target command line into tokens: blank-delimited, double quotes group (a doubled quote
// inside stands for one), a missing closing quote runs to the end, "" is an empty token, and a
// token right after a closing quote is a token of its own.
std::vector<std::wstring> TokenizeCommandLine(const std::wstring& text);

// Where the first token ends in text, as typed (after its closing quote, if quoted).
size_t FirstTokenEnd(const std::wstring& text);

// Joins argument tokens with blanks; a token holding a blank, a control character or a double
// quote is quoted with its quotes doubled; a single empty token becomes "".
std::wstring JoinArguments(const std::vector<std::wstring>& tokens);

// The longest leading part of text that exists, cutting at the last blank while it does not;
// returns the candidate (possibly the whole text when nothing exists and no blank is left).
std::wstring CorrectionCandidate(const std::wstring& text, const std::function<bool(const std::wstring&)>& exists);
