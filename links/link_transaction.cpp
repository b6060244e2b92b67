#include "links/link_transaction.h"

#include "platform/path_text.h"
#include "platform/platform_error.h"

namespace {
constexpr const wchar_t* kIniName = L"Desktop.ini";

std::wstring FreeName(LinkFileSystem& files, const std::wstring& base) {
    std::wstring name = base;
    for (int i = 1; files.IsFile(name) || files.IsFolder(name); ++i) name = base + std::to_wstring(i);
    return name;
}

std::wstring StayedNote(const std::wstring& what, const std::wstring& where) {
    return what + L" liegt jetzt unter " + where + L".";
}

std::wstring FilesStayNote(const std::wstring& folder) {
    return L"Die Dateien, die nicht zur Verknüpfung gehören, liegen weiterhin im Ordner " +
           WithoutTrailingBackslash(folder) + L".";
}

bool IsOwnFile(const std::wstring& name) {
    return SameText(name, kIniName) || SameText(name, L"target.lnk");
}

bool HoldsOthers(LinkFileSystem& files, const std::wstring& folder) {
    for (const std::wstring& name : files.Entries(folder))
        if (!IsOwnFile(name)) return true;
    return false;
}

bool SameLink(const std::wstring& a, const std::wstring& b) {
    return SameText(WithoutTrailingBackslash(a), WithoutTrailingBackslash(b));
}

// What this write made before the link file itself, taken back when it fails.
struct MadeFirst {
    bool folder = false, ini = false;
};

void TakeBack(LinkFileSystem& files, const std::wstring& folder, const MadeFirst& made) {
    try {
        if (made.ini) files.Remove(folder + kIniName);
        if (made.folder && files.Entries(folder).empty()) files.RemoveFolder(folder);
    } catch (const PlatformError&) {
    }
}

// The new link file in place of file; the old one, if any, gone only once the new one is there.
void PutInPlace(LinkFileSystem& files, const std::wstring& file, const std::string& bytes,
                LinkWriteResult& result) {
    const std::wstring fresh = FreeName(files, file + L".zw-neu");
    try {
        auto made = files.Create(fresh);
        made->Write(bytes);
        made->Flush();
    } catch (const PlatformError&) {
        try {
            files.Remove(fresh);
        } catch (const PlatformError&) {
        }
        throw;
    }
    try {
        if (!files.IsFile(file)) {
            files.Move(fresh, file);
            return;
        }
        const std::wstring backup = FreeName(files, file + L".zw-alt");
        try {
            files.Swap(file, fresh, backup);
        } catch (const PlatformError& error) {
            if (error.Code() != LinkFileSystem::kSwapHalfDone) throw;
            try {
                files.Move(backup, file);
            } catch (const PlatformError&) {
                result.notes.push_back(StayedNote(L"Die bisherige Verknüpfung " + file, backup));
            }
            throw;
        }
        try {
            files.Remove(backup);  // the old link, which the user agreed to replace
        } catch (const PlatformError&) {
            result.notes.push_back(StayedNote(L"Die bisherige Verknüpfung " + file, backup));
        }
    } catch (const PlatformError&) {
        try {
            files.Remove(fresh);
        } catch (const PlatformError&) {
        }
        throw;
    }
}

void RemoveReplaced(LinkFileSystem& files, const std::wstring& replaced, LinkWriteResult& result) {
    try {
        if (LinkKindOfPath(replaced) != LinkKind::FolderLink) {
            files.Remove(replaced);
            return;
        }
        const std::wstring folder = WithTrailingBackslash(replaced);
        for (const std::wstring& name : files.Entries(folder))
            if (IsOwnFile(name)) files.Remove(folder + name);
        if (!files.Entries(folder).empty()) {
            result.notes.push_back(FilesStayNote(folder));
            return;
        }
        files.RemoveFolder(folder);
    } catch (const PlatformError&) {
        // The edited link stays as it was; nothing of the user's is lost.
    }
}
}  // namespace

LinkWriteResult WriteLinkTransaction(LinkFileSystem& files, const LinkWrite& write) {
    LinkWriteResult result;
    const bool folderLink = write.kind == LinkKind::FolderLink;
    const std::wstring& file = write.file;
    const std::wstring folder = FolderPart(file);
    MadeFirst made;
    try {
        if (folderLink) {
            made.folder = !files.IsFolder(folder);
            if (made.folder) files.MakeFolder(folder);
            made.ini = !files.IsFile(folder + kIniName);
            files.WriteFolderLinkIni(folder);
        }
        PutInPlace(files, file, write.bytes, result);
        if (folderLink) files.MarkFolderLink(folder);
    } catch (const PlatformError& error) {
        if (folderLink) TakeBack(files, folder, made);
        result.error = error.Message();
        return result;
    }
    result.written = true;
    if (write.replaced.empty()) return result;
    if (SameLink(write.replaced, folderLink ? folder : file)) {
        if (folderLink && HoldsOthers(files, folder)) result.notes.push_back(FilesStayNote(folder));
    } else {
        RemoveReplaced(files, write.replaced, result);
    }
    return result;
}
