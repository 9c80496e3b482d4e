#include "apps/ConsoleUserInterface.h"

#include <gtest/gtest.h>
#include <sstream>

namespace
{
TEST(ConsoleUserInterface, PrintsCaptionAndTextAndAcknowledges)
{
    struct Case
    {
        const char* name;
        const char* text;
        const char* caption;
        UINT type;
        const char* printed;
    };
    const Case cases[] = {
        {"error box", "Failed to create temporary quan method", "Tessaly", MB_ICONSTOP,
         "Tessaly: Failed to create temporary quan method\n"},
        {"several lines", "Invalid Mass specified.\nLine:\t3", "Tessaly", 16,
         "Tessaly: Invalid Mass specified.\nLine:\t3\n"},
        {"text ending in a line feed", "done\n", "Tessaly", MB_OK, "Tessaly: done\n"},
        {"no caption", "plain", "", MB_OK, "plain\n"},
        {"question", "Replace?", "Tessaly", MB_YESNO, "Tessaly: Replace?\n"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::ostringstream err;
        tessaly::ConsoleUserInterface console(err);
        platform::ScopedUserInterface installed(console);
        EXPECT_EQ(MessageBoxA(nullptr, c.text, c.caption, c.type), IDOK);
        EXPECT_EQ(err.str(), c.printed);
    }
}
} // namespace
