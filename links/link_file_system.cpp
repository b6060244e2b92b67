#include "links/link_file_system.h"

#include <windows.h>

#include "links/folder_links.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/win_error.h"

namespace {
class SystemNewFile : public LinkFileSystem::NewFile {
public:
    explicit SystemNewFile(const std::wstring& path)
        : file_(NullIfInvalid(CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr))) {
        if (!file_) ThrowLastError();
    }
    void Write(const std::string& bytes) override {
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            ThrowLastError();
    }
    void Flush() override {
        if (!FlushFileBuffers(file_.Get())) ThrowLastError();
    }

private:
    FileHandle file_;
};

// Runs change with the read-only attribute of path lifted, and puts it back if change fails.
template <typename Change>
void WithoutReadOnly(const std::wstring& path, DWORD attributes, Change change) {
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    try {
        change();
    } catch (...) {
        if (readOnly) SetFileAttributesW(path.c_str(), attributes);
        throw;
    }
}
}  // namespace

bool SystemLinkFiles::IsFile(const std::wstring& path) { return FileExists(path); }
bool SystemLinkFiles::IsFolder(const std::wstring& path) { return DirectoryExists(path); }

std::vector<std::wstring> SystemLinkFiles::Entries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    FindHandle search(NullIfInvalid(FindFirstFileW(FileSystemPath(folder + L"*").c_str(), &found)));
    if (!search) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
        ThrowLastError();
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

std::unique_ptr<LinkFileSystem::NewFile> SystemLinkFiles::Create(const std::wstring& path) {
    return std::make_unique<SystemNewFile>(path);
}

void SystemLinkFiles::Swap(const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) {
    const DWORD attributes = AttributesOf(file);
    WithoutReadOnly(file, attributes, [&] {
        if (!ReplaceFileW(FileSystemPath(file).c_str(), FileSystemPath(replacement).c_str(),
                          FileSystemPath(backup).c_str(), REPLACEFILE_WRITE_THROUGH, nullptr, nullptr))
            ThrowLastError();
    });
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(FileSystemPath(file).c_str(), attributes);
}

void SystemLinkFiles::Move(const std::wstring& from, const std::wstring& to) {
    if (!MoveFileExW(FileSystemPath(from).c_str(), FileSystemPath(to).c_str(), MOVEFILE_WRITE_THROUGH))
        ThrowLastError();
}

void SystemLinkFiles::Remove(const std::wstring& file) {
    WithoutReadOnly(file, AttributesOf(file), [&] {
        if (!DeleteFileW(FileSystemPath(file).c_str())) ThrowLastError();
    });
}

void SystemLinkFiles::MakeFolder(const std::wstring& folder) {
    if (!CreateDirectoryW(FileSystemPath(folder).c_str(), nullptr)) ThrowLastError();
}

void SystemLinkFiles::RemoveFolder(const std::wstring& folder) {
    WithoutReadOnly(folder, AttributesOf(folder), [&] {
        if (!RemoveDirectoryW(FileSystemPath(folder).c_str())) ThrowLastError();
    });
}

void SystemLinkFiles::WriteFolderLinkIni(const std::wstring& folder) { WriteFolderLinkDesktopIni(folder); }

void SystemLinkFiles::MarkFolderLink(const std::wstring& folder) {
    SetAttributes(folder + L"Desktop.ini", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(LinkFileName(folder, LinkKind::FolderLink), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder, FILE_ATTRIBUTE_READONLY);
}
