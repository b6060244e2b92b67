#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "links/link_kind.h"

// The file system as writing a link uses it: the real one on Windows, one in memory in tests.
// Every call throws PlatformError when it fails.
class LinkFileSystem {
public:
    // A file being made; closed when destroyed.
    class NewFile {
    public:
        virtual ~NewFile() = default;
        virtual void Write(const std::string& bytes) = 0;
        virtual void Flush() = 0;
    };
    // Swap's error code when file was moved to backup and replacement could not take its place.
    static constexpr std::uint32_t kSwapHalfDone = 1177;  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2

    virtual ~LinkFileSystem() = default;
    virtual bool IsFile(const std::wstring& path) = 0;
    virtual bool IsFolder(const std::wstring& path) = 0;
    // The names in a folder (ending with a backslash), without "." and "..".
    virtual std::vector<std::wstring> Entries(const std::wstring& folder) = 0;
    // Makes path, which must not exist yet.
    virtual std::unique_ptr<NewFile> Create(const std::wstring& path) = 0;
    // Puts replacement in file's place, keeping file's attributes; the old file is at backup then.
    virtual void Swap(const std::wstring& file, const std::wstring& replacement, const std::wstring& backup) = 0;
    // Renames from to, which must not exist; never replaces anything.
    virtual void Move(const std::wstring& from, const std::wstring& to) = 0;
    // Deletes one file, whatever its attributes.
    virtual void Remove(const std::wstring& file) = 0;
    virtual void MakeFolder(const std::wstring& folder) = 0;
    // Removes an empty folder, whatever its attributes.
    virtual void RemoveFolder(const std::wstring& folder) = 0;
    // Writes folder's Desktop.ini so that the shell reads the folder as a folder link.
    virtual void WriteFolderLinkIni(const std::wstring& folder) = 0;
    // Marks a folder link whole: Desktop.ini and target.lnk hidden, the folder read-only.
    virtual void MarkFolderLink(const std::wstring& folder) = 0;
};

// One link to write: its whole file content and where it goes.
struct LinkWrite {
    LinkKind kind = LinkKind::ShellLink;
    std::wstring file;                    // the link file; a folder link's target.lnk
    std::string bytes;
    std::wstring replaced;  // the link being edited, removed once the new one is in place; or empty
};

struct LinkWriteResult {
    bool written = false;
    std::wstring error;               // the system's reason when nothing was written
    std::vector<std::wstring> notes;  // where something of the user's stays, one sentence each
};

// Writes the link beside its final name, flushes it and swaps it in, so that at every moment the
// old link or the new one exists whole. The replaced link goes only after that, and of a folder
// link only its own Desktop.ini and target.lnk: the folder itself goes only when it is empty.
// What fails after the swap costs nothing: the old file stays under a name a note gives.
LinkWriteResult WriteLinkTransaction(LinkFileSystem& files, const LinkWrite& write);
