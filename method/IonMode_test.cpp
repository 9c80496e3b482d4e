// Tests of the ion-mode texts and conversions.
#include "method/IonMode.h"

#include <gtest/gtest.h>
#include <string>

namespace
{
TEST(IonMode, TextToEnumerationAndBackAndTuneNumber)
{
    struct Case { const char* text; tag_IONMODE mode; tag_IONMODEOPT option; };
    // Whole, case-sensitive matches only; the empty text is the polarity "both".
    const Case cases[] = {
        {"ESP", IONMODE_ESP, IONMODEOPT_UNKNOWN},      {"APcI", IONMODE_APCI, IONMODEOPT_UNKNOWN},
        {"APCI", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"ES", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
        {"ESP+", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN}, {"+", IONMODE_UNKNOWN, IONMODEOPT_POSITIVE},
        {"-", IONMODE_UNKNOWN, IONMODEOPT_NEGATIVE},   {"", IONMODE_UNKNOWN, IONMODEOPT_BOTH},
        {"+-", IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},   {nullptr, IONMODE_UNKNOWN, IONMODEOPT_UNKNOWN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(String2IONMODE(c.text) * 10 + String2IONMODEOPT(c.text), c.mode * 10 + c.option) << c.text;
    struct Back { int mode, option; const char* text; }; // text: source and polarity texts, then the tune number
    // A value outside its table gives the empty text; a combination no tune mode has gives 0.
    const Back backs[] = {
        {IONMODE_ESP, IONMODEOPT_POSITIVE, "ESP+8"},   {IONMODE_ESP, IONMODEOPT_NEGATIVE, "ESP-9"},
        {IONMODE_APCI, IONMODEOPT_POSITIVE, "APcI+10"}, {IONMODE_APCI, IONMODEOPT_NEGATIVE, "APcI-11"},
        {IONMODE_ESP, IONMODEOPT_BOTH, "ESP0"},         {IONMODE_UNKNOWN, IONMODEOPT_POSITIVE, "+0"},
        {-1, IONMODEOPT_UNKNOWN, "0"},                  {IONMODE_APCI, -1, "APcI0"},
    };
    for (const Back& b : backs)
    {
        const auto m = static_cast<tag_IONMODE>(b.mode);
        const auto o = static_cast<tag_IONMODEOPT>(b.option);
        EXPECT_EQ(IONMODE2String(m) + (IONMODEOPT2String(o) + std::to_string(IONMODE2TUNEIONMODE(m, o))), b.text);
    }
}
} // namespace
