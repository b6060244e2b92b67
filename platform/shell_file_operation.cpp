#include "platform/shell_file_operation.h"

#include <shellapi.h>

bool ShellFileOperation(UINT operation, HWND owner, const std::vector<std::wstring>& paths, bool confirm,
                        bool permanent, const std::wstring& destination) {
    std::wstring source;
    for (const auto& path : paths) {
        source += path;
        source += L'\0';
    }
    source += L'\0';
    std::wstring target = destination;
    target += L'\0';

    FILEOP_FLAGS flags = confirm ? 0 : FOF_NOCONFIRMATION;
    if (!permanent && !(GetKeyState(VK_SHIFT) & 0x8000)) flags |= FOF_ALLOWUNDO;

    SHFILEOPSTRUCTW op{};
    op.hwnd = owner;
    op.wFunc = operation;
    op.pFrom = source.c_str();
    op.pTo = operation == FO_DELETE ? nullptr : target.c_str();
    op.fFlags = flags;
    SHFileOperationW(&op);
    return !op.fAnyOperationsAborted;
}
