// Opening a large folder in the directory tree against the floor of the same work done bare:
// one enumeration of the folder plus one first-entry probe of each subfolder.
// Run under Wine: directory_expand_winbench.exe [work folder]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "controls/directory_view.h"
#include "controls/system_folder_reading.h"
#include "platform/handles.h"
#include "platform/window.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void MakeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

// Built once and kept: a "ready" marker says the tree is complete.
void Prepare(const std::wstring& folder, int subfolders, bool nested, int files) {
    if (GetFileAttributesW((folder + L"ready").c_str()) != INVALID_FILE_ATTRIBUTES) return;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < subfolders; ++i) {
        const std::wstring sub = folder + L"Ordner " + std::to_wstring(i);
        CreateDirectoryW(sub.c_str(), nullptr);
        if (nested) CreateDirectoryW((sub + L"\\innen").c_str(), nullptr);
    }
    for (int i = 0; i < files; ++i) MakeFile(folder + L"Datei " + std::to_wstring(i) + L".txt");
    MakeFile(folder + L"ready");
}

double Floor(const std::wstring& folder) {
    const auto start = Clock::now();
    WIN32_FIND_DATAW find;
    HANDLE search = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &find, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    int probes = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || find.cFileName[0] == L'.') continue;
            WIN32_FIND_DATAW inner;
            HANDLE probe = FindFirstFileW((folder + find.cFileName + L"\\*").c_str(), &inner);
            if (probe != INVALID_HANDLE_VALUE) FindClose(probe);
            ++probes;
        } while (FindNextFileW(search, &find));
        FindClose(search);
    }
    return Seconds(start);
}

class Host : public Window {
public:
    Host() { CreateWindowObject(L"ZwDirectoryBenchHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, L"", 0, 0, 320, 420, nullptr, nullptr); }
    ~Host() override { DestroyWindow(Handle()); }
};

// The real reading, counting what the tree asks of it and the time it takes.
class CountingReading : public SystemFolderReading {
public:
    void Search(const std::wstring& folder, bool whole, const Visit& visit) override {
        const auto start = Clock::now();
        SystemFolderReading::Search(folder, whole, visit);
        (whole ? searches : probes) += 1;
        (whole ? listing : probing) += Seconds(start);
    }
    size_t searches = 0, probes = 0;
    double listing = 0, probing = 0;
};

struct Opening {
    double seconds = 1e9;
    size_t shown = 0;
    CountingReading work;  // what this opening read
};

Opening Expansion(const std::wstring& folder) {
    Host host;
    Opening opening;
    DirectoryView tree(host.Handle(), RECT{0, 0, 300, 400}, opening.work);
    // The wizard always asks before adding, so the benchmark does too.
    tree.ShowsFolder = [](const std::wstring&) { return true; };
    std::wstring parent = folder.substr(0, folder.size() - 1);
    parent = parent.substr(0, parent.find_last_of(L'\\') + 1);
    if (!tree.SelectFolder(parent)) return opening;
    // The user opens a folder in a tree already on the screen: its first paint is not the opening's.
    RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    opening.work = {};
    const auto start = Clock::now();
    tree.SelectFolder(folder);
    opening.seconds = Seconds(start);
    const HWND view = tree.Handle();
    for (HTREEITEM child = TreeView_GetChild(view, TreeView_GetSelection(view)); child;
         child = TreeView_GetNextSibling(view, child))
        ++opening.shown;
    return opening;
}

void Measure(const wchar_t* label, const std::wstring& folder) {
    double bestFloor = 1e9;
    Opening best;
    for (int run = 0; run < 5; ++run) {
        bestFloor = std::min(bestFloor, Floor(folder));
        Opening opening = Expansion(folder);
        if (opening.seconds < best.seconds) best = std::move(opening);
    }
    const auto& w = best.work;
    std::printf("%ls: %zu nodes, floor %.3f s, tree %.3f s, ratio %.2f\n", label, best.shown, bestFloor, best.seconds,
                best.seconds / bestFloor);
    std::printf("  listing %.3f s (%zu search), probes %.3f s (%zu), the rest %.3f s\n", w.listing, w.searches,
                w.probing, w.probes, best.seconds - w.listing - w.probing);
    if (w.searches != 1 || w.probes != best.shown) std::printf("  a folder was read more than once\n");
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ComApartment com;
    std::wstring work;
    if (argc > 1) {
        work = argv[1];
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        work = std::wstring(temp) + L"zw_directory_bench";
    }
    if (work.back() != L'\\') work += L'\\';
    CreateDirectoryW(work.c_str(), nullptr);
    const std::wstring many = work + L"5000 Ordner\\";
    const std::wstring files = work + L"50000 Dateien\\";
    Prepare(many, 5000, true, 0);
    Prepare(files, 10, false, 50000);
    Measure(L"5,000 subfolders with one subfolder each", many);
    Measure(L"50,000 files and 10 subfolders", files);
    return 0;
}
