// Start-up of the program until its wizard window is shown, painted and answering, against a
// minimal program that shows one window, both started the same way in the same run; several
// rounds, medians and their ratio.
// Run under Wine: startup_winbench.exe [path of zeigerwerk.exe] [rounds]
// (default: zeigerwerk.exe in the folder of this exe, zeigerwerk64.exe for the x86_64 build, whose
// minimal window is then 64-bit too). The program registers its shell verbs and
// writes its settings on every start: run it in a prefix of its own.
// The minimal program is this exe started with --minimal-window.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// ---- the minimal program ----

LRESULT CALLBACK MinimalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Extra arguments name libraries to load before the window is made: the program's own imports,
// which tells how much of the program's start-up is the loading of what it links against.
int RunMinimalWindow(int count, wchar_t** libraries) {
    for (int i = 0; i < count; ++i) LoadLibraryW(libraries[i]);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MinimalProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"ZeigerwerkMinimalWindow";
    if (!RegisterClassExW(&windowClass)) return 1;
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 480, 360, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

// ---- the measurement ----

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring ThisExe() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// A Unix path handed over by a script becomes the Windows path of Wine's Z: drive.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        path = L"Z:" + path;
        std::replace(path.begin(), path.end(), L'/', L'\\');
    }
    return path;
}

// The manifest the program carries (resource type 24, id 1), or nothing.
std::vector<char> ManifestOf(const std::wstring& program) {
    std::vector<char> manifest;
    HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!image) return manifest;
    if (HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST))
        if (HGLOBAL loaded = LoadResource(image, found)) {
            const char* data = static_cast<const char*>(LockResource(loaded));
            if (data) manifest.assign(data, data + SizeofResource(image, found));
        }
    FreeLibrary(image);
    return manifest;
}

// This exe is a console program; a copy marked as a GUI program starts like the real one (no
// console attached), so the reference pays what the program pays and no more. Given a manifest,
// the copy carries it too, and so loads the same common controls (version 6, themed) the program
// loads.
std::wstring MakeMinimalProgram(const std::wstring& name, const std::vector<char>& manifest) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + name;
    if (!CopyFileW(ThisExe().c_str(), copy.c_str(), FALSE)) return {};
    HANDLE file = CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    bool patched = false;
    IMAGE_DOS_HEADER dos{};
    DWORD done = 0;
    if (ReadFile(file, &dos, sizeof dos, &done, nullptr) && done == sizeof dos && dos.e_magic == IMAGE_DOS_SIGNATURE) {
        const LONG subsystemAt = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                                 offsetof(IMAGE_OPTIONAL_HEADER, Subsystem);
        const WORD gui = IMAGE_SUBSYSTEM_WINDOWS_GUI;
        patched = SetFilePointer(file, subsystemAt, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                  WriteFile(file, &gui, sizeof gui, &done, nullptr) && done == sizeof gui;
    }
    CloseHandle(file);
    if (!patched) return {};
    if (!manifest.empty()) {
        HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
        if (!update) return {};
        const bool added = UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(1),
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                           const_cast<char*>(manifest.data()), static_cast<DWORD>(manifest.size()));
        if (!EndUpdateResourceW(update, !added) || !added) return {};
    }
    return copy;
}

// The libraries the program (built like this exe, 32- or 64-bit) imports, read from its import
// directory, as one argument string.
std::wstring ImportedLibraries(const std::wstring& program) {
    std::wstring names;
    HMODULE image = LoadLibraryExW(program.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image) return names;
    const BYTE* base = reinterpret_cast<const BYTE*>(image);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress) {
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
             entry->Name; ++entry) {
            const char* name = reinterpret_cast<const char*>(base + entry->Name);
            names += L' ';
            while (*name) names += static_cast<wchar_t>(*name++);
        }
    }
    FreeLibrary(image);
    return names;
}

struct Search {
    DWORD processId;
    const wchar_t* caption;  // null: any caption
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM parameter) {
    Search& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
    if (search.caption) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (std::wcscmp(text, search.caption) != 0) return TRUE;
    }
    search.found = window;
    return FALSE;
}

struct Round {
    bool ok = false;
    double firstIdle = 0;  // process created until it first waits for input
    double shown = 0;      // ... until its window is visible
    double ready = 0;      // ... until that window has painted and answers
    double closed = 0;     // WM_CLOSE until the process has ended (under X without a window
                           // manager, Wine waits two seconds for a closed window to go)
};

Round StartOnce(const std::wstring& program, const std::wstring& argument, const wchar_t* caption) {
    Round round;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!argument.empty()) commandLine += L" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const std::wstring folder = FolderOf(program);

    const Clock::time_point start = Clock::now();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", program.c_str(), GetLastError());
        return round;
    }
    WaitForInputIdle(process.hProcess, 60000);
    round.firstIdle = Milliseconds(start, Clock::now());

    Search search{process.dwProcessId, caption, nullptr};
    const Clock::time_point deadline = start + std::chrono::seconds(60);
    while (true) {
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || Clock::now() > deadline) break;
        Sleep(1);
    }
    if (search.found) {
        round.shown = Milliseconds(start, Clock::now());
        // Painting that is still due is done in the program's own thread before this returns,
        // and the answer to WM_NULL shows the program is back in its message loop.
        RedrawWindow(search.found, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        DWORD_PTR answer = 0;
        const bool answered = SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
        round.ready = Milliseconds(start, Clock::now());

        const Clock::time_point closing = Clock::now();
        PostMessageW(search.found, WM_CLOSE, 0, 0);
        round.ok = answered && WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
        round.closed = Milliseconds(closing, Clock::now());
    } else {
        std::fprintf(stderr, "no visible window \"%ls\" of %ls\n", caption ? caption : L"", program.c_str());
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        round.ok = false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return round;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series {
    std::vector<double> firstIdle, shown, ready, closed;
    void Add(const Round& round) {
        firstIdle.push_back(round.firstIdle);
        shown.push_back(round.shown);
        ready.push_back(round.ready);
        closed.push_back(round.closed);
    }
    void Print(const char* name) const {
        std::printf("%s:\n  first idle %7.1f ms, window shown %7.1f ms, painted and answering %7.1f ms "
                    "(min %.1f, max %.1f); closed in %.1f ms\n",
                    name, Median(firstIdle), Median(shown), Median(ready),
                    *std::min_element(ready.begin(), ready.end()), *std::max_element(ready.begin(), ready.end()),
                    Median(closed));
    }
};

// The program's own notes of where its start went (see ZW_STARTUP_TRACE): phase and the
// milliseconds since its process was created at the phase's end.
using Trace = std::vector<std::pair<std::string, double>>;

Trace ReadTrace(const std::wstring& path) {
    Trace trace;
    if (FILE* file = _wfopen(path.c_str(), L"r")) {
        char line[256];
        while (std::fgets(line, sizeof line, file)) {
            std::string text(line);
            const size_t blank = text.find_last_of(' ');
            if (blank == std::string::npos) continue;
            trace.emplace_back(text.substr(0, blank), std::atof(text.c_str() + blank + 1));
        }
        std::fclose(file);
    }
    DeleteFileW(path.c_str());
    return trace;
}

// Median duration of each phase over the rounds, in the order the program notes them.
void PrintBreakdown(const std::vector<Trace>& traces, double ready) {
    if (traces.empty() || traces[0].empty()) {
        std::printf("no start-up notes from the program\n");
        return;
    }
    std::printf("where the wizard's start goes (median per phase):\n");
    double total = 0;
    for (size_t phase = 0; phase < traces[0].size(); ++phase) {
        std::vector<double> durations;
        for (const Trace& trace : traces)
            if (trace.size() == traces[0].size())
                durations.push_back(trace[phase].second - (phase ? trace[phase - 1].second : 0.0));
        const double median = Median(durations);
        total += median;
        std::printf("  %-28s %7.1f ms\n", traces[0][phase].first.c_str(), median);
    }
    std::printf("  %-28s %7.1f ms (until the window answers the probe)\n", "rest", ready - total);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"--minimal-window") == 0) return RunMinimalWindow(argc - 2, argv + 2);

#ifdef _WIN64
    const wchar_t* const programName = L"zeigerwerk64.exe";
#else
    const wchar_t* const programName = L"zeigerwerk.exe";
#endif
    const std::wstring program = WindowsPath(argc > 1 ? argv[1] : FolderOf(ThisExe()) + programName);
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 9;
    if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "program not found: %ls\n", program.c_str());
        return 1;
    }
    const std::wstring minimal = MakeMinimalProgram(L"zw_minimal_window.exe", {});
    const std::vector<char> manifest = ManifestOf(program);
    const std::wstring minimalLikeProgram = MakeMinimalProgram(L"zw_minimal_window_manifest.exe", manifest);
    if (minimal.empty() || minimalLikeProgram.empty() || manifest.empty()) {
        std::fprintf(stderr, "cannot make the minimal program\n");
        return 1;
    }
    const wchar_t* const wizardCaption = L"Verknüpfung erstellen";
    // The update's reminder would come before the wizard at a first start: this measures the wizard.
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\DZ\\Zeigerwerk", L"NoUpdate", REG_SZ, L"", sizeof(wchar_t));
    const std::wstring withLibraries = L"--minimal-window" + ImportedLibraries(program);

    // One start of each first: the first start of a program pays for loading its file and, for
    // the wizard, for the shell registration it writes the first time.
    if (!StartOnce(program, L"", wizardCaption).ok || !StartOnce(minimal, L"--minimal-window", nullptr).ok) {
        std::fprintf(stderr, "warm-up start failed\n");
        return 1;
    }
    // Alternating rounds share whatever the machine is doing meanwhile.
    Series wizard, reference, libraries;
    std::vector<Trace> traces;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring tracePath = std::wstring(temp) + L"zw_startup_trace.txt";
    for (int i = 0; i < rounds; ++i) {
        SetEnvironmentVariableW(L"ZW_STARTUP_TRACE", tracePath.c_str());
        const Round a = StartOnce(program, L"", wizardCaption);
        SetEnvironmentVariableW(L"ZW_STARTUP_TRACE", nullptr);
        traces.push_back(ReadTrace(tracePath));
        const Round b = StartOnce(minimal, L"--minimal-window", nullptr);
        const Round c = StartOnce(minimalLikeProgram, withLibraries, nullptr);
        if (!a.ok || !b.ok || !c.ok) {
            std::fprintf(stderr, "round %d failed\n", i + 1);
            return 1;
        }
        wizard.Add(a);
        reference.Add(b);
        libraries.Add(c);
    }
    DeleteFileW(minimal.c_str());
    DeleteFileW(minimalLikeProgram.c_str());

    std::printf("start-up, median of %d rounds each:\n", rounds);
    wizard.Print("wizard");
    PrintBreakdown(traces, Median(wizard.ready));
    reference.Print("minimal");
    libraries.Print("minimal + the program's imports and manifest");
    std::printf("start-up ratio against the minimal window loading the same libraries %.2f\n",
                Median(wizard.ready) / Median(libraries.ready));
    std::printf("of the wizard's extra %.1f ms, loading the libraries it imports (%ls) with its manifest takes "
                "%.1f ms\n",
                Median(wizard.ready) - Median(reference.ready), withLibraries.substr(17).c_str(),
                Median(libraries.ready) - Median(reference.ready));
    // The fastest rounds say what the machine can do when nothing else runs on it.
    std::printf("start-up ratio %.2f (wizard / minimal window; target at most 1.5; fastest rounds %.2f)\n",
                Median(wizard.ready) / Median(reference.ready),
                *std::min_element(wizard.ready.begin(), wizard.ready.end()) /
                    *std::min_element(reference.ready.begin(), reference.ready.end()));
    return 0;
}
