// The update's transfers as the run sees them: GETs of paths on the update server into files,
// how each ended, and a file fetched together with its signature beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class SocketError;

// How a transfer ended.
enum class TransferEnd { Done, HttpStatus, Cut, TooLarge, NoConnection, ProxyUnusable, BadAnswer };
struct TransferOutcome {
    TransferEnd end = TransferEnd::Done;
    int status = 0;  // the server's status with HttpStatus
};

// How a GET ended, from the client's error (none: it returned) and the response's status.
TransferOutcome ClassifyTransfer(const SocketError* error, int status);

// A transfer runs elsewhere; its outcome comes back through UpdateRun::TransferEnded, its progress
// through UpdateRun::Progress.
class UpdateTransfers {
public:
    virtual ~UpdateTransfers() = default;
    // A body longer than `limit` bytes ends the transfer as TooLarge; a transfer that does not
    // end Done leaves no file.
    virtual void Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) = 0;
    // Stops the running transfer; no outcome of it counts any more.
    virtual void Stop() = 0;
};

// A file and then its signature: "<path>.sig" into "<file>.sig", 64 bytes at most.
class SignedFetch {
public:
    static constexpr std::uint64_t kSignatureSize = 64;

    explicit SignedFetch(UpdateTransfers& transfers) : transfers_(transfers) {}
    void Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit);
    void Stop();
    bool Running() const { return running_; }
    const std::wstring& SignatureFile() const { return signature_; }

    struct End {
        bool ofSignature;  // the file came whole; this is how its signature's transfer ended
        TransferOutcome outcome;
    };
    // The end of the running transfer; nothing while the signature is still to come.
    std::optional<End> Ended(const TransferOutcome& outcome);

private:
    UpdateTransfers& transfers_;
    std::wstring path_, signature_;
    bool running_ = false, signaturePart_ = false;
};
