// SocketClient: one TCP connection with host lookup, time-out, cooperative abort and the byte
// counters. Waits are short slices, so that an abort from another thread is noticed at once.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "update/socket_platform.h"

class SocketError : public std::runtime_error {
public:
    // TooLarge: a body over its bound; Cut: a body that ended short of its announced length;
    // Proxy: the settings name a proxy that cannot be used, or their lookup did not answer.
    enum class Kind { Url, Lookup, Connect, Send, Receive, Protocol, File, Busy, TooLarge, Cut, Proxy };
    SocketError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// A strict dotted IPv4 address ("a.b.c.d", each 0-255) in host byte order.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

class SocketClient {
public:
    SocketClient();
    virtual ~SocketClient();
    SocketClient(const SocketClient&) = delete;
    SocketClient& operator=(const SocketClient&) = delete;

    std::string Host;
    int Port = 0;
    // Limit in milliseconds for every wait; 0 or less waits without limit.
    int TimeOut = 0;
    std::string Proxy;
    int ProxyPort = 0;

    // Called at every turn of every wait (tests stop a transfer from here).
    std::function<void()> OnWait;
    std::function<void()> OnConnectionFailed;
    // The blocking name lookup; replaceable for tests.
    std::function<bool(const std::string&, std::uint32_t&)> Resolver;

    std::uint64_t BytesRecvd() const { return bytesRecvd_; }
    std::uint64_t BytesTotal() const { return bytesTotal_; }
    std::uint64_t BytesSent() const { return bytesSent_; }

    // Asks the running operation to stop; its wait notices at the next turn.
    void Abort() { abortReason_ = AbortReason::User; }
    bool Connected() const { return connected_; }

protected:
    enum class AbortReason { None, User, TimeOut };

    void ResetAbort() { abortReason_ = AbortReason::None; }
    bool AbortAsked() const { return abortReason_ != AbortReason::None; }
    void Connect(const std::string& host, int port);
    void SendText(const std::string& text);
    // Returns the count of bytes received; 0 when the peer closed the connection.
    std::size_t ReceiveSome(char* buffer, std::size_t size);
    void Disconnect();
    void Pump();
    // Every wait from now on also ends when `milliseconds` have passed in all (0 or less: no such
    // limit), as for a head that must arrive whole however slowly it trickles in.
    void LimitWaitsInAll(int milliseconds);
    void EndLimitInAll() { hasLimit_ = false; }
    // Runs a blocking call on a thread of its own, within TimeOut and until an abort; a call that
    // does not return by then is left to end alone (it must own what it touches) and raises
    // `kind` with `timedOut` or `canceled`. What the call raises is raised here.
    void RunBounded(std::function<void()> work, SocketError::Kind kind, const char* timedOut, const char* canceled);

    std::uint64_t bytesRecvd_ = 0;
    std::uint64_t bytesTotal_ = 0;
    std::uint64_t bytesSent_ = 0;

private:
    enum class WaitEnd { Ready, Aborted, TimedOut };
    std::uint32_t LookUp(const std::string& host);
    WaitEnd WaitSocket(bool forWrite);
    // Longest next block of a wait that began at `start`; 0 when its time is up.
    int SliceMs(std::chrono::steady_clock::time_point start) const;

    std::unique_ptr<PlatformSocket> socket_;
    std::atomic<AbortReason> abortReason_{AbortReason::None};
    bool connected_ = false;
    bool hasLimit_ = false;
    std::chrono::steady_clock::time_point limit_{};
};
