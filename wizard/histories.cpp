#include "wizard/histories.h"

#include <algorithm>
#include <climits>

#include <shlobj.h>

#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/handles.h"
#include "platform/message_box.h"
#include "platform/utf.h"

const wchar_t* HistoryFileName(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::Files: return L"Files.ini";
        case HistoryKind::Directories: return L"Directories.ini";
        case HistoryKind::IconFiles: return L"IconFiles.ini";
    }
    return L"";
}

std::wstring SystemCodePage::Decode(std::string_view bytes) const {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) ThrowLastError();
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::optional<std::string> SystemCodePage::Encode(std::wstring_view text) const {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    // With UTF-8 as the system code page every entry fits; the default-character flag is not
    // allowed there.
    if (GetACP() == CP_UTF8) return Utf8FromWide(std::wstring(text));
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, bytes.data(), length, nullptr,
                        &usedDefault);
    if (usedDefault) return std::nullopt;
    return bytes;
}

HistoryList ReadHistoryFile(const std::wstring& path) {
    return DecodeHistoryFile(ReadWholeFile(path), SystemCodePage());
}

void WriteHistoryFile(const std::wstring& path, const HistoryList& list) {
    const std::string bytes = EncodeHistoryFile(list, SystemCodePage());
    // OPEN_ALWAYS rather than CREATE_ALWAYS: replacing a hidden file must not fail.
    FileHandle file(NullIfInvalid(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) ThrowLastError();
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) ThrowLastError();
        done += written;
    }
    if (!SetEndOfFile(file.Get())) ThrowLastError();
}

Histories LoadHistories(const std::wstring& folder) {
    Histories histories;
    for (const HistoryKind kind : kHistoryKinds) {
        const std::wstring path = folder + HistoryFileName(kind);
        if (!FileExists(path)) continue;
        try {
            histories[kind] = ReadHistoryFile(path);
        } catch (const PlatformError&) {
            histories.unreadable[static_cast<size_t>(kind)] = true;
        }
    }
    return histories;
}

std::wstring SaveHistories(const std::wstring& folder, Histories& histories) {
    std::wstring problem;
    for (const HistoryKind kind : kHistoryKinds) {
        HistoryList& list = histories[kind];
        CutToLimit(list);
        if (histories.unreadable[static_cast<size_t>(kind)]) continue;
        const std::wstring path = folder + HistoryFileName(kind);
        try {
            WriteHistoryFile(path, list);
        } catch (const PlatformError& error) {
            if (problem.empty())
                problem = L"Die Verlaufslisten konnten nicht gespeichert werden:\r\n" + path + L"\r\n" +
                          error.Message();
        }
    }
    return problem;
}

std::wstring UserHistoryFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) || !*appData) return {};
    return WithTrailingBackslash(appData) + L"Zeigerwerk\\";
}

namespace {
bool HoldsHistories(const std::wstring& folder) {
    if (folder.empty()) return false;
    for (const HistoryKind kind : kHistoryKinds)
        if (FileExists(folder + HistoryFileName(kind))) return true;
    return false;
}
}  // namespace

Histories LoadHistories(const HistoryFolders& folders) {
    return LoadHistories(HoldsHistories(folders.user) ? folders.user : folders.program);
}

std::wstring SaveHistories(const HistoryFolders& folders, Histories& histories) {
    const bool userFirst = HoldsHistories(folders.user);
    const std::wstring& first = userFirst ? folders.user : folders.program;
    const std::wstring& second = userFirst ? folders.program : folders.user;
    const std::wstring problem = SaveHistories(first, histories);
    if (problem.empty() || second.empty()) return problem;
    if (!userFirst) CreateDirectoryW(second.c_str(), nullptr);
    return SaveHistories(second, histories).empty() ? std::wstring() : problem;
}

void ReportSaveProblems(HWND owner, const std::wstring& first, const std::wstring& second) {
    std::wstring text = first;
    if (!second.empty()) text += (text.empty() ? L"" : L"\r\n\r\n") + second;
    if (!text.empty()) ShowErrorBox(owner, text);
}
