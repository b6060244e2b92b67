// Extraction of a large deflated archive: ZipArchive against Info-ZIP unzip, and peak memory; and
// an archive of 60,000 entries that are all refused, against unzip listing the same directory.
// Run: cmake --build <native build> --target zip_bench && <native build>/zip_bench
// (for meaningful times build without sanitizers, e.g.
//  g++ -O2 -std=c++20 -I. bench/zip_bench.cpp update/{zip_extract,zip_reader,file_io}.cpp platform/utf.cpp -lz -o /tmp/zip_bench)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "update/zip_extract.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Text-like data that deflates to roughly a third, written in pieces.
void MakeFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::uint32_t state = 12345;
    static const char* const kWords[] = {"Zeiger", "werk", "Verknüpfung", "Ordner", "Ziel", "Symbol", "Datei", "neu"};
    std::string block;
    for (std::uint64_t written = 0; written < size;) {
        block.clear();
        while (block.size() < 65536) {
            state = state * 1103515245u + 12345u;
            block += kWords[(state >> 16) & 7];
            block += static_cast<char>('a' + ((state >> 8) % 26));
            block += (state & 15) == 0 ? '\n' : ' ';
        }
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - written));
        out.write(block.data(), static_cast<std::streamsize>(n));
        written += n;
    }
}

// Extracts in a child process, so that its peak RSS is its own; `written` files and `messages` expected.
double ExtractRun(const std::string& archive, const std::string& folder, long& peakKiB, int written = 1,
                  std::size_t messages = 0) {
    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        ZipArchive zip;
        zip.Unattended = true;
        zip.SetZipFileName(std::wstring(archive.begin(), archive.end()));
        zip.ExtrBaseDir = std::wstring(folder.begin(), folder.end());
        _exit(zip.Extract() == written && zip.Messages().size() == messages ? 0 : 1);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    peakKiB = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "extraction failed\n");
        std::exit(1);
    }
    return Seconds(start);
}

}  // namespace

int main() {
    const std::string work = "/tmp/zw-zip-bench";
    Shell("rm -rf " + work + " && mkdir -p " + work + "/src");
    for (std::uint64_t mb : {20, 200}) {
        const std::string archive = work + "/a" + std::to_string(mb) + ".zip";
        MakeFile(work + "/src/Zeigerwerk.dat", mb << 20);
        Shell("cd " + work + "/src && zip -q -1 " + archive + " Zeigerwerk.dat");
        double best = 1e9, bestUnzip = 1e9;
        long peak = 0;
        for (int round = 0; round < 3; ++round) {
            Shell("rm -rf " + work + "/u " + work + "/z && mkdir " + work + "/u " + work + "/z");
            Clock::time_point start = Clock::now();
            Shell("unzip -qo " + archive + " -d " + work + "/u");
            bestUnzip = std::min(bestUnzip, Seconds(start));
            best = std::min(best, ExtractRun(archive, work + "/z", peak));
        }
        Shell("cmp -s " + work + "/u/Zeigerwerk.dat " + work + "/z/Zeigerwerk.dat");
        std::printf("extract %4llu MB: ZipArchive %.3f s, unzip %.3f s, ratio %.2f, peak RSS %ld KiB\n",
                    static_cast<unsigned long long>(mb), best, bestUnzip, best / bestUnzip, peak);
    }

    // Every entry named after a device: each is refused, and all are told in one message.
    const std::string refused = work + "/con.zip";
    Shell("python3 -c \"import zipfile, warnings\n"
          "warnings.simplefilter('ignore')\n"
          "with zipfile.ZipFile('" + refused + "', 'w') as z:\n"
          "    [z.writestr('CON', 'x') for _ in range(60000)]\"");
    double best = 1e9, bestList = 1e9;
    long peak = 0;
    for (int round = 0; round < 3; ++round) {
        Shell("rm -rf " + work + "/z && mkdir " + work + "/z");
        Clock::time_point start = Clock::now();
        Shell("unzip -l " + refused + " > /dev/null");
        bestList = std::min(bestList, Seconds(start));
        best = std::min(best, ExtractRun(refused, work + "/z", peak, 0, 1));
    }
    std::printf("60000 refused entries: ZipArchive %.3f s, unzip -l %.3f s, ratio %.2f, peak RSS %ld KiB\n", best,
                bestList, best / bestList, peak);
    Shell("rm -rf " + work);
    return 0;
}
