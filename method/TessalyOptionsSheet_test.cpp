// Tests of the method file: defaults, limits of the value texts and round trips, through the key
// table where a test concerns every key.
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/Profile.h"
#include "testing/MethodFileHost.h"
#include "testing/MockHost.h"
#include "testing/OptionsFixtures.h"
#include "testing/TempDir.h"

#include <cfloat>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
using Sheet = CTessalyOptionsSheet;

class MethodFileTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        // The library's record outlives each test; start every test from the defaults.
        Sheet::OpenFile("");
    }
    // Writes content to name in the data directory and returns the file's host path.
    CString write(const char* name, const std::string& content) const
    {
        testkit::writeText(dir_.file(name), content);
        return CString("C:\\") + name;
    }
    // The raw text of a key, as the profile reader gives it.
    static std::string raw(const CString& file, const char* key, const char* section = "Tessaly Options")
    {
        char buffer[1024] = {};
        GetPrivateProfileStringA(section, key, "<absent>", buffer, sizeof buffer, file);
        return buffer;
    }

    testkit::TempDir dir_;
    testkit::MethodFileHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(MethodFileTest, ANewFileHoldsEveryKeyInOrderAtTheRecordsDefaults)
{
    // The key table's defaults, written as the file writes them; a new file has CR LF line ends.
    std::string expected = "[Tessaly Options]\r\n";
    for (const auto& key : method::kMethodFileKeys)
    {
        char value[32] = {};
        if (key.type == method::MethodKeyType::kDouble)
            std::snprintf(value, sizeof value, "%.2f", key.numberDefault);
        else if (key.type == method::MethodKeyType::kInt)
            std::snprintf(value, sizeof value, "%d", static_cast<int>(key.numberDefault));
        expected += std::string(key.name) + "=" + (key.textDefault ? key.textDefault : value) + "\r\n";
    }
    ASSERT_EQ(Sheet::SaveFile("C:\\new.tym", CBrenmoOptions()), 1);
    EXPECT_EQ(testkit::readText(dir_.file("new.tym")), expected);
    EXPECT_STREQ(Sheet::m_strTessalyMethodFilter, "Tessaly Methods (*.tym)|*.tym||");
}

TEST_F(MethodFileTest, AMissingFileReadsAsTheDefaultsWithMuxFromTheHostsInlet)
{
    for (const int count : {1, 2, 4})
    {
        SCOPED_TRACE(count);
        host_.count = count;
        host_.countQueries = 0;
        CBrenmoOptions expected;
        expected.m_bUseMuxMode = count != 1 ? 1 : 0;
        expected.m_nMuxSprays = count;
        EXPECT_EQ(testkit::MethodText(Sheet::OpenFile("C:\\missing.tym")), testkit::MethodText(expected));
        EXPECT_EQ(host_.countQueries, 1);
    }
}

TEST_F(MethodFileTest, AnEmptyNameResetsTheOneRecordAsTheAssignmentDoes)
{
    CBrenmoOptions& o = Sheet::OpenFile(write("m.tym", "[Tessaly Options]\nCone Voltage Min=20.00\n"));
    EXPECT_EQ(o.m_dConeVoltageMin, 20.0);
    o.m_strMethodFile = "C:\\kept.tym";
    o.m_strCompoundList = "reset";
    CBrenmoOptions& reset = Sheet::OpenFile("");
    EXPECT_EQ(&reset, &o);
    EXPECT_EQ(testkit::MethodText(reset), testkit::MethodText(CBrenmoOptions()));
    EXPECT_STREQ(reset.m_strCompoundList, "");
    EXPECT_STREQ(reset.m_strMethodFile, "C:\\kept.tym");
}

TEST_F(MethodFileTest, SaveThenOpenGivesTheSameMethod)
{
    CBrenmoOptions saved;
    testkit::FillEveryMethodField(saved);
    ASSERT_EQ(Sheet::SaveFile("C:\\round.tym", saved), 1);
    EXPECT_EQ(testkit::MethodText(Sheet::OpenFile("C:\\round.tym")), testkit::MethodText(saved));
}

TEST_F(MethodFileTest, NumbersReadAsAtoiAndAtofWithoutUndefinedResults)
{
    struct Case
    {
        const char* text;
        int asInt;
        double asDouble;
    };
    const Case cases[] = {
        {"-17", -17, -17.0},
        {"12abc", 12, 12.0},
        {"3.99", 3, 3.99},
        {"abc", 0, 0.0},
        {"2147483648", INT_MAX, 2147483648.0},
        {"-2147483649", INT_MIN, -2147483649.0},
        {"1e999", 1, 0.0},
        {"nan", 0, 0.0},
        {"-inf", 0, 0.0},
        {"", 5, 5.0}, // an empty value counts as absent: the default
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const CString file = write("n.tym", std::string("[Tessaly Options]\nV=") + c.text + "\n");
        int n = -1;
        double d = -1.0;
        const int found = *c.text ? 1 : 0;
        EXPECT_EQ(Sheet::ReadFromFile(file, n, "V", 5), found);
        EXPECT_EQ(n, c.asInt);
        EXPECT_EQ(Sheet::ReadFromFile(file, d, "V", 5.0), found);
        EXPECT_EQ(d, c.asDouble);
        CString text = "previous";
        EXPECT_EQ(Sheet::ReadFromFile(file, text, "V", ""), found);
        EXPECT_STREQ(text, found ? c.text : "");
    }
    // A missing key reads as the default's text, which counts as read unless it is empty.
    int n = -1;
    EXPECT_EQ(Sheet::ReadFromFile("C:\\n.tym", n, "Missing", 7), 1);
    EXPECT_EQ(n, 7);
}

TEST_F(MethodFileTest, ValuesAreCutAndSaturatedIntoTheirFields)
{
    const CBrenmoOptions& o = Sheet::OpenFile(write("m.tym", "[Tessaly Options]\n"
                                                             "Parent Tune File=" +
                                                                 std::string(300, 'x') +
                                                                 "\n"
                                                                 "Ion Mode Options=7\n"
                                                                 "Adduct Pos User3 Mass=1e300\n"
                                                                 "Adduct Neg User1 Mass=-1e300\n"
                                                                 "User2 Loss Mass=nan\n"
                                                                 "Fragment Min Size=1e99\n"));
    EXPECT_EQ(o.m_strParentTuneFile.GetLength(), 255);
    EXPECT_EQ(static_cast<int>(o.m_eIonModeOpt), 7); // stored as read
    EXPECT_EQ(o.m_Adducts.m_UserPos3.Mass(), FLT_MAX);
    EXPECT_EQ(o.m_Adducts.m_UserNeg1.Mass(), FLT_MAX);
    EXPECT_EQ(o.m_Losses.m_UserLoss2.Mass(), 0.0f);
    EXPECT_EQ(o.m_nFragmentMinSize, 1);
}

TEST_F(MethodFileTest, NegativeUserAdductsAreWrittenAsMagnitudes)
{
    CBrenmoOptions saved;
    saved.m_Adducts.m_UserNeg1.m_fMass = -35.5f;
    ASSERT_EQ(Sheet::SaveFile("C:\\m.tym", saved), 1);
    EXPECT_EQ(raw("C:\\m.tym", "Adduct Neg User1 Mass"), "35.50");
    EXPECT_EQ(Sheet::OpenFile("C:\\m.tym").m_Adducts.m_UserNeg1.Mass(), -35.5f);
    // A negative magnitude typed into the file is taken as it stands, and saving writes it back.
    const CString typed = write("typed.tym", "[Tessaly Options]\nAdduct Neg User2 Mass=-2\n");
    ASSERT_EQ(Sheet::SaveFile(typed, Sheet::OpenFile(typed)), 1);
    EXPECT_EQ(raw(typed, "Adduct Neg User2 Mass"), "-2.00");
}

TEST_F(MethodFileTest, SaveFileTriesEveryKeyAndReportsAFailure)
{
    // A directory where the file should be: no write can succeed.
    std::filesystem::create_directory(dir_.file("dir.tym"));
    EXPECT_EQ(Sheet::SaveFile("C:\\dir.tym", CBrenmoOptions()), 0);

    // The profile writer refuses a value with a line break (it would read back as other keys):
    // that key is missing, the others are still written, and the save reports the failure.
    CBrenmoOptions options;
    options.m_strIonMode = "ESP\n[Other]";
    options.m_bMSMS = 0;
    EXPECT_EQ(Sheet::SaveFile("C:\\m.tym", options), 0);
    EXPECT_EQ(raw("C:\\m.tym", "Ion Mode"), "<absent>");
    EXPECT_EQ(raw("C:\\m.tym", "MSMS") + raw("C:\\m.tym", "MUX Sprays"), "01");
}
} // namespace
