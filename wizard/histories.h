#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "wizard/history_rules.h"

// The three history files beside the program: "Files.ini" (targets), "Directories.ini"
// (folders) and "IconFiles.ini" (icon files).

enum class HistoryKind { Files = 0, Directories = 1, IconFiles = 2 };
inline constexpr std::array<HistoryKind, 3> kHistoryKinds = {HistoryKind::Files, HistoryKind::Directories,
                                                             HistoryKind::IconFiles};

const wchar_t* HistoryFileName(HistoryKind kind);

// The system's ANSI code page, through MultiByteToWideChar / WideCharToMultiByte.
class SystemCodePage final : public CodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    std::optional<std::string> Encode(std::wstring_view text) const override;
};

struct Histories {
    std::array<HistoryList, 3> lists;
    // A file that exists but could not be read is left alone when saving, so its entries are
    // not replaced by an empty list.
    std::array<bool, 3> unreadable{};

    HistoryList& operator[](HistoryKind kind) { return lists[static_cast<size_t>(kind)]; }
    const HistoryList& operator[](HistoryKind kind) const { return lists[static_cast<size_t>(kind)]; }
};

// folder: the program's folder with a trailing backslash. A missing file leaves its list empty.
// Never throws.
Histories LoadHistories(const std::wstring& folder);

// Cuts every list to its first 20 entries and writes the three files, each replacing the old one.
// Never throws: when a file cannot be written the others are still written, and the answer is
// the text of the message to show (empty when everything was saved).
std::wstring SaveHistories(const std::wstring& folder, Histories& histories);

// Single-file access, throwing PlatformError.
HistoryList ReadHistoryFile(const std::wstring& path);
void WriteHistoryFile(const std::wstring& path, const HistoryList& list);

// Where the history files live: beside the program where that folder can be written (portable
// installs), otherwise in the user's own application-data folder. Both end with a backslash.
struct HistoryFolders {
    std::wstring program;
    std::wstring user;
};

// The user's folder for the files: %APPDATA%\Zeigerwerk\ (empty when there is no such folder).
std::wstring UserHistoryFolder();

// Reads from the user's folder when it holds any of the files, otherwise from the program's.
Histories LoadHistories(const HistoryFolders& folders);

// Writes to the folder the histories are read from; when that cannot be written, to the other
// one. The answer is the message to show only when neither place could be written.
std::wstring SaveHistories(const HistoryFolders& folders, Histories& histories);

// Shows the problems of the end of the run (histories, settings) in one error box; nothing
// when all texts are empty.
void ReportSaveProblems(HWND owner, const std::wstring& first, const std::wstring& second = {});
