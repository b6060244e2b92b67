#include "update/http_response.h"

#include <cstring>

#include "update/socket_client.h"

namespace {

std::string WithoutLineEnd(const std::string& line) {
    std::size_t end = line.size();
    if (end > 0 && line[end - 1] == '\n') --end;
    if (end > 0 && line[end - 1] == '\r') --end;
    return line.substr(0, end);
}

bool FirstWordIs(const std::string& line, const char* upperName) {
    std::size_t length = std::strlen(upperName);
    std::size_t word = line.find_first_of(" \r\n");
    if (word == std::string::npos) word = line.size();
    if (word != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upperName[i]) return false;
    }
    return true;
}

// Text after the name, its colon and one blank, without the line end, cut to the bound.
std::string HeaderValue(const std::string& line, std::size_t nameLength) {
    std::string bare = WithoutLineEnd(line);
    if (bare.size() <= nameLength + 1) return {};
    return bare.substr(nameLength + 1, HttpResponseReader::kMaxValue);
}

}  // namespace

int ParseStatusCode(const std::string& line) {
    std::size_t pos = 0;
    auto skipBlanks = [&] { while (pos < line.size() && line[pos] == ' ') ++pos; };
    auto skipWord = [&] { while (pos < line.size() && line[pos] != ' ') ++pos; };
    skipBlanks();
    skipWord();
    skipBlanks();
    std::size_t start = pos;
    skipWord();
    std::string field = WithoutLineEnd(line.substr(start, pos - start));
    if (field.empty() || field.size() > 9) return 0;
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::size_t HttpResponseReader::Feed(const char* data, std::size_t size) {
    std::size_t used = 0;
    while (!complete_ && used < size) {
        const void* found = std::memchr(data + used, '\n', size - used);
        std::size_t take = found ? static_cast<std::size_t>(static_cast<const char*>(found) - (data + used)) + 1
                                 : size - used;
        if (pending_.size() + take > kMaxLine)
            throw SocketError(SocketError::Kind::Protocol, "Header line too long");
        pending_.append(data + used, take);
        used += take;
        if (!found) break;
        std::string line;
        line.swap(pending_);
        TakeLine(line);
    }
    return used;
}

void HttpResponseReader::Finish() {
    if (complete_) return;
    if (!pending_.empty()) {
        std::string line;
        line.swap(pending_);
        TakeLine(line);
    }
    complete_ = true;
}

void HttpResponseReader::TakeLine(const std::string& line) {
    if (sawStatus_ && (line == "\r\n" || line == "\n")) {
        complete_ = true;
        return;
    }
    if (head_.size() + line.size() > kMaxHead) throw SocketError(SocketError::Kind::Protocol, "Header too long");
    head_ += line;
    if (!sawStatus_) {
        sawStatus_ = true;
        status_ = ParseStatusCode(line);
        return;
    }
    if (FirstWordIs(line, "SET-COOKIE:")) {
        hasCookie_ = true;
        cookie_ = HeaderValue(line, 11);
    } else if (FirstWordIs(line, "LOCATION:")) {
        hasLocation_ = true;
        location_ = HeaderValue(line, 9);
    } else if (FirstWordIs(line, "CONTENT-LENGTH:")) {
        std::size_t pos = 15;
        while (pos < line.size() && (line[pos] < '0' || line[pos] > '9')) ++pos;
        std::uint64_t value = 0;
        for (; pos < line.size() && line[pos] >= '0' && line[pos] <= '9'; ++pos) {
            unsigned digit = static_cast<unsigned>(line[pos] - '0');
            value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
        }
        contentLength_ = value;
    }
}
