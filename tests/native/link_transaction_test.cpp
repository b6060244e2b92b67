#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "links/link_transaction.h"
#include "platform/path_text.h"
#include "platform/platform_error.h"
#include "platform/utf.h"

namespace {

// Folders end with a backslash; each step named in failAt fails the first time it is taken.
struct MemoryFiles : LinkFileSystem {
    std::map<std::wstring, std::string> items;
    std::vector<std::wstring> failAt;

    bool Fails(const wchar_t* step) {
        const auto at = std::find(failAt.begin(), failAt.end(), step);
        if (at == failAt.end()) return false;
        failAt.erase(at);
        return true;
    }
    void Step(const wchar_t* step) {
        if (Fails(step)) throw PlatformError(L"Fehler", 5);
    }
    struct File : NewFile {
        MemoryFiles& files;
        std::wstring path;
        std::string written;
        File(MemoryFiles& f, std::wstring p) : files(f), path(std::move(p)) {}
        void Write(const std::string& bytes) override {
            files.items[path] = bytes.substr(0, bytes.size() / 2);  // a write stops halfway when it fails
            files.Step(L"write");
            written = bytes;
        }
        void Flush() override {
            files.Step(L"flush");
            files.items[path] = written;
        }
    };
    bool IsFile(const std::wstring& p) override { return p.back() != L'\\' && items.count(p); }
    bool IsFolder(const std::wstring& p) override { return items.count(WithTrailingBackslash(p)) > 0; }
    std::vector<std::wstring> Entries(const std::wstring& folder) override {
        std::vector<std::wstring> names;
        for (const auto& [path, bytes] : items)
            if (path.size() > folder.size() && path.rfind(folder, 0) == 0) names.push_back(path.substr(folder.size()));
        return names;
    }
    std::unique_ptr<NewFile> Create(const std::wstring& p) override {
        Step(L"create");
        items[p];
        return std::make_unique<File>(*this, p);
    }
    void Swap(const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) override {
        if (Fails(L"swap halfway")) {
            Rename(file, backup);
            throw PlatformError(L"Fehler", kSwapHalfDone);
        }
        Step(L"swap");
        Rename(file, backup);
        Rename(replacement, file);
    }
    void Rename(const std::wstring& from, const std::wstring& to) {
        items[to] = items.at(from);
        items.erase(from);
    }
    void Move(const std::wstring& from, const std::wstring& to) override {
        Step(from.find(L".zw-alt") != std::wstring::npos ? L"give back" : L"move");
        Rename(from, to);
    }
    void Remove(const std::wstring& file) override {
        Step(L"delete");
        items.erase(file);
    }
    void MakeFolder(const std::wstring& folder) override { items[folder]; }
    void RemoveFolder(const std::wstring& folder) override { items.erase(folder); }
    void WriteFolderLinkIni(const std::wstring& folder) override {
        Step(L"ini");
        items[folder + L"Desktop.ini"] = "ini";
    }
    void MarkFolderLink(const std::wstring&) override {}
};

const std::map<std::wstring, std::string> kDisk = {
    {L"C:\\M\\", ""},          {L"C:\\M\\Alt.lnk", "ALT"},       {L"C:\\M\\Fremd.txt", "fremd"},
    {L"C:\\M\\Ordner\\", ""},  {L"C:\\M\\Ordner\\Desktop.ini", "ini"}, {L"C:\\M\\Ordner\\target.lnk", "ALT"},
    {L"C:\\M\\Ordner\\Eigene Datei.txt", "eigen"},
};

TEST(LinkTransaction, EitherTheOldOrTheNewLinkIsWholeAndNothingElseIsTouched) {
    const LinkWrite newLink{LinkKind::ShellLink, L"C:\\M\\Neu.lnk", "NEU", L""};
    const LinkWrite overwrite{LinkKind::ShellLink, L"C:\\M\\Alt.lnk", "NEU", L""};
    const LinkWrite editDeleting{LinkKind::ShellLink, L"C:\\M\\Neu.lnk", "NEU", L"C:\\M\\Ordner"};
    const LinkWrite editKeeping{LinkKind::ShellLink, L"C:\\M\\Alt.lnk", "NEU", L""};
    const LinkWrite folderLinkInPlace{LinkKind::FolderLink, L"C:\\M\\Ordner\\target.lnk", "NEU", L"C:\\M\\Ordner"};
    const LinkWrite newFolderLink{LinkKind::FolderLink, L"C:\\M\\Leer\\target.lnk", "NEU", L"C:\\M\\Alt.lnk"};
    const struct {
        const char* name;
        const LinkWrite& write;
        std::vector<std::wstring> failAt;
        bool written;
        std::wstring note;  // where a note says something stays
    } rows[] = {
        {"new link", newLink, {}, true, L""},
        {"new link, write", newLink, {L"write"}, false, L""},
        {"new link, flush", newLink, {L"flush"}, false, L""},
        {"new link, move in", newLink, {L"move"}, false, L""},
        {"new link, move in and removing what it wrote", newLink, {L"move", L"delete"}, false, L""},
        {"overwrite, swap", overwrite, {L"swap"}, false, L""},
        {"overwrite, swap halfway", overwrite, {L"swap halfway"}, false, L""},
        {"overwrite, swap halfway and give back", overwrite, {L"swap halfway", L"give back"}, false, L"Alt.lnk.zw-alt"},
        {"overwrite, removing the old", overwrite, {L"delete"}, true, L"Alt.lnk.zw-alt"},
        {"edit deleting a folder link with a user file", editDeleting, {}, true, L"Ordner."},
        {"edit deleting, its Desktop.ini", editDeleting, {L"delete"}, true, L""},
        {"edit keeping the old, flush", editKeeping, {L"flush"}, false, L""},
        {"folder link in place", folderLinkInPlace, {}, true, L"Ordner."},
        {"folder link in place, swap", folderLinkInPlace, {L"swap"}, false, L""},
        {"new folder link, Desktop.ini", newFolderLink, {L"ini"}, false, L""},
        {"new folder link, write", newFolderLink, {L"write"}, false, L""},
        {"new folder link replacing a link", newFolderLink, {}, true, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryFiles files;
        files.items = kDisk;
        files.failAt = row.failAt;
        const LinkWriteResult result = WriteLinkTransaction(files, row.write);

        const std::wstring& file = row.write.file;
        const bool folderLink = row.write.kind == LinkKind::FolderLink;
        const std::wstring folder = FolderPart(file);
        EXPECT_EQ(result.written, row.written);
        EXPECT_EQ(result.error.empty(), row.written);
        if (row.written)
            EXPECT_EQ(files.items.at(file), "NEU");
        else if (kDisk.count(file) && row.note.empty())
            EXPECT_EQ(files.items.at(file), "ALT");
        else if (!kDisk.count(file))
            EXPECT_FALSE(files.IsFile(file) || (folderLink && files.IsFolder(folder)));
        ASSERT_EQ(result.notes.size(), row.note.empty() ? 0u : 1u);
        if (!row.note.empty()) { EXPECT_NE(result.notes[0].find(row.note), std::wstring::npos) << Utf8FromWide(result.notes[0]); }

        // Everything else is as it was, but for the replaced link's own files once the new one is in.
        const bool replacedGoes = row.written && row.failAt.empty() && !row.write.replaced.empty() &&
                                  !SameText(WithTrailingBackslash(row.write.replaced), folder);
        for (const auto& [path, bytes] : kDisk) {
            const bool own = path.rfind(row.write.replaced, 0) == 0 && !Contains(path, L' ');
            if (path == file || (replacedGoes && own)) continue;
            if (path.find(L".zw-alt") == std::wstring::npos)
                EXPECT_EQ(files.items.count(path) ? files.items.at(path) : "<weg>", bytes) << Utf8FromWide(path);
        }
        for (const auto& [path, bytes] : files.items) {
            const bool mine = path == file || (folderLink && row.written && path.rfind(folder, 0) == 0);
            const bool kept = path.find(L".zw-") != std::wstring::npos &&
                              (!row.note.empty() || std::count(row.failAt.begin(), row.failAt.end(), L"delete"));
            if (!kDisk.count(path)) { EXPECT_TRUE(mine || kept) << "left behind: " << Utf8FromWide(path); }
        }
    }
}

}  // namespace
