// The operating system's TCP/IPv4 sockets behind one small interface: BSD sockets in the native
// build, Winsock in the program. Sockets are non-blocking; waiting is done by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

enum class SocketCondition { WouldBlock, InProgress, NotConnected, Refused, Other };

SocketCondition ClassifySocketError(int error);
// "<number> <name>" of a platform socket error, or "Unknown Error No. <number>".
std::string SocketErrorText(int error);
// Blocking name lookup of an IPv4 address (host byte order); runs on a worker thread.
bool ResolveHostIPv4(const std::string& host, std::uint32_t& address);

class PlatformSocket {
public:
    static std::unique_ptr<PlatformSocket> Create();
    virtual ~PlatformSocket() = default;

    // Each returns 0 or the platform error number.
    virtual int Open() = 0;
    virtual int Connect(std::uint32_t address, std::uint16_t port) = 0;
    // After a connect became ready: 0 when connected, else the error of the attempt.
    virtual int ConnectResult() = 0;
    virtual int Send(const char* data, std::size_t size, std::size_t& sent) = 0;
    // `received` 0 with result 0: the peer closed the connection.
    virtual int Receive(char* buffer, std::size_t size, std::size_t& received) = 0;
    // 1 ready (or failed, for a connect), 0 when `milliseconds` passed, -1 with `error` set.
    virtual int Wait(bool forWrite, int milliseconds, int& error) = 0;

    // Server side, used by tests and benchmarks.
    virtual int Listen(std::uint32_t address, std::uint16_t port) = 0;
    virtual std::uint16_t LocalPort() = 0;
    virtual std::unique_ptr<PlatformSocket> Accept(int& error) = 0;
    virtual void ShutdownSend() = 0;
    // Makes the next close reset the connection instead of ending it in order.
    virtual void SetAbortiveClose() = 0;

    virtual void Close() = 0;
};
