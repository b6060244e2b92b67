#include "links/link_store.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "links/link_rules.h"
#include "platform/handles.h"

namespace {
// Paths stay within the shell's MAX_PATH; arguments and descriptions may be as long as the
// shell allows (INFOTIPSIZE), so a link edited by the program never loses their tail.
constexpr int kPathBuffer = MAX_PATH;
constexpr int kTextBuffer = INFOTIPSIZE;

template <typename Getter>
std::wstring ReadField(int size, Getter getter) {
    std::vector<wchar_t> buffer(size, L'\0');
    ThrowIfFailed(getter(buffer.data(), size));
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
}

ComPtr<IShellLinkW> LoadLink(const std::wstring& linkFile) {
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ComPtr<IPersistFile> file;
    ThrowIfFailed(link.As(&file));
    ThrowIfFailed(file->Load(linkFile.c_str(), STGM_READ));
    return link;
}

std::wstring TargetPathOf(IShellLinkW& link) {
    std::wstring path = ReadField(kPathBuffer, [&](wchar_t* b, int n) {
        WIN32_FIND_DATAW find{};
        return link.GetPath(b, n, &find, SLGP_UNCPRIORITY);
    });
    if (path.find(L'?') != std::wstring::npos) {
        // '?' cannot occur in a path: the shell answered from the link's code-page copy of the
        // path (Wine does); the item list keeps every character.
        LPITEMIDLIST items = nullptr;
        if (SUCCEEDED(link.GetIDList(&items)) && items) {
            PidlHandle owned(items);
            wchar_t full[MAX_PATH] = {};
            if (SHGetPathFromIDListW(items, full)) path = full;
        }
    }
    return path;
}
}  // namespace

LinkData NewLinkData(const std::wstring& target, const std::wstring& arguments, const std::wstring& description,
                     const std::wstring& iconFile, int iconIndex) {
    return {target, arguments, WorkingFolderFor(target), description, iconFile, iconIndex};
}

LinkData ReadLink(const std::wstring& linkFile) {
    const ComPtr<IShellLinkW> link = LoadLink(linkFile);
    LinkData data;
    data.targetPath = TargetPathOf(*link.Get());
    data.arguments = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    data.description = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    data.workingFolder = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    int index = 0;
    data.iconFile = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetIconLocation(b, n, &index); });
    data.iconIndex = index;
    return data;
}

std::wstring LinkTargetPath(const std::wstring& linkFile) {
    try {
        return TargetPathOf(*LoadLink(linkFile).Get());
    } catch (const PlatformError&) {
        return {};
    }
}

void WriteLink(const std::wstring& linkFile, const LinkData& data) {
    if (linkFile.empty() || linkFile.size() > kMaxLinkPathLength) ThrowError(ERROR_FILENAME_EXCED_RANGE);
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ThrowIfFailed(link->SetPath(data.targetPath.c_str()));
    ThrowIfFailed(link->SetWorkingDirectory(data.workingFolder.c_str()));
    ThrowIfFailed(link->SetDescription(data.description.c_str()));
    if (!data.arguments.empty()) ThrowIfFailed(link->SetArguments(data.arguments.c_str()));
    if (!data.iconFile.empty()) ThrowIfFailed(link->SetIconLocation(data.iconFile.c_str(), data.iconIndex));
    ComPtr<IPersistFile> file;
    ThrowIfFailed(link.As(&file));
    ThrowIfFailed(file->Save(linkFile.c_str(), TRUE));
}
