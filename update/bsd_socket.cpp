#include "update/socket_platform.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

struct ErrnoName {
    int number;
    const char* name;
};

constexpr ErrnoName kErrnoNames[] = {
    {EINTR, "EINTR"},           {EBADF, "EBADF"},
    {EACCES, "EACCES"},         {EFAULT, "EFAULT"},
    {EINVAL, "EINVAL"},         {EMFILE, "EMFILE"},
    {EPIPE, "EPIPE"},           {EWOULDBLOCK, "EWOULDBLOCK"},
    {EINPROGRESS, "EINPROGRESS"}, {EALREADY, "EALREADY"},
    {ENOTSOCK, "ENOTSOCK"},     {EDESTADDRREQ, "EDESTADDRREQ"},
    {EMSGSIZE, "EMSGSIZE"},     {EPROTOTYPE, "EPROTOTYPE"},
    {ENOPROTOOPT, "ENOPROTOOPT"}, {EPROTONOSUPPORT, "EPROTONOSUPPORT"},
    {EOPNOTSUPP, "EOPNOTSUPP"}, {EAFNOSUPPORT, "EAFNOSUPPORT"},
    {EADDRINUSE, "EADDRINUSE"}, {EADDRNOTAVAIL, "EADDRNOTAVAIL"},
    {ENETDOWN, "ENETDOWN"},     {ENETUNREACH, "ENETUNREACH"},
    {ENETRESET, "ENETRESET"},   {ECONNABORTED, "ECONNABORTED"},
    {ECONNRESET, "ECONNRESET"}, {ENOBUFS, "ENOBUFS"},
    {EISCONN, "EISCONN"},       {ENOTCONN, "ENOTCONN"},
    {ESHUTDOWN, "ESHUTDOWN"},   {ETIMEDOUT, "ETIMEDOUT"},
    {ECONNREFUSED, "ECONNREFUSED"}, {EHOSTDOWN, "EHOSTDOWN"},
    {EHOSTUNREACH, "EHOSTUNREACH"},
};

class BsdSocket final : public PlatformSocket {
public:
    BsdSocket() = default;
    explicit BsdSocket(int fd) : fd_(fd) {}
    ~BsdSocket() override { Close(); }

    int Open() override {
        Close();
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        return fd_ < 0 ? errno : 0;
    }

    int Connect(std::uint32_t address, std::uint16_t port) override {
        sockaddr_in to = MakeAddress(address, port);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return 0;
        return errno;
    }

    int ConnectResult() override {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
        return error;
    }

    int Send(const char* data, std::size_t size, std::size_t& sent) override {
        sent = 0;
        ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
        if (n < 0) return errno;
        sent = static_cast<std::size_t>(n);
        return 0;
    }

    int Receive(char* buffer, std::size_t size, std::size_t& received) override {
        received = 0;
        ssize_t n = recv(fd_, buffer, size, 0);
        if (n < 0) return errno;
        received = static_cast<std::size_t>(n);
        return 0;
    }

    int Wait(bool forWrite, int milliseconds, int& error) override {
        pollfd p{fd_, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        int n = poll(&p, 1, milliseconds);
        if (n < 0) {
            if (errno == EINTR) return 0;
            error = errno;
            return -1;
        }
        return n > 0 ? 1 : 0;
    }

    int Listen(std::uint32_t address, std::uint16_t port) override {
        int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in at = MakeAddress(address, port);
        if (bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) return errno;
        if (listen(fd_, 16) != 0) return errno;
        return 0;
    }

    std::uint16_t LocalPort() override {
        sockaddr_in at{};
        socklen_t length = sizeof at;
        if (getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length) != 0) return 0;
        return ntohs(at.sin_port);
    }

    std::unique_ptr<PlatformSocket> Accept(int& error) override {
        int fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        return std::make_unique<BsdSocket>(fd);
    }

    void ShutdownSend() override {
        if (fd_ >= 0) shutdown(fd_, SHUT_WR);
    }

    void SetAbortiveClose() override {
        linger l{1, 0};
        if (fd_ >= 0) setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }

    void Close() override {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    static sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(address);
        return a;
    }

    int fd_ = -1;
};

}  // namespace

std::unique_ptr<PlatformSocket> PlatformSocket::Create() { return std::make_unique<BsdSocket>(); }

SocketCondition ClassifySocketError(int error) {
    if (error == EWOULDBLOCK || error == EAGAIN || error == EINTR) return SocketCondition::WouldBlock;
    if (error == EINPROGRESS || error == EALREADY) return SocketCondition::InProgress;
    if (error == ENOTCONN) return SocketCondition::NotConnected;
    if (error == ECONNREFUSED) return SocketCondition::Refused;
    return SocketCondition::Other;
}

std::string SocketErrorText(int error) {
    for (const ErrnoName& entry : kErrnoNames)
        if (entry.number == error) return std::to_string(error) + " " + entry.name;
    return "Unknown Error No. " + std::to_string(error);
}

bool ResolveHostIPv4(const std::string& host, std::uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}
