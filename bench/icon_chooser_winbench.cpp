// Opening the icon chooser until it has painted in full, on the system's icon library and on a
// library of 1,000 icons built here, against extracting every icon of the same file once
// (index by index, each destroyed again), in the same run.
// Run under Wine: icon_chooser_winbench.exe [rounds]
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/icon_chooser.h"
#include "tests/windows/support/icon_builder.h"
#include "controls/icon_count.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Icon k of the benchmark's library: colours that differ from icon to icon.
COLORREF BenchColour(int k) { return RGB(37 * k % 256, (91 * k + 40) % 256, (13 * k + 90) % 256); }

bool MakeIconLibrary(const std::wstring& path, int count) { return icon_files::AddIconLibrary(path, count, BenchColour); }

// The reference: every icon of the file extracted once, as the chooser's work could at most be
// if it read each icon a single time.
double ExtractEveryIcon(const std::wstring& file, int count) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i) {
        HICON icon = nullptr;
        if (ExtractIconExW(file.c_str(), i, &icon, nullptr, 1) == 1 && icon) DestroyIcon(icon);
    }
    return Since(start);
}

struct Open {
    double milliseconds = 0;
    double shown = 0;  // until the dialog's first message: made visible, nothing painted yet
    int cells = 0;
    bool ok = false;
};

// One opening of the chooser: from the call until it is on screen and has painted in full (the
// visible cells draw their icons). Closing is not counted: without a window manager, Wine waits
// two seconds for the X server to take a hidden window off the screen.
Open OpenChooser(IconChooser& chooser, const std::wstring& file) {
    Open open;
    int index = 0;
    Clock::time_point start;
    chooser.OnShown = [&] {
        open.shown = Since(start);
        RedrawWindow(chooser.Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        open.milliseconds = Since(start);
        RECT client{}, last{};
        GetClientRect(chooser.IconList(), &client);
        for (int i = 0; i < chooser.IconCount(); ++i) {
            if (SendMessageW(chooser.IconList(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&last)) == LB_ERR) break;
            RECT visible{};
            if (IntersectRect(&visible, &last, &client)) ++open.cells;
        }
        open.ok = IsWindowVisible(chooser.Handle());
        chooser.Dismiss();
    };
    start = Clock::now();
    chooser.ShowModal(nullptr, file, index);
    return open;
}

// Counts the cells the list has the chooser draw, to tell painting from repainting.
HWND countedList = nullptr;
int drawnCells = 0;

LRESULT CALLBACK CountDrawnCells(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message->lParam);
        if (item->hwndItem == countedList && (item->itemAction & ODA_DRAWENTIRE) && item->itemID != UINT(-1))
            ++drawnCells;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

int CellsDrawnInOneOpening(IconChooser& chooser, const std::wstring& file) {
    countedList = chooser.IconList();
    drawnCells = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountDrawnCells, nullptr, GetCurrentThreadId());
    OpenChooser(chooser, file);
    if (hook) UnhookWindowsHookEx(hook);
    return hook ? drawnCells : -1;
}

bool Measure(const char* name, const std::wstring& file, int rounds) {
    const int count = CountIcons(file, false);
    if (count <= 0) {
        std::fprintf(stderr, "%s: no icons in %ls\n", name, file.c_str());
        return false;
    }
    IconChooser chooser;
    // The first opening creates the window and brings the file into the cache: not counted.
    if (!OpenChooser(chooser, file).ok) return false;
    ExtractEveryIcon(file, count);

    std::vector<double> opens, shown, references, counts;
    int cells = 0;
    for (int i = 0; i < rounds; ++i) {
        const Open open = OpenChooser(chooser, file);
        if (!open.ok) return false;
        opens.push_back(open.milliseconds);
        shown.push_back(open.shown);
        cells = open.cells;
        references.push_back(ExtractEveryIcon(file, count));
        const Clock::time_point start = Clock::now();
        CountIcons(file, false);
        counts.push_back(Since(start));
    }
    const int drawn = CellsDrawnInOneOpening(chooser, file);
    const double ratio = Median(opens) / Median(references);
    std::printf("%s (%d icons): chooser open %.2f ms (on screen after %.2f ms, then %d cells in view, %d drawn; "
                "counting the icons %.2f ms), every icon extracted once %.2f ms\n",
                name, count, Median(opens), Median(shown), cells, drawn, Median(counts), Median(references));
    std::printf("icon chooser ratio %.3f (%s; target at most 2)\n", ratio, name);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell32 = std::wstring(system) + L"\\shell32.dll";

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"zw_icon_chooser_bench\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring library = folder + L"Tausend Symbole.dll";
    const int libraryIcons = 1000;
    if (!MakeIconLibrary(library, libraryIcons) || CountIcons(library, false) != libraryIcons) {
        std::fprintf(stderr, "cannot build the library of %d icons\n", libraryIcons);
        return 1;
    }

    const bool ok = Measure("shell32.dll", shell32, rounds) && Measure("built library", library, rounds);
    DeleteFileW(library.c_str());
    RemoveDirectoryW(folder.c_str());
    return ok ? 0 : 1;
}
