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
#include "wizard/icon_count.h"

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

#pragma pack(push, 1)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconDirectory {
    WORD reserved, type, count;
    GroupIconEntry entry;
};
#pragma pack(pop)

// One opaque 32 x 32 icon image with 32-bit colour: a colour that differs from icon to icon and a
// diagonal stripe, so that no two images are alike.
std::vector<BYTE> IconImage(int k) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 32;
    header.biHeight = 64;  // colour and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biSizeImage = 32 * 32 * 4 + 32 * 4;
    std::vector<BYTE> image(sizeof header + header.biSizeImage, 0);  // mask all zero: opaque
    std::copy_n(reinterpret_cast<const BYTE*>(&header), sizeof header, image.begin());
    BYTE* pixel = image.data() + sizeof header;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x, pixel += 4) {
            const bool stripe = (x + y + k) % 8 < 2;
            pixel[0] = static_cast<BYTE>(stripe ? 255 : 37 * k);
            pixel[1] = static_cast<BYTE>(stripe ? 255 : 91 * k + 40);
            pixel[2] = static_cast<BYTE>(stripe ? 255 : 13 * k + 90);
            pixel[3] = 255;
        }
    }
    return image;
}

// A copy of this exe (which carries no icons) with `count` icons added as resources.
bool MakeIconLibrary(const std::wstring& path, int count) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!CopyFileW(self, path.c_str(), FALSE)) return false;
    HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
    if (!update) return false;
    bool ok = true;
    const WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    for (int k = 0; k < count && ok; ++k) {
        std::vector<BYTE> image = IconImage(k);
        const WORD iconId = static_cast<WORD>(1000 + k);
        GroupIconDirectory group{0, 1, 1, {32, 32, 0, 0, 1, 32, static_cast<DWORD>(image.size()), iconId}};
        ok = UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(iconId), language, image.data(),
                             static_cast<DWORD>(image.size())) &&
             UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(1 + k), language, &group, sizeof group);
    }
    return EndUpdateResourceW(update, !ok) && ok;
}

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
Open OpenChooser(TForm2& chooser, const std::wstring& file) {
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
        chooser.CancelClick();
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

int CellsDrawnInOneOpening(TForm2& chooser, const std::wstring& file) {
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
    TForm2 chooser;
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
