// Download of a large body from a loopback server: HttpClient against curl, and peak memory.
// Run: cmake --build <native build> --target http_bench && <native build>/http_bench
// (for meaningful times build without sanitizers, e.g.
//  g++ -O2 -std=c++20 -I. bench/http_bench.cpp update/{http_client,http_response,socket_client,bsd_socket,file_io}.cpp platform/utf.cpp -o /tmp/http_bench)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/native/http_test_server.h"
#include "update/http_client.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Downloads in a child process so that its peak memory can be read alone; returns seconds.
double ClientRun(const std::string& url, const std::string& file, long& peakKiB) {
    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        HttpClient client;
        client.InputFileMode = true;
        client.Body = std::wstring(file.begin(), file.end());
        client.TimeOut = 10000;
        try {
            client.Get(url);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "download failed: %s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    return Seconds(start);
}

double CurlRun(const std::string& url, const std::string& file) {
    Clock::time_point start = Clock::now();
    std::string command = "curl -s -o '" + file + "' '" + url + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "curl failed (is it installed?)\n");
        std::exit(1);
    }
    return Seconds(start);
}

}  // namespace

int main() {
    const std::uint64_t sizes[] = {20ull << 20, 200ull << 20};
    const std::string file = "/tmp/zw-http-bench.bin";
    for (std::uint64_t size : sizes) {
        TestHttpServer server([size](const std::string&, int) {
            ScriptedResponse r;
            r.head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
            r.generatedSize = size;
            return r;
        });
        const std::string url = server.Base() + "/Pfeilbau.zip";
        double best = 1e9, bestCurl = 1e9;
        long peak = 0;
        for (int round = 0; round < 3; ++round) {
            bestCurl = std::min(bestCurl, CurlRun(url, file));
            best = std::min(best, ClientRun(url, file, peak));
        }
        std::printf("download %4llu MB: HttpClient %.3f s, curl %.3f s, ratio %.2f, client peak RSS %ld KiB\n",
                    static_cast<unsigned long long>(size >> 20), best, bestCurl, best / bestCurl, peak);
    }
    std::remove(file.c_str());
    return 0;
}
