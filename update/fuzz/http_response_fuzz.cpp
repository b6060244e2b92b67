// libFuzzer target: the response head reader and the URL rules on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "update/http_client.h"
#include "update/http_response.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the bytes arrive, as the network may slice them anyhow.
    std::size_t slice = data[0] % 17 + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    std::size_t length = size - 1;
    HttpResponseReader reader;
    try {
        std::size_t at = 0;
        while (at < length && !reader.Complete()) {
            std::size_t n = slice < length - at ? slice : length - at;
            std::size_t used = reader.Feed(bytes + at, n);
            if (used > n) __builtin_trap();
            at += used;
            if (used < n && !reader.Complete()) __builtin_trap();
        }
        reader.Finish();
        if (reader.Location().size() > HttpResponseReader::kMaxValue) __builtin_trap();
        if (reader.Cookie().size() > HttpResponseReader::kMaxValue) __builtin_trap();
        if (reader.HeadText().size() > HttpResponseReader::kMaxHead) __builtin_trap();
    } catch (const SocketError&) {
    }
    ParseStatusCode(std::string(bytes, length));

    // Whatever the server sent, a request built from it has exactly its own lines.
    std::string url = reader.HasLocation() ? reader.Location() : EscapeBlanksInPath(std::string(bytes, length < 600 ? length : 600));
    std::string host = "old";
    int port = data[0] & 1 ? 0 : 8080;
    try {
        if (reader.HasLocation()) CheckRedirectTarget(url);
        std::string path = ApplyUrl(url, host, port);
        if (path.empty() || path.size() > 256 || port < 1 || port > 65535) __builtin_trap();
        std::string request = BuildGetRequest(path, host, reader.Cookie(), data[0] & 2 ? url : "");
        std::size_t lines = 0;
        for (std::size_t i = 0; i < request.size(); ++i) {
            if (request[i] == '\n' && (i == 0 || request[i - 1] != '\r')) __builtin_trap();
            if (request[i] == '\r' && (i + 1 == request.size() || request[i + 1] != '\n')) __builtin_trap();
            lines += request[i] == '\n';
        }
        if (lines != 6u + !reader.Cookie().empty()) __builtin_trap();
        if (request.compare(0, 4, "GET ") != 0 || request.find(' ', 4) != request.find(" HTTP/1.0\r\n")) __builtin_trap();
    } catch (const SocketError&) {
    }
    return 0;
}
