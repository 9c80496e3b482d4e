#include "testing/ScriptedUserInterface.h"
#include "ui/TessalyMessageBox.h"

#include <gtest/gtest.h>

namespace
{
TEST(TessalyMessageBox, UnattendedRunShowsNothingAndAcknowledgesEveryType)
{
    struct Case
    {
        const char* name;
        UINT type;
        int scriptedAnswer; // what a person would have pressed, had the box been shown
    };
    const Case cases[] = {
        {"error box", MB_ICONSTOP, IDOK},
        {"question", MB_YESNO | MB_ICONQUESTION, IDNO},
        {"cancellable", MB_OKCANCEL, IDCANCEL},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        testkit::ScriptedUserInterface ui;
        ui.answerOtherwise(c.scriptedAnswer);
        CBrenmoOptions options;
        options.m_bRunUnattended = TRUE;
        EXPECT_EQ(TessalyMessageBox(options, nullptr, "Failed to create temporary quan method", "Tessaly", c.type), 1);
        EXPECT_TRUE(ui.messages().empty());
    }
}

TEST(TessalyMessageBox, AttendedRunShowsTheBoxAndReturnsTheButtonPressed)
{
    testkit::ScriptedUserInterface ui;
    ui.answer(IDNO);
    ui.answer(IDCANCEL);
    CBrenmoOptions options;
    options.m_bRunUnattended = FALSE;
    const HWND owner = reinterpret_cast<HWND>(std::uintptr_t{0x40});

    EXPECT_EQ(TessalyMessageBox(options, owner, "Replace it?", "Tessaly", MB_YESNO), IDNO);
    EXPECT_EQ(TessalyMessageBox(options, nullptr, "Failed to create temporary quan method", "Tessaly", 16), IDCANCEL);

    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.messages()[0].owner, owner);
    EXPECT_EQ(ui.messages()[0].text, "Replace it?");
    EXPECT_EQ(ui.messages()[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(ui.messages()[1].owner, nullptr);
    EXPECT_EQ(ui.messages()[1].text, "Failed to create temporary quan method");
    EXPECT_EQ(ui.messages()[1].caption, "Tessaly");
    EXPECT_EQ(ui.messages()[1].type, 16u);
}
} // namespace
