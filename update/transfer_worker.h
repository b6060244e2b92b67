// The update's transfers on a worker thread: the HTTP client runs there, and its progress (at a
// human pace) and its outcome are posted to a window. Stop aborts the client and waits for the
// thread, which notices the abort within one of the client's short waits.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "update/http_client.h"
#include "update/update_rules.h"
#include "update/update_run.h"

class TransferWorker : public UpdateTransfers {
public:
    // progressMessage and endMessage go to window; the end's wParam is the transfer's number.
    TransferWorker(HWND window, UINT progressMessage, UINT endMessage, ServerAddress server);
    ~TransferWorker() override;

    void Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) override;
    void Stop() override;

    // The least time between two progress messages.
    std::chrono::milliseconds progressInterval{50};

    // What the posted messages carry; read on the window's thread.
    std::uint64_t Received() const { return received_; }
    std::uint64_t Total() const { return total_; }
    // Marks the progress message as handled, so that the next one may be posted.
    void ProgressSeen() { progressPosted_ = false; }
    // The outcome of the transfer the end message names; empty when that one was stopped.
    std::optional<TransferOutcome> Outcome(WPARAM number) const;
    // The client, to be set up before the first transfer.
    HttpClient& Client() { return client_; }

private:
    void Run(std::wstring url, std::wstring file, std::uint64_t limit, unsigned number);

    HWND window_;
    UINT progressMessage_, endMessage_;
    ServerAddress server_;
    HttpClient client_;
    std::thread thread_;
    std::atomic<bool> finished_{true}, progressPosted_{false};
    std::atomic<std::uint64_t> received_{0}, total_{0};
    std::atomic<unsigned> number_{0};
    TransferOutcome outcome_;  // written by the thread before it posts the end
};

// How a failed GET ended, from the client's error and the response's status.
TransferOutcome ClassifyTransfer(const SocketError* error, int status);
