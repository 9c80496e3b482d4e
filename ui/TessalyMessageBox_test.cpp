// The message box shows nothing and acknowledges every type in an unattended run.
#include "testing/ScriptedUserInterface.h"
#include "ui/TessalyMessageBox.h"

#include <gtest/gtest.h>

TEST(TessalyMessageBox, ShowsTheBoxOnlyWhenAttended)
{
    testkit::ScriptedUserInterface ui;
    ui.answerOtherwise(IDNO); // what a person presses whenever a box is shown
    CBrenmoOptions options;
    options.m_bRunUnattended = TRUE;
    EXPECT_EQ(TessalyMessageBox(options, nullptr, "Replace it?", "Tessaly", MB_YESNO), IDOK);
    EXPECT_TRUE(ui.messages().empty());
    options.m_bRunUnattended = FALSE;
    EXPECT_EQ(TessalyMessageBox(options, nullptr, "Replace it?", "Tessaly", MB_YESNO), IDNO);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text + "|" + ui.messages()[0].caption, "Replace it?|Tessaly");
    EXPECT_EQ(ui.messages()[0].type, static_cast<UINT>(MB_YESNO));
}
