#pragma once
#include <string>

// Which kind of link a path names, as far as its name tells without reading anything. Every
// question "is this a link, and which" is answered here, so another link format joins in one place.
enum class LinkKind {
    None,        // no link by its name
    ShellLink,   // a shell link file, "x.lnk"
    FolderLink,  // a folder without an extension: a folder link when its Desktop.ini says so
    InternetShortcut,  // an Internet shortcut to a web address, "x.url"
};

// The kind of link file the name's extension gives; None for folders and other files.
LinkKind LinkFileKind(const std::wstring& path);
inline bool IsLinkFile(const std::wstring& path) { return LinkFileKind(path) != LinkKind::None; }

// What a path may be as a link: a drive (three characters or fewer) is none; a path whose last
// component has an extension is a link file by LinkFileKind; one without may be a folder link.
// A trailing backslash is ignored, so a folder with a dot in its name is never a folder link.
LinkKind LinkKindOfPath(const std::wstring& path);

// The same for an entry of a folder listing, given its name and whether it is a folder and
// read-only (a folder link always is).
LinkKind LinkKindOfEntry(const std::wstring& name, bool folder, bool readOnly);

// The file name of a link of the kind at location (the path without the extension).
std::wstring LinkFileName(const std::wstring& location, LinkKind kind);
// The file that holds an edited link's fields: the link file itself, or target.lnk in a folder link.
std::wstring EditedLinkFile(const std::wstring& path);
// The extension of the kind's link files, dot included (what the location page shows).
const wchar_t* LinkFileExtension(LinkKind kind);
