// Archives made at test time by Info-ZIP zip and Python's zipfile, the tools an update is packed with.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/native/zip_fixture.h"

namespace {

using zip_scenarios::ReadBytes;
using zip_scenarios::Tree;
using zip_scenarios::WideName;
using zip_scenarios::WriteBytes;
using zip_scenarios::ZipScenario;
namespace fs = std::filesystem;

class ZipTools : public ZipScenario {
protected:
    void SetUp() override {
        ZipScenario::SetUp();
        source_ = root_ / "src";
        fs::create_directories(source_ / "dist/bin");
        fs::create_directories(source_ / "dist/doc/de");
        WriteBytes(source_ / "dist/bin/Zeigerwerk.exe", program_);
        WriteBytes(source_ / "dist/doc/de/Liesmich.txt", readme_);
        WriteBytes(source_ / "dist/Update.bat", "@echo neu\r\n");
        WriteBytes(source_ / "dist/Gr\xc3\xb6\xc3\x9f" "e.txt", "umlaut");
    }

    // Runs a shell command in the source folder; a missing tool fails the test loudly.
    void Run(const std::string& command) {
        std::string line = "cd '" + source_.string() + "' && LC_ALL=C.UTF-8 " + command;
        ASSERT_EQ(std::system(line.c_str()), 0) << line;
    }

    // Runs the archive through ExtractAndDiff; the archive is moved out of the source tree first.
    Tree ExtractMade(const std::string& name) {
        std::string bytes = ReadBytes(source_ / name);
        fs::remove(source_ / name);
        fs::remove_all(source_);
        Tree added = ExtractAndDiff(bytes);
        EXPECT_TRUE(zip_.Messages().empty()) << Utf8FromWide(zip_.Messages().empty() ? L"" : zip_.Messages()[0].Text);
        return added;
    }

    Tree Expected() const {
        return {{In(L"Zeigerwerk.exe"), program_}, {In(L"Liesmich.txt"), readme_}, {In(L"Gr\u00f6\u00dfe.txt"), "umlaut"}};
    }

    fs::path source_;
    const std::string program_ = std::string(70000, '\x90') + "PE program bytes";
    const std::string readme_ = [] {
        std::string text;
        for (int i = 0; i < 3000; ++i) text += "Zeile " + std::to_string(i) + ": Zeigerwerk erstellt Verknüpfungen.\n";
        return text;
    }();
};

TEST_F(ZipTools, InfoZipArchivesFlattenFoldersAndKeepUpdateBat) {
    struct Case {
        const char* what;
        const char* command;
    };
    const Case cases[] = {
        {"deflated, with folder entries", "zip -qr t.zip dist"},
        {"stored", "zip -qr0 t.zip dist"},
        {"streamed with data descriptors", "zip -qr - dist > t.zip"},
        {"best compression, no folder entries", "zip -qr9D t.zip dist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Run(c.command);
        EXPECT_TRUE(ExtractMade("t.zip") == Expected());
        EXPECT_EQ(ReadBytes(base_ / "Update.bat"), "alt");
    }
}

TEST_F(ZipTools, PythonZipfileArchives) {
    struct Case {
        const char* what;
        const char* compression;
    };
    for (const Case& c : {Case{"stored", "ZIP_STORED"}, Case{"deflated", "ZIP_DEFLATED"}}) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Run(std::string("python3 -c \"import zipfile, os\n"
                        "with zipfile.ZipFile('t.zip', 'w', zipfile.") +
            c.compression +
            ") as z:\n"
            "    for d, _, fs in os.walk('dist'):\n"
            "        z.write(d)\n"
            "        [z.write(os.path.join(d, f)) for f in fs]\n\"");
        EXPECT_TRUE(ExtractMade("t.zip") == Expected());
    }
}

TEST_F(ZipTools, EmptyInfoZipArchive) {
    Run("printf 'PK\\005\\006\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0' > t.zip && unzip -l t.zip > /dev/null 2>&1; true");
    EXPECT_TRUE(ExtractMade("t.zip").empty());
    EXPECT_EQ(zip_.Count(), 0);
}

}  // namespace
