// The batch that replaces the program's files after the program has ended: the maker's template
// filled in with the folders, between the program's own first and last lines; and the mark it
// leaves when it kept the old version.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class BatchTemplateError : public std::runtime_error {
public:
    BatchTemplateError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
    int Line() const { return line_; }  // 1-based

private:
    int line_;
};

// One template line with its "%s" places filled in order; "%%" is a percent sign. A line with
// more places than values, or another "%" sequence, is refused.
std::string FormatTemplateLine(const std::string& line, const std::vector<std::string>& values, int lineNumber);

// What the program tells the batch, every path in the file's code page (OEM) and absolute.
struct BatchSettings {
    int waitSeconds = 60;      // one-second retries for a file still in use, for all files together
    std::string markFile;      // where the mark goes when the batch stopped
    std::string systemFolder;  // the system's folder (trailing backslash): its programs, never the current folder's
    std::string lockFile;      // when given, the batch first waits until the file is gone (the program's end)
};

// Lines of the batch. First the program's: ZW_TRIES, ZW_BUSY (the file that stopped it), ZW_WHY
// ("inuse" or "copy"), ZW_KEPT ("yes" while the old version is whole), ZW_SYSTEM (the system's
// folder), and the wait for the lock file. Then the
// template's groups of four (first line unchanged, second and third with the program's folder,
// fourth with the run folder and the program's folder) up to the first line that begins with a
// blank or is empty where a group begins; from there on every line with the run folder. Then the
// mark, written when ZW_BUSY is set; the restart line (when restartProgram is given); and the line
// that deletes every file of the run folder, the batch included, and after its end the folder.
// Folders end with a backslash; a "%" in them is doubled, so that the interpreter keeps it.
std::vector<std::string> BuildUpdateBatch(const std::vector<std::string>& templateLines, const std::string& programFolder,
                                          const std::string& runFolder, const std::optional<std::string>& restartProgram,
                                          const BatchSettings& settings);

// Lines of a text file as the batch template is read: split at CR LF, CR or LF.
std::vector<std::string> SplitLines(const std::string& text);
std::string JoinLines(const std::vector<std::string>& lines);

// The start's message about a mark ("NAME REASON KEPT", as the batch writes it); empty when the
// text names no plain file name (letters, digits, '.', '_', '-').
std::optional<std::wstring> InstallMarkMessage(const std::string& text);
