// Compound masses through the host's isotope model (a mock scripts the clusters; the stand-in gives
// real masses) and the check of a mass against the instrument's range.
#include "analysis/MassStrings.h"
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <cmath>
#include <gmock/gmock.h>
#include <string>
#include <vector>

namespace
{
using namespace ::testing;
using Clusters = std::vector<std::pair<double, double>>; // mass, abundance

// The model answers status and clusters (count: the host's count word); they are freed on success.
TEST(ConvertStringToMass, TakesTheFirstOfTheMostAbundantPeaksOfTheModel)
{
    const std::tuple<const char*, Clusters, std::uint32_t, int, double> cases[] = {
        {"first of equal maxima", {{100, 0.2}, {101, 0.5}, {102, 0.5}, {103, 0.1}}, 4, 0, 101},
        {"the count is the low 16 bits", {{100, 0.2}, {101, 0.3}, {102, 0.9}}, 0x00070002u, 0, 101},
        {"no positive abundance", {{100, 0.0}, {101, -1.0}}, 2, 0, 0},
        {"a mass no compound has", {{INFINITY, 1.0}}, 1, 0, 0},
        {"the model fails", {{100, 1.0}}, 1, -1, 0},
    };
    for (const auto& [name, clusters, count, status, mass] : cases)
    {
        NiceMock<host::MockHost> host;
        host::ScopedHost installed(host);
        // A host that fills the whole directory buffer without a terminator.
        ON_CALL(host, GetSystemListPath(_)).WillByDefault([](char* p) { return std::string(260, 'x').copy(p, 260), 1; });
        std::vector<tag_ISOTOPE_CLUSTER> list(clusters.size());
        for (std::size_t i = 0; i < clusters.size(); ++i)
            list[i].SetMass(clusters[i].first), list[i].SetAbundance(clusters[i].second);
        const tag_ORDERED_CLUST answer{count, list.data()};
        tag_ISOTOPE_REQUEST request;
        EXPECT_CALL(host, CalcIsotopeModel(0, _, _))
            .WillOnce(DoAll(SaveArg<1>(&request), SetArgReferee<2>(answer), Return(status)));
        EXPECT_CALL(host, cfree_ordered_clust(_)).Times(status == 0 ? 1 : 0);
        EXPECT_EQ(ConvertStringToMass("0"), mass) << name; // a zero is no mass: "0" is a formula
        EXPECT_EQ(request.text(294, 260), CString(std::string(259, 'x').c_str())) << name;
    }
}

TEST(ConvertStringToMass, ReadsANumberOrTheMostAbundantPeakOfTheStandInModel)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    // Insulin peaks at M+3, not at its monoisotopic 5803.638; C6H2Br4 at M+4. A formula too long for
    // the request's field is refused, not cut.
    const std::pair<std::string, double> cases[] = {
        {"C8H10N4O2", 194.080}, {"C257H383N65O77S6", 5806.645}, {"C6H2Br4", 393.685}, {"Xx", 0.0},
        {std::string(255, 'H'), 256.995}, {std::string(256, 'H'), 0.0}, {"12abc", 12.0}, {"-5", -5.0}, {"1e999", 0.0},
    };
    for (const auto& [text, mass] : cases)
        EXPECT_NEAR(ConvertStringToMass(text.c_str()), mass, 0.0005) << text;
    kelvane::uninstall();
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
        {950.01, "54.0 to 950.0", "950.1", true},  // mass shown rounded up
        {500.0, "54.0 to -50.0", "500.1", false}, // no instrument, no range: every mass is refused
    };
    for (const auto& [mass, range, shown, withInstrument] : cases)
    {
        opts.m_pInstrument = withInstrument ? &instrument : nullptr;
        params.dParentMass = mass;
        EXPECT_EQ(CheckScanMasses(opts, params), range ? 0 : 1) << mass;
        if (range)
        {
            EXPECT_EQ(ui.messages().back().text, std::string("Invalid Mass specified.\nMust be in range ") + range +
                                                     ".\nFile:\tC:\\Study.PRO\\Compounds.csv\nMass:\t" + shown +
                                                     "\nLine:\t7");
        }
    }
    EXPECT_EQ(ui.messages().size(), 3u) << "one message per refused mass";
    EXPECT_TRUE(ui.messages().back().caption == "Tessaly" && ui.messages().back().type == 0x10u);
}
} // namespace
