#include "update/signature.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "platform/handles.h"
#include "platform/system_library.h"
#include "update_key.h"

namespace {

bool Ok(NTSTATUS status) { return status >= 0; }

// The cryptography library is loaded when an update is checked, not while the program starts.
struct CngCalls {
    decltype(&::BCryptOpenAlgorithmProvider) BCryptOpenAlgorithmProvider = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) BCryptCloseAlgorithmProvider = nullptr;
    decltype(&::BCryptCreateHash) BCryptCreateHash = nullptr;
    decltype(&::BCryptHashData) BCryptHashData = nullptr;
    decltype(&::BCryptFinishHash) BCryptFinishHash = nullptr;
    decltype(&::BCryptDestroyHash) BCryptDestroyHash = nullptr;
    decltype(&::BCryptImportKeyPair) BCryptImportKeyPair = nullptr;
    decltype(&::BCryptVerifySignature) BCryptVerifySignature = nullptr;
    decltype(&::BCryptDestroyKey) BCryptDestroyKey = nullptr;
    bool loaded = false;
};

const CngCalls& Cng() {
    static const CngCalls cng = [] {
        CngCalls calls;
        const wchar_t* const library = L"bcrypt.dll";
        calls.loaded = FindSystemFunction(calls.BCryptOpenAlgorithmProvider, library, "BCryptOpenAlgorithmProvider") &
                       FindSystemFunction(calls.BCryptCloseAlgorithmProvider, library, "BCryptCloseAlgorithmProvider") &
                       FindSystemFunction(calls.BCryptCreateHash, library, "BCryptCreateHash") &
                       FindSystemFunction(calls.BCryptHashData, library, "BCryptHashData") &
                       FindSystemFunction(calls.BCryptFinishHash, library, "BCryptFinishHash") &
                       FindSystemFunction(calls.BCryptDestroyHash, library, "BCryptDestroyHash") &
                       FindSystemFunction(calls.BCryptImportKeyPair, library, "BCryptImportKeyPair") &
                       FindSystemFunction(calls.BCryptVerifySignature, library, "BCryptVerifySignature") &
                       FindSystemFunction(calls.BCryptDestroyKey, library, "BCryptDestroyKey");
        return calls;
    }();
    return cng;
}

struct Algorithm {
    BCRYPT_ALG_HANDLE handle = nullptr;
    explicit Algorithm(const wchar_t* name) {
        if (!Ok(Cng().BCryptOpenAlgorithmProvider(&handle, name, nullptr, 0))) handle = nullptr;
    }
    ~Algorithm() {
        if (handle) Cng().BCryptCloseAlgorithmProvider(handle, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
};

struct Hash {
    BCRYPT_HASH_HANDLE handle = nullptr;
    ~Hash() {
        if (handle) Cng().BCryptDestroyHash(handle);
    }
};

struct Key {
    BCRYPT_KEY_HANDLE handle = nullptr;
    ~Key() {
        if (handle) Cng().BCryptDestroyKey(handle);
    }
};

// SHA-256 of the file's bytes, read in blocks; false when it cannot be read.
bool HashFile(const std::wstring& file, std::array<UCHAR, 32>& digest) {
    FileHandle in(NullIfInvalid(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
    return in && FileSha256(in.Get(), digest);
}

}  // namespace

bool FileSha256(HANDLE file, std::array<std::uint8_t, 32>& digest) {
    if (!Cng().loaded) return false;
    Algorithm sha(BCRYPT_SHA256_ALGORITHM);
    Hash hash;
    if (!sha.handle || !Ok(Cng().BCryptCreateHash(sha.handle, &hash.handle, nullptr, 0, nullptr, 0, 0))) return false;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    std::vector<UCHAR> block(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) return false;
        if (got == 0) break;
        if (!Ok(Cng().BCryptHashData(hash.handle, block.data(), got, 0))) return false;
    }
    return Ok(Cng().BCryptFinishHash(hash.handle, digest.data(), static_cast<ULONG>(digest.size()), 0));
}

const UpdateKey& ReleaseUpdateKey() {
    static const UpdateKey key = [] {
        UpdateKey k{};
        for (std::size_t i = 0; i < k.size(); ++i) k[i] = kUpdateKeyXY[i];
        return k;
    }();
    return key;
}

SignatureCheck CheckDigestSignature(const std::array<std::uint8_t, 32>& digest, const std::wstring& signatureFile,
                                    const UpdateKey& key) {
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
    // Without the system's cryptography nothing can be shown to come from the maker.
    if (!Cng().loaded) return SignatureCheck::Invalid;

    std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key.size());
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    std::copy(key.begin(), key.end(), blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB));

    Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    Key publicKey;
    if (!ecdsa.handle || !Ok(Cng().BCryptImportKeyPair(ecdsa.handle, nullptr, BCRYPT_ECCPUBLIC_BLOB, &publicKey.handle,
                                                 blob.data(), static_cast<ULONG>(blob.size()), 0)))
        return SignatureCheck::Invalid;
    const NTSTATUS verified = Cng().BCryptVerifySignature(publicKey.handle, nullptr, const_cast<PUCHAR>(digest.data()),
                                                    static_cast<ULONG>(digest.size()), signature.data(),
                                                    static_cast<ULONG>(signature.size()), 0);
    return Ok(verified) ? SignatureCheck::Valid : SignatureCheck::Invalid;
}

SignatureCheck CheckFileSignature(const std::wstring& file, const std::wstring& signatureFile, const UpdateKey& key) {
    std::array<std::uint8_t, 32> digest{};
    if (Cng().loaded && !HashFile(file, digest)) {
        const DWORD attributes = GetFileAttributesW(signatureFile.c_str());
        return attributes == INVALID_FILE_ATTRIBUTES ? SignatureCheck::Missing : SignatureCheck::Invalid;
    }
    return CheckDigestSignature(digest, signatureFile, key);
}
