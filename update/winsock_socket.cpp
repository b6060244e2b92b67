#include "update/socket_platform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

namespace {

struct WsaName {
    int number;
    const char* name;
};

constexpr WsaName kWsaNames[] = {
    {WSAEINTR, "WSAEINTR"},
    {WSAEBADF, "WSAEBADF"},
    {WSAEACCES, "WSAEACCES"},
    {WSAEFAULT, "WSAEFAULT"},
    {WSAEINVAL, "WSAEINVAL"},
    {WSAEMFILE, "WSAEMFILE"},
    {WSAEWOULDBLOCK, "WSAEWOULDBLOCK"},
    {WSAEINPROGRESS, "WSAEINPROGRESS"},
    {WSAEALREADY, "WSAEALREADY"},
    {WSAENOTSOCK, "WSAENOTSOCK"},
    {WSAEDESTADDRREQ, "WSAEDESTADDRREQ"},
    {WSAEMSGSIZE, "WSAEMSGSIZE"},
    {WSAEPROTOTYPE, "WSAEPROTOTYPE"},
    {WSAENOPROTOOPT, "WSAENOPROTOOPT"},
    {WSAEPROTONOSUPPORT, "WSAEPROTONOSUPPORT"},
    {WSAESOCKTNOSUPPORT, "WSAESOCKTNOSUPPORT"},
    {WSAEOPNOTSUPP, "WSAEOPNOTSUPP"},
    {WSAEPFNOSUPPORT, "WSAEPFNOSUPPORT"},
    {WSAEAFNOSUPPORT, "WSAEAFNOSUPPORT"},
    {WSAEADDRINUSE, "WSAEADDRINUSE"},
    {WSAEADDRNOTAVAIL, "WSAEADDRNOTAVAIL"},
    {WSAENETDOWN, "WSAENETDOWN"},
    {WSAENETUNREACH, "WSAENETUNREACH"},
    {WSAENETRESET, "WSAENETRESET"},
    {WSAECONNABORTED, "WSAECONNABORTED"},
    {WSAECONNRESET, "WSAECONNRESET"},
    {WSAENOBUFS, "WSAENOBUFS"},
    {WSAEISCONN, "WSAEISCONN"},
    {WSAENOTCONN, "WSAENOTCONN"},
    {WSAESHUTDOWN, "WSAESHUTDOWN"},
    {WSAETOOMANYREFS, "WSAETOOMANYREFS"},
    {WSAETIMEDOUT, "WSAETIMEDOUT"},
    {WSAECONNREFUSED, "WSAECONNREFUSED"},
    {WSAELOOP, "WSAELOOP"},
    {WSAENAMETOOLONG, "WSAENAMETOOLONG"},
    {WSAEHOSTDOWN, "WSAEHOSTDOWN"},
    {WSAEHOSTUNREACH, "WSAEHOSTUNREACH"},
    {WSASYSNOTREADY, "WSASYSNOTREADY"},
    {WSAVERNOTSUPPORTED, "WSAVERNOTSUPPORTED"},
    {WSANOTINITIALISED, "WSANOTINITIALISED"},
    {WSAHOST_NOT_FOUND, "WSAHOST_NOT_FOUND"},
    {WSATRY_AGAIN, "WSATRY_AGAIN"},
    {WSANO_RECOVERY, "WSANO_RECOVERY"},
    {WSANO_DATA, "WSANO_DATA"},
};

// Winsock needs one start-up per process before its first call; it stays up until the end.
void EnsureWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

class TWinsockSocket final : public TPlatformSocket {
public:
    TWinsockSocket() { EnsureWinsock(); }
    explicit TWinsockSocket(SOCKET s) : s_(s) {}
    ~TWinsockSocket() override { Close(); }

    int Open() override {
        Close();
        s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s_ == INVALID_SOCKET) return WSAGetLastError();
        return MakeNonBlocking(s_);
    }

    int Connect(std::uint32_t address, std::uint16_t port) override {
        sockaddr_in to = MakeAddress(address, port);
        if (connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return 0;
        return WSAGetLastError();
    }

    int ConnectResult() override {
        int error = 0;
        int length = sizeof error;
        if (getsockopt(s_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
            return WSAGetLastError();
        return error;
    }

    int Send(const char* data, std::size_t size, std::size_t& sent) override {
        sent = 0;
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int n = send(s_, data, chunk, 0);
        if (n == SOCKET_ERROR) return WSAGetLastError();
        sent = static_cast<std::size_t>(n);
        return 0;
    }

    int Receive(char* buffer, std::size_t size, std::size_t& received) override {
        received = 0;
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int n = recv(s_, buffer, chunk, 0);
        if (n == SOCKET_ERROR) return WSAGetLastError();
        received = static_cast<std::size_t>(n);
        return 0;
    }

    int Wait(bool forWrite, int milliseconds, int& error) override {
        fd_set ready;
        fd_set failed;
        FD_ZERO(&ready);
        FD_ZERO(&failed);
        FD_SET(s_, &ready);
        // Winsock reports a failed connect in the exception set, not as writable.
        if (forWrite) FD_SET(s_, &failed);
        timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
        int n = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, forWrite ? &failed : nullptr, &limit);
        if (n == SOCKET_ERROR) {
            error = WSAGetLastError();
            return -1;
        }
        return n > 0 ? 1 : 0;
    }

    int Listen(std::uint32_t address, std::uint16_t port) override {
        sockaddr_in at = MakeAddress(address, port);
        if (bind(s_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) return WSAGetLastError();
        if (listen(s_, 16) != 0) return WSAGetLastError();
        return 0;
    }

    std::uint16_t LocalPort() override {
        sockaddr_in at{};
        int length = sizeof at;
        if (getsockname(s_, reinterpret_cast<sockaddr*>(&at), &length) != 0) return 0;
        return ntohs(at.sin_port);
    }

    std::unique_ptr<TPlatformSocket> Accept(int& error) override {
        SOCKET s = accept(s_, nullptr, nullptr);
        if (s == INVALID_SOCKET) {
            error = WSAGetLastError();
            return nullptr;
        }
        if (int e = MakeNonBlocking(s); e != 0) {
            closesocket(s);
            error = e;
            return nullptr;
        }
        return std::make_unique<TWinsockSocket>(s);
    }

    void ShutdownSend() override {
        if (s_ != INVALID_SOCKET) shutdown(s_, SD_SEND);
    }

    void SetAbortiveClose() override {
        linger l{1, 0};
        if (s_ != INVALID_SOCKET) setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    }

    void Close() override {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    static int MakeNonBlocking(SOCKET s) {
        u_long on = 1;
        return ioctlsocket(s, FIONBIO, &on) == 0 ? 0 : WSAGetLastError();
    }

    SOCKET s_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<TPlatformSocket> TPlatformSocket::Create() { return std::make_unique<TWinsockSocket>(); }

SocketCondition ClassifySocketError(int error) {
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) return SocketCondition::WouldBlock;
    if (error == WSAEINPROGRESS || error == WSAEALREADY) return SocketCondition::InProgress;
    if (error == WSAENOTCONN) return SocketCondition::NotConnected;
    if (error == WSAECONNREFUSED) return SocketCondition::Refused;
    return SocketCondition::Other;
}

std::string SocketErrorText(int error) {
    for (const WsaName& entry : kWsaNames)
        if (entry.number == error) return std::to_string(error) + " " + entry.name;
    return "Unknown Error No. " + std::to_string(error);
}

bool ResolveHostIPv4(const std::string& host, std::uint32_t& address) {
    EnsureWinsock();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}
