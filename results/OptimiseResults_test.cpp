// The results log: every code's line, the rule that a late notice never hides progress, and the
// dump through the Kelvane stand-in into a temporary data directory.
#include "kelvane/KelvaneHost.h"
#include "results/OptimiseResults.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
const std::string kHeader = "                \tTransition\tMode\tCV\tCE\n";
const tag_SCAN_PARAMS kCaffeine = {IONMODE_ESP, IONMODEOPT_POSITIVE, 28, 16, 195.088, 138.066, 0.0, 0, 0.0f, 0, 0};

std::string text(const COptimiseResults& log)
{
    return static_cast<const CString&>(log).str();
}

TEST(OptimiseResults, EachCodeHasItsLineAndTheDumpReplacesTheLogFile)
{
    COptimiseResults log;
    for (int code = OPTRESULT_NO_INFORMATION; code <= OPTRESULT_HEADER; ++code)
        EXPECT_EQ(log.Append(tagOPT_RESULT(code), code == 5 ? "Chlorpromazine" : "Caffeine", kCaffeine), 1);
    // Codes outside the list are refused, by Append and by Update, and change nothing.
    for (const int code : {-1, 12})
        EXPECT_EQ(log.Append(tagOPT_RESULT(code), "B", kCaffeine) + log.Update(0, tagOPT_RESULT(code), "", {}), 0);
    EXPECT_EQ(text(log), kHeader + "Caffeine   No Information Yet (Base mass 195.09)\n"
                                   "Caffeine   Not Required In This Analysis\nCaffeine   Optimisation Already Present\n"
                                   "Caffeine   In Progress: Optimising CV\nCaffeine   In Progress: Skipping CV\n"
                                   "Chlorpromazine Cone Voltage Optimisation Failed\n"
                                   "Caffeine   In Progress: Optimising CE (Parent 195.09, CV 28)\n"
                                   "Caffeine   In Progress: Skipping CE\n"
                                   "Caffeine   Collision Energy Optimisation Failed\n"
                                   "Caffeine   Using Mass 195.09 \tESP+\tCV 28\n"
                                   "Caffeine   Using\t195.09 > 138.07\tESP+\t28\t16\n" + kHeader);

    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    // c:\temp taken by a plain file: the log cannot be created there.
    testkit::writeText(dir.file("temp"), "in the way");
    EXPECT_EQ(log.Dump(), 0);
    std::filesystem::remove(dir.file("temp"));
    EXPECT_EQ(log.Dump(), 1);
    EXPECT_EQ(testkit::readText(dir.file("temp/Tessaly Current Optimisation Results.txt")), text(log));
    kelvane::uninstall();
}

// Codes 0 to 2 (notices) rewrite a line only until a code from 3 to 10 has marked it started; each
// line gets its codes in turn (11, the header, starts nothing).
TEST(OptimiseResults, ALateNoticeNeverHidesProgress)
{
    const std::vector<std::vector<int>> updates = {{2, 11, 2}, {10, 2}, {3, 0}, {2, 0}};
    COptimiseResults log;
    for (int index = 0; index < 4; ++index)
    {
        log.Append(OPTRESULT_NOT_REQUIRED, "A", kCaffeine);
        for (const int code : updates[std::size_t(index)])
            EXPECT_EQ(log.Update(index, tagOPT_RESULT(code), "A", kCaffeine), 1) << code;
    }
    // An index that no Append made is refused.
    EXPECT_EQ(log.Update(4, OPTRESULT_OPTIMISING_CV, "", {}) + log.Update(-1, OPTRESULT_OPTIMISING_CV, "", {}), 0);
    EXPECT_EQ(text(log), kHeader + "A          Optimisation Already Present\n"
                                   "A          Using\t195.09 > 138.07\tESP+\t28\t16\n"
                                   "A          In Progress: Optimising CV\n"
                                   "A          No Information Yet (Base mass 195.09)\n");
}
// Names come from people's compound lists and start each line of a file a person watches (and may
// open in a spreadsheet, the line's tabs making cells): a formula is shown as text, and an escape
// sequence cannot drive the terminal showing the log.
TEST(OptimiseResults, NamesAreShownAsTextWithoutControlCharacters)
{
    struct Case
    {
        const char* name;
        std::string compound;
        std::string line;
    };
    const Case cases[] = {
        {"formula", "=HYPERLINK(\"http://x\",\"y\")", "'=HYPERLINK(\"http://x\",\"y\") Not Required In This Analysis"},
        {"number", "-5", "-5         Not Required In This Analysis"},
        {"escape sequences", "\x1b[2JX\x9b[1m", " [2JX [1m  Not Required In This Analysis"},
        {"line break then formula", "\n=1+1", " =1+1      Not Required In This Analysis"},
        {"utf-8", "Koffein \xE2\x80\x93", "Koffein \xE2\x80\x93 Not Required In This Analysis"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        COptimiseResults log;
        ASSERT_EQ(log.Append(OPTRESULT_NOT_REQUIRED, c.compound.c_str(), kCaffeine), 1);
        EXPECT_EQ(text(log), kHeader + c.line + "\n");
        // A rewrite shows the name the same way.
        ASSERT_EQ(log.Update(0, OPTRESULT_USING_TRANSITION, c.compound.c_str(), kCaffeine), 1);
        EXPECT_EQ(text(log),
                  kHeader + c.line.substr(0, c.line.find(" Not Required")) + " Using\t195.09 > 138.07\tESP+\t28\t16\n");
    }
}
} // namespace
