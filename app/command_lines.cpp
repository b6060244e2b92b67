#include "app/command_lines.h"

#include "links/link_rules.h"

namespace {
std::wstring FolderLinkVerbs() { return std::wstring(L"CLSID\\") + kFolderLinkClassId + L"\\shell\\Edit"; }

std::wstring Quoted(const std::wstring& program, const wchar_t* suffix) { return L"\"" + program + suffix; }
}  // namespace

std::wstring OpenCommand(const std::wstring& program) { return Quoted(program, L"\" \"%1\""); }
std::wstring FolderCommand(const std::wstring& program) { return Quoted(program, L"\" /D \"%1\""); }
std::wstring EditCommand(const std::wstring& program) { return Quoted(program, L"\" /E \"%1\""); }
std::wstring UninstallCommand(const std::wstring& program) { return Quoted(program, L"\" /uninstall"); }


std::vector<VerbKey> VerbKeys(const std::wstring& program) {
    const std::wstring open = OpenCommand(program), folder = FolderCommand(program), edit = EditCommand(program);
    const std::wstring folderLinks = FolderLinkVerbs();
    return {
        {L"*\\shell\\Link", L"Verknüpfung mit dieser Datei erstellen"},
        {L"*\\shell\\Link\\command", open},
        {L"Directory\\shell\\Link", L"Verknüpfung mit diesem Ordner erstellen"},
        {L"Directory\\shell\\Link\\command", open},
        {L"Directory\\shell\\LinkHere", L"Hier eine Verknüpfung erstellen"},
        {L"Directory\\shell\\LinkHere\\command", folder},
        {L"Drive\\shell\\Link", L"Verknüpfung mit diesem Laufwerk erstellen"},
        {L"Drive\\shell\\Link\\command", open},
        {L"Drive\\shell\\LinkHere", L"Hier eine Verknüpfung erstellen"},
        {L"Drive\\shell\\LinkHere\\command", folder},
        {L"lnkfile\\shell\\Edit", L"Verknüpfung bearbeiten"},
        {L"lnkfile\\shell\\Edit\\command", edit},
        {L"InternetShortcut\\shell\\Edit", L"Verknüpfung bearbeiten"},
        {L"InternetShortcut\\shell\\Edit\\command", edit},
        {folderLinks, L"Ordnerverknüpfung bearbeiten"},
        {folderLinks + L"\\command", edit},
    };
}

std::vector<std::wstring> VerbKeysToRemove() {
    return {L"*\\shell\\Link",       L"Directory\\shell\\Link", L"Directory\\shell\\LinkHere",
            L"Drive\\shell\\Link",   L"Drive\\shell\\LinkHere", L"lnkfile\\shell\\Edit",
            L"InternetShortcut\\shell\\Edit", FolderLinkVerbs()};
}
