// Tests of the ion-mode texts and conversions.
#include "method/IonMode.h"

#include <gtest/gtest.h>

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
        {"APCI", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"esp", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
        {"ESP ", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"ES", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
        {"ESP+", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"+", IONMODE_UNKNOWN, IONMODEOPT_POSITIVE},
        {"-", IONMODE_UNKNOWN, IONMODEOPT_NEGATIVE},   {"", IONMODE_UNKNOWN, IONMODEOPT_BOTH},
        {" ", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},    {"+-", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
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

TEST(IonMode, ValuesToTextAndBack)
{
    for (int v = -1; v <= 3; ++v)
    {
        SCOPED_TRACE(v);
        const auto mode = static_cast<tag_IONMODE>(v);
        const char* text = IONMODE2String(mode);
        ASSERT_NE(text, nullptr);
        if (v == IONMODE_ESP || v == IONMODE_APCI)
            EXPECT_EQ(String2IONMODE(text), mode);
        else
            EXPECT_STREQ(text, "");
    }
    for (int v = -1; v <= 4; ++v)
    {
        SCOPED_TRACE(v);
        const auto option = static_cast<tag_IONMODEOPT>(v);
        const char* text = IONMODEOPT2String(option);
        ASSERT_NE(text, nullptr);
        if (v >= IONMODEOPT_POSITIVE && v <= IONMODEOPT_BOTH)
            EXPECT_EQ(String2IONMODEOPT(text), option);
        else
            EXPECT_STREQ(text, "");
    }
    EXPECT_STREQ(IONMODE2String(IONMODE_APCI), "APcI");
    EXPECT_STREQ(IONMODEOPT2String(IONMODEOPT_NEGATIVE), "-");
}

TEST(IonMode, TuneIonModeNumbers)
{
    struct Case
    {
        tag_IONMODE mode;
        tag_IONMODEOPT option;
        int expected;
    };
    const Case cases[] = {
        {IONMODE_ESP, IONMODEOPT_POSITIVE, 8},     {IONMODE_ESP, IONMODEOPT_NEGATIVE, 9},
        {IONMODE_APCI, IONMODEOPT_POSITIVE, 10},   {IONMODE_APCI, IONMODEOPT_NEGATIVE, 11},
        {IONMODE_ESP, IONMODEOPT_BOTH, 0},         {IONMODE_APCI, IONMODEOPT_BOTH, 0},
        {IONMODE_UNKNOWN, IONMODEOPT_POSITIVE, 0}, {IONMODE_UNKNOWN, IONMODEOPT_NEGATIVE, 0},
        {IONMODE_ESP, IONMODEOPT_UNKNOWN, 0},      {static_cast<tag_IONMODE>(-7), static_cast<tag_IONMODEOPT>(99), 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.mode << "/" << c.option);
        EXPECT_EQ(IONMODE2TUNEIONMODE(c.mode, c.option), c.expected);
    }
    // The numbers index the host's own tune table.
    EXPECT_STREQ(TUNE_IONMODE_STRINGS[0], "EI+");
    EXPECT_STREQ(TUNE_IONMODE_STRINGS[11], "APcI-");
}
} // namespace
