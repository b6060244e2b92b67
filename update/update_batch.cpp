#include "update/update_batch.h"

#include <algorithm>

namespace {

std::string BatchLiteral(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '-' || c == '_';
        if (!plain) return false;
    }
    return true;
}

}  // namespace

std::string FormatTemplateLine(const std::string& line, const std::vector<std::string>& values, int lineNumber) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '%') {
            out += line[i];
            continue;
        }
        const char kind = i + 1 < line.size() ? line[i + 1] : '\0';
        if (kind == '%') {
            out += '%';
        } else if (kind == 's' || kind == 'S') {
            if (next >= values.size())
                throw BatchTemplateError(lineNumber, "more places for folder names than this line may have");
            out += values[next++];
        } else {
            throw BatchTemplateError(lineNumber, "a percent sign that is neither %s nor %%");
        }
        ++i;
    }
    return out;
}

std::vector<std::string> BuildUpdateBatch(const std::vector<std::string>& templateLines, const std::string& programFolderName,
                                          const std::string& runFolderName, const std::optional<std::string>& restartProgram,
                                          const BatchSettings& settings) {
    const std::string programFolder = BatchLiteral(programFolderName), runFolder = BatchLiteral(runFolderName);
    const std::string folder = runFolder.substr(0, runFolder.size() - 1);
    const std::string name = folder.substr(folder.find_last_of('\\') + 1);
    std::vector<std::string> lines = templateLines;
    const std::size_t count = lines.size();
    auto endsGroups = [&](std::size_t at) { return at < count && (lines[at].empty() || lines[at][0] == ' '); };
    auto format = [&](std::size_t at, const std::vector<std::string>& values) {
        if (at < count) lines[at] = FormatTemplateLine(lines[at], values, static_cast<int>(at) + 1);
    };
    std::size_t g = 0;
    for (; 4 * g < count; ++g) {
        if (endsGroups(4 * g)) break;
        format(4 * g + 1, {programFolder});
        format(4 * g + 2, {programFolder});
        format(4 * g + 3, {runFolder, programFolder});
    }
    if (endsGroups(4 * g))
        for (std::size_t at = 4 * g; at < count; ++at) format(at, {runFolder});
    // "!" in a folder name stays a plain character whatever the interpreter's defaults. Folder names
    // are written where they are used, never into a variable: some interpreters expand a "%" in a
    // variable's value again.
    std::vector<std::string> head = {"@setlocal disabledelayedexpansion",
                                     "@set ZW_TRIES=" + std::to_string(settings.waitSeconds < 0 ? 0 : settings.waitSeconds),
                                     "@set ZW_BUSY=",
                                     "@set ZW_WHY=inuse",
                                     "@set ZW_KEPT=yes",
                                     "@set \"ZW_SYSTEM=" + BatchLiteral(settings.systemFolder) + "\""};
    if (!settings.lockFile.empty()) {
        // Started before the program's end (the consent prompt comes while it runs): the program
        // holds the lock file until it has ended, and the system removes it then.
        const std::string lock = BatchLiteral(settings.lockFile);
        head.insert(head.end(), {":zw_wait", "@if exist \"" + lock + "\" (\"%ZW_SYSTEM%ping.exe\" -n 2 127.0.0.1 >nul & goto zw_wait)"});
    }
    lines.insert(lines.begin(), head.begin(), head.end());
    lines.push_back("@if defined ZW_BUSY >\"" + BatchLiteral(settings.markFile) + "\" echo %ZW_BUSY% %ZW_WHY% %ZW_KEPT%");
    // Started, not called: the batch goes on to remove its folder while the program runs.
    if (restartProgram) lines.push_back("start \"\" \"" + BatchLiteral(*restartProgram) + "\"");
    // The batch removes its folder whole as it ends, whatever the archive held: from the folder
    // above it (the template may have left for the program's folder) it deletes every file there,
    // itself included, and a second interpreter removes the emptied folder once this one has let
    // go of its batch file. Neither "del" without /s nor "rd" without /s enters a link planted
    // inside. One line, as the interpreter reads no further line once the batch file is gone.
    lines.push_back("cd /d \"" + runFolder + "..\" & start \"\" /b \"%ZW_SYSTEM%cmd.exe\" /d /c \"\"%ZW_SYSTEM%ping.exe\" -n 3 "
                    "127.0.0.1 >nul & rd \"" + name + "\"\" & del /f /q /a \"" + runFolder + "*\" >nul 2>&1");
    return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::optional<std::wstring> InstallMarkMessage(const std::string& text) {
    std::vector<std::string> words;
    const std::string line = text.substr(0, text.find_first_of("\r\n"));
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end > at) words.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    if (words.empty() || !IsPlainName(words[0])) return std::nullopt;
    const std::wstring name(words[0].begin(), words[0].end());
    const bool copy = words.size() > 1 && words[1] == "copy";
    const bool kept = words.size() < 3 || words[2] != "no";
    std::wstring message = L"Das Update konnte nicht installiert werden, weil " + name +
                           (copy ? L" im Programmordner nicht vollständig geschrieben werden konnte."
                                 : L" noch verwendet wurde.");
    return message + (kept ? L" Die bisherige Version bleibt erhalten."
                           : L" Die bisherige Version konnte nicht vollständig wiederhergestellt werden; bitte "
                             L"installieren Sie das Programm neu.");
}
