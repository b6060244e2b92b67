#include "controls/directory_links.h"

#include "controls/directory_rules.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"

namespace {
constexpr const wchar_t* kShellClassInfo = L".ShellClassInfo";
constexpr const wchar_t* kFolderLinkClass = L"{0AFACED1-E828-11D1-9187-B532F1E9575D}";

// A link target counts when it is a folder, or a drive root that may just lack its medium.
std::wstring FolderOfTarget(const std::wstring& target) {
    if (target.empty()) return {};
    const std::wstring folder = WithTrailingBackslash(target);
    if (IsRemovableRoot(folder) || DirectoryExists(folder)) return folder;
    return {};
}
}  // namespace

std::wstring LinkFileTargetPath(const std::wstring& linkFile) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return {};
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)) || FAILED(file->Load(linkFile.c_str(), STGM_READ))) return {};
    wchar_t target[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY))) return {};
    return target;
}

bool IsRemovableRoot(const std::wstring& path) {
    if (!IsDriveRootPath(path)) return false;
    const UINT type = GetDriveTypeW(path.c_str());
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

std::wstring LinkTargetFolder(const std::wstring& path, DWORD knownAttributes) {
    switch (ClassifyLinkPath(path)) {
        case LinkPathKind::None: return {};
        case LinkPathKind::LinkFile: {
            const std::wstring file = WithoutTrailingBackslash(path);
            if (knownAttributes == INVALID_FILE_ATTRIBUTES ? !FileExists(file)
                                                           : (knownAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                return {};
            return FolderOfTarget(LinkFileTargetPath(file));
        }
        case LinkPathKind::FolderLinkCandidate: break;
    }
    const DWORD attributes = knownAttributes != INVALID_FILE_ATTRIBUTES ? knownAttributes : AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY)) return {};
    const std::wstring folder = WithTrailingBackslash(path);
    const std::wstring ini = folder + L"Desktop.ini";
    const std::wstring linkFile = folder + L"target.lnk";
    if (!FileExists(ini) || !FileExists(linkFile)) return {};
    wchar_t classId[64] = {};
    GetPrivateProfileStringW(kShellClassInfo, L"CLSID2", L"", classId, 64, ini.c_str());
    if (std::wstring(classId) != kFolderLinkClass) return {};
    if (GetPrivateProfileIntW(kShellClassInfo, L"Flags", 0, ini.c_str()) != 2) return {};
    const std::wstring target = WithTrailingBackslash(LinkFileTargetPath(linkFile));
    if (target == L"\\" || !DirectoryExists(target)) return {};
    return target;
}
