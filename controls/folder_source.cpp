#include "controls/folder_source.h"

#include <algorithm>
#include <cwchar>

#include "links/link_rules.h"
#include "links/link_targets.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"

namespace {
using Clock = std::chrono::steady_clock;

// One pass over a folder; visit returns false to stop. A large fetch pays for a whole listing,
// not for a probe that usually stops at its first entry.
template <typename Visit>
void SearchFolder(const std::wstring& folder, bool whole, Visit visit) {
    WIN32_FIND_DATAW find;
    FindHandle search(NullIfInvalid(FindFirstFileExW((FileSystemPath(folder) + L"*").c_str(), FindExInfoBasic, &find,
                                                     FindExSearchNameMatch, nullptr,
                                                     whole ? FIND_FIRST_EX_LARGE_FETCH : 0)));
    if (!search) return;
    do {
        if (!visit(find)) return;
    } while (FindNextFileW(search.Get(), &find));
}

bool IsDirectory(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Whether an entry can be a link to a folder at all, as its name and attributes tell: a link file
// ends in ".lnk"; a folder link is a read-only folder without a dot in its name. Everything else
// is known without reading anything.
bool MayBeLink(const wchar_t* name, DWORD attributes) {
    if (IsDirectory(attributes)) return (attributes & FILE_ATTRIBUTE_READONLY) && !std::wcschr(name, L'.');
    const size_t length = std::wcslen(name);
    if (length < 4) return false;
    const wchar_t* extension = name + length - 4;
    return extension[0] == L'.' && (extension[1] | 0x20) == L'l' && (extension[2] | 0x20) == L'n' &&
           (extension[3] | 0x20) == L'k';
}
}  // namespace

void SortByName(std::vector<FolderChild>& children) {
    // One sort key per name, compared as bytes: the locale's rules run once per name, not once
    // per comparison, and give the order CompareString gives.
    struct Keyed {
        std::string key;
        FolderChild* child;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(children.size());
    for (FolderChild& child : children) {
        const int length = static_cast<int>(child.name.size());
        const int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, child.name.c_str(), length,
                                      nullptr, 0);
        std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
        if (size > 0)
            LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, child.name.c_str(), length,
                         reinterpret_cast<wchar_t*>(key.data()), size);
        keyed.push_back({std::move(key), &child});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    std::vector<FolderChild> sorted;
    sorted.reserve(children.size());
    for (Keyed& k : keyed) sorted.push_back(std::move(*k.child));
    children = std::move(sorted);
}

std::vector<FolderChild> FolderSource::Children(const std::wstring& folder, const AddingQuestion& ask) {
    std::vector<FolderChild> children;
    auto start = Clock::now();
    ++work_.searches;
    SearchFolder(folder, true, [&](const WIN32_FIND_DATAW& find) {
        const DWORD attributes = find.dwFileAttributes;
        if (!SearchAccepts(attributes, attributes_)) return true;
        const bool mayBeLink = MayBeLink(find.cFileName, attributes);
        if (!IsDirectory(attributes) && !mayBeLink) return true;
        std::wstring name = find.cFileName;
        if (IsDotEntry(name) || !NamePassesFilter(name)) return true;
        std::wstring target = mayBeLink ? LinkTargetFolder(folder + name, attributes) : std::wstring();
        if (IsDirectory(attributes) || !target.empty())
            children.push_back({std::move(name), std::move(target), false, attributes});
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
    if (HasLinkExtension(WithoutTrailingBackslash(folder))) {
        folder = LinkTargetFolder(folder);
        if (folder.empty()) return true;
    }
    return FolderIsEmpty(WithTrailingBackslash(folder));
}

bool FolderSource::FolderIsEmpty(const std::wstring& folder) {
    if (IsDriveRootPath(folder) && IsRemovableRoot(folder)) return false;
    ++work_.probes;
    bool empty = true;
    SearchFolder(folder, false, [&](const WIN32_FIND_DATAW& find) {
        const DWORD attributes = find.dwFileAttributes;
        if (!SearchAccepts(attributes, attributes_)) return true;
        if (!IsDirectory(attributes) && !MayBeLink(find.cFileName, attributes)) return true;
        const std::wstring name = find.cFileName;
        if (IsDotEntry(name)) return true;
        if (!IsDirectory(attributes) && LinkTargetFolder(folder + name, attributes).empty()) return true;
        // An entry the search has just returned always has a display name; asking the shell for it
        // in every probe made opening a large folder a hundred times slower than the search.
        empty = false;
        return false;
    });
    return empty;
}
