// truth.tsv as writeTruth leaves it: names a spreadsheet would run as formulas are written as text
// that platform::restoredCell turns back into the name, numbers stay numbers, and a refused name
// is quoted on one line.
#include "instrument/InstrumentModel.h"
#include "platform/SafeText.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using instrument::CompoundTruth;

const std::string kHeader = "compound\tadduct\tparent_mz\tcone_voltage\tdaughter_mz\tcollision_energy\n";

TEST(TruthFile, WritesFormulaNamesAsTextThatRestoresToTheName)
{
    // Which cells are guarded is the guard's own test (SafeText); here, that the writer guards. The
    // compound and its cell as written: a formula, and a number that stays a number.
    const std::pair<std::string, std::string> cases[] = {
        {"=HYPERLINK(\"http://x\",\"y\")", "'=HYPERLINK(\"http://x\",\"y\")"}, {"-5", "-5"}};
    for (const auto& [compound, cell] : cases)
    {
        SCOPED_TRACE(compound);
        testkit::TempDir dir;
        CompoundTruth ionises{compound, true, "[M-H]-", 193.073, 30.0, 149.083, 15.0};
        CompoundTruth silent;
        silent.compound = compound;
        std::string error;
        ASSERT_TRUE(instrument::writeTruth(dir.file("truth.tsv"), {ionises, silent}, error)) << error;
        EXPECT_EQ(testkit::readText(dir.file("truth.tsv")),
                  kHeader + cell + "\t[M-H]-\t193.073\t30.0\t149.083\t15.0\n" + cell + "\t\t\t\t\t\n");
        EXPECT_EQ(platform::restoredCell(cell), compound);
    }
}

// The refusal becomes a one-line warning of tessaly run: the name in it is shown without controls.
TEST(TruthFile, RefusesANameThatWouldSplitItsRowOnOneLine)
{
    testkit::TempDir dir;
    CompoundTruth split;
    split.compound = "=A\n\x1b[2JB";
    std::string error;
    EXPECT_FALSE(instrument::writeTruth(dir.file("truth.tsv"), {split}, error));
    EXPECT_EQ(error, dir.file("truth.tsv") + ": compound name \"=A  [2JB\" holds a tab or line break");
    EXPECT_TRUE(testkit::readText(dir.file("truth.tsv")).empty()) << "nothing is written";
}
} // namespace
