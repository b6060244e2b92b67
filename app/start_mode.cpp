#include "app/start_mode.h"

#include "platform/path_text.h"
#include "wizard/command_line.h"

StartMode DecideStartMode(const std::wstring& first, const std::wstring& second, const PathQueries& paths) {
    StartMode mode;
    if (first == L"/uninstall") {
        mode.kind = StartMode::Uninstall;
        return mode;
    }
    const std::wstring sw = UpperCase(first);
    if (sw == L"/S" && paths.folderExists(second)) {
        mode.kind = StartMode::NewLinkHere;
        mode.folder = WithTrailingBackslash(second);
        return mode;
    }
    if (paths.fileExists(first) || paths.folderExists(first)) mode.target = QuoteIf(first, L" ");
    if (sw == L"/D" && paths.folderExists(second)) mode.folder = second;
    if (sw == L"/E" && (paths.fileExists(second) || paths.folderExists(second))) {
        const std::wstring extension = UpperCase(ExtensionOf(second));
        if (extension == L".LNK" || extension.empty()) mode.editedLink = second;
    }
    return mode;
}

std::wstring NewLinkHereParameters(const std::wstring& folder) {
    return L"appwiz.cpl,NewLinkHere " + WithTrailingBackslash(folder);
}

std::wstring EditedTargetCommandLine(const std::wstring& target, const std::wstring& arguments) {
    return QuoteIf(target, L" ,") + (arguments.empty() ? L"" : L" " + arguments);
}
