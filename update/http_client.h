// HttpClient: the HTTP/1.0 GET through which the update fetches its list and its archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "update/proxy_rules.h"
#include "update/socket_client.h"

class HttpResponseReader;

// The request target of one URL, with the host and port it names applied to `host` and `port`.
// `url` gets "/" appended when its path is empty. Throws SocketError (Url).
std::string ApplyUrl(std::string& url, std::string& host, int& port);

// The request text, every line ended by CR LF, then the empty line. `proxyUrl` non-empty: the
// request line carries the whole URL, as a proxy expects. Throws SocketError when the path, host
// or URL holds a control byte or a blank, or the cookie a control byte: such text would end its
// line early and make a line of its own.
std::string BuildGetRequest(const std::string& path, const std::string& host, const std::string& cookie,
                            const std::string& proxyUrl);

// `url` with each blank of its path written as "%20" (a caller's own URL may hold blanks).
std::string EscapeBlanksInPath(const std::string& url);

// Throws SocketError (Protocol) unless a redirect's Location is a path or an http:// URL.
void CheckRedirectTarget(const std::string& location);

class HttpClient : public SocketClient {
public:
    static constexpr std::size_t kBufferSize = 65536;
    static constexpr int kMaxRedirects = 20;
    static constexpr int kGetCommand = 0;

    HttpClient();

    // InputFileMode: Body names the file that receives the body; else Body receives it as text.
    std::wstring Body = L"Default.htm";
    // OutputFileMode: Header names the file that receives the header lines; else Header is that text.
    std::wstring Header = L"Head.txt";
    bool InputFileMode = false;
    bool OutputFileMode = false;

    // A body longer than this (announced or received) ends the transfer with an error; 0: no bound.
    std::uint64_t MaxBodySize = 0;

    // The proxy for each request, asked with its whole URL and its host when Proxy is empty, on a
    // thread of its own within TimeOut; a refusal ends the request.
    std::function<ProxyChoice(const std::string& url, const std::string& host)> ProxyFor;

    std::function<void()> OnPacketRecvd;
    std::function<void(int command)> OnFailure;

    // Cookie taken from a redirect response; sent with every later request to the host that set it.
    const std::string& Cookie() const { return cookie_; }
    // Status code of the last response.
    int Status() const { return status_; }

    // InputFileMode: the body goes to a file of this Get's own beside Body, which takes Body's name
    // only when whole and not stopped. A Get that raises, or ends with a status of 400 or more
    // (OnFailure), leaves Body as it was; one stopped and left to end alone never touches what a
    // later Get wrote.
    void Get(const std::string& url);
    void Get(const std::wstring& url);

private:
    struct Outcome {
        int status = 0;
        bool hasLocation = false;
        std::string location;
        bool hasCookie = false;
        std::string cookie;
    };
    Outcome Transaction(std::string& url);
    void Follow(const Outcome& outcome, std::string& url);
    void ReceiveHead(HttpResponseReader& reader, std::size_t& used, std::size_t& received);
    void ReceiveBody(const char* first, std::size_t firstSize);
    void KeepHead(const std::string& head);

    std::vector<char> buffer_;
    std::string cookie_, cookieHost_;
    int status_ = 0;
    bool busy_ = false;
};
