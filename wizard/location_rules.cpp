#include "wizard/location_rules.h"

#include "platform/path_text.h"
#include "wizard/name_rules.h"

LocationCheck CheckLocationText(const std::wstring& text, const std::function<bool(const std::wstring&)>& folderExists,
                                const std::function<bool(const std::wstring&)>& isCdRomDrive) {
    LocationCheck check;
    // A colon after the last backslash belongs to the name (a:b is a name with an invalid
    // character, not a drive-relative path); only a text without backslash splits at a colon.
    const size_t backslash = text.rfind(L'\\');
    check.folder = backslash == std::wstring::npos ? FolderPart(text) : text.substr(0, backslash + 1);
    check.name = text.substr(check.folder.size());
    check.nameEmpty = check.name.empty();
    check.onCdRom = isCdRomDrive(text.substr(0, 3));
    check.folderMissing = !folderExists(check.folder);
    const std::wstring cleaned = RemoveInvalidChars(check.name);
    if (cleaned != check.name) check.proposal = WithTrailingBackslash(check.folder) + cleaned;
    return check;
}
