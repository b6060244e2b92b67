#pragma once
#include <string>

#include "links/url_file_text.h"

// Reads an Internet shortcut through the system's object; where the system has none, from the
// file's text. Throws PlatformError with the system's text when the file cannot be read.
InternetShortcutFields ReadInternetShortcut(const std::wstring& file);

// Writes file as an Internet shortcut beside it first and swaps it in, so a failed write leaves
// what stood there. With keepFrom (an existing Internet shortcut, may be file itself) the new file
// starts as its copy, so that every key the wizard does not show survives. The system's object
// writes the fields (in the file's Unicode section too where the address needs it); without that
// object the same keys are written into the file's text. Throws PlatformError.
void WriteInternetShortcut(const std::wstring& file, const InternetShortcutFields& fields,
                           const std::wstring& keepFrom = {});

struct LinkDraft;
class LinkWritingQuestions;

// Writes the draft of a link to a web address as <location>.url, asking before it replaces
// another file of that name. An edited Internet shortcut is the starting point of the new file and
// goes once that is written, when the draft replaces it. False when nothing was written.
bool WriteInternetShortcutDraft(const LinkDraft& draft, LinkWritingQuestions& questions);

// Whether the system knows the scheme as a protocol: HKEY_CLASSES_ROOT\<scheme> with "URL Protocol".
bool SystemKnowsProtocol(const std::wstring& scheme);
