#include "update/transfer_worker.h"

#include "platform/utf.h"
#include "update/proxy_settings.h"

TransferOutcome ClassifyTransfer(const SocketError* error, int status) {
    if (!error) return status >= 400 ? TransferOutcome{TransferEnd::HttpStatus, status} : TransferOutcome{};
    switch (error->kind()) {
        case SocketError::Kind::TooLarge: return {TransferEnd::TooLarge};
        case SocketError::Kind::Cut: return {TransferEnd::Cut};
        case SocketError::Kind::Lookup:
        case SocketError::Kind::Connect:
        case SocketError::Kind::Send:
        case SocketError::Kind::Receive: return {TransferEnd::NoConnection};
        default: return {TransferEnd::BadAnswer};
    }
}

TransferWorker::TransferWorker(HWND window, UINT progressMessage, UINT endMessage, ServerAddress server)
    : window_(window), progressMessage_(progressMessage), endMessage_(endMessage), server_(std::move(server)) {
    client_.Port = 21;
    client_.TimeOut = 10000;
    client_.InputFileMode = true;
    client_.ProxyFor = SystemProxyFor;
    client_.OnPacketRecvd = [this, last = std::chrono::steady_clock::time_point{}]() mutable {
        received_ = client_.BytesRecvd();
        total_ = client_.BytesTotal();
        // One message at a time, and no more often than a person can read: the transfer itself
        // never waits for the window.
        const auto now = std::chrono::steady_clock::now();
        if (now - last < progressInterval || progressPosted_.exchange(true)) return;
        last = now;
        PostMessageW(window_, progressMessage_, 0, 0);
    };
}

TransferWorker::~TransferWorker() { Stop(); }

void TransferWorker::Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) {
    Stop();
    const std::wstring url = L"http://" + WideFromUtf8(server_.host) + L":" + std::to_wstring(server_.port) + path;
    received_ = total_ = 0;
    progressPosted_ = false;
    finished_ = false;
    thread_ = std::thread(&TransferWorker::Run, this, url, file, limit, ++number_);
}

void TransferWorker::Run(std::wstring url, std::wstring file, std::uint64_t limit, unsigned number) {
    client_.Host = server_.host;
    client_.Body = file;
    client_.MaxBodySize = limit;
    std::optional<SocketError> error;
    try {
        client_.Get(url);
    } catch (const SocketError& failure) {
        error = failure;
    } catch (const std::exception&) {
        error = SocketError(SocketError::Kind::File, "");
    }
    received_ = client_.BytesRecvd();
    total_ = client_.BytesTotal();
    outcome_ = ClassifyTransfer(error ? &*error : nullptr, client_.Status());
    // An error page is no copy of the file.
    if (outcome_.end != TransferEnd::Done) DeleteFileW(file.c_str());
    finished_ = true;
    PostMessageW(window_, endMessage_, number, 0);
}

void TransferWorker::Stop() {
    if (!thread_.joinable()) return;
    // The next message names a transfer that no longer counts.
    ++number_;
    // Abort again until the thread has seen it: the client clears its flag as a Get begins.
    while (!finished_) {
        client_.Abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    thread_.join();
}

std::optional<TransferOutcome> TransferWorker::Outcome(WPARAM number) const {
    if (number != number_ || !finished_) return std::nullopt;
    return outcome_;
}
