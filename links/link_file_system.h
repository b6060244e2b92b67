#pragma once
#include "links/link_transaction.h"

// The file system of this machine for the link transaction: files written with write-through,
// swapped in with ReplaceFileW, renamed with MoveFileExW, never replacing what it did not ask for.
class SystemLinkFiles : public LinkFileSystem {
public:
    bool IsFile(const std::wstring& path) override;
    bool IsFolder(const std::wstring& path) override;
    std::vector<std::wstring> Entries(const std::wstring& folder) override;
    std::unique_ptr<NewFile> Create(const std::wstring& path) override;
    void Swap(const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) override;
    void Move(const std::wstring& from, const std::wstring& to) override;
    void Remove(const std::wstring& file) override;
    void MakeFolder(const std::wstring& folder) override;
    void RemoveFolder(const std::wstring& folder) override;
    void WriteFolderLinkIni(const std::wstring& folder) override;
    void MarkFolderLink(const std::wstring& folder) override;
};
