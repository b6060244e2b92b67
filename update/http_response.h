// Reading of an HTTP response head: status line, header lines, and the three values the update
// needs (Set-Cookie, Location, Content-Length). Fed with received bytes in any slicing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Second blank-separated field of a status line as a decimal number; 0 when it is none.
int ParseStatusCode(const std::string& line);

class HttpResponseReader {
public:
    // Bounds that keep a hostile server from growing the header without end.
    static constexpr std::size_t kMaxLine = 65536;
    static constexpr std::size_t kMaxHead = 65536;
    // Longest Set-Cookie or Location value kept.
    static constexpr std::size_t kMaxValue = 256;

    // Consumes header bytes and returns how many; once Complete(), the rest is body.
    // Throws SocketError (Protocol) when a bound is passed.
    std::size_t Feed(const char* data, std::size_t size);
    // End of data: a pending partial line counts as the last line.
    void Finish();

    bool Complete() const { return complete_; }
    int Status() const { return status_; }
    const std::string& HeadText() const { return head_; }
    bool HasLocation() const { return hasLocation_; }
    const std::string& Location() const { return location_; }
    bool HasCookie() const { return hasCookie_; }
    const std::string& Cookie() const { return cookie_; }
    std::uint64_t ContentLength() const { return contentLength_; }

private:
    void TakeLine(const std::string& line);

    std::string pending_;
    std::string head_;
    bool sawStatus_ = false;
    bool complete_ = false;
    int status_ = 0;
    bool hasLocation_ = false;
    std::string location_;
    bool hasCookie_ = false;
    std::string cookie_;
    std::uint64_t contentLength_ = 0;
};
