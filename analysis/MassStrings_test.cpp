// Compound masses through the host's isotope model (a mock, to pin the request and the walk of the
// clusters; the stand-in, for real masses), the check of a mass against the instrument's range and
// the length of ramps.
#include "analysis/MassStrings.h"

#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

// Masses printed with three decimals must agree to the last one.
constexpr double kMassTolerance = 0.0005;

class ConvertStringToMassTest : public ::testing::Test
{
  protected:
    ConvertStringToMassTest()
    {
        ON_CALL(host_, GetSystemListPath(_)).WillByDefault([](char* path) {
            std::strcpy(path, "C:\\Kelvane\\");
            return 1;
        });
    }

    // The model builds clusters (mass, abundance) with count as the list's first word, and the
    // list handed back to be freed is recorded.
    void modelGives(std::vector<std::pair<double, double>> clusters, std::uint32_t count)
    {
        clusters_.assign(clusters.size(), tag_ISOTOPE_CLUSTER());
        for (std::size_t i = 0; i < clusters.size(); ++i)
        {
            clusters_[i].SetMass(clusters[i].first);
            clusters_[i].SetAbundance(clusters[i].second);
        }
        EXPECT_CALL(host_, CalcIsotopeModel(0, _, _))
            .WillOnce([this, count](int, const tag_ISOTOPE_REQUEST& request, tag_ORDERED_CLUST& result) {
                request_ = request;
                result.nClusters = count;
                result.pClusters = clusters_.empty() ? nullptr : clusters_.data();
                return 0;
            });
        EXPECT_CALL(host_, cfree_ordered_clust(_)).WillOnce([this](tag_ORDERED_CLUST& list) {
            freed_ = list.pClusters;
            list = tag_ORDERED_CLUST();
        });
    }

    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
    std::vector<tag_ISOTOPE_CLUSTER> clusters_;
    tag_ISOTOPE_REQUEST request_;
    tag_ISOTOPE_CLUSTER* freed_ = nullptr;
};

TEST_F(ConvertStringToMassTest, FillsTheRequestBlockByteForByte)
{
    modelGives({{194.08, 1.0}}, 1);
    EXPECT_CALL(host_, GetSystemListPath(_)).Times(1);
    EXPECT_DOUBLE_EQ(ConvertStringToMass("C8H10N4O2"), 194.08);

    // Built from the layout alone, without the record's accessors.
    unsigned char expected[1496] = {};
    const auto put = [&](std::size_t at, auto value) { std::memcpy(expected + at, &value, sizeof value); };
    put(0, 1.0f);
    put(4, 1.0f);
    put(8, std::int32_t{1});
    put(24, 0.5f);
    std::memcpy(expected + 32, "C8H10N4O2", 9);
    put(288, std::int32_t{2});
    std::memcpy(expected + 294, "C:\\Kelvane\\", 11);
    std::memcpy(expected + 554, "gaussian", 8);
    std::memcpy(expected + 810, "psf", 3);
    put(1488, std::int32_t{2});
    put(1492, std::int32_t{128000});
    for (std::size_t i = 0; i < sizeof expected; ++i)
        ASSERT_EQ(request_.bytes[i], expected[i]) << "byte " << i;
}

TEST_F(ConvertStringToMassTest, AHostThatLeavesNoPathLeavesTheDirectoryEmpty)
{
    // The host fails the lookup and fills the whole buffer without a terminator.
    EXPECT_CALL(host_, GetSystemListPath(_)).WillOnce([](char* path) {
        std::memset(path, 'x', 260);
        return 0;
    });
    modelGives({{18.01, 1.0}}, 1);
    ConvertStringToMass("H2O");
    EXPECT_EQ(request_.text(294, 260), CString(std::string(259, 'x').c_str()));
    EXPECT_EQ(request_.bytes[294 + 259], 0) << "the directory field lost its terminator";
}

TEST_F(ConvertStringToMassTest, TakesTheFirstOfTheMostAbundantClustersAndFreesTheList)
{
    modelGives({{100.0, 0.2}, {101.0, 0.5}, {102.0, 0.5}, {103.0, 0.1}}, 4);
    EXPECT_DOUBLE_EQ(ConvertStringToMass("CH4"), 101.0);
    EXPECT_EQ(freed_, clusters_.data());
}

TEST_F(ConvertStringToMassTest, CountsOnlyTheLow16BitsOfTheFirstWord)
{
    // The high half of the first word is the host's; the third cluster is past the count.
    modelGives({{100.0, 0.2}, {101.0, 0.3}, {102.0, 0.9}}, 0x00070002u);
    EXPECT_DOUBLE_EQ(ConvertStringToMass("CH4"), 101.0);
    EXPECT_EQ(freed_, clusters_.data());
}

TEST_F(ConvertStringToMassTest, NoPositiveAbundanceOrNoClusterGivesNoMassButStillFrees)
{
    modelGives({{100.0, 0.0}, {101.0, -1.0}}, 2);
    EXPECT_EQ(ConvertStringToMass("CH4"), 0.0);
    EXPECT_EQ(freed_, clusters_.data());

    modelGives({}, 0);
    EXPECT_EQ(ConvertStringToMass("CH4"), 0.0);
}

TEST_F(ConvertStringToMassTest, AModelThatFailsGivesNoMassAndNothingIsFreed)
{
    // The model reports failure (-1) without building a list.
    EXPECT_CALL(host_, CalcIsotopeModel(0, _, _)).WillOnce(Return(-1));
    EXPECT_CALL(host_, cfree_ordered_clust(_)).Times(0);
    EXPECT_EQ(ConvertStringToMass("Xx"), 0.0);
}

TEST_F(ConvertStringToMassTest, NumbersNeedNoModel)
{
    struct Case
    {
        const char* text;
        double mass;
    };
    const Case cases[] = {
        {"301.2", 301.2}, {"12abc", 12.0}, {"  194.08 ", 194.08}, {"-5", -5.0}, {"1e3", 1000.0},
        {"1e999", 0.0}, // not finite: no mass, and not a formula either
    };
    EXPECT_CALL(host_, CalcIsotopeModel(_, _, _)).Times(0);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ConvertStringToMass(c.text), c.mass);
    }
}

TEST_F(ConvertStringToMassTest, ZeroTakesTheFormulaPath)
{
    modelGives({{12.0, 1.0}}, 1);
    EXPECT_EQ(ConvertStringToMass("0"), 12.0);
    EXPECT_EQ(request_.Formula(), CString("0"));
}

TEST_F(ConvertStringToMassTest, AFormulaLongerThanTheFieldIsRefusedNotCut)
{
    const std::string fits(255, 'H');
    modelGives({{255.0, 1.0}}, 1);
    EXPECT_EQ(ConvertStringToMass(fits.c_str()), 255.0);
    EXPECT_EQ(request_.Formula(), CString(fits.c_str()));

    EXPECT_CALL(host_, CalcIsotopeModel(_, _, _)).Times(0);
    EXPECT_EQ(ConvertStringToMass((fits + "H").c_str()), 0.0);
}

TEST(ConvertStringToMass, GivesTheMostAbundantPeakOfTheStandInModel)
{
    testkit::TempDir dir("MassStrings");
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    struct Case
    {
        const char* text;
        double mass;
    };
    const Case cases[] = {
        {"C8H10N4O2", 194.080},        // caffeine, monoisotopic
        {"C257H383N65O77S6", 5806.645}, // insulin, M+3, not the monoisotopic 5803.638
        {"C6H2Br4", 393.685},          // M+4
        {"Ca(OH)2", 73.968},
        {"Xx", 0.0},
        {"C6H12O6 H2O", 0.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        EXPECT_NEAR(ConvertStringToMass(c.text), c.mass, kMassTolerance);
    }
    kelvane::uninstall();
}

TEST(CalcNSteps, CountsTheRampPoints)
{
    struct Case
    {
        double start, end, step;
        int points;
    };
    const Case cases[] = {
        {10, 50, 6, 8},   {10, 50, 10, 5}, {10, 50, 0, 1},   {20, 20, 5, 1},     {10, 0, 5, -1},
        {0, 1, 0.3, 5},   {50, 10, -10, 5}, {10, 50, -10, -3}, {0, 0.5, 1, 2},     {NAN, 50, 10, 1},
        {0, 1e300, 1e-300, INT_MAX}, {0, -1e300, 1e-300, INT_MIN + 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.start << " to " << c.end << " by " << c.step);
        EXPECT_EQ(CalcNSteps(c.start, c.end, c.step), c.points);
    }
}

class CheckScanMassesTest : public ::testing::Test
{
  protected:
    CheckScanMassesTest()
    {
        ON_CALL(instrument_, GetMassLimit()).WillByDefault(Return(1000));
        opts_.m_pInstrument = &instrument_;
        opts_.m_strCompoundList = "C:\\Study.PRO\\Compounds.csv";
        params_.nLine = 7;
    }

    int check(double mass)
    {
        params_.dParentMass = mass;
        return CheckScanMasses(opts_, params_);
    }

    NiceMock<host::MockInstrument> instrument_;
    CBrenmoOptions opts_;
    tag_SCAN_PARAMS params_ = {};
    testkit::ScriptedUserInterface ui_;
};

TEST_F(CheckScanMassesTest, AcceptsBothBoundsAndRefusesJustOutside)
{
    struct Case
    {
        double mass;
        int result;
    };
    const Case cases[] = {{54.0, 1}, {950.0, 1}, {500.0, 1}, {53.99, 0}, {950.01, 0}, {-5.0, 0}, {NAN, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mass);
        EXPECT_EQ(check(c.mass), c.result);
    }
    EXPECT_EQ(ui_.messages().size(), 4u);
}

TEST_F(CheckScanMassesTest, ShowsTheRangeTheListTheRoundedMassAndTheLine)
{
    struct Case
    {
        double mass;
        const char* shown;
    };
    const Case cases[] = {{53.91, "54.0"}, {1000.04, "1000.1"}, {0.0, "0.1"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.shown);
        const std::size_t before = ui_.messages().size();
        EXPECT_EQ(check(c.mass), 0);
        ASSERT_EQ(ui_.messages().size(), before + 1);
        const auto& m = ui_.messages().back();
        EXPECT_EQ(m.text, std::string("Invalid Mass specified.\nMust be in range 54.0 to 950.0.\n"
                                      "File:\tC:\\Study.PRO\\Compounds.csv\nMass:\t") +
                              c.shown + "\nLine:\t7");
        EXPECT_EQ(m.caption, "Tessaly");
        EXPECT_EQ(m.owner, nullptr);
        EXPECT_EQ(m.type, 0x10u);
    }
}

TEST_F(CheckScanMassesTest, UnattendedRunsAreToldByTheResultAlone)
{
    opts_.m_bRunUnattended = 1;
    EXPECT_EQ(check(20.0), 0);
    EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(CheckScanMassesTest, WithoutAnInstrumentNoMassIsUsable)
{
    // No instrument means no known range: the mass is refused rather than read through null.
    opts_.m_pInstrument = nullptr;
    EXPECT_EQ(check(500.0), 0);
    ASSERT_EQ(ui_.messages().size(), 1u);
    EXPECT_NE(ui_.messages()[0].text.find("Must be in range 54.0 to -50.0."), std::string::npos);
}
} // namespace
