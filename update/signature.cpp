#include "update/signature.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "platform/handles.h"
#include "update_key.h"

namespace {

bool Ok(NTSTATUS status) { return status >= 0; }

struct Algorithm {
    BCRYPT_ALG_HANDLE handle = nullptr;
    explicit Algorithm(const wchar_t* name) {
        if (!Ok(BCryptOpenAlgorithmProvider(&handle, name, nullptr, 0))) handle = nullptr;
    }
    ~Algorithm() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
};

struct Hash {
    BCRYPT_HASH_HANDLE handle = nullptr;
    ~Hash() {
        if (handle) BCryptDestroyHash(handle);
    }
};

struct Key {
    BCRYPT_KEY_HANDLE handle = nullptr;
    ~Key() {
        if (handle) BCryptDestroyKey(handle);
    }
};

// SHA-256 of the file's bytes, read in blocks; false when it cannot be read.
bool HashFile(const std::wstring& file, std::array<UCHAR, 32>& digest) {
    Algorithm sha(BCRYPT_SHA256_ALGORITHM);
    Hash hash;
    if (!sha.handle || !Ok(BCryptCreateHash(sha.handle, &hash.handle, nullptr, 0, nullptr, 0, 0))) return false;
    FileHandle in(NullIfInvalid(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
    if (!in) return false;
    std::vector<UCHAR> block(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.Get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) return false;
        if (got == 0) break;
        if (!Ok(BCryptHashData(hash.handle, block.data(), got, 0))) return false;
    }
    return Ok(BCryptFinishHash(hash.handle, digest.data(), static_cast<ULONG>(digest.size()), 0));
}

}  // namespace

const UpdateKey& ReleaseUpdateKey() {
    static const UpdateKey key = [] {
        UpdateKey k{};
        for (std::size_t i = 0; i < k.size(); ++i) k[i] = kUpdateKeyXY[i];
        return k;
    }();
    return key;
}

SignatureCheck CheckFileSignature(const std::wstring& file, const std::wstring& signatureFile, const UpdateKey& key) {
    const DWORD attributes = GetFileAttributesW(signatureFile.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return SignatureCheck::Missing;

    std::array<UCHAR, 64> signature{};
    {
        FileHandle in(NullIfInvalid(
            CreateFileW(signatureFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
        LARGE_INTEGER size{};
        DWORD got = 0;
        if (!in || !GetFileSizeEx(in.Get(), &size) || size.QuadPart != 64 ||
            !ReadFile(in.Get(), signature.data(), 64, &got, nullptr) || got != 64)
            return SignatureCheck::Invalid;
    }
    std::array<UCHAR, 32> digest{};
    if (!HashFile(file, digest)) return SignatureCheck::Invalid;

    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    std::copy(key.begin(), key.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));

    Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    Key publicKey;
    if (!ecdsa.handle || !Ok(BCryptImportKeyPair(ecdsa.handle, nullptr, BCRYPT_ECCPUBLIC_BLOB, &publicKey.handle,
                                                 blob.data(), static_cast<ULONG>(blob.size()), 0)))
        return SignatureCheck::Invalid;
    const NTSTATUS verified = BCryptVerifySignature(publicKey.handle, nullptr, digest.data(),
                                                    static_cast<ULONG>(digest.size()), signature.data(),
                                                    static_cast<ULONG>(signature.size()), 0);
    return Ok(verified) ? SignatureCheck::Valid : SignatureCheck::Invalid;
}
