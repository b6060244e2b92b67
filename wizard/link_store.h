#pragma once
#include <cstdint>
#include <string>

// The fields of one shell link as the program exchanges them.
struct LinkData {
    std::wstring targetPath;
    std::wstring arguments;
    std::wstring workingFolder;
    std::wstring description;
    std::wstring iconFile;
    std::int32_t iconIndex = 0;
};

// Reads all six fields through the shell link object; throws PlatformError with the system's
// text when the file is not a readable link. COM must be initialised on this thread.
LinkData ReadLink(const std::wstring& linkFile);

// Creates or replaces a link file; the working folder is derived from the target. The
// description is always written, arguments and icon location only when not empty.
// False when the link could not be saved (also for a path longer than 259 characters).
bool WriteLink(const std::wstring& target, const std::wstring& linkFile, const std::wstring& arguments,
               const std::wstring& description, const std::wstring& iconFile, int iconIndex);
