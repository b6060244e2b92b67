#include <gtest/gtest.h>

#include "tests/native/http_scenarios.h"
#include "update/http_client.h"
#include "update/http_response.h"

namespace {

struct UrlCase {
    std::string url;
    std::string hostBefore;
    int portBefore;
    std::string path, host, urlAfter;
    int port;
    std::string error;
};

TEST(HttpUrl, AppliesSchemeHostPortAndPath) {
    const std::string longPath = "/" + std::string(300, 'a');
    const UrlCase cases[] = {
        {"http://www.dz.de/update/Updates.ini", "", 0, "/update/Updates.ini", "www.dz.de", "", 80, ""},
        {"http://www.dz.de", "", 21, "/", "www.dz.de", "http://www.dz.de/", 80, ""},
        {"http://www.dz.de:8080/x", "", 0, "/x", "www.dz.de", "", 8080, ""},
        {"HTTP://h/x", "", 8080, "/x", "h", "", 80, ""},
        {"ftp://h/x", "", 0, "/x", "h", "", 21, ""},
        {"gopher://h/x", "", 0, "/x", "h", "", 70, ""},
        {"news://h/x", "", 0, "/x", "h", "", 80, ""},
        {"h.example/a/b", "", 0, "/a/b", "h.example", "", 0 + 80, ""},
        {"h.example", "old", 0, "/", "h.example", "h.example/", 80, ""},
        {"h.example:81", "old", 0, "/", "h.example", "h.example:81/", 81, ""},
        {"/Pfeilbau.zip", "old", 8080, "/Pfeilbau.zip", "old", "", 8080, ""},
        // A colon in the path is no scheme and leaves the port alone.
        {"/a:b/c", "old", 8080, "/a:b/c", "old", "", 8080, ""},
        {"http://h" + longPath, "", 0, longPath.substr(0, 256), "h", "", 80, ""},
        {"", "", 0, "", "", "", 0, "Empty URL"},
        {"https://h/x", "", 0, "", "", "", 0, "HTTP Secure Socket is not supported"},
        {"HTTPS://h/x", "", 0, "", "", "", 0, "HTTP Secure Socket is not supported"},
        {"http://h:abc/x", "", 0, "", "", "", 0, "Invalid Port"},
        {"http://h:0/x", "", 0, "", "", "", 0, "Invalid Port"},
        {"http://h:65536/x", "", 0, "", "", "", 0, "Invalid Port"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        std::string url = c.url, host = c.hostBefore;
        int port = c.portBefore;
        try {
            std::string path = ApplyUrl(url, host, port);
            EXPECT_EQ(c.error, "");
            EXPECT_EQ(path, c.path);
            EXPECT_EQ(host, c.host);
            EXPECT_EQ(port, c.port);
            EXPECT_EQ(url, c.urlAfter.empty() ? c.url : c.urlAfter);
        } catch (const SocketError& e) {
            EXPECT_EQ(e.what(), c.error);
            EXPECT_EQ(e.kind(), SocketError::Kind::Url);
        }
    }
}

TEST(HttpRequest, LinesAndOptionalCookie) {
    const std::string accept =
        "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
        "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
    EXPECT_EQ(BuildGetRequest("/a", "h", "", ""),
              "GET /a HTTP/1.0\r\nHost: h\r\n" + accept + "Content-type: application/x-www-form-urlencoded\r\n\r\n");
    EXPECT_EQ(BuildGetRequest("/a", "h", "id=1", ""),
              "GET /a HTTP/1.0\r\nHost: h\r\n" + accept +
                  "Cookie: id=1\r\nContent-type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST(HttpRequest, RefusesTextThatWouldEndALineEarly) {
    struct Case {
        std::string path, host, cookie;
        std::string error;
    };
    const Case cases[] = {
        {"/a", "h", "sid=1; path=/", ""},
        {"/a b", "h", "", "Control character or blank in URL"},
        {"/a", "h x", "", "Control character or blank in URL"},
        {"/a", "h\rX: 1", "", "Control character or blank in URL"},
        {std::string("/a\0b", 4), "h", "", "Control character or blank in URL"},
        {"/a\x7f", "h", "", "Control character or blank in URL"},
        {"/a", "h", "a=b\nX: 1", "Control character in cookie"},
        {"/a", "h", "a=b\tc", "Control character in cookie"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + c.host + " " + c.cookie);
        try {
            BuildGetRequest(c.path, c.host, c.cookie, "");
            EXPECT_EQ(c.error, "");
        } catch (const SocketError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
    }
}

TEST(HttpStatus, SecondFieldAsNumber) {
    const std::pair<std::string, int> cases[] = {
        {"HTTP/1.0 200 OK\r\n", 200}, {"HTTP/1.1 404 Not Found\n", 404}, {"HTTP/1.0  302  Found\r\n", 302},
        {"HTTP/1.0 301\r\n", 301},    {"HTTP/1.0 20x OK\r\n", 0},        {"HTTP/1.0\r\n", 0},
        {"", 0},                      {"HTTP/1.0 99999999999 Big\r\n", 0}, {"HTTP/1.0 -1 x\r\n", 0},
    };
    for (const auto& [line, status] : cases) EXPECT_EQ(ParseStatusCode(line), status) << line;
}

struct HeadCase {
    std::string head;
    int status;
    std::string cookie, location;
    std::uint64_t length;
    std::string rest;  // bytes left for the body
};

TEST(HttpResponse, HeaderValuesInAnySlicing) {
    const HeadCase cases[] = {
        {"HTTP/1.0 302 Found\r\nSet-Cookie: a=b; path=/\r\nLocation: http://x/y\r\n\r\nBODY", 302, "a=b; path=/",
         "http://x/y", 0, "BODY"},
        {"HTTP/1.0 200 OK\nset-cookie: lower\ncontent-length: 1234\n\nB", 200, "lower", "", 1234, "B"},
        {"HTTP/1.0 200 OK\r\nContent-Length: abc 77 88\r\n\r\n", 200, "", "", 77, ""},
        // The first word must be the name with its colon.
        {"HTTP/1.0 200 OK\r\nContent-Length:12\r\nX-Location: z\r\n\r\n", 200, "", "", 0, ""},
        {"HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n", 200, "", "", UINT64_MAX, ""},
        {"HTTP/1.0 301 Moved\r\nLocation: /" + std::string(400, 'l') + "\r\n\r\n", 301, "", "/" + std::string(255, 'l'),
         0, ""},
        // Without an empty line the head ends with the data.
        {"HTTP/1.0 200 OK\r\nLocation: /last", 200, "", "/last", 0, ""},
    };
    for (const HeadCase& c : cases) {
        for (std::size_t slice : {c.head.size(), std::size_t{1}, std::size_t{7}}) {
            SCOPED_TRACE(c.head.substr(0, 40) + " / slice " + std::to_string(slice));
            HttpResponseReader reader;
            std::string rest;
            for (std::size_t at = 0; at < c.head.size(); at += slice) {
                std::size_t n = std::min(slice, c.head.size() - at);
                std::size_t used = reader.Feed(c.head.data() + at, n);
                if (reader.Complete()) rest += c.head.substr(at + used, n - used);
            }
            reader.Finish();
            EXPECT_EQ(reader.Status(), c.status);
            EXPECT_EQ(reader.Cookie(), c.cookie);
            EXPECT_EQ(reader.HasCookie(), !c.cookie.empty());
            EXPECT_EQ(reader.Location(), c.location);
            EXPECT_EQ(reader.ContentLength(), c.length);
            EXPECT_EQ(rest, c.rest);
        }
    }
}

TEST(HttpResponse, BoundsOnLineAndHead) {
    HttpResponseReader longLine;
    std::string line(HttpResponseReader::kMaxLine, 'x');
    EXPECT_NO_THROW(longLine.Feed(line.data(), line.size()));
    EXPECT_THROW(longLine.Feed("y", 1), SocketError);

    HttpResponseReader manyLines;
    std::string head = "HTTP/1.0 200 OK\r\n";
    manyLines.Feed(head.data(), head.size());
    std::string header = "X: " + std::string(1000, 'v') + "\r\n";
    int accepted = 0;
    try {
        for (;; ++accepted) manyLines.Feed(header.data(), header.size());
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Header too long");
    }
    EXPECT_EQ(accepted, static_cast<int>((HttpResponseReader::kMaxHead - head.size()) / header.size()));
}

}  // namespace
