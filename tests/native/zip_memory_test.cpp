// Heap use of reading and extracting an archive whose directory is made of very long names. This
// program counts every allocation, so it holds only this test.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/native/zip_fixture.h"

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

// Each block carries its size in front, so that the count can be taken back on release.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    std::size_t live = g_live += size;
    std::size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) noexcept {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    g_live -= *static_cast<std::size_t*>(block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace {

using zip_scenarios::WideName;
using zip_scenarios::WriteBytes;
using zip_scenarios::ZipScenario;

TEST_F(ZipScenario, LongNamesAreRefusedWithoutBeingHeld) {
    constexpr int kEntries = 250;
    {
        std::vector<TestZipEntry> entries;
        for (int i = 0; i < kEntries; ++i) {
            TestZipEntry e{std::to_string(i) + std::string(65000, 'n'), "x"};
            e.method = 0;
            entries.push_back(std::move(e));
        }
        WriteBytes(base_ / "Pfeilbau.zip", BuildZip(entries));
    }
    std::size_t before = g_live;
    g_peak = before;
    zip_.SetZipFileName(WideName(base_ / "Pfeilbau.zip"));
    EXPECT_EQ(zip_.Count(), kEntries);
    EXPECT_EQ(zip_.Extract(), 0);
    std::size_t peak = g_peak - before;
    // The directory alone is 16 MB; reading it must not cost anywhere near that.
    EXPECT_LT(peak, 2u << 20) << peak;
    ASSERT_EQ(shown_, std::vector<int>{zmNameRefused});
    EXPECT_NE(zip_.Messages()[0].Text.find(L"250 Einträge"), std::wstring::npos);
    EXPECT_NE(zip_.Messages()[0].Text.find(L"„0nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn…“"), std::wstring::npos);
}

}  // namespace
