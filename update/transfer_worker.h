// The update's transfers on worker threads: the HTTP client runs there, its progress (at a human
// pace) and its end are posted to a window, the end with its outcome inside the message.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "update/http_client.h"
#include "update/signed_fetch.h"
#include "update/update_rules.h"

class SystemProxy;

// Where the ends of a window's transfers go: a message whose lParam carries a Note the window
// takes. Each transfer has a number; the ends of those stopped meanwhile are dropped when read.
// While held (a question about the transfer is open), ends wait and come out when released.
class TransferEnds {
public:
    struct Note {
        unsigned number = 0;
        TransferOutcome outcome;
    };
    // Copyable, so that a transfer left behind can still post after the window's objects are gone.
    struct Poster {
        HWND window;
        UINT message;
        void operator()(const Note& note) const;
    };

    TransferEnds(HWND window, UINT message) : poster_{window, message} {}
    ~TransferEnds();
    // A new transfer's number; the ends of those before no longer count.
    unsigned Begin() { return ++current_; }
    void Drop() { ++current_; }
    bool Counts(unsigned number) const { return number == current_; }
    const Poster& Post() const { return poster_; }

    // On the window's thread, for the message: the end to apply now, if any.
    std::optional<Note> Take(LPARAM lParam);
    void Hold() { held_ = true; }
    // The ends that came while held and still count.
    std::vector<Note> Release();

private:
    Poster poster_;
    std::atomic<unsigned> current_{0};
    bool held_ = false;
    std::vector<Note> waiting_;
};

class TransferWorker : public UpdateTransfers {
public:
    // progressMessage's wParam is the transfer's number.
    TransferWorker(HWND window, UINT progressMessage, TransferEnds& ends, ServerAddress server,
                   std::shared_ptr<SystemProxy> proxy, std::function<void(HttpClient&)> prepare = {});
    ~TransferWorker() override;

    void Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) override;
    // Returns at once when the transfer has noticed; one that does not is left to end alone.
    void Stop() override;

    // The least time between two progress messages.
    std::chrono::milliseconds progressInterval{50};

    // The counters of the running transfer; read on the window's thread.
    std::uint64_t Received() const;
    std::uint64_t Total() const;
    // Marks the progress message as handled, so that the next one may be posted.
    void ProgressSeen();

private:
    struct Job;

    HWND window_;
    UINT progressMessage_;
    TransferEnds& ends_;
    ServerAddress server_;
    std::shared_ptr<SystemProxy> proxy_;
    std::function<void(HttpClient&)> prepare_;
    std::shared_ptr<Job> job_;
    std::thread thread_;
};
