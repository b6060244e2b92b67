#pragma once
#include "controls/folder_source.h"

// The folder source's reading of the real file system: directory searches, links, drive types
// and the user's locale.
class SystemFolderReading : public FolderReading {
public:
    void Search(const std::wstring& folder, bool whole, const Visit& visit) override;
    std::wstring LinkTargetFolder(const std::wstring& path, std::uint32_t knownAttributes) override;
    bool IsRemovableRoot(const std::wstring& root) override;
    std::string SortKey(const std::wstring& name) override;
    std::uint32_t Attributes(const std::wstring& path) override;
    std::vector<Drive> Drives() override;
};
