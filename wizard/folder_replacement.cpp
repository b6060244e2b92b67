#include "wizard/folder_replacement.h"

#include <shellapi.h>

#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_file_operation.h"

bool MakeRoomForFolderLink(HWND owner, const std::wstring& folder) {
    ExclamationSound();
    if (!WarnYesNo(owner, L"Die Ordnerverknüpfung " + WithoutTrailingBackslash(folder) +
                              L" kann nicht erstellt werden, da bereits ein gleichnamiger Ordner existiert. "
                              L"Sollen der Ordner und alle in ihm enthaltenen Dateien gelöscht werden?",
                   BoxAnswer::No))
        return false;
    // A folder link left read-only would keep the shell from emptying it.
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ShellFileOperation(FO_DELETE, owner, {folder + L"*.*"}, false, false);
    return true;
}
