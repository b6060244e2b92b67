#pragma once
#include <functional>
#include <optional>
#include <string>

// Whether the system knows a scheme (lower case, without its colon) as a protocol of its own.
using ProtocolQuery = std::function<bool(const std::wstring& scheme)>;

// The web address a target command line names, or nothing for a file or folder target. The first
// token (quotes removed) must begin with a scheme: http, https, ftp, mailto and file always, any
// other one when the system knows it; "www." and a host stand for an http address. A drive letter
// is no scheme. The rest of the line belongs to the address, blanks included.
std::optional<std::wstring> WebAddressOf(const std::wstring& commandLine, const ProtocolQuery& knownProtocol);

// The name proposed for a link to the address: its host without "www.", without the characters a
// file name cannot hold; where the address has no host, its last path part, else its scheme.
std::wstring WebAddressName(const std::wstring& address);
