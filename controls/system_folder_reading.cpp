#include "controls/system_folder_reading.h"

#include <windows.h>

#include <algorithm>

#include "links/link_targets.h"
#include "platform/files.h"
#include "platform/handles.h"

namespace {
// Folders nested past the classic path limit are read through the long form of their path.
std::wstring ReadablePath(const std::wstring& path) {
    const std::wstring system = FileSystemPath(path);
    return system.size() >= MAX_PATH - 12 && system.rfind(L"\\\\", 0) != 0 ? L"\\\\?\\" + system : system;
}
}  // namespace

void SystemFolderReading::Search(const std::wstring& folder, bool whole, const Visit& visit) {
    // A large fetch pays for a whole listing, not for a probe that usually stops at its first entry.
    WIN32_FIND_DATAW find;
    FindHandle search(NullIfInvalid(FindFirstFileExW((ReadablePath(folder) + L"*").c_str(), FindExInfoBasic, &find,
                                                     FindExSearchNameMatch, nullptr,
                                                     whole ? FIND_FIRST_EX_LARGE_FETCH : 0)));
    if (!search) return;
    do {
        if (!visit(find.cFileName, find.dwFileAttributes)) return;
    } while (FindNextFileW(search.Get(), &find));
}

std::wstring SystemFolderReading::LinkTargetFolder(const std::wstring& path, std::uint32_t knownAttributes) {
    return ::LinkTargetFolder(path, knownAttributes);
}

bool SystemFolderReading::IsRemovableRoot(const std::wstring& root) { return ::IsRemovableRoot(root); }

std::string SystemFolderReading::SortKey(const std::wstring& name) {
    // Sort keys compared as bytes give the order CompareString gives.
    const int length = static_cast<int>(name.size());
    const int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(), length, nullptr, 0);
    std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(), length,
                     reinterpret_cast<wchar_t*>(key.data()), size);
    return key;
}

std::uint32_t SystemFolderReading::Attributes(const std::wstring& path) {
    QuietErrorMode quiet;
    return GetFileAttributesW(ReadablePath(path).c_str());
}

std::vector<FolderReading::Drive> SystemFolderReading::Drives() {
    QuietErrorMode quiet;
    std::vector<Drive> drives;
    const DWORD present = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(present & (1u << (letter - L'A')))) continue;
        const std::wstring root = std::wstring(1, letter) + L":\\";
        const UINT type = GetDriveTypeW(root.c_str());
        if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR) drives.push_back({root, type == DRIVE_FIXED});
    }
    return drives;
}
