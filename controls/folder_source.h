#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/directory_rules.h"

// One child a folder node shows: a folder, a folder link or a link file to a folder.
struct FolderChild {
    std::wstring name;          // exactly as the folder search returns it
    std::wstring linkTarget;    // the folder a link points to (trailing backslash); empty for a folder
    bool empty = false;         // opening it would show nothing
    std::uint32_t attributes = 0;  // as the search found it
};

// What the folder source reads from the file system.
class FolderReading {
public:
    static constexpr std::uint32_t kUnknownAttributes = 0xFFFFFFFF;
    using Visit = std::function<bool(const wchar_t* name, std::uint32_t attributes)>;
    virtual ~FolderReading() = default;
    // Hands visit the entries of folder (trailing backslash), "." and ".." among them, until it
    // returns false; nothing when the folder cannot be read. whole: the whole listing is wanted,
    // where a probe usually stops at its first entries.
    virtual void Search(const std::wstring& folder, bool whole, const Visit& visit) = 0;
    // The folder (trailing backslash) a link file or folder link at path points to; empty for
    // anything else, an unreadable link among them.
    virtual std::wstring LinkTargetFolder(const std::wstring& path, std::uint32_t knownAttributes) = 0;
    // A removable or CD-ROM drive root: it may have a medium later.
    virtual bool IsRemovableRoot(const std::wstring& root) = 0;
    // A key whose byte order is the user's order of names, case ignored.
    virtual std::string SortKey(const std::wstring& name) = 0;
    // The attributes of a file or folder (with or without a trailing backslash); kUnknownAttributes
    // when there is none.
    virtual std::uint32_t Attributes(const std::wstring& path) = 0;
    // The machine's drive roots ("C:\") in letter order, and whether each is a fixed disk.
    struct Drive {
        std::wstring root;
        bool fixed = false;
    };
    virtual std::vector<Drive> Drives() = 0;
};

// What the tree reads when a node opens: one search of the folder and one emptiness probe per
// child, never more.
class FolderSource {
public:
    // Asked once per child before it is kept: directory with a trailing backslash; false leaves it out.
    using AddingQuestion = std::function<bool(const std::wstring& directory, bool empty, bool dirLink)>;

    // How much of the file system was read, and where the time went.
    struct Work {
        size_t searches = 0;  // folder listings
        size_t probes = 0;    // emptiness probes
        std::chrono::duration<double> listing{}, probing{}, asking{}, sorting{};
    };

    explicit FolderSource(FolderReading& reading, std::uint32_t attributesToFind = directory_attributes::kAll)
        : reading_(reading), attributes_(attributesToFind) {}
    std::uint32_t AttributesToFind() const { return attributes_; }
    void SetAttributesToFind(std::uint32_t attributes) { attributes_ = attributes; }

    // The children of folder (trailing backslash) that a node shows, sorted as the user's locale
    // sorts names without regard to case; empty when the folder cannot be read.
    std::vector<FolderChild> Children(const std::wstring& folder, const AddingQuestion& ask = {});
    // True when opening path (a folder, a drive root or a link to a folder) would show nothing.
    // A removable or CD-ROM root is never touched.
    bool IsEmpty(const std::wstring& path);

    // Whether path is an existing folder.
    bool IsFolder(const std::wstring& path);
    // The folder a link file or folder link at path points to; path itself for anything else.
    std::wstring TargetFolder(const std::wstring& path);
    // Whether the tree can show path: an existing folder that no folder on its way hides from
    // the search, or a link to a folder. Attributes that cannot be read never hide.
    bool CanShow(const std::wstring& path);
    // The path of the node under root with these captions, resolving links on the way: a
    // caption that is no existing folder stands for its link file ("x.lnk", or "x" + ".lnk" when
    // that is a link to a folder), and a link becomes the folder it points to, except the last
    // one when keepOwnLink is set.
    std::wstring NodePath(const std::wstring& root, const std::vector<std::wstring>& captions, bool keepOwnLink);

    const Work& Done() const { return work_; }
    void ResetWork() { work_ = {}; }

private:
    bool FolderIsEmpty(const std::wstring& folder);
    std::wstring LinkTarget(const std::wstring& folder, const wchar_t* name, std::uint32_t attributes);
    void SortByName(std::vector<FolderChild>& children);
    FolderReading& reading_;
    std::uint32_t attributes_;
    Work work_;
};
