// Fixture for extraction tests: a fresh folder tree, an archive written into the extraction
// folder, and the difference the extraction made to the whole tree.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/native/zip_test_archive.h"
#include "update/zip_extract.h"

namespace zip_scenarios {

namespace fs = std::filesystem;
using Tree = std::map<std::wstring, std::string>;

inline std::wstring WideName(const fs::path& p) {
#ifdef _WIN32
    return p.wstring();
#else
    return WideFromUtf8(p.string());
#endif
}

inline void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

inline std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every file and folder below `root`, with the files' contents.
inline Tree Snapshot(const fs::path& root) {
    Tree tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        std::wstring name = WideName(fs::relative(item.path(), root));
        tree[name] = item.is_directory() ? std::string("<folder>") : ReadBytes(item.path());
    }
    return tree;
}

class ZipScenario : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zw-zip-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        base_ = root_ / "tmp";
        fs::create_directories(base_);
        WriteBytes(root_ / "outside.txt", "keep");
        WriteBytes(base_ / "Update.bat", "alt");
        zip_ = ZipArchive{};
        shown_.clear();
        zip_.ExtrBaseDir = WideName(base_);
        zip_.OnMessage = [this](int number, const std::wstring&) { shown_.push_back(number); };
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // Extracts the archive bytes from the extraction folder and returns the tree's new items.
    Tree ExtractAndDiff(const std::string& archive) {
        WriteBytes(base_ / "Pfeilbau.zip", archive);
        Tree before = Snapshot(root_);
        zip_.SetZipFileName(WideName(base_ / "Pfeilbau.zip"));
        written_ = zip_.Extract();
        Tree after = Snapshot(root_);
        Tree added;
        for (const auto& [name, content] : after) {
            auto old = before.find(name);
            if (old == before.end()) {
                added[name] = content;
            } else {
                EXPECT_EQ(old->second, content) << "changed: " << Utf8FromWide(name);
            }
        }
        for (const auto& [name, content] : before)
            EXPECT_TRUE(after.count(name)) << "removed: " << Utf8FromWide(name);
        return added;
    }

    std::vector<int> Numbers() const {
        std::vector<int> numbers;
        for (const ZipMessage& m : zip_.Messages()) numbers.push_back(m.Number);
        return numbers;
    }

    std::wstring In(const std::wstring& name) const {
        return L"tmp" + std::wstring(1, static_cast<wchar_t>(fs::path::preferred_separator)) + name;
    }

    fs::path root_, base_;
    ZipArchive zip_;
    std::vector<int> shown_;
    int written_ = 0;
};

}  // namespace zip_scenarios
