// The maker's batch as the command interpreter runs it once the program has ended: a file in use is
// waited for (bounded), a folder in the way changes nothing, the run folder goes whole, and a batch
// that gave up leaves the mark that the next start reports.
#include <windows.h>

#include "platform/files.h"
#include "platform/handles.h"
#include "tests/windows/support/update_fixture.h"
#include "update/install_mark.h"
#include "update/run_folder.h"
#include "update/zip_extract.h"

using namespace update_test;

namespace {

const std::string kNewProgram = "MZ neues Programm", kOldProgram = "MZ altes Programm";

struct Published {
    TempFolder folder;
    std::wstring archive;
};
Published* published = nullptr;

struct Case {
    const char* what;
    int holdMs;            // the program file held open: 0 not at all, -1 until the batch has ended
    int waitSeconds;       // the program's bound
    bool folderInTheWay;   // a folder named zeigerwerk.exe.neu in the program's folder
    const char* markName;  // what the next start reports; null: nothing
};

class UpdateBatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        published = new Published;
        const KeyPair key = MakeKeyPair(published->folder, L"maker");
        const std::wstring build = published->folder.MakeFolder(L"build");
        published->folder.MakeFile(L"build\\zeigerwerk.exe", kNewProgram);
        published->folder.MakeFile(L"build\\Pfeilbau.hlp", "Hilfe, neu");
        const std::wstring out = published->folder / L"server\\";
        ASSERT_EQ(MakeUpdate(L"--key '" + Unix(key.privateKey) + L"' --program '" + Unix(build + L"zeigerwerk.exe") +
                             L"' --out '" + Unix(out) + L"'"),
                  0);
        // A file the template knows nothing of, under a folder name that unpacking drops.
        published->archive = out + L"Updates\\Pfeilbau.zip";
        const std::wstring script = published->folder / L"extra.py";
        WriteBytes(script, "import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'a').writestr('Doku/Liesmich.txt', 'x')\n");
        ASSERT_EQ(RunShell(L"python3 '" + Unix(script) + L"' '" + Unix(published->archive) + L"'"), 0);
    }
    static void TearDownTestSuite() {
        delete published;
        published = nullptr;
    }
};

// One program folder with the old files, and a run folder with the archive unpacked.
struct Scene {
    Scene() {
        run = MakeRunFolder(temp.Path());
        install = temp.MakeFolder(L"Programm");
        program = install + L"zeigerwerk.exe";
        temp.MakeFile(L"Programm\\zeigerwerk.exe", kOldProgram);
        temp.MakeFile(L"Programm\\Pfeilbau.hlp", "Hilfe, alt");
        TZipArchive zip;
        zip.Unattended = true;
        zip.SetZipFileName(published->archive);
        zip.ExtrBaseDir = run;
        EXPECT_EQ(zip.Extract(), 4);
    }

    // The batch as the program fills it in, started as the program starts it; its process handle.
    FileHandle Start(int waitSeconds) {
        const std::wstring batch = run + L"Update.bat";
        const std::vector<std::string> lines =
            BuildUpdateBatch(SplitLines(ReadFileBytes(batch)), Utf8FromWide(install), Utf8FromWide(run), std::nullopt,
                             {waitSeconds, ""});
        WriteBytes(batch, JoinLines(lines));
        const std::wstring name = run.substr(0, run.size() - 1);
        std::wstring commandLine = L"cmd.exe /c " + name.substr(name.find_last_of(L'\\') + 1) + L"\\Update.bat";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   temp.Path().c_str(), &startup, &process));
        CloseHandle(process.hThread);
        return FileHandle(process.hProcess);
    }

    TempFolder temp;
    std::wstring run, install, program;
};

TEST_F(UpdateBatchTest, WaitsForTheProgramAndTellsWhenItGaveUp) {
    const Case cases[] = {
        {"nothing in the way", 0, 60, false, nullptr},
        {"held 15 s, then released", 15000, 60, false, nullptr},
        {"held past the bound", -1, 2, false, "zeigerwerk.exe"},
        {"a folder named like the copy", 0, 60, true, "zeigerwerk.exe.neu"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene fresh;
        // A mark of an earlier failure goes with the next replacement that works.
        fresh.temp.MakeFile(WideFromUtf8(kInstallMarkName), "Pfeilbau.hlp\r\n");
        if (c.folderInTheWay) fresh.temp.MakeFolder(L"Programm\\zeigerwerk.exe.neu");
        FileHandle held;
        if (c.holdMs != 0)
            held.Reset(NullIfInvalid(CreateFileW(fresh.program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr)));
        ASSERT_EQ(static_cast<bool>(held), c.holdMs != 0);
        const FileHandle batch = fresh.Start(c.waitSeconds);
        ASSERT_TRUE(batch);
        if (c.holdMs > 0) {
            EXPECT_EQ(WaitForSingleObject(batch.Get(), static_cast<DWORD>(c.holdMs)), static_cast<DWORD>(WAIT_TIMEOUT))
                << "the batch waits while the program is in use";
            held.Reset();
        }
        ASSERT_EQ(WaitForSingleObject(batch.Get(), 120000), static_cast<DWORD>(WAIT_OBJECT_0));
        held.Reset();

        EXPECT_EQ(ReadFileBytes(fresh.program), c.markName ? kOldProgram : kNewProgram);
        EXPECT_EQ(ReadFileBytes(fresh.install + L"Pfeilbau.hlp"), c.markName ? "Hilfe, alt" : "Hilfe, neu");
        EXPECT_FALSE(FileExists(fresh.program + L".neu"));
        EXPECT_FALSE(FileExists(fresh.install + L"Pfeilbau.hlp.neu"));
        EXPECT_EQ(DirectoryExists(fresh.program + L".neu"), c.folderInTheWay);
        EXPECT_FALSE(FileExists(fresh.program + L".neu\\zeigerwerk.exe")) << "nothing is copied into the folder";
        EXPECT_TRUE(WaitFor([&] { return !DirectoryExists(fresh.run); }, 20000)) << "the run folder goes whole";

        BoxScript boxes;
        EXPECT_EQ(ReportFailedInstall(nullptr, L"Zeigerwerk", fresh.temp.Path()), c.markName != nullptr);
        if (c.markName) {
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text, L"Das Update konnte nicht installiert werden, weil " +
                                                  WideFromUtf8(c.markName) +
                                                  L" noch verwendet wurde. Die bisherige Version bleibt erhalten.");
            EXPECT_EQ(boxes.Boxes()[0].buttons, BoxButtons::Ok);
        }
        EXPECT_FALSE(FileExists(InstallMarkPath(fresh.temp.Path()))) << "a mark is told once";
    }
}

}  // namespace
