// The stand-in's isotope model: peaks of known compounds, refused formulas, merging at a resolution.
#include "kelvane/KelvaneHost.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Isotope masses are exact to far better than a millidalton; the isotopologues left out move a peak's
// mean mass by less. The clusters cover 99.9 % of the distribution: their mean nears the average mass.
constexpr double kMassTolerance = 0.001;
constexpr double kAverageTolerance = 0.02;

struct IsotopeModel : ::testing::Test
{
    // The clusters (mass, abundance) of formula, which fills the field up to its width (256 characters
    // leave no terminator); status, the tallest cluster's mass, the mean mass and the total are kept.
    std::vector<std::pair<double, double>> model(const std::string& formula, float resolution = 0.5f)
    {
        tag_ISOTOPE_REQUEST request;
        request.set<float>(tag_ISOTOPE_REQUEST::kFloat24, resolution);
        formula.copy(request.field(tag_ISOTOPE_REQUEST::kFormula, 256), 256);
        tag_ORDERED_CLUST list;
        status = host.CalcIsotopeModel(0, request, list);
        EXPECT_TRUE(status == 0 || list.pClusters == nullptr) << "a refused request built a list";
        std::vector<std::pair<double, double>> found;
        double weighted = 0.0, tallest = 0.0;
        peak = mean = total = 0.0;
        for (int i = 0; i < list.Count(); ++i)
        {
            const auto [mass, abundance] = found.emplace_back(list.pClusters[i].Mass(), list.pClusters[i].Abundance());
            weighted += mass * abundance, total += abundance;
            if (abundance > tallest)
                tallest = abundance, peak = mass;
        }
        mean = weighted / total;
        host.cfree_ordered_clust(list);
        EXPECT_TRUE(list.nClusters == 0 && list.pClusters == nullptr) << "the freed list is not empty";
        return found;
    }
    kelvane::KelvaneHost host;
    int status = 0;
    double peak = 0.0, mean = 0.0, total = 0.0;
};

TEST_F(IsotopeModel, KnownCompoundsGiveTheirMostAbundantPeakAndAverageMass)
{
    // Caffeine peaks at M, Br4 at M+4, insulin at M+3 (18.6 %) before M+4 (17.8 %); groups count as the
    // atoms written out. Averages from atomic weights (from the model's abundances for large ones).
    const std::tuple<std::string, double, double> cases[] = {
        {"C8H10N4O2", 194.0804, 194.191}, {"C6H2Br4", 393.6849, 393.696}, {"C257H383N65O77S6", 5806.6449, 5807.60},
        {"NaCl", 57.9586, 58.443}, {"Ca(OH)2", 73.9681, 74.093}, {"K4(Fe(CN)6)", 367.8083, 368.35},
        {"((CH2)2)3", 84.0939, 84.160}, {"CH3(CH2)10CH3", 170.2035, 170.335}, {"(C100)100", 120107.3590, 120108.225},
        {std::string(16, '(') + "H" + std::string(16, ')'), 1.0078, 1.0078},
        {" C8H10N4O2\t\r\n", 194.0804, 194.191}, {"F2Na3PAsI", 339.7659, 339.7659}, // outer blanks; one isotope each
    };
    for (const auto& [formula, mostAbundant, average] : cases)
    {
        const std::vector<std::pair<double, double>> clusters = model(formula);
        EXPECT_NEAR(peak, mostAbundant, kMassTolerance) << formula;
        EXPECT_NEAR(mean, average, kAverageTolerance) << formula;
        EXPECT_TRUE(total >= 0.999 && total <= 1.0 + 1e-9) << formula << " covers " << total;
        for (std::size_t i = 0; i < clusters.size(); ++i)
            EXPECT_TRUE(clusters[i].second > 0.0 && (i == 0 || clusters[i].first - clusters[i - 1].first > 0.5))
                << formula << ": cluster " << i << " empty, out of order or not merged";
    }
}

TEST_F(IsotopeModel, RefusesWhatIsNotAFormulaItCanComputeWithNoList)
{
    const std::string formulas[] = {
        "", "   ", "h2o", "Xx2", "E", "Me2", "Pn", "C0", "C01", "C123456", "C1000000000", "C-1", "C1.5", "C+", "C 8",
        "[13C]", "C6H12O6.H2O", "(", ")", "C)", "(C", "()", "C(H", "H2O)", "C()2", "((C)", "Ca(OH2",
        std::string(17, '(') + "H" + std::string(17, ')'), std::string(256, 'H'), std::string(300, 'H'),
        "C10001", "C9999H2", "(C100)101", "((C10)10)101", "Sn5000", "Sn100Xe100Cd100Te100", // too big
    };
    for (const std::string& formula : formulas)
        EXPECT_TRUE(model(formula).empty() && status != 0) << '"' << formula << '"';
    for (const float resolution : {0.0f, -0.5f, NAN, INFINITY}) // the resolution must be a positive number
        EXPECT_TRUE(model("C8H10N4O2", resolution).empty() && status != 0) << resolution;
}

TEST_F(IsotopeModel, ResolutionDecidesWhichIsotopologuesMerge)
{
    const std::size_t nominal = model("C8H10N4O2", 0.5f).size();
    // Wider than the gap between nominal masses: one peak at the mean mass of the covered part.
    EXPECT_EQ(model("C8H10N4O2", 2.0f).size(), 1u);
    EXPECT_NEAR(peak, 194.191, kAverageTolerance);
    // Narrow enough to tell 13C from 15N at M+1 (3 mDa apart): the fine structure shows.
    EXPECT_GT(model("C8H10N4O2", 0.001f).size(), nominal);
    EXPECT_NEAR(peak, 194.0804, kMassTolerance);
}
} // namespace
