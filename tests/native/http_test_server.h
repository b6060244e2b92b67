// A loopback HTTP server for tests and benchmarks: answers each connection with a scripted
// response, records every request, and can send slowly, stall, or cut the body short.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "update/socket_platform.h"

struct ScriptedResponse {
    std::string head;  // status line and header lines, with the empty line
    std::string body;
    // Body bytes produced on the fly (large bodies): called with the offset, fills the buffer.
    std::uint64_t generatedSize = 0;
    // Sends this many body bytes and then holds the connection open without sending more.
    std::size_t stallAfter = std::string::npos;
    // Sends the body in pieces of this size with a pause after each.
    std::size_t pieceSize = 0;
    int pauseMs = 0;
    // Sends the head in pieces of this size, with the same pause after each.
    std::size_t headPieceSize = 0;
};

class TestHttpServer {
public:
    using Handler = std::function<ScriptedResponse(const std::string& request, int index)>;

    explicit TestHttpServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = PlatformSocket::Create();
        if (listener_->Open() != 0 || listener_->Listen(0x7F000001, 0) != 0) throw std::runtime_error("listen failed");
        port_ = listener_->LocalPort();
        thread_ = std::thread([this] { Run(); });
    }
    ~TestHttpServer() {
        stop_ = true;
        thread_.join();
    }

    int Port() const { return port_; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    int Connections() const { return connections_; }

    static void Fill(std::uint64_t offset, char* buffer, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) buffer[i] = static_cast<char>('a' + (offset + i) % 23);
    }

private:
    void Run() {
        while (!stop_) {
            int error = 0;
            if (listener_->Wait(false, 20, error) <= 0) continue;
            std::unique_ptr<PlatformSocket> client = listener_->Accept(error);
            if (!client) continue;
            ++connections_;
            std::string request = ReadRequest(*client);
            int index = 0;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
                index = static_cast<int>(requests_.size()) - 1;
            }
            Serve(*client, handler_(request, index));
            client->Close();
        }
    }

    std::string ReadRequest(PlatformSocket& s) {
        std::string request;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until && !stop_) {
            int error = 0;
            if (s.Wait(false, 20, error) <= 0) continue;
            std::size_t got = 0;
            if (s.Receive(buffer, sizeof buffer, got) != 0 || got == 0) break;
            request.append(buffer, got);
        }
        return request;
    }

    bool SendAll(PlatformSocket& s, const char* data, std::size_t size) {
        while (size > 0 && !stop_) {
            std::size_t sent = 0;
            int error = s.Send(data, size, sent);
            if (error != 0) {
                if (ClassifySocketError(error) != SocketCondition::WouldBlock) return false;
                s.Wait(true, 20, error);
                continue;
            }
            data += sent;
            size -= sent;
        }
        return size == 0;
    }

    void Serve(PlatformSocket& s, const ScriptedResponse& r) {
        std::size_t headPiece = r.headPieceSize ? r.headPieceSize : std::max<std::size_t>(r.head.size(), 1);
        for (std::size_t at = 0; at < r.head.size() && !stop_; at += headPiece) {
            if (!SendAll(s, r.head.data() + at, std::min(headPiece, r.head.size() - at))) return;
            if (r.headPieceSize) std::this_thread::sleep_for(std::chrono::milliseconds(r.pauseMs));
        }
        if (r.generatedSize > 0) {
            std::vector<char> block(1 << 16);
            for (std::uint64_t offset = 0; offset < r.generatedSize;) {
                std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), r.generatedSize - offset));
                Fill(offset, block.data(), n);
                if (!SendAll(s, block.data(), n)) return;
                offset += n;
            }
            return;
        }
        std::size_t limit = std::min(r.stallAfter, r.body.size());
        std::size_t piece = r.pieceSize ? r.pieceSize : limit;
        for (std::size_t at = 0; at < limit; at += piece) {
            if (!SendAll(s, r.body.data() + at, std::min(piece, limit - at))) return;
            if (r.pauseMs) std::this_thread::sleep_for(std::chrono::milliseconds(r.pauseMs));
        }
        if (r.stallAfter != std::string::npos) {
            // Hold the connection until the client gives up (closes) or the server stops.
            char buffer[256];
            while (!stop_) {
                int error = 0;
                if (s.Wait(false, 20, error) <= 0) continue;
                std::size_t got = 0;
                if (s.Receive(buffer, sizeof buffer, got) != 0 || got == 0) break;
            }
        }
    }

    Handler handler_;
    std::unique_ptr<PlatformSocket> listener_;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
