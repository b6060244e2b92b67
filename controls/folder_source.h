#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/directory_rules.h"

// One child a folder node shows: a folder, a folder link or a link file to a folder.
struct FolderChild {
    std::wstring name;        // exactly as the folder search returns it
    std::wstring linkTarget;  // the folder a link points to (trailing backslash); empty for a folder
    bool empty = false;       // opening it would show nothing
    DWORD attributes = 0;     // as the search found it
};

// What the tree reads from the file system when a node opens, without a window: one search of
// the folder and one emptiness probe per child, never more.
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

    explicit FolderSource(std::uint32_t attributesToFind = directory_attributes::kAll)
        : attributes_(attributesToFind) {}
    std::uint32_t AttributesToFind() const { return attributes_; }
    void SetAttributesToFind(std::uint32_t attributes) { attributes_ = attributes; }

    // The children of folder (trailing backslash) that a node shows, sorted as the user's locale
    // sorts names without regard to case; empty when the folder cannot be read.
    std::vector<FolderChild> Children(const std::wstring& folder, const AddingQuestion& ask = {});
    // True when opening path (a folder, a drive root or a link to a folder) would show nothing.
    // A removable or CD-ROM root is never touched: it may have a medium later.
    bool IsEmpty(const std::wstring& path);

    const Work& Done() const { return work_; }
    void ResetWork() { work_ = {}; }

private:
    bool FolderIsEmpty(const std::wstring& folder);
    std::uint32_t attributes_;
    Work work_;
};

// Sorts names as the folder source does (locale order, case ignored), keeping equal names in order.
void SortByName(std::vector<FolderChild>& children);
