// HTTP client scenarios against the loopback server; compiled natively (BSD sockets) and for
// Windows (Winsock under Wine).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "tests/native/http_test_server.h"
#include "update/file_io.h"
#include "update/http_client.h"

namespace http_scenarios {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline std::string Ok(const std::string& body, bool withLength = true) {
    return "HTTP/1.0 200 OK\r\n" + (withLength ? "Content-Length: " + std::to_string(body.size()) + "\r\n" : "") + "\r\n";
}

// Upper limits catch a time-out that never applies or applies in the wrong unit; they leave room
// for the sanitizers and for Wine on a busy two-core machine.
constexpr long long kUpperLimitMs = 10000;

inline long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class HttpScenario : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("zw-http-" + std::to_string(Clock::now().time_since_epoch().count()));
        fs::create_directories(folder_);
        body_ = folder_ / "body.bin";
        client_.InputFileMode = true;
        client_.Body = body_.wstring();
        client_.TimeOut = 10000;
        client_.OnPacketRecvd = [this] { packets_.push_back(client_.BytesRecvd()); };
        client_.OnFailure = [this](int command) { failures_.push_back(command); };
        client_.OnConnectionFailed = [this] { ++connectionFailures_; };
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string BodyFile() const {
        std::ifstream in(body_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool BodyExists() const { return fs::exists(body_); }
    // Files in the folder: the body and anything a Get left beside it.
    std::size_t FilesLeft() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    // The error text a Get ends with, or "" when it succeeds.
    std::string GetError(const std::string& url) {
        try {
            client_.Get(url);
        } catch (const SocketError& e) {
            return e.what();
        }
        return "";
    }

    fs::path folder_;
    fs::path body_;
    HttpClient client_;
    std::vector<std::uint64_t> packets_;
    std::vector<int> failures_;
    int connectionFailures_ = 0;
};

TEST_F(HttpScenario, BodyWithAndWithoutLengthIsWrittenWhole) {
    const std::string body(200000, 'x');
    for (bool withLength : {true, false}) {
        SCOPED_TRACE(withLength);
        TestHttpServer server([&](const std::string&, int) { return ScriptedResponse{Ok(body, withLength), body}; });
        packets_.clear();
        ASSERT_EQ(GetError(server.Base() + "/Updates.ini"), "");
        EXPECT_EQ(BodyFile(), body);
        EXPECT_EQ(client_.BytesRecvd(), body.size());
        EXPECT_EQ(client_.BytesTotal(), withLength ? body.size() : 0u);
        EXPECT_EQ(client_.Status(), 200);
        EXPECT_EQ(client_.Header, fileio::Latin1ToWide(Ok(body, withLength).substr(0, Ok(body, withLength).size() - 2)));
        // Blocks of at most 64 KiB, each reported, counting up to the whole body.
        ASSERT_GE(packets_.size(), 4u);
        for (std::size_t i = 0; i < packets_.size(); ++i) {
            std::uint64_t previous = i ? packets_[i - 1] : 0;
            EXPECT_GT(packets_[i], previous);
            EXPECT_LE(packets_[i] - previous, HttpClient::kBufferSize);
        }
        EXPECT_EQ(packets_.back(), body.size());
        EXPECT_TRUE(failures_.empty());
    }
}

TEST_F(HttpScenario, AnErrorStatusIsReportedWhateverThePageAndLeavesTheFileAsItWas) {
    for (std::uint64_t pageSize : {0ull, 27ull, 5000ull}) {
        SCOPED_TRACE(pageSize);
        TestHttpServer server([&](const std::string&, int) {
            ScriptedResponse r{"HTTP/1.0 404 Not Found\r\nContent-Length: " + std::to_string(pageSize) + "\r\n\r\n", ""};
            r.generatedSize = pageSize;
            return r;
        });
        failures_.clear();
        std::ofstream(body_, std::ios::binary) << "stale copy from before";
        client_.MaxBodySize = 64;
        EXPECT_EQ(GetError(server.Base() + "/Updates.ini.sig"), "");
        EXPECT_EQ(BodyFile(), "stale copy from before");
        EXPECT_EQ(FilesLeft(), 1u);
        EXPECT_EQ(failures_, std::vector<int>{HttpClient::kGetCommand});
        EXPECT_EQ(client_.Status(), 404);
    }
}

// A Get stopped and left to end alone (a write that hung) ends after a later Get wrote the same
// file: its clean-up takes only what it made itself.
TEST_F(HttpScenario, ALateEndLeavesALaterGetsFileAlone) {
    for (bool errorPage : {false, true}) {
        SCOPED_TRACE(errorPage ? "error page" : "stopped while writing");
        TestHttpServer server([&](const std::string& request, int) {
            if (request.rfind("GET /later ", 0) == 0) return ScriptedResponse{Ok("later"), "later"};
            return errorPage ? ScriptedResponse{"HTTP/1.0 404 Not Found\r\n\r\n", ""} : ScriptedResponse{Ok("late"), "late"};
        });
        // While the late Get hangs in its write, it is stopped and a later Get runs whole.
        HttpClient late;
        late.InputFileMode = true;
        late.Body = client_.Body;
        late.OnPacketRecvd = [&] {
            late.Abort();
            EXPECT_EQ(GetError(server.Base() + "/later"), "");
        };
        late.OnFailure = [&](int) { late.OnPacketRecvd(); };
        try {
            late.Get(server.Base() + "/late");
        } catch (const SocketError&) {
        }
        EXPECT_EQ(BodyFile(), "later");
        EXPECT_EQ(FilesLeft(), 1u);
    }
}

// Redirects are followed as a browser follows them; a cookie goes only to the host that set it.
TEST_F(HttpScenario, RedirectChainsReachTheirTargetWithTheCookieOnlyForItsHost) {
    TestHttpServer target([](const std::string&, int) { return ScriptedResponse{Ok("final"), "final"}; });
    client_.Resolver = [](const std::string& name, std::uint32_t& address) {
        address = 0x7F000001;
        return name == "other.example";
    };
    struct Case {
        const char* status;
        std::string location;
        std::string expectedRequestLine;
        bool otherServer;
    };
    const Case cases[] = {
        {"302 Found", "/dl/real.zip", "GET /dl/real.zip HTTP/1.0\r\n", false},
        {"301 Moved", "real.zip", "GET /real.zip HTTP/1.0\r\n", false},
        {"303 See Other", "/a", "GET /a HTTP/1.0\r\n", false},
        {"307 Temporary", "/b", "GET /b HTTP/1.0\r\n", false},
        {"308 Permanent", "/c", "GET /c HTTP/1.0\r\n", false},
        {"302 Found", "http://other.example:" + std::to_string(target.Port()) + "/moved/real.zip",
         "GET /moved/real.zip HTTP/1.0\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        TestHttpServer first([&](const std::string&, int index) {
            if (index == 0)
                return ScriptedResponse{"HTTP/1.0 " + std::string(c.status) +
                                            "\r\nSet-Cookie: sid=4711; path=/\r\nLocation: " + c.location + "\r\n\r\n",
                                        "<a>moved</a>"};
            return ScriptedResponse{Ok("final"), "final"};
        });
        const std::size_t before = target.Requests().size();
        ASSERT_EQ(GetError(first.Base() + "/Pfeilbau.zip"), "");
        EXPECT_EQ(BodyFile(), "final");
        const std::vector<std::string> seen = c.otherServer ? target.Requests() : first.Requests();
        ASSERT_EQ(seen.size(), (c.otherServer ? before : 1) + 1);
        EXPECT_EQ(seen.back().substr(0, c.expectedRequestLine.size()), c.expectedRequestLine);
        EXPECT_EQ(seen.back().find("\r\nCookie: sid=4711; path=/\r\n") != std::string::npos, !c.otherServer)
            << seen.back();
        if (&c == &cases[0]) { EXPECT_EQ(first.Requests()[0].find("Cookie:"), std::string::npos); }
    }
}

inline int ClosedPort() {
    auto probe = PlatformSocket::Create();
    if (probe->Open() != 0 || probe->Listen(0x7F000001, 0) != 0) return 0;
    return probe->LocalPort();
}

TEST_F(HttpScenario, FailedRedirectChainsLeaveNoBodyFile) {
    const std::string moved = "<a>moved</a>";
    auto redirect = [&](const std::string& status, const std::string& location) {
        return ScriptedResponse{"HTTP/1.0 " + status + "\r\nContent-Length: 12\r\nLocation: " + location + "\r\n\r\n",
                                 moved};
    };
    const int closed = ClosedPort();
    struct Case {
        const char* what;
        std::function<ScriptedResponse(int index)> respond;
        std::string error;
        std::size_t requests;
    };
    const Case cases[] = {
        {"endless 302", [&](int) { return redirect("302 Found", "/loop"); }, "Too many redirections",
         HttpClient::kMaxRedirects + 1},
        {"304, nothing to follow", [&](int) { return redirect("304 Not Modified", "/x"); },
         "Redirection without a target", 1},
        {"302 without Location", [&](int) { return ScriptedResponse{"HTTP/1.0 302 Found\r\n\r\n", ""}; },
         "Redirection without a target", 1},
        {"to https", [&](int) { return redirect("302 Found", "https://127.0.0.1/x"); },
         "HTTP Secure Socket is not supported", 1},
        {"to a closed port", [&](int) { return redirect("301 Moved", "http://127.0.0.1:" + std::to_string(closed) + "/x"); },
         "Connection Failed", 1},
        {"then silence",
         [&](int index) {
             if (index == 0) return redirect("302 Found", "/next");
             ScriptedResponse silent{"", ""};
             silent.stallAfter = 0;
             return silent;
         },
         "Socket receive timed out", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server([&](const std::string&, int index) { return c.respond(index); });
        std::ofstream(body_, std::ios::binary) << "stale copy from before";
        client_.TimeOut = 400;
        EXPECT_EQ(GetError(server.Base() + "/list.ini"), c.error);
        EXPECT_EQ(server.Requests().size(), c.requests);
        EXPECT_EQ(BodyFile(), "stale copy from before");
        EXPECT_EQ(FilesLeft(), 1u);
    }
}

TEST_F(HttpScenario, NothingFromTheServerReachesTheNextRequestUnchecked) {
    struct Case {
        const char* what;
        std::string headers;
        std::string error;
    };
    const Case cases[] = {
        {"CR in Location", "Location: /a\rX-Injected: 1\r\n", "Control character or blank in URL"},
        {"blank in Location", "Location: /a b\r\n", "Control character or blank in URL"},
        {"CR in Set-Cookie", "Set-Cookie: a=b\rX-Injected: 1\r\nLocation: /next\r\n", "Control character in cookie"},
        {"ftp", "Location: ftp://127.0.0.1/x\r\n", "Redirection to a scheme other than http"},
        {"a host with #@", "Location: http://evil.example#@update.example/x\r\n", "Invalid host name"},
        {"file", "Location: file:///etc/passwd\r\n", "Redirection to a scheme other than http"},
        {"javascript", "Location: javascript:alert(1)\r\n", "Redirection to a scheme other than http"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server([&](const std::string&, int) {
            return ScriptedResponse{"HTTP/1.0 302 Found\r\n" + c.headers + "\r\n", ""};
        });
        EXPECT_EQ(GetError(server.Base() + "/list.ini"), c.error);
        EXPECT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(client_.Cookie(), "");
    }
}

TEST_F(HttpScenario, CallersBlanksAreEscapedAndControlCharactersRefused) {
    TestHttpServer server([](const std::string&, int) { return ScriptedResponse{Ok("1"), "1"}; });
    ASSERT_EQ(GetError(server.Base() + "/mein update/neu 2.zip"), "");
    EXPECT_EQ(server.Requests()[0].substr(0, 39), "GET /mein%20update/neu%202.zip HTTP/1.0");
    for (const std::wstring& url : {std::wstring(L"/a\tb.zip"), std::wstring(L"/a\x7f" L".zip"), std::wstring(L"/a\r\nX: 1")}) {
        try {
            client_.Get(WideFromUtf8(server.Base()) + url);
            ADD_FAILURE() << "no error";
        } catch (const SocketError& e) {
            EXPECT_STREQ(e.what(), "Control character or blank in URL");
        }
    }
    EXPECT_EQ(server.Connections(), 1);
}

// A transfer that ends before its body is whole keeps no file; a time-out applies to every gap,
// in the head too, and ends the transfer soon after it (the whole dripped head would take 25 s).
TEST_F(HttpScenario, ATransferEndedEarlyKeepsNothing) {
    const auto paced = [](ScriptedResponse r, std::size_t headPiece, int pauseMs, std::size_t stallAfter) {
        r.headPieceSize = headPiece;
        r.pauseMs = pauseMs;
        r.stallAfter = stallAfter;
        return r;
    };
    const struct {
        const char* what;
        ScriptedResponse response;
        std::string error;
        long long atLeastMs;
    } cases[] = {
        {"head dripped just inside the time-out",
         paced({"HTTP/1.0 200 OK\r\nX-Slow: " + std::string(60, 's') + "\r\n\r\n", "body"}, 1, 360, std::string::npos),
         "Socket receive timed out", 400},
        {"body stalls", paced({"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n", std::string(100000, 'z')}, 0, 0, 1000),
         "Socket receive timed out", 400},
        {"body shorter than announced", {"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n", std::string(500, 't')},
         "Connection closed before the end of the body", 0},
    };
    client_.TimeOut = 400;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server([&](const std::string&, int) { return c.response; });
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(GetError(server.Base() + "/x"), c.error);
        EXPECT_GE(MsSince(start), c.atLeastMs);
        EXPECT_LT(MsSince(start), kUpperLimitMs);
        EXPECT_FALSE(BodyExists());
    }
}

TEST_F(HttpScenario, WhatCannotConnectFailsBeforeAnyRequest) {
    TestHttpServer server([](const std::string&, int) { return ScriptedResponse{Ok("x"), "x"}; });
    const struct {
        std::string url, error;
        int connectionFailures;
    } cases[] = {
        {"https://127.0.0.1:" + std::to_string(server.Port()) + "/x", "HTTP Secure Socket is not supported", 0},
        {"", "Empty URL", 0},
        {"http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x", "Connection Failed", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        connectionFailures_ = 0;
        EXPECT_EQ(GetError(c.url), c.error);
        EXPECT_EQ(connectionFailures_, c.connectionFailures);
        EXPECT_FALSE(BodyExists());
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(HttpScenario, TimeOutLimitsTheGapsNotTheWholeDownload) {
    TestHttpServer server([](const std::string&, int) {
        ScriptedResponse r{Ok(std::string(8, 'p')), std::string(8, 'p')};
        r.pieceSize = 1;
        r.pauseMs = 120;
        return r;
    });
    client_.TimeOut = 400;
    Clock::time_point start = Clock::now();
    ASSERT_EQ(GetError(server.Base() + "/slow"), "");
    EXPECT_GT(MsSince(start), 800);
    EXPECT_EQ(BodyFile(), "pppppppp");
}

TEST_F(HttpScenario, AbortStopsTheTransfer) {
    struct Case {
        const char* name;
        bool fromPacket;
    };
    for (const Case c : {Case{"from OnPacketRecvd", true}, Case{"from the waits", false}}) {
        SCOPED_TRACE(c.name);
        TestHttpServer server([](const std::string&, int) {
            ScriptedResponse r{"HTTP/1.0 200 OK\r\n\r\n", std::string(300000, 'q')};
            r.stallAfter = 100000;
            return r;
        });
        int pumps = 0;
        client_.OnPacketRecvd = [&] { if (c.fromPacket) client_.Abort(); };
        client_.OnWait = [&] {
            // Stop from outside once the body is flowing.
            if (!c.fromPacket && ++pumps > 3 && client_.BytesRecvd() > 0) client_.Abort();
        };
        Clock::time_point start = Clock::now();
        EXPECT_EQ(GetError(server.Base() + "/x"), "Socket receive aborted");
        EXPECT_LT(MsSince(start), kUpperLimitMs);
        EXPECT_FALSE(BodyExists());
        client_.OnWait = nullptr;
    }
}

TEST_F(HttpScenario, AbortBeforeTheConnectionCancelsIt) {
    TestHttpServer server([](const std::string&, int) { return ScriptedResponse{Ok("x"), "x"}; });
    client_.OnWait = [&] { client_.Abort(); };
    std::string error = GetError(server.Base() + "/x");
    // Loopback may connect at once, before the first wait; then the send is what gets stopped.
    EXPECT_TRUE(error == "Connection Canceled" || error == "Socket send aborted") << error;
    EXPECT_EQ(connectionFailures_, error == "Connection Canceled" ? 1 : 0);
}

TEST_F(HttpScenario, BodyBeyondTheBoundEndsTheTransferAndKeepsNothing) {
    struct Case {
        const char* what;
        bool withLength;
        std::uint64_t size;
        bool kept;
    } const cases[] = {
        {"announced beyond the bound", true, 1001, false},
        {"endless, no length", false, 1ull << 40, false},
        {"exactly the bound", true, 1000, true},
        {"exactly the bound, no length", false, 1000, true},
    };
    client_.MaxBodySize = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestHttpServer server([&](const std::string&, int) {
            ScriptedResponse r;
            r.head = c.withLength ? "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(c.size) + "\r\n\r\n"
                                  : "HTTP/1.0 200 OK\r\n\r\n";
            r.generatedSize = c.size;
            return r;
        });
        EXPECT_EQ(GetError(server.Base() + "/x"), c.kept ? "" : "Body larger than allowed");
        EXPECT_EQ(BodyExists(), c.kept);
        EXPECT_LE(client_.BytesRecvd(), 1000u);
    }
}

TEST_F(HttpScenario, ProxyGetsTheWholeUrl) {
    // The proxy sends a redirect to a bare path first: the next request names the whole URL again.
    TestHttpServer proxy([](const std::string&, int index) {
        return index == 0 ? ScriptedResponse{"HTTP/1.0 302 Found\r\nLocation: /b.ini\r\n\r\n", ""}
                          : ScriptedResponse{Ok("via"), "via"};
    });
    std::vector<std::string> asked;
    client_.ProxyFor = [&](const std::string& url, const std::string& host) {
        asked.push_back(url + " " + host);
        return ProxyChoice{ProxyChoice::Kind::Proxy, {"127.0.0.1", proxy.Port()}};
    };
    ASSERT_EQ(GetError("http://update.example.invalid:8080/list.ini"), "");
    ASSERT_EQ(proxy.Requests().size(), 2u);
    EXPECT_EQ(proxy.Requests()[0].substr(0, proxy.Requests()[0].find("Accept:")),
              "GET http://update.example.invalid:8080/list.ini HTTP/1.0\r\nHost: update.example.invalid\r\n");
    EXPECT_EQ(proxy.Requests()[1].rfind("GET http://update.example.invalid:8080/b.ini HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(asked, (std::vector<std::string>{"http://update.example.invalid:8080/list.ini update.example.invalid",
                                               "http://update.example.invalid:8080/b.ini update.example.invalid"}));
    // Settings that name only a proxy this client cannot use: the request does not go direct.
    client_.ProxyFor = [](const std::string&, const std::string&) { return ProxyChoice{ProxyChoice::Kind::Refused, {}}; };
    EXPECT_EQ(GetError("http://127.0.0.1:" + std::to_string(proxy.Port()) + "/list.ini"), "Proxy cannot be used");
    EXPECT_EQ(proxy.Requests().size(), 2u);
}

TEST_F(HttpScenario, HostLookupIsBoundedAndCancellable) {
    TestHttpServer server([](const std::string&, int) { return ScriptedResponse{Ok("named"), "named"}; });
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto slow = [release](const std::string&, std::uint32_t& address) {
        while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        address = 0x7F000001;
        return true;
    };
    struct Case {
        const char* name;
        std::function<bool(const std::string&, std::uint32_t&)> resolver;
        bool abortFromWait;
        std::string error;
    };
    const Case cases[] = {
        {"found", [](const std::string& host, std::uint32_t& a) { a = 0x7F000001; return host == "zeigerwerk.test"; },
         false, ""},
        {"not found", [](const std::string&, std::uint32_t&) { return false; }, false, "Null Remote Address"},
        {"slow", slow, false, "Host Lookup Timed Out"},
        {"cancelled", slow, true, "Host Lookup Canceled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client_.Resolver = c.resolver;
        client_.TimeOut = 300;
        int pumps = 0;
        client_.OnWait = [&] {
            ++pumps;
            if (c.abortFromWait && pumps == 5) client_.Abort();
        };
        Clock::time_point start = Clock::now();
        EXPECT_EQ(GetError("http://zeigerwerk.test:" + std::to_string(server.Port()) + "/x"), c.error);
        EXPECT_LT(MsSince(start), kUpperLimitMs);
        if (c.error == "Host Lookup Timed Out") {
            EXPECT_GE(MsSince(start), 300);
        }
        if (c.error.empty()) {
            EXPECT_EQ(BodyFile(), "named");
        }
        if (c.error.find("Host Lookup") == 0) {
            EXPECT_GT(pumps, 0) << "the lookup waits in slices an abort can end";
        }
    }
    *release = true;
}

// A minimal system (a bare chroot) may have no hosts file naming localhost; nothing resolves it then.
inline bool HostsFileNamesLocalhost() {
#ifdef _WIN32
    std::ifstream hosts("Z:\\etc\\hosts");
#else
    std::ifstream hosts("/etc/hosts");
#endif
    std::stringstream content;
    content << hosts.rdbuf();
    return content.str().find("localhost") != std::string::npos;
}

TEST_F(HttpScenario, LocalhostIsResolvedByThePlatform) {
    if (!HostsFileNamesLocalhost()) GTEST_SKIP() << "this machine has no hosts entry for localhost";
    TestHttpServer server([](const std::string&, int) { return ScriptedResponse{Ok("lh"), "lh"}; });
    ASSERT_EQ(GetError("http://localhost:" + std::to_string(server.Port()) + "/x"), "");
    EXPECT_EQ(BodyFile(), "lh");
    EXPECT_NE(server.Requests()[0].find("\r\nHost: localhost\r\n"), std::string::npos);
}

}  // namespace http_scenarios
