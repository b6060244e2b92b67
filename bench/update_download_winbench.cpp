// Download of a 200 MB update archive through the real update wizard (progress page updating,
// signature checked) against the bare HTTP client fetching the same body from the same loopback
// server in the same run. Each round measures both, in turns one first and then the other, and
// the bare body's signature check, which the wizard's download also makes; the ratio of a round
// is (wizard - check) / bare, and the median of the rounds must stay within 1.1.
// Run under Wine: update_download_winbench.exe [megabytes] [rounds]
#include <windows.h>
#include <bcrypt.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "tests/native/http_test_server.h"
#include "update/signature.h"
#include "update/update_dialog.h"
#include "update/update_service.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

// A signing key made for this run with the system's own cryptography.
struct Signer {
    BCRYPT_ALG_HANDLE ecdsa = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
    UpdateKey publicKey{};

    Signer() {
        BCryptOpenAlgorithmProvider(&ecdsa, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0);
        BCryptGenerateKeyPair(ecdsa, &key, 256, 0);
        BCryptFinalizeKeyPair(key, 0);
        std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
        ULONG size = 0;
        BCryptExportKey(key, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob.data(), static_cast<ULONG>(blob.size()), &size, 0);
        std::copy(blob.begin() + sizeof(BCRYPT_ECCKEY_BLOB), blob.end(), publicKey.begin());
    }
    ~Signer() {
        BCryptDestroyKey(key);
        BCryptCloseAlgorithmProvider(ecdsa, 0);
    }
    // Signature (r then s) of the bytes that produce() hands out block by block.
    // digestHex: receives the SHA-256 as the list names it.
    std::string Sign(const std::function<bool(std::string&)>& produce, std::string* digestHex = nullptr) {
        BCRYPT_ALG_HANDLE sha = nullptr;
        BCRYPT_HASH_HANDLE hash = nullptr;
        BCryptOpenAlgorithmProvider(&sha, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
        BCryptCreateHash(sha, &hash, nullptr, 0, nullptr, 0, 0);
        std::string block;
        while (produce(block))
            BCryptHashData(hash, reinterpret_cast<PUCHAR>(block.data()), static_cast<ULONG>(block.size()), 0);
        UCHAR digest[32];
        BCryptFinishHash(hash, digest, 32, 0);
        BCryptDestroyHash(hash);
        if (digestHex)
            for (UCHAR byte : digest) *digestHex += "0123456789abcdef"[byte >> 4], *digestHex += "0123456789abcdef"[byte & 15];
        BCryptCloseAlgorithmProvider(sha, 0);
        std::string signature(64, '\0');
        ULONG size = 0;
        BCryptSignHash(key, nullptr, digest, 32, reinterpret_cast<PUCHAR>(signature.data()), 64, &size, 0);
        return signature;
    }
};

std::string Ok(std::uint64_t length) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const std::uint64_t size = (argc > 1 ? _wtoi(argv[1]) : 200) * std::uint64_t{1 << 20};
    const int rounds = argc > 2 ? _wtoi(argv[2]) : 7;

    Signer signer;
    std::uint64_t offset = 0;
    std::string archiveHash;
    const std::string archiveSignature = signer.Sign(
        [&](std::string& block) {
            if (offset >= size) return false;
            block.resize(std::min<std::uint64_t>(1 << 16, size - offset));
            TestHttpServer::Fill(offset, block.data(), block.size());
            offset += block.size();
            return true;
        },
        &archiveHash);
    const std::string list = "[Zeigerwerk]\r\nDate=01.01.2030\r\nNews=\"01.01.2030: Messung\"\r\nFile=big.zip\r\nSize=" +
                             std::to_string(size) + "\r\nSHA256=" + archiveHash + "\r\n";
    bool once = true;
    const std::string listSignature = signer.Sign([&](std::string& block) {
        block = list;
        return std::exchange(once, false);
    });

    TestHttpServer server([&](const std::string& request, int) {
        ScriptedResponse r;
        auto is = [&](const char* path) { return request.rfind(std::string("GET ") + path + " ", 0) == 0; };
        if (is("/Updates.ini")) r = {Ok(list.size()), list};
        else if (is("/Updates.ini.sig")) r = {Ok(64), listSignature};
        else if (is("/Updates/big.zip.sig")) r = {Ok(64), archiveSignature};
        else if (is("/Updates/big.zip") || is("/bare.zip")) r.head = Ok(size), r.generatedSize = size;
        else r.head = "HTTP/1.0 404 Not Found\r\n\r\n";
        return r;
    });

    struct Online : ConnectionState {
        bool Connected() const override { return true; }
    } online;
    UpdateDialog form;
    form.Connection = &online;
    form.Files.programName = L"Zeigerwerk";
    form.ArchiveFile = L"Pfeilbau.zip";
    form.Files.registryKey = L"ZwUpdateBench";
    form.Files.programFile = L"C:\\zeigerwerk.exe";
    form.Files.programDate = 1;
    form.Files.key = signer.publicKey;
    form.Server = {"127.0.0.1", server.Port()};

    wchar_t tempPath[MAX_PATH];
    GetTempPathW(MAX_PATH, tempPath);
    const std::wstring bareFile = std::wstring(tempPath) + L"zw-bare-download.bin";

    std::vector<double> bare, dialog, verify;
    bool allConfirmed = true;
    const auto measureBare = [&] {
        HttpClient client;
        client.InputFileMode = true;
        client.Body = bareFile;
        client.TimeOut = 10000;
        const auto start = Clock::now();
        client.Get("http://127.0.0.1:" + std::to_string(server.Port()) + "/bare.zip");
        bare.push_back(Seconds(start, Clock::now()));
        const auto checkStart = Clock::now();
        // The bare body carries the archive's bytes: its check costs what the wizard's does.
        const std::wstring sigFile = bareFile + L".sig";
        HANDLE out = CreateFileW(sigFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(out, archiveSignature.data(), 64, &written, nullptr);
        CloseHandle(out);
        if (CheckFileSignature(bareFile, sigFile, signer.publicKey) != SignatureCheck::Valid) allConfirmed = false;
        DeleteFileW(sigFile.c_str());
        verify.push_back(Seconds(checkStart, Clock::now()));
        DeleteFileW(bareFile.c_str());
    };
    // Driven through the dialog's own keys; the download runs while its progress page updates.
    const auto measureDialog = [&] {
        Clock::time_point start{};
        bool measured = false;
        form.OnShown = [&] {
            PostMessageW(form.Handle(), WM_KEYDOWN, VK_RETURN, 0);  // "Weiter >"
            PostMessageW(form.Handle(), WM_KEYDOWN, VK_RETURN, 0);  // "Jetzt auf neue Updates prüfen"
        };
        form.OnChanged = [&] {
            const UpdateRun& run = form.Run();
            if (run.CurrentStep() == UpdateRun::Step::Result && run.Shown().nextEnabled && !measured &&
                start == Clock::time_point{}) {
                start = Clock::now();
                PostMessageW(form.Handle(), WM_KEYDOWN, VK_RETURN, 0);
            } else if (run.CurrentStep() == UpdateRun::Step::Download && !run.Downloading() && !measured &&
                       start != Clock::time_point{}) {
                measured = true;
                dialog.push_back(Seconds(start, Clock::now()));
                allConfirmed = allConfirmed && !run.DownloadFailed();
                PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
            }
        };
        form.ShowModal(nullptr);
        if (!measured) allConfirmed = false, dialog.push_back(1e9);
    };
    // The machine's load drifts: each round's two measurements sit side by side, in turns.
    std::vector<double> transfer, whole;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2) measureDialog(), measureBare();
        else measureBare(), measureDialog();
        transfer.push_back((dialog.back() - verify.back()) / bare.back());
        whole.push_back(dialog.back() / (bare.back() + verify.back()));
        std::printf("round %d: bare %.2f s, check %.2f s, wizard %.2f s, (wizard - check) / bare %.2f\n", round + 1, bare.back(),
                    verify.back(), dialog.back(), transfer.back());
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double ratio = median(transfer);
    std::printf("archive %.0f MB, %d rounds, medians%s\n", size / 1048576.0, rounds,
                allConfirmed ? "" : " (NOT CONFIRMED)");
    std::printf("bare HttpClient download: %.2f s, its signature check: %.2f s, wizard download: %.2f s\n",
                median(bare), median(verify), median(dialog));
    std::printf("ratio transfer (wizard - check) / bare: %.2f (bound 1.1)\n", ratio);
    std::printf("ratio wizard / (bare + check): %.2f\n", median(whole));
    return allConfirmed && ratio <= 1.1 ? 0 : 1;
}
