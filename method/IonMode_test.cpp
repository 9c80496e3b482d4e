// Tests of the ion-mode texts and conversions.
#include "method/IonMode.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(IonMode, TextToEnumeration)
{
    struct Case
    {
        const char* text;
        tag_IONMODE mode;
        tag_IONMODEOPT option;
    };
    // Whole, case-sensitive matches only; the empty text is the polarity "both".
    const Case cases[] = {
        {"ESP", IONMODE_ESP, IONMODEOPT_UNKNOWN},      {"APcI", IONMODE_APCI, IONMODEOPT_UNKNOWN},
        {"APCI", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"ES", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
        {"ESP+", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"+", IONMODE_UNKNOWN, IONMODEOPT_POSITIVE},
        {"-", IONMODE_UNKNOWN, IONMODEOPT_NEGATIVE},   {"", IONMODE_UNKNOWN, IONMODEOPT_BOTH},
        {"+-", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(String2IONMODE(c.text), c.mode);
        EXPECT_EQ(String2IONMODEOPT(c.text), c.option);
    }
    EXPECT_EQ(String2IONMODE(nullptr), IONMODE_UNKNOWN);
    EXPECT_EQ(String2IONMODEOPT(nullptr), IONMODEOPT_UNKNOWN);
}

TEST(IonMode, EnumerationToTextAndTuneNumber)
{
    struct Case
    {
        int mode;
        int option;
        const char* text; // source and polarity texts joined
        int tune;
    };
    // A value outside its table gives the empty text; a combination no tune mode has gives 0.
    const Case cases[] = {
        {IONMODE_ESP, IONMODEOPT_POSITIVE, "ESP+", 8},
        {IONMODE_ESP, IONMODEOPT_NEGATIVE, "ESP-", 9},
        {IONMODE_APCI, IONMODEOPT_POSITIVE, "APcI+", 10},
        {IONMODE_APCI, IONMODEOPT_NEGATIVE, "APcI-", 11},
        {IONMODE_ESP, IONMODEOPT_BOTH, "ESP", 0},
        {IONMODE_UNKNOWN, IONMODEOPT_POSITIVE, "+", 0},
        {-1, IONMODEOPT_UNKNOWN, "", 0},
        {IONMODE_APCI, -1, "APcI", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const auto mode = static_cast<tag_IONMODE>(c.mode);
        const auto option = static_cast<tag_IONMODEOPT>(c.option);
        EXPECT_EQ(std::string(IONMODE2String(mode)) + IONMODEOPT2String(option), c.text);
        EXPECT_EQ(IONMODE2TUNEIONMODE(mode, option), c.tune);
    }
    EXPECT_STREQ(TUNE_IONMODE_STRINGS[11], "APcI-");
}
} // namespace
