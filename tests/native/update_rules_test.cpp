#include <gtest/gtest.h>

#include "platform/utf.h"
#include "update/update_rules.h"

namespace {

TEST(UpdateRules, DatesCountDaysFrom30December1899) {
    struct Case {
        int y, m, d;
        double days;
    } const cases[] = {
        {1899, 12, 30, 0}, {1900, 1, 1, 2}, {1900, 3, 1, 61}, {2003, 4, 3, 37714}, {2000, 2, 29, 36585},
        {1899, 12, 29, -1}, {2026, 12, 8, 46364},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DaysFromCivil(c.y, c.m, c.d), c.days) << c.y << "-" << c.m << "-" << c.d;
        int y = 0, m = 0, d = 0;
        CivilFromDays(c.days + 0.75, y, m, d);  // the time of day does not move the date
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
    }
    EXPECT_EQ(ShortDateText(37714.5), L"03.04.2003");
}

TEST(UpdateRules, ShortDatesAreReadTheGermanWay) {
    struct Case {
        const wchar_t* text;
        std::optional<double> days;
    } const cases[] = {
        {L"03.04.2003", 37714},   {L" 3.4.2003 ", 37714}, {L"03.04.03", 37714}, {L"29.02.2000", 36585},
        {L"29.02.2003", {}},      {L"31.04.2003", {}},    {L"2003-04-03", {}},  {L"03.13.2003", {}},
        {L"03.04.2003x", {}},     {L"", {}},              {L"03.04.", {}},      {L"003.04.2003", {}},
        {L"03.04.200", {}},       {L"00.04.2003", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseShortDate(c.text), c.days) << Utf8FromWide(c.text);
}

TEST(UpdateRules, SizeTextHasOneDigitMoreThanItsIntegerPart) {
    struct Case {
        std::uint64_t bytes;
        const wchar_t* text;
    } const cases[] = {
        {0, L"0 Byte"},           {512, L"512 Byte"},         {1023, L"1023 Byte"},
        {1024, L"1 KB"},          {1536, L"1,5 KB"},          {1048576, L"1 MB"},
        {1258291, L"1,2 MB"},     {10 * 1048576 + 524288, L"10,5 MB"},
        {209715200, L"200 MB"},   {1099511627776ull, L"1 TB"}, {1125899906842624ull, L"1024 TB"},
        {1000 * 1024 + 512, L"1000,5 KB"}, {1025000, L"1001 KB"},
    };
    for (const Case& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(SizeText(1536, L'.'), L"1.5 KB");
}

TEST(UpdateRules, ProgressTexts) {
    EXPECT_EQ(PercentText(0, 0), L"100 %");
    EXPECT_EQ(PercentText(5000, 0), L"100 %");
    EXPECT_EQ(PercentText(1, 3), L"33 %");
    EXPECT_EQ(PercentText(2, 3), L"67 %");
    EXPECT_EQ(PercentText(10, 10), L"100 %");
    EXPECT_EQ(LongTimeText(0), L"00:00:00");
    EXPECT_EQ(LongTimeText((3600 + 23 * 60 + 5) / 86400.0), L"01:23:05");
    EXPECT_EQ(LongTimeText(-0.1), L"00:00:00");
    EXPECT_EQ(LongTimeText(1.5), L"36:00:00");
    // A quarter received in 10 s: 30 s remain.
    EXPECT_NEAR(*RemainingTime(25, 100, 10 / 86400.0) * 86400, 30, 1e-6);
    EXPECT_FALSE(RemainingTime(0, 100, 1));
    EXPECT_FALSE(RemainingTime(10, 0, 1));
}

TEST(UpdateRules, ScheduleDecidesThePrompt) {
    const double today = 40000;
    struct Case {
        const char* what;
        ScheduleState state;
        bool due;
    } const cases[] = {
        {"first start", {false, false, false, std::nullopt, today}, true},
        {"due today", {false, false, false, today, today}, false},
        {"due yesterday", {false, false, false, today - 1, today}, true},
        {"due in a week", {false, false, false, today + 6, today}, false},
        {"no reminders", {false, false, true, today - 30, today}, false},
        {"Ctrl+U without reminders", {true, false, true, today + 6, today}, true},
        {"only update", {false, true, true, today + 6, today}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(UpdateDue(c.state), c.due) << c.what;

    EXPECT_EQ(EffectiveInterval(std::nullopt), 7);
    EXPECT_EQ(EffectiveInterval(0), 7);
    EXPECT_EQ(EffectiveInterval(-3), 7);
    EXPECT_EQ(EffectiveInterval(14), 14);
    // Written on day D with the default interval: skipped up to D + 6, shown from D + 7.
    const double written = NextDueDate(today + 0.6, 7);
    EXPECT_EQ(written, today + 6);
    EXPECT_FALSE(UpdateDue({false, false, false, written, today + 6}));
    EXPECT_TRUE(UpdateDue({false, false, false, written, today + 7}));
}

TEST(UpdateRules, DrivesAndProgramLine) {
    const bool allowed[] = {false, false, true, true, true, false, true, false};
    for (unsigned type = 0; type < 8; ++type) EXPECT_EQ(DriveTypeAllowsUpdate(type), allowed[type]) << type;
    EXPECT_EQ(ApplicationFileNameValue(L"C:\\Pro gramme\\z.exe", L""), L"\"C:\\Pro gramme\\z.exe\"");
    EXPECT_EQ(ApplicationFileNameValue(L"C:\\z.exe", L"/D C:\\"), L"\"C:\\z.exe\" /D C:\\");
    EXPECT_TRUE(UpdatesAvailable(true, 37714, 37714));
    EXPECT_TRUE(UpdatesAvailable(true, 37715, 37714.6));
    EXPECT_FALSE(UpdatesAvailable(true, 37714, 37714.6));  // same day, but the file has a time of day
    EXPECT_FALSE(UpdatesAvailable(false, 40000, 1));
}

TEST(UpdateRules, CommaTextFollowsQuotesAndBlanks) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> items;
    } const cases[] = {
        {L"a,b", {L"a", L"b"}},
        {L"a b", {L"a", L"b"}},
        {L"  \"x, y\" , z", {L"x, y", L"z"}},
        {L"\"sagt \"\"hallo\"\"\"", {L"sagt \"hallo\""}},
        {L"a,", {L"a", L""}},
        {L"a,,b", {L"a", L"", L"b"}},
        {L"\"offen", {L"offen"}},
        {L"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommaText(c.text), c.items) << Utf8FromWide(c.text);
}

TEST(UpdateRules, NewsKeepsEntriesOfTheProgramsDayAndLater) {
    const auto entries = SplitCommaText(L"\"01.02.2003: Alte Sache\",\"05.06.2003: Neue Sache\"");
    const double programDate = *ParseShortDate(L"03.04.2003") + 0.5;
    EXPECT_EQ(NewsListText(entries, programDate), L"- 05.06.2003: Neue Sache\r\n");
    EXPECT_EQ(NewsListText({L"03.04.2003: Gleicher Tag", L"ohne Datum", L"kein Datum: Text", L"02.04.2003: alt"},
                           programDate),
              L"- 03.04.2003: Gleicher Tag\r\n- ohne Datum\r\n- kein Datum: Text\r\n");
    EXPECT_EQ(NewsListText({}, programDate), L"");
}

TEST(UpdateRules, ServerAddressAndArchiveName) {
    struct Case {
        const wchar_t* text;
        const char* host;  // nullptr: refused
        int port;
    } const cases[] = {
        {L"update.example", "update.example", 80}, {L"127.0.0.1:8080", "127.0.0.1", 8080},
        {L"h:65535", "h", 65535},                   {L"h:0", nullptr, 0},
        {L"h:65536", nullptr, 0},                   {L"h:", nullptr, 0},
        {L":80", nullptr, 0},                       {L"h/x", nullptr, 0},
        {L"h\r\nX: y", nullptr, 0},                 {L"", nullptr, 0},
        {L"a b", nullptr, 0},
    };
    for (const Case& c : cases) {
        const auto address = ParseServerAddress(c.text);
        ASSERT_EQ(address.has_value(), c.host != nullptr) << Utf8FromWide(c.text);
        if (address) {
            EXPECT_EQ(address->host, c.host);
            EXPECT_EQ(address->port, c.port);
        }
    }
    for (const wchar_t* good : {L"Pfeilbau.zip", L"zw-2.0.1_a.zip"}) EXPECT_TRUE(IsPlainArchiveName(good));
    for (const wchar_t* bad : {L"", L"..", L"../x.zip", L"a\\b.zip", L"a b.zip", L"a?.zip", L"x.zip%00"})
        EXPECT_FALSE(IsPlainArchiveName(bad)) << Utf8FromWide(bad);
}

TEST(UpdateRules, ListBindsTheArchiveBySizeAndHash) {
    const std::wstring hash(L"00112233445566778899aabbccddeeffFFEEDDCCBBAA99887766554433221100");
    const auto good = ParseArchiveBinding(L"330", hash);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->size, 330u);
    EXPECT_EQ(good->sha256[0], 0x00);
    EXPECT_EQ(good->sha256[5], 0x55);
    EXPECT_EQ(good->sha256[16], 0xFF);
    EXPECT_EQ(good->sha256[31], 0x00);
    struct Case {
        const wchar_t* size;
        std::wstring sha;
    } const bad[] = {
        {L"", hash}, {L"0", hash}, {L"-1", hash}, {L"1 2", hash}, {L"99999999999", hash}, {L"12", L""},
        {L"12", hash.substr(1)}, {L"12", hash + L"0"}, {L"12", L"g" + hash.substr(1)},
    };
    for (const Case& c : bad) EXPECT_FALSE(ParseArchiveBinding(c.size, c.sha)) << Utf8FromWide(c.size);
}

}  // namespace
