#include "update/signed_fetch.h"

#include "update/socket_client.h"

TransferOutcome ClassifyTransfer(const SocketError* error, int status) {
    if (!error) return status >= 400 ? TransferOutcome{TransferEnd::HttpStatus, status} : TransferOutcome{};
    switch (error->kind()) {
        case SocketError::Kind::TooLarge: return {TransferEnd::TooLarge};
        case SocketError::Kind::Cut: return {TransferEnd::Cut};
        case SocketError::Kind::Proxy: return {TransferEnd::ProxyUnusable};
        case SocketError::Kind::Lookup:
        case SocketError::Kind::Connect:
        case SocketError::Kind::Send:
        case SocketError::Kind::Receive: return {TransferEnd::NoConnection};
        default: return {TransferEnd::BadAnswer};
    }
}

void SignedFetch::Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) {
    Stop();
    path_ = path;
    signature_ = file + L".sig";
    running_ = true;
    signaturePart_ = false;
    transfers_.Start(path, file, limit);
}

void SignedFetch::Stop() {
    if (!running_) return;
    running_ = false;
    transfers_.Stop();
}

std::optional<SignedFetch::End> SignedFetch::Ended(const TransferOutcome& outcome) {
    if (!running_) return std::nullopt;
    if (!signaturePart_ && outcome.end == TransferEnd::Done) {
        signaturePart_ = true;
        transfers_.Start(path_ + L".sig", signature_, kSignatureSize);
        return std::nullopt;
    }
    running_ = false;
    return End{signaturePart_, outcome};
}
