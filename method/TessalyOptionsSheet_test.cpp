// Tests of the method file: defaults, limits of the value texts, round trips, and files that
// users (or their tools) have mangled.
#include "host/host.h"
#include "testing/MethodFileHost.h"
#include "testing/OptionsFixtures.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/Profile.h"
#include "platform/WinPath.h"

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace
{
namespace fs = std::filesystem;


class MethodFileTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/method_file_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        platform::setDataDirectory(dir_ + "/data");
        previous_ = host::Install(&host_);
        // The library's record outlives each test; start every test from the defaults.
        CTessalyOptionsSheet::OpenFile("");
    }
    void TearDown() override
    {
        host::Install(previous_);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // The host path of a file in the test's directory.
    CString hostPath(const std::string& name) const
    {
        return CString(platform::toHostPath(dir_ + "/" + name));
    }
    CString writeFile(const std::string& name, const std::string& content) const
    {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << content;
        return hostPath(name);
    }
    std::string readFile(const std::string& name) const
    {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The raw text of a key of the method section.
    static std::string rawValue(const CString& file, const char* key, const char* section = "Tessaly Options")
    {
        char buffer[1024] = {};
        GetPrivateProfileStringA(section, key, "<absent>", buffer, sizeof buffer, file);
        return buffer;
    }

    std::string dir_;
    testkit::MethodFileHost host_;
    host::Host* previous_ = nullptr;
};

TEST_F(MethodFileTest, NamesOfTheMethodFile)
{
    EXPECT_STREQ(CTessalyOptionsSheet::m_strTessalyMethodSection, "Tessaly Options");
    EXPECT_STREQ(CTessalyOptionsSheet::m_strTessalyMethodExtension, "tym");
    EXPECT_STREQ(CTessalyOptionsSheet::m_strTessalyMethodFilter, "Tessaly Methods (*.tym)|*.tym||");
    EXPECT_STREQ(CTessalyOptionsSheet::m_strTitle, "Tessaly Method Editor");
}

TEST_F(MethodFileTest, MissingFileReadsAsDefaultsWithMuxFromTheHostCount)
{
    struct Case
    {
        int count;
        int mux;
    };
    const Case cases[] = {{1, 0}, {4, 1}, {2, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.count);
        host_.count = c.count;
        host_.countQueries = 0;
        const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(hostPath("missing.tym"));
        EXPECT_EQ(host_.countQueries, 1);
        EXPECT_EQ(o.m_bUseMuxMode, c.mux);
        EXPECT_EQ(o.m_bUseInterlacedInjections, 0);
        EXPECT_EQ(o.m_nMuxSprays, c.count);

        // Apart from the MUX fields, a missing file is exactly the constructor's method.
        CBrenmoOptions expected;
        expected.m_bUseMuxMode = c.mux;
        expected.m_nMuxSprays = c.count;
        testkit::ExpectSameMethod(o, expected);
    }
}

TEST_F(MethodFileTest, EmptyNameResetsToTheConstructorsMethod)
{
    host_.count = 4;
    CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(
        writeFile("m.tym", "[Tessaly Options]\nCone Voltage Min=20.00\nAdduct Pos Sodium=1\n"));
    EXPECT_EQ(o.m_dConeVoltageMin, 20.0);
    EXPECT_EQ(o.m_bUseMuxMode, 1);
    o.m_strMethodFile = "C:\\kept.tym";
    o.m_strProject = "C:\\Study.PRO\\";
    o.m_nGroupOffset = 3;
    o.m_strCompoundList = "reset";

    host_.countQueries = 0;
    CBrenmoOptions& reset = CTessalyOptionsSheet::OpenFile("");
    EXPECT_EQ(&reset, &o) << "one record for the whole library";
    EXPECT_EQ(host_.countQueries, 0);
    testkit::ExpectSameMethod(reset, CBrenmoOptions());
    EXPECT_EQ(reset.m_bUseMuxMode, 0);
    EXPECT_EQ(reset.m_nMuxSprays, 1);
    // The options assignment: run options reset, method file name and run state kept.
    EXPECT_STREQ(reset.m_strCompoundList, "");
    EXPECT_STREQ(reset.m_strMethodFile, "C:\\kept.tym");
    EXPECT_STREQ(reset.m_strProject, "C:\\Study.PRO\\");
    EXPECT_EQ(reset.m_nGroupOffset, 3);
}

TEST_F(MethodFileTest, EmptyValueCountsAsAbsent)
{
    const CString file = writeFile("m.tym", "[Tessaly Options]\nIon Mode=\nCone Voltage Min=\nMSMS=\nMUX Sprays=\n");
    host_.count = 2;
    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(file);
    EXPECT_STREQ(o.m_strIonMode, "ESP");
    EXPECT_EQ(o.m_dConeVoltageMin, 10.0);
    EXPECT_EQ(o.m_bMSMS, 1);
    EXPECT_EQ(o.m_nMuxSprays, 2);

    CString text = "previous";
    EXPECT_EQ(CTessalyOptionsSheet::ReadFromFile(file, text, "Ion Mode", ""), 0);
    EXPECT_STREQ(text, "");
    int n = 99;
    EXPECT_EQ(CTessalyOptionsSheet::ReadFromFile(file, n, "MSMS", 7), 0);
    EXPECT_EQ(n, 7);
    // A missing key gives the default's text, which counts as read.
    n = 99;
    EXPECT_EQ(CTessalyOptionsSheet::ReadFromFile(file, n, "Missing", 7), 1);
    EXPECT_EQ(n, 7);
}

TEST_F(MethodFileTest, LongValueIsCutTo255Characters)
{
    const std::string value(300, 'x');
    const CString file = writeFile("m.tym", "[Tessaly Options]\nParent Tune File=" + value + "\n");
    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(file);
    EXPECT_EQ(std::string(o.m_strParentTuneFile), value.substr(0, 255));
}

TEST_F(MethodFileTest, SaveThenOpenGivesTheSameMethod)
{
    CBrenmoOptions saved;
    testkit::FillEveryMethodField(saved);
    const CString file = hostPath("round.tym");
    ASSERT_EQ(CTessalyOptionsSheet::SaveFile(file, saved), 1);
    testkit::ExpectSameMethod(CTessalyOptionsSheet::OpenFile(file), saved);
}

TEST_F(MethodFileTest, DoublesAreWrittenWithTwoDecimalsAndReadBackRounded)
{
    CBrenmoOptions saved;
    saved.m_dConeVoltageMin = 12.345;
    saved.m_dMaxDwellTime = 0.126;
    saved.m_Losses.m_UserLoss1.SetMass(18.004f);
    const CString file = hostPath("m.tym");
    ASSERT_EQ(CTessalyOptionsSheet::SaveFile(file, saved), 1);
    EXPECT_EQ(rawValue(file, "Cone Voltage Min"), "12.35");
    EXPECT_EQ(rawValue(file, "Max Dwell Time"), "0.13");
    EXPECT_EQ(rawValue(file, "Inter Mode Time"), "0.20");
    EXPECT_EQ(rawValue(file, "MSMS"), "1");
    EXPECT_EQ(rawValue(file, "Ion Mode Options"), "0");

    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(file);
    EXPECT_EQ(o.m_dConeVoltageMin, 12.35);
    EXPECT_EQ(o.m_dMaxDwellTime, 0.13);
    EXPECT_EQ(o.m_Losses.m_UserLoss1.Mass(), 18.0f);
    EXPECT_STREQ(o.m_Losses.m_UserLoss1.m_strName, "M+18.00");
}

TEST_F(MethodFileTest, NegativeUserAdductsAreStoredAsMagnitudes)
{
    CBrenmoOptions saved;
    saved.m_Adducts.m_UserNeg1.Allow(1);
    saved.m_Adducts.m_UserNeg1.m_fMass = -35.5f;
    const CString file = hostPath("neg.tym");
    ASSERT_EQ(CTessalyOptionsSheet::SaveFile(file, saved), 1);
    EXPECT_EQ(rawValue(file, "Adduct Neg User1 Mass"), "35.50");

    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(file);
    EXPECT_EQ(o.m_Adducts.m_UserNeg1.Allowed(), 1);
    EXPECT_EQ(o.m_Adducts.m_UserNeg1.Mass(), -35.5f);
    EXPECT_STREQ(o.m_Adducts.m_UserNeg1.m_strName, "M-35.50");

    // A negative magnitude typed into the file is taken as it stands, and saving writes it back.
    const CString typed = writeFile("typed.tym", "[Tessaly Options]\nAdduct Neg User2 Mass=-2\n");
    const CBrenmoOptions& t = CTessalyOptionsSheet::OpenFile(typed);
    EXPECT_EQ(t.m_Adducts.m_UserNeg2.Mass(), 2.0f);
    EXPECT_STREQ(t.m_Adducts.m_UserNeg2.m_strName, "M--2.00");
    ASSERT_EQ(CTessalyOptionsSheet::SaveFile(typed, t), 1);
    EXPECT_EQ(rawValue(typed, "Adduct Neg User2 Mass"), "-2.00");
}

TEST_F(MethodFileTest, SavingKeepsOtherSectionsAndKeys)
{
    const CString file = writeFile("m.tym", "; made by hand\n"
                                            "[Notes]\nAuthor=Ana\n"
                                            "[Tessaly Options]\nComment=keep me\nMSMS=0\n"
                                            "[Later]\nX=1\n");
    ASSERT_EQ(CTessalyOptionsSheet::SaveFile(file, CBrenmoOptions()), 1);
    EXPECT_EQ(rawValue(file, "Author", "Notes"), "Ana");
    EXPECT_EQ(rawValue(file, "X", "Later"), "1");
    EXPECT_EQ(rawValue(file, "Comment"), "keep me");
    EXPECT_EQ(rawValue(file, "MSMS"), "1");
    EXPECT_EQ(rawValue(file, "MUX Sprays"), "1");
    EXPECT_NE(readFile("m.tym").find("; made by hand"), std::string::npos);
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
        {"42", 42, 42.0},
        {"  -17  ", -17, -17.0},
        {"+8", 8, 8.0},
        {"12abc", 12, 12.0},
        {"3.99", 3, 3.99},
        {"abc", 0, 0.0},
        {"-", 0, 0.0},
        {"2147483647", INT_MAX, 2147483647.0},
        {"2147483648", INT_MAX, 2147483648.0},
        {"-2147483649", INT_MIN, -2147483649.0},
        {"99999999999999999999999999", INT_MAX, 1e26},
        {"1e999", 1, 0.0},
        {"-1e999", -1, 0.0},
        {"nan", 0, 0.0},
        {"-inf", 0, 0.0},
        {"infinity", 0, 0.0},
        {"1e-400", 1, 0.0},
        {"0x10", 0, 16.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const CString file = writeFile("n.tym", std::string("[Tessaly Options]\nV=") + c.text + "\n");
        int n = -1;
        EXPECT_EQ(CTessalyOptionsSheet::ReadFromFile(file, n, "V", 5), 1);
        EXPECT_EQ(n, c.asInt);
        double d = -1.0;
        EXPECT_EQ(CTessalyOptionsSheet::ReadFromFile(file, d, "V", 5.0), 1);
        EXPECT_EQ(d, c.asDouble);
    }
}

TEST_F(MethodFileTest, OutOfRangeValuesAreStoredWithoutUndefinedConversions)
{
    const CString file = writeFile("m.tym", "[Tessaly Options]\n"
                                            "Ion Mode=apci\n"
                                            "Ion Mode Options=7\n"
                                            "When To Optimise=-3\n"
                                            "Adduct Pos User3 Mass=1e300\n"
                                            "Adduct Neg User1 Mass=-1e300\n"
                                            "User2 Loss Mass=nan\n"
                                            "Fragment Min Size=1e99\n");
    const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(file);
    EXPECT_STREQ(o.m_strIonMode, "apci");
    EXPECT_EQ(static_cast<int>(o.m_eIonModeOpt), 7);
    EXPECT_EQ(static_cast<int>(o.m_eWhenToOptimise), -3);
    // Masses beyond the float range saturate rather than convert with undefined behaviour.
    EXPECT_EQ(o.m_Adducts.m_UserPos3.Mass(), FLT_MAX);
    EXPECT_EQ(o.m_Adducts.m_UserNeg1.Mass(), FLT_MAX);
    EXPECT_EQ(o.m_Losses.m_UserLoss2.Mass(), 0.0f);
    EXPECT_EQ(o.m_nFragmentMinSize, 1);
}

TEST_F(MethodFileTest, MangledFilesReadWithoutHarm)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xff);
    const std::string longLine(100000, 'k');
    struct Case
    {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"binary garbage", binary},
        {"binary inside the section", "[Tessaly Options]\nMSMS=0\n" + binary},
        {"100000-character key", "[Tessaly Options]\n" + longLine + "=1\nMSMS=0\n"},
        {"100000-character value", "[Tessaly Options]\nIon Mode=" + longLine + "\nMSMS=0\n"},
        {"no section", "MSMS=0\nCone Voltage Min=99\n"},
        {"duplicated keys", "[Tessaly Options]\nMSMS=0\nMSMS=0\n[Tessaly Options]\nMSMS=0\n"},
        {"no line end", "[Tessaly Options]\nMSMS=0"},
        {"carriage returns", "[Tessaly Options]\r\nMSMS=0\r\n"},
        {"embedded zero", "[Tessaly Options]\nMSMS=0\n" + std::string(2, '\0') + "x=1\n"},
        {"empty file", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CBrenmoOptions& o = CTessalyOptionsSheet::OpenFile(writeFile("bad.tym", c.content));
        EXPECT_LE(o.m_strIonMode.GetLength(), 255);
        const std::string name = c.name;
        if (name == "binary garbage" || name == "no section" || name == "empty file")
            EXPECT_EQ(o.m_bMSMS, 1) << "no method section reads as the defaults";
        else
            EXPECT_EQ(o.m_bMSMS, 0);
    }
}

TEST_F(MethodFileTest, SaveFileTriesEveryKeyAndReportsAFailure)
{
    // A directory where the file should be: no write can succeed.
    fs::create_directory(dir_ + "/dir.tym");
    EXPECT_EQ(CTessalyOptionsSheet::SaveFile(hostPath("dir.tym"), CBrenmoOptions()), 0);
    EXPECT_EQ(CTessalyOptionsSheet::WriteToFile(hostPath("dir.tym"), "MSMS", 1), 0);

    // The profile writer refuses a value with a line break (it would read back as other keys):
    // that key is missing, the others are still written, and the save reports the failure.
    CBrenmoOptions options;
    options.m_strIonMode = "ESP\n[Other]";
    options.m_strParentTuneFile = "tune\r\nMSMS=0";
    options.m_bMSMS = 1;
    const CString file = hostPath("m.tym");
    EXPECT_EQ(CTessalyOptionsSheet::SaveFile(file, options), 0);
    EXPECT_EQ(rawValue(file, "Ion Mode"), "<absent>");
    EXPECT_EQ(rawValue(file, "MSMS"), "1");
    EXPECT_EQ(rawValue(file, "MUX Sprays"), "1");
    EXPECT_EQ(readFile("m.tym").find("[Other]"), std::string::npos);
}
} // namespace
