#include "controls/folder_commands.h"

#include <shellapi.h>

#include <vector>

#include "controls/directory_rules.h"
#include "platform/handles.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/path_text.h"
#include "platform/shell_file_operation.h"

namespace {
constexpr const wchar_t* kErrorCaption = L"Fehler";

// Creates each missing folder of the chain; on failure removes again what it created.
bool CreateFolderChain(const std::wstring& folder, const std::vector<std::wstring>& parts, FolderReading& reading) {
    std::vector<std::wstring> created;
    std::wstring path = folder;
    for (const auto& part : parts) {
        path += part;
        if (reading.Attributes(path) == FolderReading::kUnknownAttributes) {
            if (!CreateDirectoryW(path.c_str(), nullptr)) {
                for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
                return false;
            }
            created.push_back(path);
        }
        path += L'\\';
    }
    return true;
}
}  // namespace

FolderCommand ChooseFolderCommand(HWND tree, POINT screen, bool canCreate, bool canDelete) {
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return FolderCommand::None;
    const struct {
        FolderCommand command;
        const wchar_t* caption;
        bool enabled;
    } entries[] = {
        {FolderCommand::New, L"Neuer Ord&ner", canCreate},
        {FolderCommand::Delete, L"Ordner &löschen", canDelete},
        {FolderCommand::Open, L"Ordner im Ex&plorer öffnen", true},
        {FolderCommand::Refresh, L"&Aktualisieren", true},
    };
    for (const auto& entry : entries)
        AppendMenuW(menu.Get(), MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(entry.command), entry.caption);
    return static_cast<FolderCommand>(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                     screen.x, screen.y, 0, tree, nullptr));
}

std::wstring CreateFolderAsked(HWND owner, const std::wstring& folder, FolderReading& reading) {
    std::wstring name = L"Neuer Ordner";
    for (;;) {
        if (!InputQuery(owner, L"Neuer Ordner", L"Geben Sie den Namen des neuen Ordners ein:", name)) return {};
        if (name.empty()) {
            ShowBox(owner, L"Sie müssen einen Ordnernamen angeben.", kErrorCaption, BoxKind::Warning, BoxButtons::Ok);
            return {};
        }
        if (reading.Attributes(folder + name) == FolderReading::kUnknownAttributes) break;
        ErrorSound();
        if (ShowBox(owner, L"Das angegebene Verzeichnis existiert bereits. Möchten Sie einen anderen Namen angeben?",
                    kErrorCaption, BoxKind::Error, BoxButtons::YesNo) != BoxAnswer::Yes)
            return {};
    }
    const auto parts = NewFolderParts(name);
    if (!parts || !CreateFolderChain(folder, *parts, reading)) {
        ShowBox(owner, L"Der Ordner \"" + folder + name + L"\" konnte nicht erstellt werden.", kErrorCaption,
                BoxKind::Error, BoxButtons::Ok);
        return {};
    }
    std::wstring created = folder;
    for (const auto& part : *parts) created += part + L'\\';
    return created;
}

void DeleteThroughShell(HWND owner, const std::wstring& path) {
    ShellFileOperation(FO_DELETE, owner, {path}, true, false);
}

void ExploreFolder(HWND owner, const std::wstring& folder) {
    ShellExecuteW(owner, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
