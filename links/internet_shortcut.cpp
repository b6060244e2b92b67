#include "links/internet_shortcut.h"

#include <windows.h>
#include <intshcut.h>
#include <isguids.h>
#include <propidl.h>

#include "links/link_draft.h"
#include "links/link_writing.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/shell_file_operation.h"
#include "platform/win_error.h"

#include <shellapi.h>

namespace {
// The property set of an Internet shortcut and the ids of what the wizard shows in it.
constexpr FMTID kShortcutProperties = {0x000214A0, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr PROPID kHotKeyId = 6, kShowCommandId = 7, kIconIndexId = 8, kIconFileId = 9;

ComPtr<IUniformResourceLocatorW> NewShortcutObject() {
    ComPtr<IUniformResourceLocatorW> shortcut;
    if (FAILED(CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut))))
        return nullptr;
    return shortcut;
}

ComPtr<IPropertyStorage> ShortcutProperties(IUnknown* shortcut, DWORD mode) {
    ComPtr<IPropertySetStorage> sets;
    ComPtr<IPropertyStorage> storage;
    if (FAILED(shortcut->QueryInterface(IID_PPV_ARGS(&sets)))) return nullptr;
    if (FAILED(sets->Open(kShortcutProperties, mode, &storage))) return nullptr;
    return storage;
}

std::wstring DecodedText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    UINT codePage = CP_ACP;
    size_t skip = 0;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) codePage = CP_UTF8, skip = 3;
    const int length = MultiByteToWideChar(codePage, 0, bytes.data() + skip, static_cast<int>(bytes.size() - skip), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data() + skip, static_cast<int>(bytes.size() - skip), text.data(), length);
    return text;
}

// The system code page where every character fits it, as the profile functions write; otherwise
// UTF-16 with its byte-order mark, which they read as well.
std::string EncodedText(const std::wstring& text) {
    BOOL lost = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, &lost);
    if (!lost) {
        std::string bytes(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(),
                            length, nullptr, nullptr);
        return bytes;
    }
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

void WriteBytes(const std::wstring& file, const std::string& bytes) {
    FileHandle handle(NullIfInvalid(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!handle) ThrowLastError();
    DWORD written = 0;
    if (!WriteFile(handle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        ThrowLastError();
}

void WriteThroughObject(IUniformResourceLocatorW* shortcut, const std::wstring& file,
                        const InternetShortcutFields& fields) {
    ThrowIfFailed(shortcut->SetURL(fields.url.c_str(), 0));
    if (const ComPtr<IPropertyStorage> storage = ShortcutProperties(shortcut, STGM_READWRITE)) {
        PROPSPEC specs[4];
        PROPVARIANT values[4] = {};
        const PROPID ids[4] = {kIconFileId, kIconIndexId, kHotKeyId, kShowCommandId};
        for (int i = 0; i < 4; ++i) specs[i] = {PRSPEC_PROPID, {ids[i]}};
        values[0].vt = VT_LPWSTR;
        values[0].pwszVal = const_cast<wchar_t*>(fields.iconFile.c_str());
        values[1].vt = VT_I4;
        values[1].lVal = fields.iconIndex;
        values[2].vt = VT_UI2;
        values[2].uiVal = fields.hotKey;
        values[3].vt = VT_I4;
        values[3].lVal = fields.showCommand;
        // The standard icon is the one no icon file names.
        const ULONG count = fields.iconFile.empty() ? 0 : 2;
        if (count) ThrowIfFailed(storage->WriteMultiple(count, specs, values, 0));
        ThrowIfFailed(storage->WriteMultiple(2, specs + 2, values + 2, 0));
    }
    ComPtr<IPersistFile> persist;
    ThrowIfFailed(shortcut->QueryInterface(IID_PPV_ARGS(&persist)));
    ThrowIfFailed(persist->Save(file.c_str(), TRUE));
}
}  // namespace

bool HasInternetShortcutExtension(const std::wstring& path) { return UpperCase(ExtensionOf(path)) == L".URL"; }

InternetShortcutFields ReadInternetShortcut(const std::wstring& file) {
    const std::wstring path = FileSystemPath(file);
    if (!FileExists(path)) ThrowError(ERROR_FILE_NOT_FOUND);
    InternetShortcutFields fields = ReadUrlFileText(DecodedText(ReadWholeFile(path)));
    const ComPtr<IUniformResourceLocatorW> shortcut = NewShortcutObject();
    ComPtr<IPersistFile> persist;
    if (!shortcut || FAILED(shortcut.As(&persist)) || FAILED(persist->Load(path.c_str(), STGM_READ))) return fields;
    if (wchar_t* url = nullptr; SUCCEEDED(shortcut->GetURL(&url)) && url) {
        fields.url = url;
        CoTaskMemFree(url);
    }
    if (const ComPtr<IPropertyStorage> storage = ShortcutProperties(shortcut.Get(), STGM_READ)) {
        PROPSPEC specs[4];
        const PROPID ids[4] = {kIconFileId, kIconIndexId, kHotKeyId, kShowCommandId};
        for (int i = 0; i < 4; ++i) specs[i] = {PRSPEC_PROPID, {ids[i]}};
        PROPVARIANT values[4] = {};
        if (SUCCEEDED(storage->ReadMultiple(4, specs, values))) {
            if (values[0].vt == VT_LPWSTR && values[0].pwszVal) fields.iconFile = values[0].pwszVal;
            if (values[1].vt == VT_I4) fields.iconIndex = values[1].lVal;
            if (values[2].vt == VT_UI2) fields.hotKey = values[2].uiVal;
            if (values[3].vt == VT_I4 && values[3].lVal) fields.showCommand = values[3].lVal;
            FreePropVariantArray(4, values);
        }
    }
    return fields;
}

void WriteInternetShortcut(const std::wstring& file, const InternetShortcutFields& fields, const std::wstring& keepFrom) {
    const std::wstring path = FileSystemPath(file);
    std::wstring beside;
    for (int i = 0; i < 100 && beside.empty(); ++i) {
        const std::wstring candidate = path + L".zw-neu" + (i ? std::to_wstring(i) : L"");
        if (!PathExists(candidate)) beside = candidate;
    }
    if (beside.empty()) ThrowError(ERROR_FILE_EXISTS);
    try {
        const std::wstring original = keepFrom.empty() ? std::wstring() : FileSystemPath(keepFrom);
        if (!original.empty() && FileExists(original)) {
            if (!CopyFileW(original.c_str(), beside.c_str(), TRUE)) ThrowLastError();
            SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        if (const ComPtr<IUniformResourceLocatorW> shortcut = NewShortcutObject()) {
            WriteThroughObject(shortcut.Get(), beside, fields);
        } else {
            const std::wstring text = FileExists(beside) ? DecodedText(ReadWholeFile(beside)) : std::wstring();
            WriteBytes(beside, EncodedText(UrlFileText(text, fields)));
        }
        if (!MoveFileExW(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            ThrowLastError();
    } catch (...) {
        DeleteFileW(beside.c_str());
        throw;
    }
}

bool WriteInternetShortcutDraft(const LinkDraft& draft, LinkWritingQuestions& questions) {
    const std::wstring file = draft.location + L".url";
    const bool editedShortcut = !draft.editedLink.empty() && HasInternetShortcutExtension(draft.editedLink) &&
                                FileExists(draft.editedLink);
    const bool replacesEdited = draft.replacesEdited && PathExists(draft.editedLink);
    const bool sameFile = replacesEdited && UpperCase(FileSystemPath(draft.editedLink)) == UpperCase(FileSystemPath(file));
    if (FileExists(file) && !sameFile) {
        if (!questions.OverwriteLink(file)) return false;
        SetFileAttributesW(FileSystemPath(file).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    InternetShortcutFields fields{draft.target, draft.iconFile, draft.iconIndex};
    if (draft.settings) {
        fields.hotKey = draft.settings->hotKey;
        fields.showCommand = draft.settings->showCommand;
    } else if (editedShortcut) {
        try {
            const InternetShortcutFields original = ReadInternetShortcut(draft.editedLink);
            fields.hotKey = original.hotKey;
            fields.showCommand = original.showCommand;
        } catch (const PlatformError&) {
        }
    }
    try {
        WriteInternetShortcut(file, fields, editedShortcut ? draft.editedLink : std::wstring());
    } catch (const PlatformError& error) {
        questions.ReportWriteError(LinkKind::FileLink, error.Message());
        return false;
    }
    if (replacesEdited && !sameFile) {
        const std::wstring edited = FileSystemPath(draft.editedLink);
        SetFileAttributesW(edited.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DirectoryExists(edited))
            ShellFileOperation(FO_DELETE, questions.Owner(), {WithoutTrailingBackslash(edited)}, false, true);
        else
            DeleteFileW(edited.c_str());
    }
    return true;
}

bool SystemKnowsProtocol(const std::wstring& scheme) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, scheme.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    const KeyHandle key(opened);
    return RegQueryValueExW(key.Get(), L"URL Protocol", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
