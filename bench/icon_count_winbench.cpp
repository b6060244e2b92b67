// Counting the icons of the system's icon library: one pass that asks the file for its number
// of icons, against extracting every icon index by index (the reference), in the same run.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "controls/icon_count.h"

namespace {

int CountByExtracting(const std::wstring& file) {
    int index = 0;
    for (;; ++index) {
        HICON icon = ExtractIconW(GetModuleHandleW(nullptr), file.c_str(), static_cast<UINT>(index));
        if (!icon || icon == reinterpret_cast<HICON>(1)) break;
        DestroyIcon(icon);
    }
    return index;
}

template <typename F>
double Milliseconds(int rounds, F&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / rounds;
}

}  // namespace

int wmain() {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring library = std::wstring(folder) + L"\\shell32.dll";
    int counted = 0, extracted = 0;
    const double onePass = Milliseconds(50, [&] { counted = CountIcons(library, false); });
    const double byIndex = Milliseconds(5, [&] { extracted = CountByExtracting(library); });
    std::printf("icons: %d (one pass) / %d (index by index)\n", counted, extracted);
    std::printf("one pass: %.3f ms, index by index: %.3f ms, ratio %.4f\n", onePass, byIndex, onePass / byIndex);
    return counted == extracted ? 0 : 1;
}
