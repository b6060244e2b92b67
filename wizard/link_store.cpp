#include "wizard/link_store.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "platform/handles.h"
#include "wizard/link_rules.h"

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
}  // namespace

LinkData ReadLink(const std::wstring& linkFile) {
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ComPtr<IPersistFile> file;
    ThrowIfFailed(link.As(&file));
    ThrowIfFailed(file->Load(linkFile.c_str(), STGM_READ));

    LinkData data;
    data.targetPath = ReadField(kPathBuffer, [&](wchar_t* b, int n) {
        WIN32_FIND_DATAW find{};
        return link->GetPath(b, n, &find, SLGP_UNCPRIORITY);
    });
    if (data.targetPath.find(L'?') != std::wstring::npos) {
        // '?' cannot occur in a path: the shell answered from the link's code-page copy of the
        // path (Wine does); the item list keeps every character.
        LPITEMIDLIST items = nullptr;
        if (SUCCEEDED(link->GetIDList(&items)) && items) {
            PidlHandle owned(items);
            wchar_t path[MAX_PATH] = {};
            if (SHGetPathFromIDListW(items, path)) data.targetPath = path;
        }
    }
    data.arguments = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    data.description = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    data.workingFolder = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    int index = 0;
    data.iconFile = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetIconLocation(b, n, &index); });
    data.iconIndex = index;
    return data;
}

bool WriteLink(const std::wstring& target, const std::wstring& linkFile, const std::wstring& arguments,
               const std::wstring& description, const std::wstring& iconFile, int iconIndex) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(WorkingFolderFor(target).c_str());
    link->SetDescription(description.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    if (!iconFile.empty()) link->SetIconLocation(iconFile.c_str(), iconIndex);

    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;
    if (linkFile.empty() || linkFile.size() > kMaxLinkPathLength) return false;
    return SUCCEEDED(file->Save(linkFile.c_str(), TRUE));
}
