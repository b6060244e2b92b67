#include "links/link_kind.h"

#include "platform/path_text.h"

LinkKind LinkFileKind(const std::wstring& path) {
    const std::wstring extension = ExtensionOf(path);
    for (LinkKind kind : {LinkKind::ShellLink, LinkKind::InternetShortcut})
        if (SameText(extension, LinkFileExtension(kind))) return kind;
    return LinkKind::None;
}

LinkKind LinkKindOfPath(const std::wstring& path) {
    if (path.size() <= 3) return LinkKind::None;
    const std::wstring bare = WithoutTrailingBackslash(path);
    return ExtensionOf(bare).empty() ? LinkKind::FolderLink : LinkFileKind(bare);
}

LinkKind LinkKindOfEntry(const std::wstring& name, bool folder, bool readOnly) {
    if (!folder) return LinkFileKind(name);
    return readOnly && name.find(L'.') == std::wstring::npos ? LinkKind::FolderLink : LinkKind::None;
}

std::wstring LinkFileName(const std::wstring& location, LinkKind kind) {
    if (kind == LinkKind::FolderLink) return WithTrailingBackslash(location) + L"target.lnk";
    return location + LinkFileExtension(kind);
}

std::wstring EditedLinkFile(const std::wstring& path) {
    return LinkKindOfPath(path) == LinkKind::FolderLink ? LinkFileName(path, LinkKind::FolderLink) : path;
}

const wchar_t* LinkFileExtension(LinkKind kind) {
    switch (kind) {
        case LinkKind::ShellLink: return L".lnk";
        case LinkKind::InternetShortcut: return L".url";
        case LinkKind::FolderLink:
        case LinkKind::None: break;
    }
    return L"";
}
