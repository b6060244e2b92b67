#include "update/run_messages.h"

#include "update/proxy_rules.h"

namespace {

const wchar_t* const kLater = L" Bitte versuchen Sie es später noch einmal.";
const wchar_t* const kRetry =
    L"Klicken Sie auf \"Erneut versuchen\", um den Download erneut zu starten.\r\nKlicken Sie auf \"Abbrechen\", um "
    L"den Assistenten zu beenden.";
const wchar_t* const kNothingInstalled = L" Es wird nichts installiert.";

std::wstring ServerAnswer(const TransferOutcome& outcome) {
    return L"(Antwort des Servers: " + std::to_wstring(outcome.status) + L")";
}

// What every file shares: no connection, and a proxy the update cannot pass.
std::optional<RunMessage> ConnectionMessage(const TransferOutcome& outcome) {
    if (outcome.end == TransferEnd::NoConnection)
        return RunMessage{L"Es besteht keine Internetverbindung.", L"Internetverbindung erforderlich"};
    if (outcome.end == TransferEnd::HttpStatus && outcome.status == 407)
        return RunMessage{kProxyAuthenticationText, kProxyAuthenticationCaption};
    if (outcome.end == TransferEnd::ProxyUnusable) return RunMessage{kProxyUnusableText, kProxyUnusableCaption};
    return std::nullopt;
}

std::wstring ListMessage(const TransferOutcome& outcome) {
    switch (outcome.end) {
        case TransferEnd::HttpStatus:
            return L"Der Update-Server hat die Update-Liste nicht geliefert " + ServerAnswer(outcome) + L"." + kLater;
        case TransferEnd::Cut:
            return std::wstring(L"Die Update-Liste ist nicht vollständig angekommen: Der Server hat die Verbindung "
                                L"vorzeitig beendet.") + kLater;
        case TransferEnd::TooLarge:
            return std::wstring(L"Die Update-Liste des Servers ist größer als erlaubt (höchstens 1 MB) und wird nicht "
                                L"gelesen.") + kLater;
        default: return std::wstring(L"Die Antwort des Update-Servers ist ungültig.") + kLater;
    }
}

std::wstring ListSignatureMessage(const TransferOutcome& outcome) {
    const std::wstring start = L"Die Update-Informationen des Servers konnten nicht bestätigt werden";
    if (outcome.end == TransferEnd::HttpStatus)
        return start + L": Der Server hat ihre Signatur nicht geliefert " + ServerAnswer(outcome) + L"." +
               kNothingInstalled;
    if (outcome.end == TransferEnd::Cut) return start + L": Ihre Signatur ist nicht vollständig angekommen." + kLater;
    return start + L"." + kNothingInstalled;
}

std::wstring ArchiveSignatureMessage(const TransferOutcome& outcome) {
    const std::wstring reason = outcome.end == TransferEnd::HttpStatus
                                    ? L", weil der Server ihre Signatur nicht geliefert hat " + ServerAnswer(outcome) + L","
                                    : std::wstring();
    return L"Die heruntergeladenen Update-Dateien konnten nicht bestätigt werden" + reason + L" und wurden gelöscht." +
           kNothingInstalled + L"\r\n\r\n" + kRetry;
}

}  // namespace

std::wstring IncompleteDownloadText() { return std::wstring(L"Der Download wurde nicht vollendet.\r\n\r\n") + kRetry; }

RunMessage FetchFailureMessage(FetchedFile file, const TransferOutcome& outcome) {
    const bool download = file == FetchedFile::Archive || file == FetchedFile::ArchiveSignature;
    if (download && outcome.end == TransferEnd::NoConnection) return {IncompleteDownloadText()};
    if (const auto connection = ConnectionMessage(outcome)) {
        if (!download) return *connection;
        // On the download page, with the way on below it.
        return {L"Der Download wurde nicht vollendet. " + connection->text + L"\r\n\r\n" + kRetry};
    }
    switch (file) {
        case FetchedFile::List: return {ListMessage(outcome)};
        case FetchedFile::ListSignature: return {ListSignatureMessage(outcome)};
        case FetchedFile::ArchiveSignature:
            if (outcome.end != TransferEnd::Cut) return {ArchiveSignatureMessage(outcome)};
            break;
        case FetchedFile::Archive: break;
    }
    return {IncompleteDownloadText()};
}
