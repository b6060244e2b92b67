#include "controls/folder_source.h"

#include <algorithm>
#include <cwchar>

#include "links/link_kind.h"
#include "platform/path_text.h"

namespace {
using Clock = std::chrono::steady_clock;

bool IsDirectory(std::uint32_t attributes) { return (attributes & directory_attributes::kDirectory) != 0; }

// Whether an entry can be a link to a folder at all, as its name and attributes tell; everything
// else is known without reading anything.
bool MayBeLink(const wchar_t* name, std::uint32_t attributes) {
    return LinkKindOfEntry(name, IsDirectory(attributes), attributes & directory_attributes::kReadOnly) != LinkKind::None;
}
}  // namespace

std::wstring FolderSource::LinkTarget(const std::wstring& folder, const wchar_t* name, std::uint32_t attributes) {
    return MayBeLink(name, attributes) ? reading_.LinkTargetFolder(folder + name, attributes) : std::wstring();
}

void FolderSource::SortByName(std::vector<FolderChild>& children) {
    // One sort key per name, compared as bytes: the locale's rules run once per name, not once
    // per comparison.
    std::vector<std::pair<std::string, FolderChild*>> keyed;
    keyed.reserve(children.size());
    for (FolderChild& child : children) keyed.emplace_back(reading_.SortKey(child.name), &child);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<FolderChild> sorted;
    sorted.reserve(children.size());
    for (auto& [key, child] : keyed) sorted.push_back(std::move(*child));
    children = std::move(sorted);
}

std::vector<FolderChild> FolderSource::Children(const std::wstring& folder, const AddingQuestion& ask) {
    std::vector<FolderChild> children;
    auto start = Clock::now();
    ++work_.searches;
    reading_.Search(folder, true, [&](const wchar_t* name, std::uint32_t attributes) {
        if (!SearchAccepts(attributes, attributes_) || IsDotEntry(name)) return true;
        if (!IsDirectory(attributes) && !MayBeLink(name, attributes)) return true;
        if (!NamePassesFilter(name)) return true;
        std::wstring target = LinkTarget(folder, name, attributes);
        if (IsDirectory(attributes) || !target.empty()) children.push_back({name, std::move(target), false, attributes});
        return true;
    });
    auto now = Clock::now();
    work_.listing += now - start;
    start = now;

    for (FolderChild& child : children)
        child.empty = IsEmpty(child.linkTarget.empty() ? folder + child.name : child.linkTarget);
    now = Clock::now();
    work_.probing += now - start;
    start = now;

    if (ask) {
        std::erase_if(children, [&](const FolderChild& child) {
            return !ask(folder + child.name + L"\\", child.empty, !child.linkTarget.empty());
        });
        now = Clock::now();
        work_.asking += now - start;
        start = now;
    }
    SortByName(children);
    work_.sorting += Clock::now() - start;
    return children;
}

bool FolderSource::IsEmpty(const std::wstring& path) {
    std::wstring folder = path;
    if (IsLinkFile(WithoutTrailingBackslash(folder))) {
        folder = reading_.LinkTargetFolder(folder, FolderReading::kUnknownAttributes);
        if (folder.empty()) return true;
    }
    return FolderIsEmpty(WithTrailingBackslash(folder));
}

bool FolderSource::FolderIsEmpty(const std::wstring& folder) {
    if (IsDriveRootPath(folder) && reading_.IsRemovableRoot(folder)) return false;
    ++work_.probes;
    bool empty = true;
    reading_.Search(folder, false, [&](const wchar_t* name, std::uint32_t attributes) {
        if (!SearchAccepts(attributes, attributes_) || IsDotEntry(name)) return true;
        if (!IsDirectory(attributes) && LinkTarget(folder, name, attributes).empty()) return true;
        // An entry the search has just returned always has a display name; asking the shell for it
        // in every probe made opening a large folder a hundred times slower than the search.
        empty = false;
        return false;
    });
    return empty;
}

bool FolderSource::IsFolder(const std::wstring& path) {
    const std::uint32_t attributes = reading_.Attributes(path);
    return attributes != FolderReading::kUnknownAttributes && IsDirectory(attributes);
}

std::wstring FolderSource::TargetFolder(const std::wstring& path) {
    const std::wstring target = reading_.LinkTargetFolder(path, FolderReading::kUnknownAttributes);
    return target.empty() ? path : target;
}

bool FolderSource::CanShow(const std::wstring& path) {
    if (!IsFolder(path)) return !reading_.LinkTargetFolder(path, FolderReading::kUnknownAttributes).empty();
    for (std::wstring folder = WithTrailingBackslash(path); folder.size() > 3;
         folder = FolderPart(WithoutTrailingBackslash(folder)))
        if (AttributesHidePath(reading_.Attributes(folder), attributes_)) return false;
    return true;
}

std::wstring FolderSource::NodePath(const std::wstring& root, const std::vector<std::wstring>& captions,
                                    bool keepOwnLink) {
    if (root.empty()) return {};
    std::wstring path = WithTrailingBackslash(root);
    for (size_t i = 0; i < captions.size(); ++i) {
        path += WithTrailingBackslash(captions[i]);
        if (!IsFolder(path)) {
            const std::wstring bare = WithoutTrailingBackslash(path);
            const std::wstring linkFile = LinkFileName(bare, LinkKind::ShellLink);
            if (IsLinkFile(bare))
                path = bare;
            else if (!reading_.LinkTargetFolder(linkFile, FolderReading::kUnknownAttributes).empty())
                path = linkFile;
        }
        if (keepOwnLink && i + 1 == captions.size()) break;
        const std::wstring target = reading_.LinkTargetFolder(path, FolderReading::kUnknownAttributes);
        if (!target.empty()) path = target;
    }
    return path;
}
