#include "update/socket_client.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Longest single block inside a wait, so that an abort is noticed at least this often.
constexpr int kSliceMs = 10;

long long MsUntil(Clock::time_point end) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? left : 0;
}

int RemainingMs(Clock::time_point start, int timeOut) {
    if (timeOut <= 0) return kSliceMs;
    long long left = MsUntil(start + std::chrono::milliseconds(timeOut));
    return left < kSliceMs ? static_cast<int>(left) : kSliceMs;
}

}  // namespace

bool ParseDottedIPv4(const std::string& text, std::uint32_t& address) {
    std::uint32_t result = 0;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        std::size_t start = pos;
        unsigned value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3)
            value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
        if (pos == start || value > 255) return false;
        result = (result << 8) | value;
    }
    if (pos != text.size()) return false;
    address = result;
    return true;
}

SocketClient::SocketClient() : Resolver(ResolveHostIPv4) {}

SocketClient::~SocketClient() { Disconnect(); }

void SocketClient::Pump() {
    if (OnWait) OnWait();
}

void SocketClient::RunBounded(std::function<void()> work, SocketError::Kind kind, const char* timedOut,
                              const char* canceled) {
    // The call blocks and cannot be cancelled, so it runs on a thread of its own while this one
    // watches the time-out and the abort flag; one that does not return in time is left behind.
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::exception_ptr failure;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([shared, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->failure = failure;
        shared->finished = true;
        shared->done.notify_all();
    });

    Clock::time_point start = Clock::now();
    AbortReason reason = AbortReason::None;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(shared->mutex);
            shared->done.wait_for(lock, std::chrono::milliseconds(RemainingMs(start, TimeOut)),
                                  [&] { return shared->finished; });
            if (shared->finished) break;
        }
        Pump();
        if (TimeOut > 0 && RemainingMs(start, TimeOut) == 0) abortReason_ = AbortReason::TimeOut;
        reason = abortReason_;
        if (reason != AbortReason::None) break;
    }
    if (reason != AbortReason::None) {
        // The worker owns its share of the state and ends on its own once the call returns.
        worker.detach();
        throw SocketError(kind, reason == AbortReason::TimeOut ? timedOut : canceled);
    }
    worker.join();
    if (shared->failure) std::rethrow_exception(shared->failure);
}

std::uint32_t SocketClient::LookUp(const std::string& host) {
    std::uint32_t address = 0;
    if (ParseDottedIPv4(host, address)) return address;
    if (!Resolver) throw SocketError(SocketError::Kind::Lookup, "Null Remote Address");
    auto found = std::make_shared<std::pair<bool, std::uint32_t>>(false, 0);
    RunBounded([found, host, resolver = Resolver] { found->first = resolver(host, found->second); },
               SocketError::Kind::Lookup, "Host Lookup Timed Out", "Host Lookup Canceled");
    if (!found->first) throw SocketError(SocketError::Kind::Lookup, "Null Remote Address");
    return found->second;
}

void SocketClient::LimitWaitsInAll(int milliseconds) {
    hasLimit_ = milliseconds > 0;
    limit_ = Clock::now() + std::chrono::milliseconds(milliseconds);
}

int SocketClient::SliceMs(Clock::time_point start) const {
    int slice = RemainingMs(start, TimeOut);
    if (hasLimit_) {
        long long left = MsUntil(limit_);
        if (left < slice) slice = static_cast<int>(left);
    }
    return slice;
}

SocketClient::WaitEnd SocketClient::WaitSocket(bool forWrite) {
    Clock::time_point start = Clock::now();
    for (;;) {
        Pump();
        if (abortReason_ != AbortReason::None) break;
        int slice = SliceMs(start);
        if (slice == 0) {
            abortReason_ = AbortReason::TimeOut;
            break;
        }
        int error = 0;
        int ready = socket_->Wait(forWrite, slice, error);
        if (ready < 0) throw SocketError(forWrite ? SocketError::Kind::Send : SocketError::Kind::Receive,
                                          SocketErrorText(error));
        if (ready > 0) return WaitEnd::Ready;
    }
    return abortReason_ == AbortReason::TimeOut ? WaitEnd::TimedOut : WaitEnd::Aborted;
}

void SocketClient::Connect(const std::string& host, int port) {
    Disconnect();
    bytesSent_ = 0;
    std::uint32_t address = LookUp(host);
    if (port <= 0 || port > 65535) throw SocketError(SocketError::Kind::Connect, "Invalid Port");

    socket_ = PlatformSocket::Create();
    if (int error = socket_->Open(); error != 0)
        throw SocketError(SocketError::Kind::Connect, SocketErrorText(error));
    int error = socket_->Connect(address, static_cast<std::uint16_t>(port));
    SocketCondition condition = ClassifySocketError(error);
    bool pending = error != 0 && (condition == SocketCondition::WouldBlock || condition == SocketCondition::InProgress);
    if (error != 0 && !pending && condition != SocketCondition::Refused) {
        Disconnect();
        throw SocketError(SocketError::Kind::Connect, SocketErrorText(error));
    }
    const char* failure = nullptr;
    if (error != 0 && !pending) {
        // A refusal that the platform reports at once is the same outcome as a failed wait.
        failure = "Connection Failed";
    } else if (pending) {
        WaitEnd end = WaitSocket(true);
        if (end == WaitEnd::TimedOut) failure = "Connection Timed out";
        else if (end == WaitEnd::Aborted) failure = "Connection Canceled";
        else if (socket_->ConnectResult() != 0) failure = "Connection Failed";
    }
    if (failure) {
        Disconnect();
        if (OnConnectionFailed) OnConnectionFailed();
        throw SocketError(SocketError::Kind::Connect, failure);
    }
    connected_ = true;
}

void SocketClient::SendText(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        Pump();
        if (abortReason_ != AbortReason::None) throw SocketError(SocketError::Kind::Send, "Socket send aborted");
        std::size_t sent = 0;
        int error = socket_->Send(text.data() + done, text.size() - done, sent);
        if (error == 0) {
            done += sent;
            bytesSent_ += sent;
            continue;
        }
        if (ClassifySocketError(error) != SocketCondition::WouldBlock)
            throw SocketError(SocketError::Kind::Send, SocketErrorText(error));
        if (WaitSocket(true) != WaitEnd::Ready) throw SocketError(SocketError::Kind::Send, "Socket send aborted");
    }
}

std::size_t SocketClient::ReceiveSome(char* buffer, std::size_t size) {
    for (bool waited = false;; waited = true) {
        if (!waited) Pump();
        // Data that keeps arriving never waits, so the limit in all is checked here as well.
        if (hasLimit_ && MsUntil(limit_) == 0) abortReason_ = AbortReason::TimeOut;
        if (abortReason_ != AbortReason::None) break;
        std::size_t received = 0;
        int error = socket_->Receive(buffer, size, received);
        if (error == 0) return received;
        SocketCondition condition = ClassifySocketError(error);
        if (condition == SocketCondition::NotConnected) return 0;
        if (condition != SocketCondition::WouldBlock)
            throw SocketError(SocketError::Kind::Receive, SocketErrorText(error));
        if (WaitSocket(false) != WaitEnd::Ready) break;
    }
    throw SocketError(SocketError::Kind::Receive, abortReason_ == AbortReason::TimeOut
                                                        ? "Socket receive timed out"
                                                        : "Socket receive aborted");
}

void SocketClient::Disconnect() {
    if (socket_) socket_->Close();
    socket_.reset();
    connected_ = false;
}
