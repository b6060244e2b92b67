#include "links/internet_shortcut.h"

#include <windows.h>
#include <intshcut.h>
#include <propidl.h>

#include <algorithm>
#include <optional>

#include "links/link_draft.h"
#include "links/link_settings.h"
#include "links/link_store.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/win_error.h"

namespace {
// The property set of an Internet shortcut and the ids of what the wizard shows in it.
constexpr FMTID kShortcutProperties = {0x000214A0, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr CLSID kShortcutClass = {0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
constexpr IID kLocatorInterface = {0xCABB0DA0, 0xDA57, 0x11CF, {0x99, 0x74, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x62}};
constexpr PROPID kHotKeyId = 6, kShowCommandId = 7, kIconIndexId = 8, kIconFileId = 9;

ComPtr<IUniformResourceLocatorW> NewShortcutObject() {
    ComPtr<IUniformResourceLocatorW> shortcut;
    if (FAILED(CoCreateInstance(kShortcutClass, nullptr, CLSCTX_INPROC_SERVER, kLocatorInterface,
                                reinterpret_cast<void**>(shortcut.GetAddressOf()))))
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

// How a file's text is stored: the profile functions read the system code page and UTF-16 with its
// byte-order mark; some writers use UTF-8.
enum class TextForm { SystemCodePage, Utf8, Utf16 };

std::wstring Widened(UINT codePage, const char* bytes, size_t size, DWORD flags = 0) {
    const int length = MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(size), text.data(), length);
    return text;
}

std::wstring DecodedText(const std::string& bytes, TextForm* form = nullptr) {
    TextForm found = TextForm::SystemCodePage;
    std::wstring text;
    if (bytes.rfind("\xFF\xFE", 0) == 0) {
        found = TextForm::Utf16;
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        found = TextForm::Utf8;
        text = Widened(CP_UTF8, bytes.data() + 3, bytes.size() - 3);
    } else {
        // Text beyond ASCII that is valid UTF-8 is taken as UTF-8; the code page's umlauts are not.
        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        text = ascii ? std::wstring() : Widened(CP_UTF8, bytes.data(), bytes.size(), MB_ERR_INVALID_CHARS);
        if (!text.empty()) found = TextForm::Utf8;
        else text = Widened(CP_ACP, bytes.data(), bytes.size());
    }
    if (form) *form = found;
    return text;
}

std::string Narrowed(UINT codePage, const std::wstring& text, BOOL* lost) {
    const int length = WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr, lost);
    std::string bytes(static_cast<size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                        static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// In the form asked for; the system code page only where every character fits it, as the profile
// functions write, else UTF-16 with its byte-order mark, which they read as well.
std::string EncodedText(const std::wstring& text, TextForm form = TextForm::SystemCodePage) {
    if (form == TextForm::Utf8) return Narrowed(CP_UTF8, text, nullptr);
    BOOL lost = FALSE;
    if (form == TextForm::SystemCodePage) {
        std::string bytes = Narrowed(CP_ACP, text, &lost);
        if (!lost) return bytes;
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
        PROPSPEC wanted[4];
        PROPVARIANT values[4] = {};
        const PROPID ids[4] = {kIconFileId, kIconIndexId, kHotKeyId, kShowCommandId};
        for (int i = 0; i < 4; ++i) wanted[i] = {PRSPEC_PROPID, {ids[i]}};
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
        if (count) ThrowIfFailed(storage->WriteMultiple(count, wanted, values, 0));
        ThrowIfFailed(storage->WriteMultiple(2, wanted + 2, values + 2, 0));
    }
    ComPtr<IPersistFile> persist;
    ThrowIfFailed(shortcut->QueryInterface(IID_PPV_ARGS(&persist)));
    ThrowIfFailed(persist->Save(file.c_str(), TRUE));
}
// The fields as the system's object reads them, over those of the file's text; nothing without
// the object.
std::optional<InternetShortcutFields> ReadThroughObject(const std::wstring& path, InternetShortcutFields fields) {
    const ComPtr<IUniformResourceLocatorW> shortcut = NewShortcutObject();
    ComPtr<IPersistFile> persist;
    if (!shortcut || FAILED(shortcut.As(&persist)) || FAILED(persist->Load(path.c_str(), STGM_READ))) return std::nullopt;
    if (wchar_t* url = nullptr; SUCCEEDED(shortcut->GetURL(&url)) && url) {
        fields.url = url;
        CoTaskMemFree(url);
    }
    if (const ComPtr<IPropertyStorage> storage = ShortcutProperties(shortcut.Get(), STGM_READ)) {
        PROPSPEC wanted[4];
        const PROPID ids[4] = {kIconFileId, kIconIndexId, kHotKeyId, kShowCommandId};
        for (int i = 0; i < 4; ++i) wanted[i] = {PRSPEC_PROPID, {ids[i]}};
        PROPVARIANT values[4] = {};
        if (SUCCEEDED(storage->ReadMultiple(4, wanted, values))) {
            if (values[0].vt == VT_LPWSTR && values[0].pwszVal) fields.iconFile = values[0].pwszVal;
            if (values[1].vt == VT_I4) fields.iconIndex = values[1].lVal;
            if (values[2].vt == VT_UI2) fields.hotKey = values[2].uiVal;
            if (values[3].vt == VT_I4 && values[3].lVal) fields.showCommand = values[3].lVal;
            FreePropVariantArray(4, values);
        }
    }
    return fields;
}
}  // namespace

InternetShortcutFields ReadInternetShortcut(const std::wstring& file) {
    const std::wstring path = FileSystemPath(file);
    if (!FileExists(path)) ThrowError(ERROR_FILE_NOT_FOUND);
    TextForm form = TextForm::SystemCodePage;
    const InternetShortcutFields fromText = ReadUrlFileText(DecodedText(ReadWholeFile(path), &form));
    std::optional<InternetShortcutFields> fields = ReadThroughObject(path, fromText);
    if (!fields) return fromText;
    // A UTF-8 file (Wine's object writes one) is read by the system's object in the code page.
    if (form == TextForm::Utf8) fields->url = fromText.url;
    return *fields;
}

std::string InternetShortcutBytes(const std::wstring& file, const InternetShortcutFields& fields,
                                  const std::wstring& keepFrom) {
    // The system's object saves only to a file: it works on a scratch file beside, which goes again.
    const std::wstring path = FileSystemPath(file);
    std::wstring scratch;
    for (int i = 0; i < 100 && scratch.empty(); ++i) {
        const std::wstring candidate = path + L".zw-url" + (i ? std::to_wstring(i) : L"");
        if (!PathExists(candidate)) scratch = candidate;
    }
    if (scratch.empty()) ThrowError(ERROR_FILE_EXISTS);
    try {
        const std::wstring original = keepFrom.empty() ? std::wstring() : FileSystemPath(keepFrom);
        const std::wstring kept = !original.empty() && FileExists(original) ? DecodedText(ReadWholeFile(original)) : L"";
        // The INI form first: it is the file where the system has no Internet-shortcut object, and
        // it drops what the wizard removed (an icon file), which the object would leave standing.
        const std::wstring text = UrlFileText(kept, fields);
        WriteBytes(scratch, EncodedText(text));
        if (const ComPtr<IUniformResourceLocatorW> shortcut = NewShortcutObject()) {
            WriteThroughObject(shortcut.Get(), scratch, fields);
            // An object that writes the whole file anew loses the keys it does not know.
            TextForm form = TextForm::SystemCodePage;
            const std::wstring saved = DecodedText(ReadWholeFile(scratch), &form);
            const std::wstring whole = WithKeysKept(saved, text);
            if (whole != saved) WriteBytes(scratch, EncodedText(whole, form));
            // An address the object cannot read back from what it wrote (Wine's writes UTF-8 and
            // reads the code page) goes into the file as UTF-16, which every reader takes.
            const auto readBack = ReadThroughObject(scratch, fields);
            if (readBack && readBack->url != fields.url)
                WriteBytes(scratch, EncodedText(UrlFileText(whole, fields), TextForm::Utf16));
        }
        std::string bytes = ReadWholeFile(scratch);
        DeleteFileW(scratch.c_str());
        return bytes;
    } catch (...) {
        DeleteFileW(scratch.c_str());
        throw;
    }
}

std::string InternetShortcutDraftBytes(const LinkDraft& draft, const std::wstring& file) {
    const bool editedShortcut = !draft.editedLink.empty() &&
                                LinkFileKind(draft.editedLink) == LinkKind::InternetShortcut && FileExists(draft.editedLink);
    InternetShortcutFields fields{draft.target, draft.iconFile, draft.iconIndex};
    std::optional<LinkData> edited;
    if (editedShortcut) {
        try {
            const InternetShortcutFields original = ReadInternetShortcut(draft.editedLink);
            edited = LinkData{original.url, {}, {}, {}, original.iconFile, original.iconIndex, original.hotKey,
                              original.showCommand};
        } catch (const PlatformError&) {
        }
    }
    const LinkSettings settings = SettingsToWrite(draft, edited ? &*edited : nullptr);
    fields.hotKey = settings.hotKey;
    fields.showCommand = settings.showCommand;
    return InternetShortcutBytes(file, fields, editedShortcut ? draft.editedLink : std::wstring());
}

bool SystemKnowsProtocol(const std::wstring& scheme) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, scheme.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    const KeyHandle key(opened);
    return RegQueryValueExW(key.Get(), L"URL Protocol", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
