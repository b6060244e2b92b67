#include "links/link_targets.h"

#include "links/link_kind.h"
#include "links/folder_links.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/path_text.h"

namespace {
// A link target counts when it is a folder, or a drive root that may just lack its medium.
std::wstring FolderOfTarget(const std::wstring& target) {
    if (target.empty()) return {};
    const std::wstring folder = WithTrailingBackslash(target);
    if (IsRemovableRoot(folder) || DirectoryExists(folder)) return folder;
    return {};
}
}  // namespace

bool IsRemovableRoot(const std::wstring& path) {
    if (!IsDriveRootPath(path)) return false;
    const UINT type = GetDriveTypeW(path.c_str());
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
}

std::wstring LinkTargetFolder(const std::wstring& path, DWORD knownAttributes) {
    switch (LinkKindOfPath(path)) {
        case LinkKind::None: return {};
        case LinkKind::ShellLink: {
            const std::wstring file = WithoutTrailingBackslash(path);
            if (knownAttributes == INVALID_FILE_ATTRIBUTES ? !FileExists(file)
                                                           : (knownAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
                return {};
            return FolderOfTarget(LinkTargetPath(file));
        }
        case LinkKind::FolderLink: return FolderLinkTarget(path, knownAttributes);
        case LinkKind::InternetShortcut: return {};  // a web address is no folder
    }
    return {};
}
