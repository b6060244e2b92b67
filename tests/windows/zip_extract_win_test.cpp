// Extraction scenarios on the Windows file system, where device names, streams and wide paths are real.
#include "tests/native/zip_scenarios.h"

#include "platform/app_title.h"
#include "platform/message_box.h"
#include "update/zip_message_box.h"

namespace {

using zip_scenarios::ZipScenario;

TEST_F(ZipScenario, MessagesReachTheMessageBoxUnlessUnattended) {
    for (bool unattended : {false, true}) {
        SCOPED_TRACE(unattended);
        BoxScript script;
        ShowZipMessagesInBoxes(zip_, nullptr);
        zip_.Unattended = unattended;
        TestZipEntry bad{"bad.txt", "x"};
        bad.crc = 7;
        ExtractAndDiff(BuildZip({bad, {"CON", "x"}}));
        ASSERT_EQ(zip_.Messages().size(), 2u);
        if (unattended) {
            EXPECT_TRUE(script.Boxes().empty());
            continue;
        }
        ASSERT_EQ(script.Boxes().size(), 2u);
        EXPECT_EQ(script.Boxes()[0].caption, AppTitle());
        EXPECT_EQ(script.Boxes()[0].text, ZipMessageBoxText(zmCrcMismatch, zip_.Messages()[0].Text));
        EXPECT_NE(script.Boxes()[1].text.find(L"(Meldung Nr. 3)"), std::wstring::npos);
        EXPECT_NE(script.Boxes()[1].text.find(L"„CON“"), std::wstring::npos);
    }
}

}  // namespace
