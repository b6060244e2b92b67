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
    // The settings the system keeps in the link's header.
    std::uint16_t hotKey = 0;  // virtual key in the low byte, HOTKEYF_ modifiers in the high byte
    int showCommand = 1;       // 1 normal window, 7 minimised, 3 maximised
    bool runAsAdmin = false;
};

// path with the environment variables it names (%NAME%) replaced by their values here.
std::wstring ExpandedPath(const std::wstring& path);

// The fields of a new link: the working folder is derived from the target.
LinkData NewLinkData(const std::wstring& target, const std::wstring& arguments = {},
                     const std::wstring& description = {}, const std::wstring& iconFile = {}, int iconIndex = 0);

// Reads the fields through the shell link object, the header's settings and the environment-
// variable forms of target and icon path (where the link has them) from the file itself; throws
// PlatformError with the system's text when the file is not a readable link. COM must be
// initialised on this thread.
LinkData ReadLink(const std::wstring& linkFile);

// The target path of a link file, or empty when it cannot be read. Never throws.
std::wstring LinkTargetPath(const std::wstring& linkFile);

// Creates or replaces a link file, written beside it and swapped in. Target, working folder, description and the header's settings
// are always written, arguments and icon location only when not empty. A target or icon path
// with environment variables is written expanded, with its variable form beside it, which the
// system reads first. Throws PlatformError with the system's reason
// when the link cannot be written (also for a path longer than 259 characters).
void WriteLink(const std::wstring& linkFile, const LinkData& link);

// A link file kept whole, so that an edit can start from everything it holds (hot key, show
// command, flags, extra data blocks) even after the file itself was moved aside or deleted.
struct StoredLink {
    LinkData fields;
    std::string bytes;
};

// Reads the file (up to kMaxLinkFileSize, which must start as a shell link) and its fields;
// throws PlatformError when it is not a readable link.
StoredLink ReadStoredLink(const std::wstring& linkFile);

// The whole content of a new link file with these fields, made in memory: what the link object
// writes, completed with what it drops. Throws PlatformError.
std::string NewLinkBytes(const LinkData& link);
// The same for an edit: the stored link with only the fields the wizard owns replaced where they
// differ (target, arguments, description, icon, working folder, hot key, show command, run-as);
// everything else stays as the link object keeps it.
std::string EditedLinkBytes(const StoredLink& original, const LinkData& link);

// Writes linkFile with EditedLinkBytes. Throws PlatformError like WriteLink.
void WriteEditedLink(const std::wstring& linkFile, const StoredLink& original, const LinkData& link);
