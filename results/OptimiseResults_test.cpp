// The results log: every code's line, the rule that a late notice never hides progress, and the
// dump through the Kelvane stand-in into a temporary data directory.
#include "kelvane/KelvaneHost.h"
#include "results/OptimiseResults.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
using StatusArray = CArray<COptimiseStatus, COptimiseStatus&>;

const char kHeader[] = "                \tTransition\tMode\tCV\tCE\n";

tag_SCAN_PARAMS caffeine()
{
    tag_SCAN_PARAMS params{};
    params.IonMode = IONMODE_ESP;
    params.IonModeOpt = IONMODEOPT_POSITIVE;
    params.dParentMass = 195.088;
    params.dDaughterMass = 138.066;
    params.nConeVoltage = 28;
    params.nCollisionEnergy = 16;
    return params;
}

std::string text(const COptimiseResults& log)
{
    return static_cast<const CString&>(log).str();
}

TEST(OptimiseResults, EachCodeHasItsLineAndOthersNone)
{
    COptimiseResults log;
    EXPECT_EQ(text(log), kHeader);
    for (int code = OPTRESULT_NO_INFORMATION; code <= OPTRESULT_HEADER; ++code)
        ASSERT_EQ(log.Append(static_cast<tagOPT_RESULT>(code), code == 5 ? "Chlorpromazine" : "Caffeine", caffeine()),
                  1);
    EXPECT_EQ(text(log), std::string(kHeader) +
                             "Caffeine   No Information Yet (Base mass 195.09)\n"
                             "Caffeine   Not Required In This Analysis\n"
                             "Caffeine   Optimisation Already Present\n"
                             "Caffeine   In Progress: Optimising CV\n"
                             "Caffeine   In Progress: Skipping CV\n"
                             "Chlorpromazine Cone Voltage Optimisation Failed\n"
                             "Caffeine   In Progress: Optimising CE (Parent 195.09, CV 28)\n"
                             "Caffeine   In Progress: Skipping CE\n"
                             "Caffeine   Collision Energy Optimisation Failed\n"
                             "Caffeine   Using Mass 195.09 \tESP+\tCV 28\n"
                             "Caffeine   Using\t195.09 > 138.07\tESP+\t28\t16\n" +
                             kHeader);
    EXPECT_EQ(log.StatusArray::GetAt(6).m_eResult, OPTRESULT_OPTIMISING_CE);
    EXPECT_EQ(log.StatusArray::GetAt(6).m_bStarted, 0);

    const std::string before = text(log);
    for (const int code : {-1, 12})
    {
        EXPECT_EQ(log.Append(static_cast<tagOPT_RESULT>(code), "B", caffeine()), 0);
        EXPECT_EQ(log.Update(0, static_cast<tagOPT_RESULT>(code), "B", caffeine()), 0);
    }
    EXPECT_EQ(log.StatusArray::GetSize(), 12);
    EXPECT_EQ(text(log), before);
    log.RemoveAll();
    EXPECT_EQ(log.StatusArray::GetSize() + log.CStringArray::GetSize(), 0);
}

// Codes 0 to 2 (notices) rewrite a line only until a code from 3 to 10 has marked it started.
TEST(OptimiseResults, ALateNoticeNeverHidesProgress)
{
    COptimiseResults log;
    ASSERT_EQ(log.Append(OPTRESULT_NO_INFORMATION, "A", caffeine()), 1);
    const auto step = [&](tagOPT_RESULT code, int index = 0) { return log.Update(index, code, "A", caffeine()); };
    EXPECT_EQ(step(OPTRESULT_ALREADY_PRESENT) + step(OPTRESULT_HEADER), 2);
    EXPECT_EQ(log.StatusArray::GetAt(0).m_bStarted, 0);
    EXPECT_EQ(step(OPTRESULT_ALREADY_PRESENT), 1);
    EXPECT_EQ(text(log), std::string(kHeader) + "A          Optimisation Already Present\n");
    EXPECT_EQ(step(OPTRESULT_USING_TRANSITION) + step(OPTRESULT_ALREADY_PRESENT), 2);
    EXPECT_EQ(text(log), std::string(kHeader) + "A          Using\t195.09 > 138.07\tESP+\t28\t16\n");
    EXPECT_EQ(log.StatusArray::GetAt(0).m_eResult, OPTRESULT_NO_INFORMATION) << "the code of the Append is kept";
    log.RemoveAll();
    ASSERT_EQ(log.Append(OPTRESULT_NO_INFORMATION, "A", caffeine()), 1);
    EXPECT_EQ(step(OPTRESULT_OPTIMISING_CV) + step(OPTRESULT_NO_INFORMATION), 2);
    EXPECT_EQ(text(log), std::string(kHeader) + "A          In Progress: Optimising CV\n");
    // An index that no Append made is refused.
    EXPECT_EQ(step(OPTRESULT_OPTIMISING_CV, 1) + step(OPTRESULT_OPTIMISING_CV, -1), 0);
}

TEST(OptimiseResults, DumpReplacesTheLogFileAndReportsAFailure)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    COptimiseResults log;
    log.Append(OPTRESULT_OPTIMISING_CV, "Caffeine", caffeine());
    // c:\temp taken by a plain file: the log cannot be created there.
    testkit::writeText(dir.file("temp"), "in the way");
    EXPECT_EQ(log.Dump(), 0);
    std::filesystem::remove(dir.file("temp"));
    EXPECT_EQ(log.Dump(), 1);
    EXPECT_EQ(testkit::readText(dir.file("temp/Tessaly Current Optimisation Results.txt")), text(log));
    kelvane::uninstall();
}
} // namespace
