#include "update/run_folder.h"

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>

#include <cstring>
#include <vector>

#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/system_library.h"
#include "platform/win_error.h"

namespace {

std::wstring TempBase(const std::wstring& base) {
    if (!base.empty()) return WithTrailingBackslash(base);
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH, path);
    if (length == 0 || length > MAX_PATH) ThrowLastError();
    return WithTrailingBackslash(path);
}

struct LocalMemory {
    void* memory = nullptr;
    ~LocalMemory() {
        if (memory) LocalFree(memory);
    }
};

bool OwnedBy(const std::wstring& path, PSID user) {
    PSID owner = nullptr;
    LocalMemory descriptor;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(&descriptor.memory)) != ERROR_SUCCESS)
        return false;
    return owner && EqualSid(owner, user);
}

}  // namespace

std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) ThrowLastError();
    FileHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) ThrowLastError();
    LocalMemory text;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                reinterpret_cast<LPWSTR*>(&text.memory)))
        ThrowLastError();
    return static_cast<const wchar_t*>(text.memory);
}

std::wstring MakeRunFolder(const std::wstring& base) {
    const std::wstring parent = TempBase(base);
    const std::wstring user = CurrentUserSid();
    // Protected: nothing is inherited from a temporary folder that others may write to.
    const std::wstring sddl = L"O:" + user + L"D:P(A;OICI;FA;;;" + user + L")(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
    LocalMemory descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor.memory,
                                                              nullptr))
        ThrowLastError();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor.memory, FALSE};
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[4] = {};
        static const auto generateRandom =
            SystemFunction<decltype(&::BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
        // Without it the names are tried in order: each folder is still made new.
        if (!generateRandom || generateRandom(nullptr, random, sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG) < 0)
            std::memcpy(random, &attempt, sizeof random);
        wchar_t name[32];
        swprintf(name, 32, L"%ls%02X%02X%02X%02X", kRunFolderPrefix, random[0], random[1], random[2], random[3]);
        const std::wstring folder = parent + name + L"\\";
        if (CreateDirectoryW(folder.c_str(), &security)) {
            // Set again by name: not every file system keeps what the creation carried.
            SetFileSecurityW(folder.c_str(),
                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             descriptor.memory);
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError();
    }
    ThrowError(ERROR_ALREADY_EXISTS);
}

void RemoveRunFolder(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    FindHandle search(NullIfInvalid(FindFirstFileW((folder + L"*").c_str(), &found)));
    if (search) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A junction or link is removed as the link it is, never entered.
                FileHandle link(NullIfInvalid(CreateFileW(
                    path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_DELETE_ON_CLOSE, nullptr)));
            } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveRunFolder(path + L"\\");
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search.Get(), &found));
    }
    search.Reset();
    RemoveDirectoryW(folder.substr(0, folder.size() - 1).c_str());
}

void RemoveStaleRunFolders(ULONGLONG olderThan, const std::wstring& base) {
    const std::wstring parent = TempBase(base);
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return;
    FileHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size ? size : 1);
    if (!GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;

    WIN32_FIND_DATAW found;
    FindHandle search(NullIfInvalid(FindFirstFileW((parent + kRunFolderPrefix + L"*").c_str(), &found)));
    if (!search) return;
    do {
        const std::wstring path = parent + found.cFileName;
        const ULONGLONG made = (ULONGLONG{found.ftCreationTime.dwHighDateTime} << 32) | found.ftCreationTime.dwLowDateTime;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            made >= olderThan || !OwnedBy(path, sid))
            continue;
        RemoveRunFolder(path + L"\\");
    } while (FindNextFileW(search.Get(), &found));
}
