// Extraction scenarios on archives built in the test; compiled natively and for Windows (Wine).
#pragma once

#include <sys/stat.h>

#include <ctime>

#include "tests/native/zip_fixture.h"

namespace zip_scenarios {

struct Case {
    const char* what;
    std::vector<TestZipEntry> entries;
    std::map<std::wstring, std::string> added;  // by name inside the extraction folder
    std::vector<int> messages;
    std::vector<int> reuse = {};
    std::size_t cut = 0;  // bytes cut off the end of the archive
    std::uint64_t maxTotal = ZipArchive::kMaxTotalSize;
    int pointSecondRecordAt = -1;  // offset for the second directory record's local header
};

inline TestZipEntry Stored(std::string name, std::string data) {
    TestZipEntry e{std::move(name), std::move(data)};
    e.method = 0;
    return e;
}

inline std::vector<Case> Cases() {
    TestZipEntry badCrc{"bad.txt", "payload"};
    badCrc.crc = 0x12345678;
    TestZipEntry encrypted{"secret.txt", "x"};
    encrypted.flags = 1;
    TestZipEntry bzip{"other.txt", "x"};
    bzip.method = 12;
    bzip.packed = "BZh9....";
    TestZipEntry shortDeclared{"short.txt", std::string(100, 's')};
    shortDeclared.size = 50;
    TestZipEntry longDeclared{"long.txt", std::string(100, 'l')};
    longDeclared.size = 150;
    TestZipEntry storedMismatch = Stored("stored.txt", "12345");
    storedMismatch.compressedSize = 3;
    TestZipEntry localDisagrees{"local.txt", "abc"};
    localDisagrees.localSize = 4;
    TestZipEntry garbage{"garbage.txt", "text"};
    garbage.packed = std::string("\xff\xfe\xfd\xfc\xfb", 5);
    TestZipEntry tail{"tail.txt", std::string(1000, 't')};
    tail.packed = Deflated(std::string(1000, 't')) + "EXTRA";
    tail.compressedSize = static_cast<std::uint32_t>(tail.packed->size());
    TestZipEntry bomb{"bomb.bin", std::string(100, '\0')};
    bomb.size = 5000000;
    TestZipEntry utf8{"Gr\xc3\xb6\xc3\x9f" "e.txt", "u"};
    utf8.flags = 0x0800;
    TestZipEntry badUtf8{"\xff\xfe.txt", "b"};
    badUtf8.flags = 0x0800;
    TestZipEntry unicodeField{"Gr\x94\xe1" "e2.txt", "f"};
    unicodeField.centralExtra = UnicodePathField(unicodeField.name, "Gr\xc3\xb6\xc3\x9f" "e2.txt");
    TestZipEntry described1{"d1.txt", std::string(5000, 'd')};
    described1.dataDescriptor = true;
    TestZipEntry described2 = Stored("d2.txt", "stored with descriptor");
    described2.dataDescriptor = true;
    TestZipEntry renamed{"name.txt", "n"};
    renamed.localName = "nome.txt";
    TestZipEntry remethod{"method.txt", "m"};
    remethod.localMethod = 0;
    TestZipEntry reflagged{"flags.txt", "f"};
    reflagged.localFlags = 0x0800;
    TestZipEntry described3{"d3.txt", "wide"};
    described3.dataDescriptor = true;
    described3.wideDescriptor = true;
    TestZipEntry lyingDescriptor{"lying.txt", std::string(300, 'y')};
    lyingDescriptor.dataDescriptor = true;
    lyingDescriptor.descriptorSize = 30;
    TestZipEntry comSuperscript{"COM\xc2\xb9.txt", "x"};
    comSuperscript.flags = 0x0800;
    TestZipEntry lptSuperscript{"lpt\xc2\xb3", "x"};
    lptSuperscript.flags = 0x0800;
    std::string deepFolder;
    for (int i = 0; i < 127; ++i) deepFolder += "a/";
    const std::string longest = deepFolder + "ok.txt";  // 260 characters
    const std::string tooLong = deepFolder + "bad.txt";
    // A stored entry whose data holds a whole second entry: two files from the same bytes.
    std::string inner = BuildZip({Stored("inner.txt", "shared")});
    inner.resize(30 + 9 + 6);
    TestZipEntry outer = Stored("outer.txt", inner);

    const std::string big(400, 'B');
    return {
        {"sound entries, folders dropped, existing file kept",
         {{"Update.bat", "neu"}, Stored("dir/sub/Zeigerwerk.exe", "MZ program"), {"readme.txt", std::string(3000, 'r')},
          Stored("dir/", ""), {"leer.txt", ""}},
         {{L"Zeigerwerk.exe", "MZ program"}, {L"readme.txt", std::string(3000, 'r')}, {L"leer.txt", ""}},
         {}},
        {"folder parts of hostile names are dropped",
         {{"../evil1.txt", "1"}, {"/abs/evil2.txt", "2"}, {"C:\\win\\evil3.txt", "3"}, {"..\\..\\evil4.txt", "4"}},
         {{L"evil1.txt", "1"}, {L"evil2.txt", "2"}, {L"evil3.txt", "3"}, {L"evil4.txt", "4"}},
         {}},
        {"refused names",
         {{"C:evil.txt", "x"}, {"a.txt:stream", "x"}, {"CON", "x"}, {"con.txt", "x"}, {"dir/Lpt1.log", "x"},
          {"COM9.dat", "x"}, {"aux .txt", "x"}, {"a/..", "x"}, {"x/.", "x"}, {"trailing.", "x"}, {"trailing ", "x"},
          {"bad|name", "x"}, {"what?", "x"}, {"tab\tname", "x"}, {"", "x"}, {"ok.txt", "fine"}, {"CONSOLE.txt", "c"},
          {"COM0", "x"}, {"lpt0.txt", "x"}, comSuperscript, lptSuperscript, {"COM10.txt", "c10"}},
         {{L"ok.txt", "fine"}, {L"CONSOLE.txt", "c"}, {L"COM10.txt", "c10"}},
         {zmNameRefused}},
        {"names up to 260 characters", {{longest, "l"}, {tooLong, "t"}}, {{L"ok.txt", "l"}}, {zmNameRefused}},
        {"bad CRC removes the file", {badCrc, {"good.txt", "good"}}, {{L"good.txt", "good"}}, {zmCrcMismatch}},
        {"encrypted and unknown method", {encrypted, bzip}, {}, {zmEncrypted, zmUnknownMethod}},
        {"declared sizes must hold",
         {shortDeclared, longDeclared, storedMismatch, localDisagrees, tail, lyingDescriptor},
         {},
         {zmSizeMismatch}},
        {"damaged data", {garbage, {"after.txt", "a"}}, {{L"after.txt", "a"}}, {zmDataDamaged}},
        {"ratio bomb stops", {{"first.txt", "1"}, bomb, {"later.txt", "2"}}, {{L"first.txt", "1"}}, {zmRatioTooHigh}},
        {"total bound stops",
         {{"b1", big}, {"b2", big}, {"b3", big}},
         {{L"b1", big}, {L"b2", big}},
         {zmTotalTooLarge},
         {},
         0,
         1000},
        {"names in UTF-8, CP437 and the Unicode path field",
         {utf8, {"\x81" "ber.txt", "c"}, unicodeField, badUtf8},
         {{L"Gr\u00f6\u00dfe.txt", "u"}, {L"\u00fcber.txt", "c"}, {L"Gr\u00f6\u00dfe2.txt", "f"}},
         {zmNameRefused}},
        {"data descriptors",
         {described1, described2, described3},
         {{L"d1.txt", std::string(5000, 'd')}, {L"d2.txt", "stored with descriptor"}, {L"d3.txt", "wide"}},
         {}},
        {"empty archive", {}, {}, {}},
        {"two entries on one header", {{"one.txt", "1"}, {"one.txt", "1"}}, {}, {zmArchiveDamaged}, {-1, 0}},
        {"entry inside another entry", {outer, Stored("inner.txt", "shared")}, {}, {zmArchiveDamaged}, {}, 0,
         ZipArchive::kMaxTotalSize, 30 + 9},
        {"local name differs", {renamed}, {}, {zmArchiveDamaged}},
        {"local method differs", {remethod}, {}, {zmArchiveDamaged}},
        {"local flags differ", {reflagged}, {}, {zmArchiveDamaged}},
        {"truncated archive", {{"a.txt", std::string(2000, 'a')}, {"b.txt", "b"}}, {}, {zmArchiveDamaged}, {}, 40},
    };
}

TEST_F(ZipScenario, EachArchiveAddsOnlyItsSoundEntries) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        zip_.MaxTotalSize = c.maxTotal;
        std::string archive = BuildZip(c.entries, c.reuse);
        if (c.pointSecondRecordAt >= 0) PointRecordAt(archive, 1, static_cast<std::uint32_t>(c.pointSecondRecordAt));
        archive.resize(archive.size() - c.cut);
        Tree added = ExtractAndDiff(archive);
        Tree expected;
        for (const auto& [name, content] : c.added) expected[In(name)] = content;
        EXPECT_EQ(added, expected);
        EXPECT_EQ(written_, static_cast<int>(c.added.size()));
        EXPECT_EQ(Numbers(), c.messages);
        EXPECT_EQ(shown_, c.messages);
        EXPECT_EQ(ReadBytes(base_ / "Update.bat"), "alt");
    }
}

TEST_F(ZipScenario, UnpackedFilesKeepTheArchivesTime) {
    TestZipEntry dated("dated.txt", "d");
    dated.dosTimeDate = std::uint32_t{(2003 - 1980) << 9 | 6 << 5 | 5} << 16 | (12 << 11 | 34 << 5 | 56 / 2);
    ExtractAndDiff(BuildZip({dated}));
#ifdef _WIN32
    struct _stat64 info {};
    ASSERT_EQ(_wstat64((base_ / "dated.txt").wstring().c_str(), &info), 0);
#else
    struct stat info {};
    ASSERT_EQ(stat((base_ / "dated.txt").c_str(), &info), 0);
#endif
    const std::time_t when = static_cast<std::time_t>(info.st_mtime);
    const std::tm local = *std::localtime(&when);
    EXPECT_EQ(std::vector<int>({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                                local.tm_sec}),
              std::vector<int>({2003, 6, 5, 12, 34, 56}));
}

TEST_F(ZipScenario, ManyRefusedEntriesAreToldOncePerKindOfProblem) {
    std::vector<TestZipEntry> entries(2000, Stored("CON", ""));
    TestZipEntry secret{"secret.txt", "x"};
    secret.flags = 1;
    entries.insert(entries.begin() + 7, 3, secret);
    entries.insert(entries.begin() + 9, Stored("PRN.txt", ""));
    Tree added = ExtractAndDiff(BuildZip(entries));
    EXPECT_TRUE(added.empty());
    ASSERT_EQ(shown_, (std::vector<int>{zmNameRefused, zmEncrypted}));
    EXPECT_EQ(zip_.Messages()[0].Text,
              L"2001 Einträge haben einen unzulässigen Dateinamen und wurden nicht entpackt: „CON“, „CON“, „CON“, "
              L"„CON“, „CON“ und 1996 weitere.");
    EXPECT_EQ(zip_.Messages()[1].Text,
              L"3 Einträge sind verschlüsselt und wurden nicht entpackt: „secret.txt“, „secret.txt“, „secret.txt“.");
}

TEST_F(ZipScenario, UnattendedRecordsButShowsNothing) {
    zip_.Unattended = true;
    TestZipEntry bad{"bad.txt", "x"};
    bad.crc = 1;
    ExtractAndDiff(BuildZip({bad}));
    EXPECT_EQ(Numbers(), std::vector<int>{zmCrcMismatch});
    EXPECT_TRUE(shown_.empty());
}

TEST_F(ZipScenario, MissingArchiveIsReported) {
    zip_.SetZipFileName(WideName(base_ / "fehlt.zip"));
    EXPECT_EQ(zip_.Extract(), 0);
    EXPECT_EQ(shown_, std::vector<int>{zmArchiveNotFound});
    EXPECT_NE(zip_.Messages()[0].Text.find(L"fehlt.zip"), std::wstring::npos);
}

TEST_F(ZipScenario, NotAnArchiveIsReported) {
    for (const std::string& bytes : {std::string(), std::string("hello, not a zip"), std::string(100000, 'P')}) {
        shown_.clear();
        Tree added = ExtractAndDiff(bytes);
        EXPECT_TRUE(added.empty());
        EXPECT_EQ(shown_, std::vector<int>{zmArchiveDamaged});
    }
}

TEST_F(ZipScenario, DirectoryIsReadWhenTheNameIsSet) {
    WriteBytes(base_ / "Pfeilbau.zip", BuildZip({{"a/x.txt", "1"}, Stored("y.txt", "22")}));
    zip_.SetZipFileName(WideName(base_ / "Pfeilbau.zip"));
    ASSERT_EQ(zip_.Count(), 2);
    EXPECT_EQ(zip_.Entries()[0].Name, L"a/x.txt");
    EXPECT_EQ(zip_.Entries()[1].Size, 2u);
}

TEST_F(ZipScenario, MissingBaseFolderMeansCurrentFolder) {
    fs::path current = fs::current_path();
    fs::path other = root_ / "cwd";
    fs::create_directories(other);
    fs::current_path(other);
    zip_.ExtrBaseDir = WideName(root_ / "nicht-da");
    WriteBytes(base_ / "Pfeilbau.zip", BuildZip({{"hier.txt", "h"}}));
    zip_.SetZipFileName(WideName(base_ / "Pfeilbau.zip"));
    int written = zip_.Extract();
    fs::current_path(current);
    EXPECT_EQ(written, 1);
    EXPECT_EQ(ReadBytes(other / "hier.txt"), "h");
    EXPECT_FALSE(fs::exists(root_ / "nicht-da"));
}

}  // namespace zip_scenarios
