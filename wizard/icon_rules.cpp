#include "wizard/icon_rules.h"

#include "platform/path_text.h"

PreviewSource PreviewSourceOf(const std::wstring& iconFile) {
    const std::wstring extension = UpperCase(ExtensionOf(iconFile));
    if (extension == L".EXE" || extension == L".ICO" || extension == L".DLL" || extension == L".ICL")
        return PreviewSource::IconsInFile;
    return extension == L".BMP" ? PreviewSource::Bitmap : PreviewSource::TargetIcon;
}

std::wstring TargetIconPath(const std::wstring& target, bool targetIsFolder) {
    return targetIsFolder ? WithTrailingBackslash(target) : target;
}
