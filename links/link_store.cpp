#include "links/link_store.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <optional>
#include <vector>

#include "links/environment_paths.h"
#include "links/link_file_bytes.h"
#include "links/link_file_system.h"
#include "links/link_rules.h"
#include "platform/platform_error.h"
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

// A link file's bytes, read once and no further than any link goes; throws PlatformError for a
// file that is not a shell link.
std::string ReadLinkFileBytes(const std::wstring& path) {
    FileHandle file(NullIfInvalid(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) ThrowLastError();
    std::string bytes;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) ThrowLastError();
        if (read == 0) break;
        bytes.append(buffer, read);
        if (bytes.size() > kMaxLinkFileSize) ThrowError(ERROR_FILE_TOO_LARGE);
    }
    if (!IsShellLinkHeader(bytes)) ThrowError(ERROR_BAD_FORMAT);
    return bytes;
}

ComPtr<IStream> MemoryStream(const std::string& bytes) {
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream) ThrowError(ERROR_NOT_ENOUGH_MEMORY);
    return stream;
}

ComPtr<IShellLinkW> LinkFromBytes(const std::string& bytes) {
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ComPtr<IPersistStream> persist;
    ThrowIfFailed(link.As(&persist));
    ThrowIfFailed(persist->Load(MemoryStream(bytes).Get()));
    return link;
}

// What the link object writes, in memory.
std::string SavedBytes(IShellLinkW* link) {
    ComPtr<IPersistStream> persist;
    ThrowIfFailed(link->QueryInterface(IID_PPV_ARGS(&persist)));
    ComPtr<IStream> stream = MemoryStream({});
    ThrowIfFailed(persist->Save(stream.Get(), TRUE));
    STATSTG status{};
    ThrowIfFailed(stream->Stat(&status, STATFLAG_NONAME));
    if (status.cbSize.QuadPart > kMaxLinkFileSize) ThrowError(ERROR_FILE_TOO_LARGE);
    std::string bytes(static_cast<size_t>(status.cbSize.QuadPart), '\0');
    ThrowIfFailed(stream->Seek({}, STREAM_SEEK_SET, nullptr));
    ULONG read = 0;
    ThrowIfFailed(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read));
    bytes.resize(read);
    return bytes;
}

// What the link object may not keep (Wine drops the show command and the run-as flag, and
// writes no variable forms) goes into the bytes themselves, where the system reads it.
std::string Completed(std::string bytes, const LinkData& data) {
    bytes = WithHeaderSettings(std::move(bytes), {data.showCommand, data.hotKey, data.runAsAdmin});
    bytes = WithVariablePath(std::move(bytes), kExpStringSignature, VariableFormOf(data.targetPath));
    return WithVariablePath(std::move(bytes), kExpIconSignature, VariableFormOf(data.iconFile));
}

void PutLinkFile(const std::wstring& linkFile, LinkKind kind, const std::string& bytes) {
    SystemLinkFiles files;
    const LinkWriteResult result = WriteLinkTransaction(files, {kind, linkFile, bytes, L""});
    if (!result.written) throw PlatformError(result.error);
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

LinkData ReadLink(const std::wstring& linkFile) { return ReadStoredLink(linkFile).fields; }

namespace {
LinkData FieldsOfBytes(IShellLinkW* link, const std::string& bytes) {
    LinkData data = FieldsOf(link);
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
}  // namespace

std::wstring LinkTargetPath(const std::wstring& linkFile) {
    try {
        return TargetPathOf(*LoadLink(linkFile).Get());
    } catch (const PlatformError&) {
        return {};
    }
}

std::string NewLinkBytes(const LinkData& fields) {
    const LinkData data = Stored(fields);
    ComPtr<IShellLinkW> link;
    ThrowIfFailed(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
    ThrowIfFailed(link->SetPath(Expanded(data.targetPath).c_str()));
    ThrowIfFailed(link->SetWorkingDirectory(data.workingFolder.c_str()));
    ThrowIfFailed(link->SetDescription(data.description.c_str()));
    if (!data.arguments.empty()) ThrowIfFailed(link->SetArguments(data.arguments.c_str()));
    if (!data.iconFile.empty()) ThrowIfFailed(link->SetIconLocation(Expanded(data.iconFile).c_str(), data.iconIndex));
    SetHeaderSettings(link.Get(), data);
    return Completed(SavedBytes(link.Get()), data);
}

void WriteLink(const std::wstring& linkFile, const LinkData& fields) {
    CheckLinkPath(linkFile);
    PutLinkFile(linkFile, LinkKind::ShellLink, NewLinkBytes(fields));
}

StoredLink ReadStoredLink(const std::wstring& linkFile) {
    StoredLink stored;
    stored.bytes = ReadLinkFileBytes(linkFile);
    // The file's own load, which knows where the link lies, answers a relative target as the shell does.
    stored.fields = FieldsOfBytes(LoadLink(linkFile).Get(), stored.bytes);
    return stored;
}

std::string EditedLinkBytes(const StoredLink& original, const LinkData& fields) {
    const LinkData data = Stored(fields);
    ComPtr<IShellLinkW> link = LinkFromBytes(original.bytes);
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
    // A shell object that cannot write back what it loaded (Wine writes a loaded relative path
    // without its flag, so other readers take it for the working folder or fail) must not cost the
    // user the fields the wizard shows: such a link is made anew from them.
    const LinkData expected = EditedFields(old, data);
    const std::string bytes = Completed(SavedBytes(link.Get()), expected);
    if (!LinkLayoutIsWhole(bytes) || !SameFields(FieldsOfBytes(LinkFromBytes(bytes).Get(), bytes), expected))
        return NewLinkBytes(expected);
    return bytes;
}

void WriteEditedLink(const std::wstring& linkFile, const StoredLink& original, const LinkData& fields) {
    CheckLinkPath(linkFile);
    PutLinkFile(linkFile, LinkKind::ShellLink, EditedLinkBytes(original, fields));
}
