#include "update/http_client.h"

#include <atomic>
#include <cerrno>

#include "update/file_io.h"
#include "update/http_response.h"
#include "update/update_rules.h"

namespace {

constexpr std::size_t kMaxPath = 256;
constexpr std::size_t kMaxRequest = 65536;

// Position of the n-th (1-based) occurrence of c, or npos.
std::size_t NthPos(const std::string& text, char c, int n) {
    std::size_t pos = std::string::npos;
    for (int i = 0; i < n; ++i) {
        pos = text.find(c, pos == std::string::npos ? 0 : pos + 1);
        if (pos == std::string::npos) break;
    }
    return pos;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

int ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) throw SocketError(SocketError::Kind::Url, "Invalid Port");
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw SocketError(SocketError::Kind::Url, "Invalid Port");
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) throw SocketError(SocketError::Kind::Url, "Invalid Port");
    return port;
}

// Bytes that would end a request line or header line early, or split the request line.
bool HasControlByte(const std::string& text, bool blankAllowed) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F || (c == ' ' && !blankAllowed)) return true;
    return false;
}

// Start of the path, by the same rule as ApplyUrl.
std::size_t PathStart(const std::string& url) {
    return url.find("//") != std::string::npos ? NthPos(url, '/', 3) : url.find('/');
}

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The same rule as for the configured server: a redirect may not name a host such as
// "evil.example#@update.example".
void CheckHost(const std::string& host) {
    if (!ParseServerAddress(std::wstring(host.begin(), host.end())))
        throw SocketError(SocketError::Kind::Url, "Invalid host name");
}

struct BusyGuard {
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    bool& flag_;
};

}  // namespace

std::string ApplyUrl(std::string& url, std::string& host, int& port) {
    if (url.empty()) throw SocketError(SocketError::Kind::Url, "Empty URL");
    if (port == 0) port = 80;

    bool hasAuthority = url.find("//") != std::string::npos;
    std::size_t pathStart = PathStart(url);
    std::string path = pathStart == std::string::npos ? std::string() : url.substr(pathStart, kMaxPath);

    // A colon is a scheme's only before the first slash; one inside a path leaves the port alone.
    std::size_t colon = url.find(':');
    if (colon != std::string::npos && colon < url.find('/')) {
        std::string scheme = Lower(url.substr(0, colon));
        if (scheme == "https") throw SocketError(SocketError::Kind::Url, "HTTP Secure Socket is not supported");
        port = scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
    }

    std::string hostPart;
    if (hasAuthority) {
        std::size_t second = NthPos(url, '/', 2);
        std::size_t third = NthPos(url, '/', 3);
        if (second != std::string::npos)
            hostPart = url.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    } else if (url[0] != '/') {
        hostPart = url.substr(0, url.find('/'));
    }
    if (std::size_t split = hostPart.find(':'); split != std::string::npos) {
        port = ParsePort(hostPart.substr(split + 1));
        hostPart.erase(split);
    }
    if (!hostPart.empty()) host = hostPart;

    if (path.empty()) {
        path.push_back('/');
        url += "/";
    }
    return path;
}

std::string BuildGetRequest(const std::string& path, const std::string& host, const std::string& cookie,
                            const std::string& proxyUrl) {
    if (HasControlByte(path, false) || HasControlByte(host, false) || HasControlByte(proxyUrl, false))
        throw SocketError(SocketError::Kind::Url, "Control character or blank in URL");
    // A cookie value may hold blanks ("a=b; path=/"); a header line can carry them.
    if (HasControlByte(cookie, true)) throw SocketError(SocketError::Kind::Protocol, "Control character in cookie");
    std::string request;
    if (proxyUrl.empty()) {
        request += "GET " + path + " HTTP/1.0\r\n";
    } else {
        // No "Proxy-Connection: Keep-Alive": the body ends only when the proxy closes the connection.
        request += "GET " + proxyUrl + " HTTP/1.0\r\n";
    }
    request += "Host: " + host + "\r\n";
    request += "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n";
    request += "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
    request += "Content-type: application/x-www-form-urlencoded\r\n";
    request += "\r\n";
    if (request.size() > kMaxRequest) throw SocketError(SocketError::Kind::Url, "Request too long");
    return request;
}

std::string EscapeBlanksInPath(const std::string& url) {
    std::size_t start = PathStart(url);
    if (start == std::string::npos) return url;
    std::string escaped = url.substr(0, start);
    for (std::size_t i = start; i < url.size(); ++i) escaped += url[i] == ' ' ? std::string("%20") : std::string(1, url[i]);
    return escaped;
}

void CheckRedirectTarget(const std::string& location) {
    std::size_t colon = location.find(':');
    if (colon == std::string::npos || colon > location.find('/')) return;  // a path on the same server
    std::string scheme = Lower(location.substr(0, colon));
    if (scheme == "https") throw SocketError(SocketError::Kind::Url, "HTTP Secure Socket is not supported");
    if (scheme != "http" || location.compare(colon, 3, "://") != 0)
        throw SocketError(SocketError::Kind::Protocol, "Redirection to a scheme other than http");
}

HttpClient::HttpClient() : buffer_(kBufferSize) {}

void HttpClient::Get(const std::wstring& url) {
    // Characters outside ASCII travel as percent-escaped UTF-8, as URLs require.
    static const char kHex[] = "0123456789ABCDEF";
    std::string bytes;
    for (unsigned char c : Utf8FromWide(url)) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else {
            bytes += '%';
            bytes += kHex[c >> 4];
            bytes += kHex[c & 15];
        }
    }
    Get(bytes);
}

void HttpClient::Get(const std::string& url) {
    if (busy_) throw SocketError(SocketError::Kind::Busy, "Busy");
    BusyGuard guard(busy_);
    ResetAbort();
    status_ = 0;  // a failed connection has no status, whatever the last request had
    try {
        std::string current = EscapeBlanksInPath(url);
        for (int repeats = 0;; ++repeats) {
            Outcome outcome = Transaction(current);
            if (outcome.status < 300 || outcome.status > 399) return;
            if (repeats >= kMaxRedirects) throw SocketError(SocketError::Kind::Protocol, "Too many redirections");
            Follow(outcome, current);
        }
    } catch (...) {
        Disconnect();
        EndLimitInAll();
        throw;
    }
}

void HttpClient::Follow(const Outcome& outcome, std::string& url) {
    if (!IsRedirect(outcome.status) || !outcome.hasLocation || outcome.location.empty())
        throw SocketError(SocketError::Kind::Protocol, "Redirection without a target");
    if (outcome.hasCookie) {
        if (HasControlByte(outcome.cookie, true))
            throw SocketError(SocketError::Kind::Protocol, "Control character in cookie");
        cookie_ = outcome.cookie;
        cookieHost_ = Host;
    }
    CheckRedirectTarget(outcome.location);
    url = outcome.location;
    if (url.find('/') == std::string::npos) url = "/" + url;
}

HttpClient::Outcome HttpClient::Transaction(std::string& url) {
    std::string path = ApplyUrl(url, Host, Port);
    CheckHost(Host);
    bytesRecvd_ = 0;
    bytesTotal_ = 0;
    // A proxy is asked for the whole URL, also after a redirect to a bare path.
    const std::string absolute = AbsoluteUrl(Host, Port, path);
    std::optional<ProxyAddress> proxy;
    if (!Proxy.empty()) {
        proxy = ProxyAddress{Proxy, ProxyPort};
    } else if (ProxyFor) {
        auto choice = std::make_shared<ProxyChoice>();
        RunBounded([choice, proxyFor = ProxyFor, absolute, host = Host] { *choice = proxyFor(absolute, host); },
                   SocketError::Kind::Proxy, "Proxy Lookup Timed Out", "Proxy Lookup Canceled");
        if (choice->kind == ProxyChoice::Kind::Refused)
            throw SocketError(SocketError::Kind::Proxy, "Proxy cannot be used");
        if (choice->kind == ProxyChoice::Kind::Proxy) proxy = choice->address;
    }
    const std::string cookie = Host == cookieHost_ ? cookie_ : std::string();
    std::string request = BuildGetRequest(path, Host, cookie, proxy ? absolute : std::string());
    Connect(proxy ? proxy->host : Host, proxy ? proxy->port : Port);
    SendText(request);

    HttpResponseReader reader;
    std::size_t used = 0;
    std::size_t received = 0;
    ReceiveHead(reader, used, received);
    status_ = reader.Status();
    bytesTotal_ = reader.ContentLength();
    KeepHead(reader.HeadText());
    // Neither a redirect's page nor an error page is the result: the status decides, whatever the
    // page's length.
    if (status_ < 300) ReceiveBody(buffer_.data() + used, received - used);
    if (status_ >= 400 && OnFailure) OnFailure(kGetCommand);
    Disconnect();

    Outcome outcome;
    outcome.status = status_;
    outcome.hasLocation = reader.HasLocation();
    outcome.location = reader.Location();
    outcome.hasCookie = reader.HasCookie();
    outcome.cookie = reader.Cookie();
    return outcome;
}

void HttpClient::ReceiveHead(HttpResponseReader& reader, std::size_t& used, std::size_t& received) {
    // Silence alone is no bound: a server sending one byte just before each time-out would hold
    // the client for days on one header line.
    LimitWaitsInAll(TimeOut);
    while (!reader.Complete()) {
        received = ReceiveSome(buffer_.data(), buffer_.size());
        if (received == 0) {
            reader.Finish();
            used = 0;
        } else {
            used = reader.Feed(buffer_.data(), received);
        }
    }
    EndLimitInAll();
}

void HttpClient::KeepHead(const std::string& head) {
    if (!OutputFileMode) {
        Header = fileio::Latin1ToWide(head);
        return;
    }
    fileio::FileWriter file;
    int error = 0;
    if (!file.Open(Header, fileio::FileWriter::Mode::Replace, error) || !file.Write(head.data(), head.size(), error) ||
        !file.Close(error))
        throw SocketError(SocketError::Kind::File, fileio::ErrnoText(error));
}

void HttpClient::ReceiveBody(const char* first, std::size_t firstSize) {
    bytesRecvd_ = 0;
    fileio::FileWriter file;
    std::wstring partial;
    int error = 0;
    if (InputFileMode) {
        static std::atomic<unsigned> attempts{0};
        do partial = Body + L"." + std::to_wstring(++attempts) + L".part";
        while (!file.Open(partial, fileio::FileWriter::Mode::CreateNew, error) && error == EEXIST);
        if (!file.IsOpen()) throw SocketError(SocketError::Kind::File, fileio::ErrnoText(error));
    } else {
        Body.clear();
    }
    auto take = [&](const char* data, std::size_t size) {
        if (MaxBodySize != 0 && bytesRecvd_ + size > MaxBodySize)
            throw SocketError(SocketError::Kind::TooLarge, "Body larger than allowed");
        if (InputFileMode) {
            if (!file.Write(data, size, error)) throw SocketError(SocketError::Kind::File, fileio::ErrnoText(error));
        } else {
            Body += fileio::Latin1ToWide(std::string(data, size));
        }
        bytesRecvd_ += size;
        if (OnPacketRecvd) OnPacketRecvd();
    };
    try {
        if (MaxBodySize != 0 && bytesTotal_ > MaxBodySize)
            throw SocketError(SocketError::Kind::TooLarge, "Body larger than allowed");
        if (firstSize > 0) take(first, firstSize);
        for (;;) {
            std::size_t received = ReceiveSome(buffer_.data(), buffer_.size());
            if (received == 0) break;
            take(buffer_.data(), received);
        }
        // A body cut short of its announced length is no valid copy of the file.
        if (bytesRecvd_ < bytesTotal_)
            throw SocketError(SocketError::Kind::Cut, "Connection closed before the end of the body");
        if (InputFileMode) {
            if (!file.Close(error)) throw SocketError(SocketError::Kind::File, fileio::ErrnoText(error));
            // Stopped while it wrote: a later Get may own Body by now.
            if (AbortAsked()) throw SocketError(SocketError::Kind::Receive, "Socket receive aborted");
            if (!fileio::MoveOver(partial, Body, error))
                throw SocketError(SocketError::Kind::File, fileio::ErrnoText(error));
        }
    } catch (...) {
        // Only this Get's own file goes; it must be closed first to go on Windows.
        file.Close(error);
        if (InputFileMode) fileio::RemoveFile(partial);
        Disconnect();
        throw;
    }
}
