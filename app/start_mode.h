#pragma once
#include <functional>
#include <string>

// What the program does for its first two command-line arguments.
struct StartMode {
    enum Kind { Uninstall, NewLinkHere, Wizard } kind = Wizard;
    std::wstring target;        // bare path: the target command line (quoted when it holds a blank)
    std::wstring folder;        // /S: the folder with one trailing backslash; /D: the folder to select
    std::wstring editedLink;    // /E: the link file or folder link to edit
};

struct PathQueries {
    std::function<bool(const std::wstring&)> fileExists;
    std::function<bool(const std::wstring&)> folderExists;
    // Where relative paths on the command line are taken from; empty: they are left as given.
    std::wstring currentFolder;
    // The path with its environment variables replaced; a path that starts with one is checked
    // in that form and kept as given. Empty: no variables are known.
    std::function<std::wstring(const std::wstring&)> expand;
};

// path as an absolute path, taken in currentFolder when it is relative (also ".\", "..\", a path
// from the drive's root and "X:name" on another drive, which starts at that drive's root), with
// "." and ".." parts resolved and slashes turned into backslashes. Absolute paths and UNC paths
// only lose their "." and ".." parts; a rooted path ("\x") starts at the root of the current
// folder's drive or share. "\\?\" paths and paths starting with a variable stay as given, and
// so does an empty one.
std::wstring AbsolutePathIn(const std::wstring& path, const std::wstring& currentFolder);

StartMode DecideStartMode(const std::wstring& first, const std::wstring& second, const PathQueries& paths);

// The rundll32 parameters that start the system's new-link wizard in folder.
std::wstring NewLinkHereParameters(const std::wstring& folder);

// The target command line for a link being edited: the target, quoted when it holds a blank or a
// comma, then one blank and the arguments when there are any.
std::wstring EditedTargetCommandLine(const std::wstring& target, const std::wstring& arguments);
