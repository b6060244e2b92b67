#pragma once
#include <optional>
#include <string>

#include "links/link_kind.h"
#include "links/link_settings.h"

// The link being made, as far as the pages have accepted it: each page's leave step fills its
// part, and creating the link reads nothing else.
struct LinkDraft {
    std::wstring target;          // the object linked to, as typed (%NAME% kept)
    std::wstring arguments;       // joined as the link stores them
    bool targetIsFolder = false;  // asked of the disk once, when the target was accepted
    bool targetIsWebAddress = false;  // the target is a web address: the link is an Internet shortcut
    std::wstring location;        // the link's path without ".lnk"; a folder link's folder
    std::wstring description;
    std::wstring iconFile;        // empty: the target's own icon
    int iconIndex = 0;
    LinkKind kind = LinkKind::ShellLink;
    // Set once the user confirmed "Erweiterte Einstellungen"; without them a new link gets the
    // target's folder to start in, an edited one keeps its own settings.
    std::optional<LinkSettings> settings;
    std::wstring editedLink;      // the link being edited, empty for a new one
    bool replacesEdited = false;  // the edited link goes once the new one is written
};
