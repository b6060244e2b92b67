#pragma once
#include <functional>
#include <string>

// The check of the location text when Next leaves the location page.
struct LocationCheck {
    std::wstring folder;   // up to and including the last backslash or colon
    std::wstring name;     // the rest
    bool nameEmpty = false;
    bool onCdRom = false;
    bool folderMissing = false;
    std::wstring proposal;  // folder + cleaned name when the name holds invalid characters, else empty
    bool Accepted() const { return !nameEmpty && !onCdRom && !folderMissing && proposal.empty(); }
};

LocationCheck CheckLocationText(const std::wstring& text, const std::function<bool(const std::wstring&)>& folderExists,
                                const std::function<bool(const std::wstring&)>& isCdRomDrive);
