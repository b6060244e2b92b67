#include <gtest/gtest.h>

#include <cwctype>
#include <map>
#include <set>

#include "controls/folder_source.h"
#include "platform/utf.h"

namespace {
using namespace directory_attributes;

// A file system in memory that counts how often each folder is searched.
class MemoryFolders : public FolderReading {
public:
    struct Entry {
        std::wstring name;
        std::uint32_t attributes;
    };
    std::map<std::wstring, std::vector<Entry>> folders;  // folder with trailing backslash
    std::map<std::wstring, std::wstring> links;          // link path -> target folder
    std::set<std::wstring> removableRoots;
    std::map<std::wstring, int> searched;

    void Search(const std::wstring& folder, bool, const Visit& visit) override {
        ++searched[folder];
        const auto found = folders.find(folder);
        if (found == folders.end()) return;
        for (const wchar_t* dot : {L".", L".."})
            if (!visit(dot, kDirectory)) return;
        for (const Entry& entry : found->second)
            if (!visit(entry.name.c_str(), entry.attributes)) return;
    }
    std::wstring LinkTargetFolder(const std::wstring& path, std::uint32_t) override {
        const auto found = links.find(path);
        return found == links.end() ? std::wstring() : found->second;
    }
    bool IsRemovableRoot(const std::wstring& root) override { return removableRoots.contains(root); }
    std::string SortKey(const std::wstring& name) override {
        std::string key;
        for (wchar_t c : name) key += static_cast<char>(std::towlower(c));
        return key;
    }
};

struct Shown {
    std::wstring name;
    bool link;
    bool empty;
    bool operator==(const Shown&) const = default;
};

TEST(FolderSource, ListsWhatANodeShowsReadingEachFolderOnce) {
    const std::wstring list = L"C:\\Liste\\", target = L"C:\\Ziel\\";
    MemoryFolders disk;
    disk.folders[target] = {{L"innen", kDirectory}};
    disk.folders[L"C:\\Ziel 2\\"] = {{L"b.lnk", kArchive}};
    disk.links[L"C:\\Ziel 2\\b.lnk"] = target;
    disk.folders[list] = {{L"Voll", kDirectory},
                          {L"leer", kDirectory},
                          {L"versteckt", kDirectory | kHidden},
                          {L"System", kDirectory | kSystem},
                          {L"e.txt", kArchive},
                          {L"c.lnk", kArchive},
                          {L"d.lnk", kArchive},
                          {L"f", kDirectory | kReadOnly},
                          {L"Stick.LNK", kArchive},
                          {L"alt", kDirectory | kArchive}};
    disk.folders[list + L"Voll\\"] = {{L"x.txt", kArchive}, {L"innen", kDirectory}};
    disk.folders[list + L"leer\\"] = {{L"x.txt", kArchive}, {L"d.lnk", kArchive}};
    disk.folders[list + L"versteckt\\"] = {};
    disk.folders[list + L"System\\"] = {};
    disk.folders[list + L"f\\"] = {{L"Desktop.ini", kArchive | kHidden}};
    disk.folders[list + L"alt\\"] = {{L"innen", kDirectory | kHidden}};
    disk.links.insert({{list + L"c.lnk", target}, {list + L"f", L"C:\\Ziel 2\\"}, {list + L"Stick.LNK", L"E:\\"},
                  {list + L"leer\\d.lnk", L""}});
    disk.removableRoots = {L"E:\\"};

    const Shown alt{L"alt", false, false}, link{L"c.lnk", true, false}, folderLink{L"f", true, false},
        empty{L"leer", false, true}, stick{L"Stick.LNK", true, false}, system{L"System", false, true},
        hidden{L"versteckt", false, true}, full{L"Voll", false, false}, altHiddenOnly{L"alt", false, true};
    struct Case {
        const char* what;
        std::wstring folder;
        std::uint32_t mask;
        std::wstring refused;  // the owner leaves this name out
        std::vector<Shown> shown;
        size_t probes;  // a removable root is never probed
    };
    const Case cases[] = {
        {"every attribute", list, kAll, L"", {alt, link, folderLink, empty, stick, system, hidden, full}, 7},
        {"folders only", list, kDirectory, L"", {altHiddenOnly, link, folderLink, empty, stick, full}, 5},
        {"hidden too", list, kDirectory | kHidden, L"", {alt, link, folderLink, empty, stick, hidden, full}, 6},
        {"system too", list, kDirectory | kSystem, L"", {altHiddenOnly, link, folderLink, empty, stick, system, full}, 6},
        {"the owner refuses", list, kAll, L"leer", {alt, link, folderLink, stick, system, hidden, full}, 7},
        {"a vanished folder", list + L"weg\\", kAll, L"", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disk.searched.clear();
        FolderSource source(disk, c.mask);
        std::map<std::wstring, int> asked;
        const auto children = source.Children(c.folder, [&](const std::wstring& directory, bool, bool) {
            ++asked[directory];
            return directory != c.folder + c.refused + L"\\";
        });
        std::vector<Shown> shown;
        for (const FolderChild& child : children) shown.push_back({child.name, !child.linkTarget.empty(), child.empty});
        EXPECT_EQ(shown, c.shown);
        for (const auto& [directory, times] : asked) EXPECT_EQ(times, 1) << Utf8FromWide(directory);
        for (const auto& [folder, times] : disk.searched) EXPECT_EQ(times, 1) << Utf8FromWide(folder);
        EXPECT_EQ(source.Done().searches, 1u);
        EXPECT_EQ(source.Done().probes, c.probes);
    }
}

}  // namespace
