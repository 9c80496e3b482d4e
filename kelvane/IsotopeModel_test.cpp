// The stand-in's isotope model: peaks of known compounds, how formulas are read and refused, and
// how the request's resolution merges isotopologues.
#include "kelvane/KelvaneHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Masses are compared to a millidalton: the model's isotope masses are exact to far better, and
// the isotopologues it leaves out move a peak's mean mass by less.
constexpr double kMassTolerance = 0.001;
// Average masses from standard atomic weights; the model's clusters cover 99.9 % of the
// distribution, so their mean is close to, but not exactly, the average mass.
constexpr double kAverageTolerance = 0.02;

struct Cluster
{
    double mass;
    double abundance;
};

class IsotopeModel : public ::testing::Test
{
  protected:
    // The clusters the model gives for formula at resolution, or the model's failure result in
    // status with no clusters.
    std::vector<Cluster> model(const std::string& formula, float resolution = 0.5f)
    {
        tag_ISOTOPE_REQUEST request;
        request.set<float>(tag_ISOTOPE_REQUEST::kFloat24, resolution);
        EXPECT_TRUE(request.SetFormula(formula.c_str()));
        return run(request);
    }

    std::vector<Cluster> run(const tag_ISOTOPE_REQUEST& request)
    {
        tag_ORDERED_CLUST list;
        status = host_.CalcIsotopeModel(0, request, list);
        std::vector<Cluster> clusters;
        for (int i = 0; i < list.Count(); ++i)
            clusters.push_back({list.pClusters[i].Mass(), list.pClusters[i].Abundance()});
        if (status != 0)
        {
            EXPECT_TRUE(list.nClusters == 0 && list.pClusters == nullptr) << "a refused request built a list";
        }
        host_.cfree_ordered_clust(list);
        EXPECT_TRUE(list.nClusters == 0 && list.pClusters == nullptr) << "the freed list is not empty";
        return clusters;
    }

    static Cluster mostAbundant(const std::vector<Cluster>& clusters)
    {
        Cluster best{0.0, 0.0};
        for (const Cluster& c : clusters)
            if (c.abundance > best.abundance)
                best = c;
        return best;
    }
    static double meanMass(const std::vector<Cluster>& clusters)
    {
        double weighted = 0.0, total = 0.0;
        for (const Cluster& c : clusters)
            weighted += c.mass * c.abundance, total += c.abundance;
        return weighted / total;
    }

    int status = 0;
    testkit::TempDir dir_{"IsotopeModel"};
    kelvane::KelvaneHost host_;
};

TEST_F(IsotopeModel, KnownCompoundsGiveTheirMostAbundantPeakAndAverageMass)
{
    struct Case
    {
        const char* formula;
        double mostAbundant; // the tallest peak
        double average;      // from standard atomic weights (insulin: the model's own abundances)
    };
    const Case cases[] = {
        {"C8H10N4O2", 194.0804, 194.191},        // caffeine: the monoisotopic peak is the tallest
        {"C6H2Br4", 393.6849, 393.696},          // four bromines: M+4 is the tallest
        {"C257H383N65O77S6", 5806.6449, 5807.60}, // insulin: M+3 (18.6 %) just beats M+4 (17.8 %)
        {"Ca(OH)2", 73.9681, 74.093},
        {"K4(Fe(CN)6)", 367.8083, 368.35},
        {"NaCl", 57.9586, 58.443},
        {" C8H10N4O2\t\r\n", 194.0804, 194.191}, // blanks around a formula, as list cells carry them
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.formula);
        const std::vector<Cluster> clusters = model(c.formula);
        ASSERT_EQ(status, 0);
        ASSERT_FALSE(clusters.empty());
        EXPECT_NEAR(mostAbundant(clusters).mass, c.mostAbundant, kMassTolerance);
        EXPECT_NEAR(meanMass(clusters), c.average, kAverageTolerance);
        double total = 0.0;
        for (std::size_t i = 0; i < clusters.size(); ++i)
        {
            EXPECT_GT(clusters[i].abundance, 0.0);
            if (i > 0)
            {
                EXPECT_GT(clusters[i].mass - clusters[i - 1].mass, 0.5) << "clusters out of order or not merged";
            }
            total += clusters[i].abundance;
        }
        EXPECT_GE(total, 0.999);
        EXPECT_LE(total, 1.0 + 1e-9);
    }
}

TEST_F(IsotopeModel, GroupsCountLikeTheAtomsWrittenOut)
{
    struct Case
    {
        const char* grouped;
        const char* flat;
    };
    const Case cases[] = {
        {"Ca(OH)2", "CaO2H2"},
        {"((CH2)2)3", "C6H12"},
        {"K4(Fe(CN)6)", "K4FeC6N6"},
        {"(C100)100", "C10000"},
        {"CH3(CH2)10CH3", "C12H26"},
        {"(((((((((((((((( H ))))))))))))))))", "H"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.grouped);
        const std::vector<Cluster> flat = model(c.flat);
        ASSERT_EQ(status, 0);
        // Blanks inside a formula are junk, so the deeply nested case is written without them.
        std::string grouped = c.grouped;
        std::erase(grouped, ' ');
        const std::vector<Cluster> clusters = model(grouped);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(clusters.size(), flat.size());
        for (std::size_t i = 0; i < clusters.size(); ++i)
        {
            EXPECT_NEAR(clusters[i].mass, flat[i].mass, 1e-6);
            EXPECT_NEAR(clusters[i].abundance, flat[i].abundance, 1e-9);
        }
    }
}

TEST_F(IsotopeModel, RefusesWhatIsNotAFormulaItCanCompute)
{
    const std::string tooDeep = std::string(17, '(') + "H" + std::string(17, ')');
    const std::string cases[] = {
        "", "   ", "h2o", "Xx2", "E", "Me2", "Pn", // unknown or pseudo-element symbols
        "C0", "C01", "C123456", "C-1", "C1.5", "C+", "C 8", "[13C]", "C6H12O6.H2O", // counts and junk
        "(", ")", "C)", "(C", "()", "C(H", "H2O)", "C()2", "((C)", tooDeep,        // parentheses
        "C10001", "C9999H2", "(C100)101", "((C10)10)101",                           // more than 10000 atoms
        "Sn5000", "Sn100Xe100Cd100Te100",                                           // too many isotopologues
    };
    for (const std::string& formula : cases)
    {
        SCOPED_TRACE("\"" + formula + "\"");
        EXPECT_TRUE(model(formula).empty());
        EXPECT_NE(status, 0);
    }
}

TEST_F(IsotopeModel, RefusesAResolutionThatIsNotAPositiveNumber)
{
    for (const float resolution : {0.0f, -0.5f, NAN, INFINITY})
    {
        SCOPED_TRACE(resolution);
        EXPECT_TRUE(model("C8H10N4O2", resolution).empty());
        EXPECT_NE(status, 0);
    }
}

TEST_F(IsotopeModel, RefusesAFormulaFieldWithoutItsTerminator)
{
    tag_ISOTOPE_REQUEST request;
    request.set<float>(tag_ISOTOPE_REQUEST::kFloat24, 0.5f);
    // 256 hydrogens fill the field to its last byte; read to its width they would be a formula.
    std::memset(request.field(tag_ISOTOPE_REQUEST::kFormula, tag_ISOTOPE_REQUEST::kFormulaWidth), 'H',
                tag_ISOTOPE_REQUEST::kFormulaWidth);
    EXPECT_TRUE(run(request).empty());
    EXPECT_NE(status, 0);
}

TEST_F(IsotopeModel, ResolutionDecidesWhichIsotopologuesMerge)
{
    const std::vector<Cluster> nominal = model("C8H10N4O2", 0.5f);
    ASSERT_EQ(status, 0);
    // Wider than the gap between nominal masses: one peak at the average mass of the covered part.
    const std::vector<Cluster> one = model("C8H10N4O2", 2.0f);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_NEAR(one[0].mass, meanMass(nominal), 1e-9);
    // Narrow enough to tell 13C from 15N at M+1 (3 mDa apart): the fine structure shows.
    const std::vector<Cluster> fine = model("C8H10N4O2", 0.001f);
    ASSERT_EQ(status, 0);
    EXPECT_GT(fine.size(), nominal.size());
    EXPECT_NEAR(mostAbundant(fine).mass, 194.0804, kMassTolerance);
}

TEST_F(IsotopeModel, ElementsWithOneIsotopeGiveOnePeak)
{
    const std::vector<Cluster> clusters = model("F2Na3PAsI");
    ASSERT_EQ(status, 0);
    ASSERT_EQ(clusters.size(), 1u);
    EXPECT_NEAR(clusters[0].abundance, 1.0, 1e-12);
}
} // namespace
