#pragma once
// The update under test: a key pair made with openssl at test time, a server folder made by the
// maker's script, a loopback HTTP server serving that folder, the clock and the registry key.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/shell_open.h"
#include "platform/utf.h"
#include "tests/native/http_test_server.h"
#include "tests/windows/support/messages.h"
#include "tests/windows/support/temp_folder.h"
#include "tests/windows/support/wine.h"
#include "tests/windows/support/window_tree.h"
#include "update/update_dialog.h"
#include "update/update_service.h"
#include "update/update_batch.h"
#include "update/update_rules.h"

namespace update_test {

inline std::wstring Unix(const std::wstring& path) { return WideFromUtf8(UnixPathOf(path)); }

inline bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 20000) {
    return PumpUntil(condition, milliseconds);
}

// Presses the dialog's visible button of that text; a page's heading may carry the same text.
inline void Press(const UpdateDialog& dialog, const std::wstring& text) {
    for (HWND child : ChildrenOf(dialog.Handle()))
        if (IsWindowVisible(child) && TextOf(child) == text) SendMessageW(child, BM_CLICK, 0, 0);
}

// Waits until no check or download runs.
inline bool TransferEnded(UpdateDialog& dialog) {
    return WaitFor([&] { return !dialog.Run().Checking() && !dialog.Run().Downloading(); });
}

// Runs a shell command line under Wine and waits for its end (its exit status lands in a file).
inline int RunShell(const std::wstring& command) {
    static int counter = 0;
    TempFolder out;
    const std::wstring status = out / (L"status" + std::to_wstring(++counter));
    const std::wstring partial = Unix(out.Path()) + L"/partial";
    // Wine splits the command line by Windows rules: the outer quotes are double, inner ones single.
    const std::wstring line = L"sh -c \"" + command + L" >/dev/null 2>&1; echo $? > '" + partial + L"'; mv '" +
                              partial + L"' '" + Unix(status) + L"'\"";
    if (!RunUnixProgram(L"/bin/sh", line)) return -1;
    if (!WaitFor([&] { return GetFileAttributesW(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000)) return -1;
    return std::atoi(ReadFileBytes(status).c_str());
}

inline std::wstring SourceDir() {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ZW_SOURCE_DIR", value, MAX_PATH);
    return value;
}

inline std::string Base64Decode(const std::string& text) {
    std::string out;
    int bits = 0, value = 0;
    for (char c : text) {
        const char* const alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* at = c ? strchr(alphabet, c) : nullptr;
        if (!at) continue;
        value = value << 6 | static_cast<int>(at - alphabet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

// X and Y of a P-256 public key in PEM: the last 64 bytes of its DER form.
inline UpdateKey KeyFromPem(const std::string& pem) {
    std::string body;
    for (std::size_t at = 0; at < pem.size();) {
        std::size_t end = pem.find('\n', at);
        if (end == std::string::npos) end = pem.size();
        const std::string line = pem.substr(at, end - at);
        if (line.rfind("-----", 0) != 0) body += line;
        at = end + 1;
    }
    const std::string der = Base64Decode(body);
    UpdateKey key{};
    if (der.size() >= 64) std::copy(der.end() - 64, der.end(), key.begin());
    return key;
}

struct KeyPair {
    std::wstring privateKey;  // Windows path of the PEM file
    UpdateKey publicKey{};
};

inline KeyPair MakeKeyPair(const TempFolder& folder, const std::wstring& name) {
    KeyPair pair;
    pair.privateKey = folder / (name + L".key");
    const std::wstring pub = folder / (name + L".pub");
    const int status = RunShell(L"openssl ecparam -name prime256v1 -genkey -noout -out '" + Unix(pair.privateKey) +
                                L"' && openssl ec -in '" + Unix(pair.privateKey) + L"' -pubout -out '" + Unix(pub) +
                                L"'");
    EXPECT_EQ(status, 0) << "openssl";
    pair.publicKey = KeyFromPem(ReadFileBytes(pub));
    return pair;
}

// The maker's script with its arguments (Windows paths are converted).
inline int MakeUpdate(const std::wstring& arguments) {
    return RunShell(L"bash '" + SourceDir() + L"/scripts/make-update.sh' " + arguments);
}

inline int SignFile(const KeyPair& key, const std::wstring& file) {
    return MakeUpdate(L"--key '" + Unix(key.privateKey) + L"' --sign '" + Unix(file) + L"'");
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The list with each given key set to its value (an empty value removes the key), signed again.
inline void EditList(const KeyPair& key, const std::wstring& list, const std::map<std::string, std::string>& values) {
    std::string text;
    std::map<std::string, std::string> left = values;
    for (const std::string& line : SplitLines(ReadFileBytes(list))) {
        const std::string name = line.substr(0, line.find('='));
        const auto change = left.find(name);
        if (change == left.end()) {
            text += line + "\r\n";
            continue;
        }
        if (!change->second.empty()) text += name + "=" + change->second + "\r\n";
        left.erase(change);
    }
    for (const auto& [name, value] : left)
        if (!value.empty()) text += name + "=" + value + "\r\n";
    WriteBytes(list, text);
    EXPECT_EQ(SignFile(key, list), 0);
}

// "Size" and "SHA256" of a file as the maker's list names them (computed by coreutils).
inline std::map<std::string, std::string> Binding(const std::wstring& file) {
    TempFolder out;
    const std::wstring hash = out / L"hash";
    EXPECT_EQ(RunShell(L"(sha256sum '" + Unix(file) + L"' > '" + Unix(hash) + L"')"), 0);
    return {{"Size", std::to_string(ReadFileBytes(file).size())}, {"SHA256", ReadFileBytes(hash).substr(0, 64)}};
}

// Serves the files of a folder; `adjust` may change a response before it is sent.
class FolderServer {
public:
    using Adjust = std::function<void(const std::string& path, ScriptedResponse& response)>;
    explicit FolderServer(std::wstring folder, Adjust adjust = {})
        : folder_(std::move(folder)), adjust_(std::move(adjust)),
          server_([this](const std::string& request, int) { return Answer(request); }) {}

    int Port() const { return server_.Port(); }
    std::wstring Address() const { return L"127.0.0.1:" + std::to_wstring(Port()); }
    std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (const std::string& request : server_.Requests()) paths.push_back(PathOf(request));
        return paths;
    }

private:
    static std::string PathOf(const std::string& request) {
        const std::size_t start = request.find(' ') + 1;
        return request.substr(start, request.find(' ', start) - start);
    }
    ScriptedResponse Answer(const std::string& request) {
        const std::string path = PathOf(request);
        std::wstring file = folder_;
        for (char c : path.substr(1)) file += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        ScriptedResponse response;
        if (path.find("..") == std::string::npos && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
            !(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_DIRECTORY)) {
            response.body = ReadFileBytes(file);
            response.head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(response.body.size()) + "\r\n\r\n";
        } else {
            response.body = "<html>404</html>";
            response.head = "HTTP/1.0 404 Not Found\r\n\r\n";
        }
        if (adjust_) adjust_(path, response);
        return response;
    }

    std::wstring folder_;
    Adjust adjust_;
    TestHttpServer server_;
};

// The prefix's own Internet settings with a proxy configured for a test, and without one again
// afterwards: the program reads them as it reads a user's.
struct ProxyConfiguration {
    bool manual = false;
    std::wstring server, bypass, script;  // ProxyServer, ProxyOverride, AutoConfigURL
};
class ConfiguredProxy {
public:
    explicit ConfiguredProxy(const ProxyConfiguration& proxy) {
        key_.SetInteger(L"ProxyEnable", proxy.manual);
        key_.SetString(L"ProxyServer", proxy.server);
        key_.SetString(L"ProxyOverride", proxy.bypass);
        key_.SetString(L"AutoConfigURL", proxy.script);
    }
    ~ConfiguredProxy() {
        for (const wchar_t* name : {L"ProxyEnable", L"ProxyServer", L"ProxyOverride", L"AutoConfigURL"})
            RegDeleteValueW(key_.Get(), name);
    }

private:
    RegistryKey key_ =
        RegistryKey::Create(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
};

inline double Date(int y, int m, int d) { return DaysFromCivil(y, m, d); }

// The update's clock and connection as a test sets them.
struct FixedClock : UpdateClock {
    explicit FixedClock(double at) : now(at) {}
    double Now() const override { return now; }
    double now;
};
struct RecordingLauncher : BatchLauncher {
    void Launch(const std::wstring& folder, const std::wstring& batch) const override { started.push_back(folder + batch); }
    bool LaunchElevated(const std::wstring&, const std::wstring&) const override { return false; }
    mutable std::vector<std::wstring> started;
};
struct FixedConnection : ConnectionState {
    bool Connected() const override { return connected; }
    bool connected = true;
};

}  // namespace update_test
