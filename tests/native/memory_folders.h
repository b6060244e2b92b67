#pragma once
// A file system in memory for the folder tree's rules, counting how often each folder is searched.
#include <cwctype>
#include <map>
#include <set>

#include "controls/folder_source.h"

class MemoryFolders : public FolderReading {
public:
    struct Entry {
        std::wstring name;
        std::uint32_t attributes;
    };
    std::map<std::wstring, std::vector<Entry>> folders;  // folder with trailing backslash
    std::map<std::wstring, std::wstring> links;          // link path (no trailing backslash) -> target folder
    std::set<std::wstring> removableRoots;
    std::map<std::wstring, int> searched;

    void Search(const std::wstring& folder, bool, const Visit& visit) override {
        ++searched[folder];
        const auto found = folders.find(folder);
        if (found == folders.end()) return;
        for (const wchar_t* dot : {L".", L".."})
            if (!visit(dot, directory_attributes::kDirectory)) return;
        for (const Entry& entry : found->second)
            if (!visit(entry.name.c_str(), entry.attributes)) return;
    }
    std::wstring LinkTargetFolder(const std::wstring& path, std::uint32_t) override {
        const auto found = links.find(Bare(path));
        return found == links.end() ? std::wstring() : found->second;
    }
    bool IsRemovableRoot(const std::wstring& root) override { return removableRoots.contains(root); }
    std::string SortKey(const std::wstring& name) override {
        std::string key;
        for (wchar_t c : name) key += static_cast<char>(std::towlower(c));
        return key;
    }
    std::uint32_t Attributes(const std::wstring& path) override {
        const std::wstring bare = Bare(path);
        if (bare.size() == 2) return folders.contains(bare + L"\\") ? directory_attributes::kDirectory : kUnknownAttributes;
        const auto parent = folders.find(bare.substr(0, bare.find_last_of(L'\\') + 1));
        if (parent == folders.end()) return kUnknownAttributes;
        for (const Entry& entry : parent->second)
            if (entry.name == bare.substr(bare.find_last_of(L'\\') + 1)) return entry.attributes;
        return kUnknownAttributes;
    }
    std::vector<Drive> Drives() override { return {{L"C:\\", true}}; }

private:
    static std::wstring Bare(const std::wstring& path) {
        return path.size() > 3 && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
    }
};
