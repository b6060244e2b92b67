#pragma once
#include <string>

#include "links/url_file_text.h"

// Reads an Internet shortcut through the system's object; where the system has none, from the
// file's text. Throws PlatformError with the system's text when the file cannot be read.
InternetShortcutFields ReadInternetShortcut(const std::wstring& file);

// The whole file an Internet shortcut at file gets: the system's object writes the fields (in the
// file's Unicode section too where the address needs it); without that object the same keys go
// into the file's text. With keepFrom (an existing Internet shortcut, may be file itself) every
// key and section the wizard does not show is kept. Throws PlatformError.
std::string InternetShortcutBytes(const std::wstring& file, const InternetShortcutFields& fields,
                                  const std::wstring& keepFrom = {});

struct LinkDraft;
// The file for the draft of a link to a web address: the edited Internet shortcut is its starting
// point, its hot key and run mode kept unless the user set them.
std::string InternetShortcutDraftBytes(const LinkDraft& draft, const std::wstring& file);

// Whether the system knows the scheme as a protocol: HKEY_CLASSES_ROOT\<scheme> with "URL Protocol".
bool SystemKnowsProtocol(const std::wstring& scheme);
