// Checks that a file is signed by the maker's key: ECDSA over P-256 of the SHA-256 of the file's
// exact bytes, stored beside it as the 64 bytes r then s. Windows' own cryptography does the work.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

// The public key as the X and Y coordinates of its point, 32 bytes each, most significant first.
using UpdateKey = std::array<std::uint8_t, 64>;

// The key compiled into the program (the build reads it from a PEM file).
const UpdateKey& ReleaseUpdateKey();

enum class SignatureCheck { Valid, Missing, Invalid };

// Missing: the signature file does not exist. Invalid: it is not 64 bytes, the file cannot be
// read, or the signature does not match the file and the key.
SignatureCheck CheckFileSignature(const std::wstring& file, const std::wstring& signatureFile, const UpdateKey& key);

// The same for a file whose SHA-256 is already known (read once through a handle held open).
SignatureCheck CheckDigestSignature(const std::array<std::uint8_t, 32>& digest, const std::wstring& signatureFile,
                                    const UpdateKey& key);

// The SHA-256 of a file's bytes, read through the given handle from its start.
bool FileSha256(HANDLE file, std::array<std::uint8_t, 32>& digest);
