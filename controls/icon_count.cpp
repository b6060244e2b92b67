#include "controls/icon_count.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/handles.h"

int CountIcons(const std::wstring& file, bool quick) {
    if (file.empty()) return 0;
    QuietErrorMode quiet;
    // The file answers with its number of icons in one pass; extracting index by index until
    // nothing comes back would never end for a file that is not an icon source, since the
    // extraction answers such a file with a non-null placeholder at every index.
    const UINT count = ExtractIconExW(FileSystemPath(file).c_str(), -1, nullptr, nullptr, 0);
    const int icons = count == UINT_MAX ? 0 : static_cast<int>(std::min<UINT>(count, INT_MAX));
    return quick ? std::min(icons, 2) : icons;
}
