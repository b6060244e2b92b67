#include "links/link_store.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <optional>
#include <vector>

#include "links/environment_paths.h"
#include "links/link_file_bytes.h"
#include "links/link_rules.h"
#include "platform/files.h"
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
    ThrowIfFailed(file->Load(FileSystemPath(linkFile).c_str(), STGM_READ));
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

LinkData FieldsOf(IShellLinkW* link) {
    LinkData data;
    data.targetPath = TargetPathOf(*link);
    data.arguments = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetArguments(b, n); });
    data.description = ReadField(kTextBuffer, [&](wchar_t* b, int n) { return link->GetDescription(b, n); });
    data.workingFolder = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); });
    int index = 0;
    data.iconFile = ReadField(kPathBuffer, [&](wchar_t* b, int n) { return link->GetIconLocation(b, n, &index); });
    data.iconIndex = index;
    return data;
}

std::optional<std::wstring> SystemVariable(const std::wstring& name) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name.c_str(), value.data(), size));
    return value;
}

std::wstring Expanded(const std::wstring& text) { return ExpandVariables(text, SystemVariable); }

std::optional<VariablePath> VariableFormOf(const std::wstring& path) {
    if (!HasVariables(path, SystemVariable)) return std::nullopt;
    VariablePath form{{}, path};
    const int size = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size > 1) {
        form.ansi.resize(size);
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, form.ansi.data(), size, nullptr, nullptr);
        form.ansi.resize(size - 1);
    }
    return form;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    FileHandle file(NullIfInvalid(CreateFileW(FileSystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) ThrowLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ThrowLastError();
}

// What the link object may not keep (Wine drops the show command and the run-as flag, and
// writes no variable forms) goes into the saved file itself, where the system reads it.
void CompleteSavedLink(const std::wstring& linkFile, const LinkData& data) {
    const std::string saved = ReadWholeFile(linkFile);
    std::string bytes = WithHeaderSettings(saved, {data.showCommand, data.hotKey, data.runAsAdmin});
    bytes = WithVariablePath(bytes, kExpStringSignature, VariableFormOf(data.targetPath));
    bytes = WithVariablePath(bytes, kExpIconSignature, VariableFormOf(data.iconFile));
    if (bytes != saved) WriteWholeFile(linkFile, bytes);
}

void SetHeaderSettings(IShellLinkW* link, const LinkData& data) {
    ThrowIfFailed(link->SetHotkey(data.hotKey));
    ThrowIfFailed(link->SetShowCmd(data.showCommand));
    ComPtr<IShellLinkDataList> list;
    DWORD flags = 0;
    if (SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&list))) && SUCCEEDED(list->GetFlags(&flags)))
        list->SetFlags(data.runAsAdmin ? flags | SLDF_RUNAS_USER : flags & ~DWORD{SLDF_RUNAS_USER});
}

// The wizard shows an icon path with its variables replaced; the same icon written back keeps
// the link's own form of the path.
bool SameIcon(const LinkData& old, const LinkData& now) {
    if (old.iconFile.empty() || now.iconFile.empty()) return old.iconFile.empty() && now.iconFile.empty();
    return old.iconIndex == now.iconIndex &&
           CompareStringOrdinal(Expanded(old.iconFile).c_str(), -1, Expanded(now.iconFile).c_str(), -1, TRUE) ==
               CSTR_EQUAL;
}

void SaveLink(IShellLinkW* link, const std::wstring& linkFile) {
    ComPtr<IPersistFile> file;
    ThrowIfFailed(link->QueryInterface(IID_PPV_ARGS(&file)));
    ThrowIfFailed(file->Save(FileSystemPath(linkFile).c_str(), TRUE));
}

// What an edited link must read back as: the wizard's fields, the link's own working folder and
// its own form of the icon path where those did not change.
LinkData EditedFields(const LinkData& old, const LinkData& now) {
    LinkData fields = now;
    if (SameIcon(old, now)) {
        fields.iconFile = old.iconFile;
        fields.iconIndex = old.iconIndex;
    }
    return fields;
}

bool SameFields(const LinkData& a, const LinkData& b) {
    return a.targetPath == b.targetPath && a.arguments == b.arguments && a.description == b.description &&
           a.workingFolder == b.workingFolder && a.iconFile == b.iconFile &&
           (a.iconFile.empty() || a.iconIndex == b.iconIndex) && a.hotKey == b.hotKey &&
           a.showCommand == b.showCommand && a.runAsAdmin == b.runAsAdmin;
}

// The paths a link keeps name the system folder as every program on the machine knows it.
LinkData Stored(LinkData data) {
    data.targetPath = StoredPath(data.targetPath);
    data.workingFolder = StoredPath(data.workingFolder);
    data.iconFile = StoredPath(data.iconFile);
    return data;
}

void CheckLinkPath(const std::wstring& linkFile) {
    if (linkFile.empty() || linkFile.size() > kMaxLinkPathLength) ThrowError(ERROR_FILENAME_EXCED_RANGE);
}
}  // namespace

LinkData NewLinkData(const std::wstring& target, const std::wstring& arguments, const std::wstring& description,
                     const std::wstring& iconFile, int iconIndex) {
    return {target, arguments, WorkingFolderFor(target), description, iconFile, iconIndex};
}

std::wstring ExpandedPath(const std::wstring& path) { return Expanded(path); }

void KeepLinkSettings(LinkData& link, const LinkData& original) {
    if (link.targetPath == original.targetPath) link.workingFolder = original.workingFolder;
    link.hotKey = original.hotKey;
    link.showCommand = original.showCommand;
    link.runAsAdmin = original.runAsAdmin;
}

LinkData ReadLink(const std::wstring& linkFile) {
    LinkData data = FieldsOf(LoadLink(linkFile).Get());
    const std::string bytes = ReadWholeFile(linkFile);
    if (const auto settings = ReadHeaderSettings(bytes)) {
        data.hotKey = settings->hotKey;
        data.showCommand = settings->showCommand;
        data.runAsAdmin = settings->runAsAdmin;
    }
    if (auto target = ReadVariablePath(bytes, kExpStringSignature); target && !target->empty())
        data.targetPath = *target;
    if (auto icon = ReadVariablePath(bytes, kExpIconSignature); icon && !icon->empty()) data.iconFile = *icon;
    return data;
}

std::wstring LinkTargetPath(const std::wstring& linkFile) {
    try {
        return TargetPathOf(*LoadLink(linkFile).Get());
    } catch (const PlatformError&) {
        return {};
    }
}

void WriteLink(const std::wstring& linkFile, const LinkData& fields) {
    CheckLinkPath(linkFile);
    const LinkData data = Stored(fields);
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ThrowIfFailed(link->SetPath(Expanded(data.targetPath).c_str()));
    ThrowIfFailed(link->SetWorkingDirectory(data.workingFolder.c_str()));
    ThrowIfFailed(link->SetDescription(data.description.c_str()));
    if (!data.arguments.empty()) ThrowIfFailed(link->SetArguments(data.arguments.c_str()));
    if (!data.iconFile.empty()) ThrowIfFailed(link->SetIconLocation(Expanded(data.iconFile).c_str(), data.iconIndex));
    SetHeaderSettings(link.Get(), data);
    SaveLink(link.Get(), linkFile);
    CompleteSavedLink(linkFile, data);
}

StoredLink ReadStoredLink(const std::wstring& linkFile) {
    StoredLink stored;
    stored.fields = ReadLink(linkFile);
    stored.bytes = ReadWholeFile(linkFile);
    return stored;
}

void WriteEditedLink(const std::wstring& linkFile, const StoredLink& original, const LinkData& fields) {
    CheckLinkPath(linkFile);
    const LinkData data = Stored(fields);
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    {
        ComPtr<IStream> stream;
        stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(original.bytes.data()),
                                        static_cast<UINT>(original.bytes.size())));
        if (!stream) ThrowError(ERROR_NOT_ENOUGH_MEMORY);
        ComPtr<IPersistStream> persist;
        ThrowIfFailed(link.As(&persist));
        ThrowIfFailed(persist->Load(stream.Get()));
    }
    const LinkData& old = original.fields;
    // Setting the path anew would replace the link's own form of it (an environment-variable
    // target, its item list), so an unchanged target is left alone.
    if (data.targetPath != old.targetPath) ThrowIfFailed(link->SetPath(Expanded(data.targetPath).c_str()));
    if (data.targetPath != old.targetPath || data.workingFolder != old.workingFolder)
        ThrowIfFailed(link->SetWorkingDirectory(data.workingFolder.c_str()));
    if (data.arguments != old.arguments) ThrowIfFailed(link->SetArguments(data.arguments.c_str()));
    if (data.description != old.description) ThrowIfFailed(link->SetDescription(data.description.c_str()));
    if (!SameIcon(old, data))
        ThrowIfFailed(link->SetIconLocation(Expanded(data.iconFile).c_str(), data.iconIndex));
    if (data.hotKey != old.hotKey || data.showCommand != old.showCommand || data.runAsAdmin != old.runAsAdmin)
        SetHeaderSettings(link.Get(), data);
    SaveLink(link.Get(), linkFile);
    // A shell object that cannot write back what it loaded (Wine writes a loaded relative path
    // without its flag, so other readers take it for the working folder or fail) must not cost the
    // user the fields the wizard shows: such a link is written anew from them.
    const LinkData expected = EditedFields(old, data);
    CompleteSavedLink(linkFile, expected);
    if (!LinkLayoutIsWhole(ReadWholeFile(linkFile)) || !SameFields(ReadLink(linkFile), expected))
        WriteLink(linkFile, expected);
}
