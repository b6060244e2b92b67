#include "update/socket_platform.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/system_library.h"

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

// The sockets library is loaded with the first socket, not while the program starts: only the
// update needs it. It is started once and stays up until the end.
struct WinsockCalls {
    decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
    decltype(&::WSAStartup) WSAStartup = nullptr;
    decltype(&::accept) accept = nullptr;
    decltype(&::bind) bind = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::freeaddrinfo) freeaddrinfo = nullptr;
    decltype(&::getaddrinfo) getaddrinfo = nullptr;
    decltype(&::getsockname) getsockname = nullptr;
    decltype(&::getsockopt) getsockopt = nullptr;
    decltype(&::htonl) htonl = nullptr;
    decltype(&::htons) htons = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::listen) listen = nullptr;
    decltype(&::ntohl) ntohl = nullptr;
    decltype(&::ntohs) ntohs = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::setsockopt) setsockopt = nullptr;
    decltype(&::shutdown) shutdown = nullptr;
    decltype(&::socket) socket = nullptr;
    bool loaded = false;  // and started
};

const WinsockCalls& Winsock() {
    static const WinsockCalls winsock = [] {
        WinsockCalls calls;
        bool all = true;
        all &= FindSystemFunction(calls.WSAGetLastError, L"ws2_32.dll", "WSAGetLastError");
        all &= FindSystemFunction(calls.WSAStartup, L"ws2_32.dll", "WSAStartup");
        all &= FindSystemFunction(calls.accept, L"ws2_32.dll", "accept");
        all &= FindSystemFunction(calls.bind, L"ws2_32.dll", "bind");
        all &= FindSystemFunction(calls.closesocket, L"ws2_32.dll", "closesocket");
        all &= FindSystemFunction(calls.connect, L"ws2_32.dll", "connect");
        all &= FindSystemFunction(calls.freeaddrinfo, L"ws2_32.dll", "freeaddrinfo");
        all &= FindSystemFunction(calls.getaddrinfo, L"ws2_32.dll", "getaddrinfo");
        all &= FindSystemFunction(calls.getsockname, L"ws2_32.dll", "getsockname");
        all &= FindSystemFunction(calls.getsockopt, L"ws2_32.dll", "getsockopt");
        all &= FindSystemFunction(calls.htonl, L"ws2_32.dll", "htonl");
        all &= FindSystemFunction(calls.htons, L"ws2_32.dll", "htons");
        all &= FindSystemFunction(calls.ioctlsocket, L"ws2_32.dll", "ioctlsocket");
        all &= FindSystemFunction(calls.listen, L"ws2_32.dll", "listen");
        all &= FindSystemFunction(calls.ntohl, L"ws2_32.dll", "ntohl");
        all &= FindSystemFunction(calls.ntohs, L"ws2_32.dll", "ntohs");
        all &= FindSystemFunction(calls.recv, L"ws2_32.dll", "recv");
        all &= FindSystemFunction(calls.select, L"ws2_32.dll", "select");
        all &= FindSystemFunction(calls.send, L"ws2_32.dll", "send");
        all &= FindSystemFunction(calls.setsockopt, L"ws2_32.dll", "setsockopt");
        all &= FindSystemFunction(calls.shutdown, L"ws2_32.dll", "shutdown");
        all &= FindSystemFunction(calls.socket, L"ws2_32.dll", "socket");
        WSADATA data;
        calls.loaded = all && calls.WSAStartup(MAKEWORD(2, 2), &data) == 0;
        return calls;
    }();
    return winsock;
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = Winsock().htons(port);
    a.sin_addr.s_addr = Winsock().htonl(address);
    return a;
}

class WinsockSocket final : public PlatformSocket {
public:
    WinsockSocket() = default;
    explicit WinsockSocket(SOCKET s) : s_(s) {}
    ~WinsockSocket() override { Close(); }

    int Open() override {
        Close();
        if (!Winsock().loaded) return WSASYSNOTREADY;
        s_ = Winsock().socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (s_ == INVALID_SOCKET) return Winsock().WSAGetLastError();
        return MakeNonBlocking(s_);
    }

    int Connect(std::uint32_t address, std::uint16_t port) override {
        sockaddr_in to = MakeAddress(address, port);
        if (Winsock().connect(s_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return 0;
        return Winsock().WSAGetLastError();
    }

    int ConnectResult() override {
        int error = 0;
        int length = sizeof error;
        if (Winsock().getsockopt(s_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
            return Winsock().WSAGetLastError();
        return error;
    }

    int Send(const char* data, std::size_t size, std::size_t& sent) override {
        sent = 0;
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int n = Winsock().send(s_, data, chunk, 0);
        if (n == SOCKET_ERROR) return Winsock().WSAGetLastError();
        sent = static_cast<std::size_t>(n);
        return 0;
    }

    int Receive(char* buffer, std::size_t size, std::size_t& received) override {
        received = 0;
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int n = Winsock().recv(s_, buffer, chunk, 0);
        if (n == SOCKET_ERROR) return Winsock().WSAGetLastError();
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
        int n = Winsock().select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, forWrite ? &failed : nullptr, &limit);
        if (n == SOCKET_ERROR) {
            error = Winsock().WSAGetLastError();
            return -1;
        }
        return n > 0 ? 1 : 0;
    }

    int Listen(std::uint32_t address, std::uint16_t port) override {
        sockaddr_in at = MakeAddress(address, port);
        if (Winsock().bind(s_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) return Winsock().WSAGetLastError();
        if (Winsock().listen(s_, 16) != 0) return Winsock().WSAGetLastError();
        return 0;
    }

    std::uint16_t LocalPort() override {
        sockaddr_in at{};
        int length = sizeof at;
        if (Winsock().getsockname(s_, reinterpret_cast<sockaddr*>(&at), &length) != 0) return 0;
        return Winsock().ntohs(at.sin_port);
    }

    std::unique_ptr<PlatformSocket> Accept(int& error) override {
        SOCKET s = Winsock().accept(s_, nullptr, nullptr);
        if (s == INVALID_SOCKET) {
            error = Winsock().WSAGetLastError();
            return nullptr;
        }
        if (int e = MakeNonBlocking(s); e != 0) {
            Winsock().closesocket(s);
            error = e;
            return nullptr;
        }
        return std::make_unique<WinsockSocket>(s);
    }

    void ShutdownSend() override {
        if (s_ != INVALID_SOCKET) Winsock().shutdown(s_, SD_SEND);
    }

    void SetAbortiveClose() override {
        linger l{1, 0};
        if (s_ != INVALID_SOCKET) Winsock().setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    }

    void Close() override {
        if (s_ != INVALID_SOCKET) Winsock().closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    static int MakeNonBlocking(SOCKET s) {
        u_long on = 1;
        return Winsock().ioctlsocket(s, FIONBIO, &on) == 0 ? 0 : Winsock().WSAGetLastError();
    }

    SOCKET s_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<PlatformSocket> PlatformSocket::Create() { return std::make_unique<WinsockSocket>(); }

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
    if (!Winsock().loaded) return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (Winsock().getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = Winsock().ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    Winsock().freeaddrinfo(found);
    return true;
}
