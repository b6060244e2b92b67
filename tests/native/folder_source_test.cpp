#include <gtest/gtest.h>

#include "platform/utf.h"
#include "tests/native/memory_folders.h"

namespace {
using namespace directory_attributes;

struct Shown {
    std::wstring name;
    bool link;
    bool empty;
    bool operator==(const Shown&) const = default;
};

const std::wstring list = L"C:\\Liste\\", target = L"C:\\Ziel\\";

// One disk for every rule: folders of each attribute, link files, a folder link, a link to a
// removable drive and a broken link.
MemoryFolders ListDisk() {
    MemoryFolders disk;
    disk.folders[L"C:\\"] = {{L"Liste", kDirectory}, {L"Ziel", kDirectory}, {L"Ziel 2", kDirectory}};
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
    disk.folders[list + L"versteckt\\"] = {{L"innen", kDirectory}};
    disk.folders[list + L"System\\"] = {};
    disk.folders[list + L"f\\"] = {{L"Desktop.ini", kArchive | kHidden}};
    disk.folders[list + L"alt\\"] = {{L"innen", kDirectory | kHidden}};
    disk.links.insert({{list + L"c.lnk", target}, {list + L"f", L"C:\\Ziel 2\\"}, {list + L"Stick.LNK", L"E:\\"},
                  {list + L"leer\\d.lnk", L""}});
    disk.removableRoots = {L"E:\\"};
    return disk;
}

TEST(FolderSource, ListsWhatANodeShowsReadingEachFolderOnce) {
    MemoryFolders disk = ListDisk();
    const Shown alt{L"alt", false, false}, link{L"c.lnk", true, false}, folderLink{L"f", true, false},
        empty{L"leer", false, true}, stick{L"Stick.LNK", true, false}, system{L"System", false, true},
        hidden{L"versteckt", false, false}, full{L"Voll", false, false}, altHiddenOnly{L"alt", false, true};
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

TEST(FolderSource, NodePathsResolveLinksAndOnlyShownFoldersAreSelected) {
    MemoryFolders disk = ListDisk();
    FolderSource source(disk);
    struct Case {
        std::vector<std::wstring> captions;
        bool keepOwnLink;
        std::wstring path;
    };
    const Case cases[] = {
        {{}, false, L"C:\\"},
        {{L"Liste", L"Voll"}, false, list + L"Voll\\"},
        {{L"Liste", L"c.lnk"}, false, target},
        {{L"Liste", L"c.lnk"}, true, list + L"c.lnk"},
        {{L"Liste", L"c.lnk", L"innen"}, true, target + L"innen\\"},
        {{L"Liste", L"c"}, true, list + L"c.lnk"},  // a caption without its ".lnk"
        {{L"Liste", L"f"}, false, L"C:\\Ziel 2\\"},
        {{L"Liste", L"f"}, true, list + L"f\\"},
        {{L"Liste", L"f", L"b.lnk", L"innen"}, false, target + L"innen\\"},
        {{L"Fehlt", L"Auch"}, false, L"C:\\Fehlt\\Auch\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(source.NodePath(L"C:\\", c.captions, c.keepOwnLink), c.path) << Utf8FromWide(c.path);
    EXPECT_EQ(source.NodePath(L"", {L"a"}, false), L"") << "a root without its path";

    const std::pair<std::wstring, bool> shown[] = {
        {list + L"Voll", true},          {list + L"c.lnk", true},  {list + L"f\\", true},
        {list + L"versteckt\\innen", true}, {list + L"e.txt", false}, {list + L"leer\\d.lnk", false},
        {list + L"fehlt", false},
    };
    for (const auto& [path, can] : shown) EXPECT_EQ(source.CanShow(path), can) << Utf8FromWide(path);
    source.SetAttributesToFind(kDirectory);
    EXPECT_FALSE(source.CanShow(list + L"versteckt\\innen")) << "a hidden folder on the way hides it";
    EXPECT_TRUE(source.CanShow(list + L"f")) << "a read-only folder link never hides";
    EXPECT_EQ(source.TargetFolder(list + L"f"), L"C:\\Ziel 2\\");
    EXPECT_EQ(source.TargetFolder(list + L"Voll\\"), list + L"Voll\\");
}

}  // namespace
