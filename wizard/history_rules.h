#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The three histories of the wizard (targets, folders, icon files): lookups, the move-to-top
// update and the text format of the history files. No Windows header here.

using HistoryList = std::vector<std::wstring>;

// Entries kept when a history is saved; while the program runs a list may grow past this.
inline constexpr size_t kHistoryLimit = 20;

// Index of the first entry equal to text without regard to case, or -1.
int IndexOfText(const std::wstring& text, const HistoryList& list);
// Index of the first entry whose folder part equals folder without regard to case, or -1.
int IndexOfFolder(const std::wstring& folder, const HistoryList& list);

// Moves the entry at index to the top keeping its own spelling; index -1 inserts text at the top.
void MoveToTop(HistoryList& list, int index, const std::wstring& text);
// A target command line or an icon file accepted by the user.
void RememberText(HistoryList& list, const std::wstring& text);
// A link location accepted by the user: its folder part goes to the top.
void RememberFolderOf(HistoryList& list, const std::wstring& location);
// The first kHistoryLimit entries.
void CutToLimit(HistoryList& list);

// The system code page as the history files see it. The Windows side uses the real one; the
// portable Cp1252 serves the native build and the tests.
class CodePage {
public:
    virtual ~CodePage() = default;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // Empty when some character has no exact counterpart in the code page.
    virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;
};

class Cp1252 final : public CodePage {
public:
    std::wstring Decode(std::string_view bytes) const override;
    std::optional<std::string> Encode(std::wstring_view text) const override;
};

// One entry per line, split at CR, LF or CR LF; an empty line is an entry, a final line break
// adds none. Without a UTF-8 byte-order mark the bytes are in the code page.
HistoryList DecodeHistoryFile(std::string_view bytes, const CodePage& codePage);
// Every entry followed by CR LF, in the code page when every entry fits it, otherwise UTF-8
// with a byte-order mark, so no entry is ever lost to a substitute character.
std::string EncodeHistoryFile(const HistoryList& list, const CodePage& codePage);
