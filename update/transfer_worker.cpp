#include "update/transfer_worker.h"

#include <utility>

#include "platform/utf.h"
#include "update/proxy_settings.h"

void TransferEnds::Poster::operator()(const Note& note) const {
    auto* carried = new Note(note);
    if (!PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(carried))) delete carried;
}

TransferEnds::~TransferEnds() {
    // Notes still queued for the window are freed with it.
    MSG message;
    while (PeekMessageW(&message, poster_.window, poster_.message, poster_.message, PM_REMOVE))
        delete reinterpret_cast<Note*>(message.lParam);
}

std::optional<TransferEnds::Note> TransferEnds::Take(LPARAM lParam) {
    const std::unique_ptr<Note> note(reinterpret_cast<Note*>(lParam));
    if (!note || !Counts(note->number)) return std::nullopt;
    if (held_) {
        waiting_.push_back(*note);
        return std::nullopt;
    }
    return *note;
}

std::vector<TransferEnds::Note> TransferEnds::Release() {
    held_ = false;
    std::vector<Note> counting;
    for (const Note& note : std::exchange(waiting_, {}))
        if (Counts(note.number)) counting.push_back(note);
    return counting;
}

// One transfer, shared with its thread, which may outlive the worker.
struct TransferWorker::Job {
    HttpClient client;
    std::atomic<bool> finished{false}, progressPosted{false};
    std::atomic<std::uint64_t> received{0}, total{0};
};

TransferWorker::TransferWorker(HWND window, UINT progressMessage, TransferEnds& ends, ServerAddress server,
                               std::shared_ptr<SystemProxy> proxy, std::function<void(HttpClient&)> prepare)
    : window_(window),
      progressMessage_(progressMessage),
      ends_(ends),
      server_(std::move(server)),
      proxy_(std::move(proxy)),
      prepare_(std::move(prepare)) {}

TransferWorker::~TransferWorker() { Stop(); }

std::uint64_t TransferWorker::Received() const { return job_ ? job_->received.load() : 0; }
std::uint64_t TransferWorker::Total() const { return job_ ? job_->total.load() : 0; }
void TransferWorker::ProgressSeen() {
    if (job_) job_->progressPosted = false;
}

void TransferWorker::Start(const std::wstring& path, const std::wstring& file, std::uint64_t limit) {
    Stop();
    const unsigned number = ends_.Begin();
    auto job = std::make_shared<Job>();
    HttpClient& client = job->client;
    client.TimeOut = 10000;
    client.InputFileMode = true;
    client.Host = server_.host;
    client.Body = file;
    client.MaxBodySize = limit;
    if (proxy_) client.ProxyFor = [proxy = proxy_](const std::string& url, const std::string& host) { return proxy->For(url, host); };
    Job* const shared = job.get();
    client.OnPacketRecvd = [shared, window = window_, message = progressMessage_, number, interval = progressInterval,
                            last = std::chrono::steady_clock::time_point{}]() mutable {
        shared->received = shared->client.BytesRecvd();
        shared->total = shared->client.BytesTotal();
        // One message at a time, and no more often than a person can read: the transfer itself
        // never waits for the window.
        const auto now = std::chrono::steady_clock::now();
        if (now - last < interval || shared->progressPosted.exchange(true)) return;
        last = now;
        PostMessageW(window, message, number, 0);
    };
    if (prepare_) prepare_(client);
    job_ = job;
    const std::wstring url = L"http://" + WideFromUtf8(server_.host) + L":" + std::to_wstring(server_.port) + path;
    thread_ = std::thread([job, url, file, number, post = ends_.Post()] {
        std::optional<SocketError> error;
        try {
            job->client.Get(url);
        } catch (const SocketError& failure) {
            error = failure;
        } catch (const std::exception&) {
            error = SocketError(SocketError::Kind::File, "");
        }
        job->received = job->client.BytesRecvd();
        job->total = job->client.BytesTotal();
        const TransferOutcome outcome = ClassifyTransfer(error ? &*error : nullptr, job->client.Status());
        job->finished = true;
        post({number, outcome});
    });
}

void TransferWorker::Stop() {
    if (!thread_.joinable()) return;
    ends_.Drop();
    // Abort again until the thread has seen it (the client clears its flag as a Get begins), but
    // never hold the window for more than a moment: every wait of the client notices at once.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (!job_->finished && std::chrono::steady_clock::now() < giveUp) {
        job_->client.Abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (job_->finished)
        thread_.join();
    else
        thread_.detach();
}
