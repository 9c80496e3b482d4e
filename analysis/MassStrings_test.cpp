// Compound masses through the host's isotope model (a mock pins the request and the walk of the
// clusters; the stand-in gives real masses), the check of a mass against the range, ramp lengths.
#include "analysis/MassStrings.h"
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <gmock/gmock.h>
#include <string>
#include <vector>

namespace
{
using namespace ::testing;
using Clusters = std::vector<std::pair<double, double>>; // mass, abundance

struct ConvertStringToMassTest : Test
{
    // The host's list path is path_; the model answers status, clusters and count; freed on success.
    double massWhenModelGives(const char* text, const Clusters& clusters, std::uint32_t count = 1, int status = 0)
    {
        ON_CALL(host_, GetSystemListPath(_)).WillByDefault([this](char* p) { return path_.copy(p, 260), 1; });
        clusters_.assign(clusters.size(), tag_ISOTOPE_CLUSTER());
        for (std::size_t i = 0; i < clusters.size(); ++i)
            clusters_[i].SetMass(clusters[i].first), clusters_[i].SetAbundance(clusters[i].second);
        const tag_ORDERED_CLUST list{count, clusters_.empty() ? nullptr : clusters_.data()};
        EXPECT_CALL(host_, CalcIsotopeModel(0, _, _))
            .WillOnce(DoAll(SaveArg<1>(&request_), SetArgReferee<2>(list), Return(status)));
        EXPECT_CALL(host_, cfree_ordered_clust(Field(&tag_ORDERED_CLUST::pClusters, list.pClusters))).Times(!status);
        return ConvertStringToMass(text);
    }
    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
    std::string path_{"C:\\Kelvane\\", 12};
    std::vector<tag_ISOTOPE_CLUSTER> clusters_;
    tag_ISOTOPE_REQUEST request_;
};

TEST_F(ConvertStringToMassTest, FillsTheRequestBlockByteForByte)
{
    EXPECT_DOUBLE_EQ(massWhenModelGives("C8H10N4O2", {{194.08, 1.0}}), 194.08);
    unsigned char expected[1496] = {}; // built from the layout alone, without the record's accessors
    const auto put = [&](std::size_t at, auto value) { std::memcpy(expected + at, &value, sizeof value); };
    put(0, 1.0f), put(4, 1.0f), put(8, 1), put(24, 0.5f), put(288, 2), put(1488, 2), put(1492, 128000);
    std::memcpy(expected + 32, "C8H10N4O2", 9), std::memcpy(expected + 294, "C:\\Kelvane\\", 11);
    std::memcpy(expected + 554, "gaussian", 8), std::memcpy(expected + 810, "psf", 3);
    for (std::size_t i = 0; i < sizeof expected; ++i)
        ASSERT_EQ(request_.bytes[i], expected[i]) << "byte " << i;
    path_.assign(260, 'x'); // a host that fills the whole buffer without a terminator
    massWhenModelGives("H2O", {{18.01, 1.0}});
    EXPECT_EQ(request_.text(294, 260), CString(std::string(259, 'x').c_str()));
}

TEST_F(ConvertStringToMassTest, TakesTheFirstOfTheMostAbundantPeaks)
{
    const std::tuple<const char*, Clusters, std::uint32_t, int, double> cases[] = {
        {"first of equal maxima", {{100, 0.2}, {101, 0.5}, {102, 0.5}, {103, 0.1}}, 4, 0, 101},
        {"the count is the low 16 bits", {{100, 0.2}, {101, 0.3}, {102, 0.9}}, 0x00070002u, 0, 101},
        {"no positive abundance", {{100, 0.0}, {101, -1.0}}, 2, 0, 0},
        {"no cluster", {}, 0, 0, 0},
        {"a mass no compound has", {{INFINITY, 1.0}}, 1, 0, 0},
        {"the model fails", {}, 0, -1, 0},
    };
    for (const auto& [name, clusters, count, status, mass] : cases) // a zero is no mass: "0" is a formula
        EXPECT_EQ(massWhenModelGives("0", clusters, count, status), mass) << name;
}

TEST(ConvertStringToMass, ReadsANumberOrTheMostAbundantPeakOfTheStandInModel)
{
    testkit::TempDir dir("MassStrings");
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    // Insulin peaks at M+3, not at its monoisotopic 5803.638; C6H2Br4 at M+4. A formula too long for
    // the request's field is refused, not cut. Masses are printed to three decimals.
    const std::pair<std::string, double> cases[] = {
        {"C8H10N4O2", 194.080}, {"C257H383N65O77S6", 5806.645}, {"C6H2Br4", 393.685}, {"Xx", 0.0}, {"Ca(OH2", 0.0},
        {"C1000000000", 0.0}, {"C6H12O6 H2O", 0.0}, {std::string(255, 'H'), 256.995}, {std::string(256, 'H'), 0.0},
        {std::string(300, 'H'), 0.0}, {"12abc", 12.0}, {"  194.08 ", 194.08}, {"-5", -5.0}, {"1e999", 0.0},
    };
    for (const auto& [text, mass] : cases)
        EXPECT_NEAR(ConvertStringToMass(text.c_str()), mass, 0.0005) << text;
    kelvane::uninstall();
}

TEST(CalcNSteps, CountsTheRampPoints)
{
    const std::vector<std::vector<double>> cases = {
        {10, 50, 6, 8},   {10, 50, 10, 5},  {10, 50, 0, 1},    {20, 20, 5, 1}, {10, 0, 5, -1},
        {0, 1, 0.3, 5},   {50, 10, -10, 5}, {10, 50, -10, -3}, {0, 0.5, 1, 2}, {NAN, 50, 10, 1},
        {0, 1e300, 1e-300, INT_MAX}, {0, -1e300, 1e-300, INT_MIN + 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcNSteps(c[0], c[1], c[2]), static_cast<int>(c[3])) << c[0] << " to " << c[1] << " by " << c[2];
}

TEST(CheckScanMasses, AcceptsBothBoundsAndShowsWhatIsOutside)
{
    NiceMock<host::MockInstrument> instrument;
    ON_CALL(instrument, GetMassLimit()).WillByDefault(Return(1000));
    CBrenmoOptions opts;
    opts.m_strCompoundList = "C:\\Study.PRO\\Compounds.csv";
    tag_SCAN_PARAMS params = {};
    params.nLine = 7;
    testkit::ScriptedUserInterface ui;
    const std::tuple<double, const char*, const char*, bool /* instrument */> cases[] = { // accepted: no range
        {54.0, nullptr, nullptr, true}, {950.0, nullptr, nullptr, true}, {53.99, "54.0 to 950.0", "54.0", true},
        {950.01, "54.0 to 950.0", "950.1", true}, {NAN, "54.0 to 950.0", "nan", true}, // mass shown rounded up
        {500.0, "54.0 to -50.0", "500.1", false}, // no instrument, no range: every mass is refused
    };
    for (const auto& [mass, range, shown, withInstrument] : cases)
    {
        opts.m_pInstrument = withInstrument ? &instrument : nullptr;
        params.dParentMass = mass;
        EXPECT_EQ(CheckScanMasses(opts, params), range ? 0 : 1) << mass;
        if (!range)
            continue;
        ASSERT_FALSE(ui.messages().empty());
        const auto& m = ui.messages().back();
        EXPECT_EQ(m.text, std::string("Invalid Mass specified.\nMust be in range ") + range +
                              ".\nFile:\tC:\\Study.PRO\\Compounds.csv\nMass:\t" + shown + "\nLine:\t7");
        EXPECT_TRUE(m.caption == "Tessaly" && m.owner == nullptr && m.type == 0x10u) << mass;
    }
    opts.m_bRunUnattended = 1; // unattended runs are told by the result alone, the count by all rows
    EXPECT_EQ(CheckScanMasses(opts, params), 0);
    EXPECT_EQ(ui.messages().size(), 4u);
}
} // namespace
