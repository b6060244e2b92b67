// What the update run tells the user when a file of the server did not arrive or did not hold:
// a box for the list and its signature, the download page's text for the archive and its signature.
#pragma once

#include <string>

#include "update/signed_fetch.h"

inline constexpr const wchar_t* kUpdateCaption = L"Updates installieren";

enum class FetchedFile { List, ListSignature, Archive, ArchiveSignature };

struct RunMessage {
    std::wstring text, caption = kUpdateCaption;
};

// The message for a transfer that did not end Done, or for a signature that did not confirm its
// file (outcome Done).
RunMessage FetchFailureMessage(FetchedFile file, const TransferOutcome& outcome);

// The download page's text after a download that did not end whole.
std::wstring IncompleteDownloadText();
