// Tests of the method file: defaults, limits of the value texts and round trips, through the key
// table where a test concerns every key.
#include "method/MethodFileKeys.h"
#include "method/TessalyOptionsSheet.h"
#include "testing/MethodFileHost.h"
#include "testing/MockHost.h"
#include "testing/OptionsFixtures.h"
#include "testing/TempDir.h"

#include <cfloat>
#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace
{
using Sheet = CTessalyOptionsSheet;
using testing::Message;

class MethodFileTest : public testing::Test
{
  protected:
    void SetUp() override { Sheet::OpenFile(""); } // the library's one record outlives each test
    // Writes content to name in the data directory and returns the file's host path.
    CString write(const char* name, const std::string& content) const
    {
        testkit::writeText(dir_.file(name), content);
        return CString("C:\\") + name;
    }
    bool holds(const char* name, const std::string& line) const // a whole line of the file
    {
        return testkit::readText(dir_.file(name)).find("\r\n" + line + "\r\n") != std::string::npos;
    }

    testkit::TempDir dir_;
    testkit::MethodFileHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(MethodFileTest, NewFileHoldsEveryKeyAtItsDefaultAndAMissingOneReadsAsTheDefaults)
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
    for (const int count : {1, 2, 4})
    {
        host_.count = count;
        CBrenmoOptions expected;
        expected.m_bUseMuxMode = count != 1 ? 1 : 0;
        expected.m_nMuxSprays = count;
        EXPECT_EQ(testkit::MethodText(Sheet::OpenFile("C:\\missing.tym")), testkit::MethodText(expected)) << count;
    }
}

TEST_F(MethodFileTest, RoundTripResetNumbersLimitsMagnitudesAndFailedSaves)
{
    CBrenmoOptions saved;
    testkit::FillEveryMethodField(saved);
    ASSERT_EQ(Sheet::SaveFile("C:\\round.tym", saved), 1);
    CBrenmoOptions& o = Sheet::OpenFile("C:\\round.tym");
    EXPECT_EQ(testkit::MethodText(o), testkit::MethodText(saved));
    // The reset is the assignment of a new record: the method file's name stays, the lists go.
    o.m_strMethodFile = "C:\\kept.tym";
    o.m_strCompoundList = "reset";
    const CBrenmoOptions& reset = Sheet::OpenFile("");
    EXPECT_EQ(testkit::MethodText(reset), testkit::MethodText(CBrenmoOptions()));
    EXPECT_EQ(std::string(reset.m_strCompoundList) + reset.m_strMethodFile.GetString(), "C:\\kept.tym");
    struct Case { const char* text; int asInt; double asDouble; };
    const Case cases[] = {{"-17", -17, -17.0}, {"12abc", 12, 12.0}, {"3.99", 3, 3.99}, {"abc", 0, 0.0},
        {"1e999", 1, 0.0}, {"2147483648", INT_MAX, 2147483648.0}, {"-2147483649", INT_MIN, -2147483649.0},
        {"nan", 0, 0.0}, {"-inf", 0, 0.0}, {"", 5, 5.0}}; // an empty value counts as absent: the default
    for (const Case& c : cases)
    {
        const CString file = write("n.tym", std::string("[Tessaly Options]\nV=") + c.text + "\n");
        int n = -1;
        double d = -1.0;
        CString text = "previous";
        const int found = Sheet::ReadFromFile(file, n, "V", 5) * 100 + Sheet::ReadFromFile(file, d, "V", 5.0) * 10 +
                          Sheet::ReadFromFile(file, text, "V", "");
        const int expected = *c.text ? 111 : 0;
        EXPECT_EQ((Message() << found << " " << n << " " << d << " " << text).GetString(),
                  (Message() << expected << " " << c.asInt << " " << c.asDouble << " " << c.text).GetString());
    }
    // A missing key reads as the default's text, which counts as read unless it is empty.
    int n = -1;
    EXPECT_EQ(Sheet::ReadFromFile("C:\\n.tym", n, "Missing", 7) * 10 + n, 17);
    const CBrenmoOptions& cut = Sheet::OpenFile(write("m.tym", "[Tessaly Options]\nParent Tune File=" +
        std::string(300, 'x') + "\nIon Mode Options=7\nAdduct Pos User3 Mass=1e300\nAdduct Neg User1 Mass=-1e300\n"
        "User2 Loss Mass=nan\nFragment Min Size=1e99\n"));
    // The text is cut to 255, the ion-mode option stored as read, masses saturated, the size read as atoi does.
    EXPECT_EQ((Message() << cut.m_strParentTuneFile.GetLength() << " " << static_cast<int>(cut.m_eIonModeOpt) << " "
                         << cut.m_Adducts.m_UserPos3.Mass() << " " << cut.m_Adducts.m_UserNeg1.Mass() << " "
                         << cut.m_Losses.m_UserLoss2.Mass() << " " << cut.m_nFragmentMinSize).GetString(),
              (Message() << "255 7 " << FLT_MAX << " " << FLT_MAX << " 0 1").GetString());
    // Negative user adducts are written as magnitudes.
    CBrenmoOptions negative;
    negative.m_Adducts.m_UserNeg1.m_fMass = -35.5f;
    ASSERT_EQ(Sheet::SaveFile("C:\\neg.tym", negative), 1);
    EXPECT_TRUE(holds("neg.tym", "Adduct Neg User1 Mass=35.50"));
    EXPECT_EQ(Sheet::OpenFile("C:\\neg.tym").m_Adducts.m_UserNeg1.Mass(), -35.5f);
    // A negative magnitude typed into the file is taken as it stands, and saving writes it back.
    const CString typed = write("typed.tym", "[Tessaly Options]\r\nAdduct Neg User2 Mass=-2\r\n");
    ASSERT_EQ(Sheet::SaveFile(typed, Sheet::OpenFile(typed)), 1);
    EXPECT_TRUE(holds("typed.tym", "Adduct Neg User2 Mass=-2.00"));
    std::filesystem::create_directory(dir_.file("dir.tym")); // no write can succeed
    EXPECT_EQ(Sheet::SaveFile("C:\\dir.tym", CBrenmoOptions()), 0);
    // The profile writer refuses a value with a line break (it would read back as other keys):
    // that key is missing, the others are still written, and the save reports the failure.
    CBrenmoOptions options;
    options.m_strIonMode = "ESP\n[Other]";
    options.m_bMSMS = 0;
    EXPECT_EQ(Sheet::SaveFile("C:\\bad.tym", options), 0);
    EXPECT_EQ(testkit::readText(dir_.file("bad.tym")).find("Ion Mode="), std::string::npos);
    EXPECT_TRUE(holds("bad.tym", "MSMS=0") && holds("bad.tym", "MUX Sprays=1"));
}
} // namespace
