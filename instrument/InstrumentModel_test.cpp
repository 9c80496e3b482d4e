// The simulated instrument's model: deterministic data that agrees with the truth it reports, optima
// that follow the usual regressions, measured series replayed, and data the raw-data files keep.
#include "instrument/RawDataTestSupport.h"
#include "instrument/InstrumentModel.h"
#include "instrument/MeasuredSpectra.h"
#include "testing/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace
{
using instrument::CompoundTruth;
using instrument::InstrumentModel;
using instrument::MeasuredSeries;
using instrument::RawData;
using instrument::SourceSettings;

constexpr SourceSettings kEsiPositive{false, false};
constexpr SourceSettings kEsiNegative{false, true};
constexpr SourceSettings kApciPositive{true, false};
// Centroids are written as floats; this covers their rounding and nothing more.
constexpr double kMzTolerance = 0.01;

// The counts within kMzTolerance of mz summed over every scan of each function, by function.
std::vector<double> totalsAt(const RawData& data, double mz)
{
    std::vector<double> totals;
    for (const auto& f : data.functions)
    {
        double sum = 0.0;
        for (const auto& s : f.scans)
            for (std::size_t i = 0; i < s.mz.size(); ++i)
                if (std::fabs(s.mz[i] - mz) <= kMzTolerance)
                    sum += s.intensity[i];
        totals.push_back(sum);
    }
    return totals;
}

std::size_t argmax(const std::vector<double>& values)
{
    return static_cast<std::size_t>(std::max_element(values.begin(), values.end()) - values.begin());
}

// A ramp of eight steps of step through centre, centre being step number `at` (from 0): as many
// steps below it as stay above low, at most three.
std::vector<double> rampThrough(double centre, double step, double low, std::size_t& at)
{
    at = static_cast<std::size_t>(std::clamp(std::floor((centre - low) / step), 0.0, 3.0));
    std::vector<double> ramp;
    for (std::size_t k = 0; k < 8; ++k)
        ramp.push_back(centre + step * (static_cast<double>(k) - static_cast<double>(at)));
    return ramp;
}

using testkit::scansOf;

struct Compound
{
    const char* name;
    const char* massText;
    SourceSettings source;
};
const Compound kCompounds[] = {
    {"Caffeine", "C8H10N4O2", kEsiPositive},   {"Reserpine", "C33H40N2O9", kEsiPositive},
    {"Ibuprofen", "C13H18O2", kEsiNegative},   {"Mass 452", "452.2", kEsiPositive},
    {"Mass 1270", "1270.6", kApciPositive},    {"Mass 310", "310.1", kEsiNegative},
    {"Chlorinated", "C12H8Cl6", kEsiPositive}, {"Peptide", "C50H75N13O12S", kEsiPositive},
};

// Injections peak at the truth the model reports; the same seed gives the same bytes, another
// seed other optima.
TEST(InstrumentModel, InjectionsPeakAtTheTruthOfTheirSeed)
{
    InstrumentModel model(2024), twin(2024), other(2025);
    for (const Compound& c : kCompounds)
    {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(model.knows(c.name, c.massText, error)) << error;
        const CompoundTruth t = model.truth(c.name, c.massText, c.source);
        ASSERT_TRUE(t.ionises);
        EXPECT_LT(t.daughterMz, t.parentMz - 2.0);
        EXPECT_GT(t.daughterMz, 50.0);
        // Either optimum may sit on its clipping limit under both seeds, but not both.
        const CompoundTruth o = other.truth(c.name, c.massText, c.source);
        EXPECT_TRUE(t.coneVoltage != o.coneVoltage || t.collisionEnergy != o.collisionEnergy);

        // Steps wide enough that the step on the optimum beats its neighbours through the noise.
        std::size_t at = 0;
        const std::vector<double> cones = rampThrough(t.coneVoltage, 10.0, 1.0, at);
        const RawData parent = model.parentInjection(c.name, c.massText, c.source, cones);
        ASSERT_EQ(parent.functions.size(), 8u);
        EXPECT_EQ(parent.functions[at].scans.front().coneVoltage, cones[at]);
        EXPECT_EQ(argmax(totalsAt(parent, t.parentMz)), at);
        EXPECT_EQ(scansOf(parent), scansOf(twin.parentInjection(c.name, c.massText, c.source, cones)));

        const std::vector<double> energies = rampThrough(t.collisionEnergy, 6.0, 0.0, at);
        const RawData daughter =
            model.daughterInjection(c.name, c.massText, c.source, t.parentMz, t.coneVoltage, energies);
        ASSERT_EQ(daughter.functions.size(), 8u);
        EXPECT_EQ(argmax(totalsAt(daughter, t.daughterMz)), at);
        EXPECT_EQ(scansOf(daughter),
                  scansOf(twin.daughterInjection(c.name, c.massText, c.source, t.parentMz, t.coneVoltage, energies)));
        const auto survival = totalsAt(daughter, t.parentMz);
        EXPECT_GT(survival.front(), survival.back()) << "the precursor decays as the energy rises";
    }
    // The same compound under another name is another compound.
    EXPECT_NE(model.truth("X", "452.2", kEsiPositive).coneVoltage, model.truth("Y", "452.2", kEsiPositive).coneVoltage);
}

TEST(InstrumentModel, OptimaFollowTheRegressions)
{
    InstrumentModel model(99);
    constexpr int kCompoundsDrawn = 200;
    for (const SourceSettings source : {kEsiPositive, kEsiNegative})
    {
        double cone = 0.0, coneSquares = 0.0, energy = 0.0;
        for (int i = 0; i < kCompoundsDrawn; ++i)
        {
            const std::string mass = std::to_string(300 + 4 * i) + ".25";
            const CompoundTruth t = model.truth("C" + std::to_string(i), mass, source);
            ASSERT_TRUE(t.ionises);
            const double residual = t.coneVoltage - (0.1 * t.parentMz + 20.0);
            cone += residual;
            coneSquares += residual * residual;
            energy += t.collisionEnergy - 0.035 * t.parentMz;
        }
        cone /= kCompoundsDrawn;
        EXPECT_NEAR(cone, 0.0, 3.0);
        EXPECT_NEAR(std::sqrt(coneSquares / kCompoundsDrawn - cone * cone), 13.0, 3.0) << "scatter of the optima";
        // Above the bare regression by the share of the ion each best product loses (up to 15 eV).
        EXPECT_GT(energy / kCompoundsDrawn, 2.0);
        EXPECT_LT(energy / kCompoundsDrawn, 12.0);
    }
}

TEST(InstrumentModel, HydrocarbonGivesNoSignal)
{
    InstrumentModel model(5);
    std::string error;
    ASSERT_TRUE(model.knows("Eicosane", "C20H42", error)) << error;
    EXPECT_FALSE(model.truth("Eicosane", "C20H42", kEsiPositive).ionises);
    const std::vector<double> ramp{20, 40, 60};
    const RawData data = model.parentInjection("Eicosane", "C20H42", kEsiPositive, ramp);
    ASSERT_EQ(data.functions.size(), 3u);
    for (const double total : totalsAt(data, 282.329 + 1.00728))
        EXPECT_LT(total, 2000.0);
    // The same mass with a heteroatom to take the charge does respond.
    const CompoundTruth amine = model.truth("Amine", "C19H41N", kEsiPositive);
    ASSERT_TRUE(amine.ionises);
    const auto totals = totalsAt(model.parentInjection("Amine", "C19H41N", kEsiPositive, ramp), amine.parentMz);
    EXPECT_GT(*std::max_element(totals.begin(), totals.end()), 1e5);
}

TEST(InstrumentModel, RefusesWhatItCannotModel)
{
    const std::pair<const char*, std::string> cases[] = {
        {"194.08", ""},
        {"C8H10N4O2", ""},
        {"-5", "mass \"-5\" is not a positive, finite mass"},
        {"1e999", "mass \"1e999\" is not a positive, finite mass"},
        {"Xy12", "\"Xy12\" is neither a mass nor a formula the isotope model reads"},
        {"", "\"\" is neither a mass nor a formula the isotope model reads"},
        {"C8H10N4O2)", "\"C8H10N4O2)\" is neither a mass nor a formula the isotope model reads"},
    };
    InstrumentModel model(3);
    for (const auto& [massText, expected] : cases)
    {
        SCOPED_TRACE(massText);
        std::string error;
        EXPECT_EQ(model.knows("Name", massText, error), expected.empty());
        EXPECT_EQ(error, expected);
        EXPECT_TRUE(expected.empty() ||
                    (model.parentInjection("Name", massText, kEsiPositive, {10, 20}).functions.empty() &&
                     !model.truth("Name", massText, kEsiPositive).ionises));
    }
}

TEST(InstrumentModel, AnalysisPeaksOnlyInMatchingTransitions)
{
    InstrumentModel model(21);
    const CompoundTruth a = model.truth("A", "C17H19NO3", kEsiPositive);
    const CompoundTruth b = model.truth("B", "C21H23ClFNO2", kEsiPositive);
    ASSERT_TRUE(a.ionises && b.ionises);
    // Functions 2 and 5 only: the gap is kept, as the method numbers them.
    const std::vector<instrument::Transition> transitions{
        {2, a.parentMz, a.daughterMz}, {2, a.parentMz, 0.0}, {5, b.parentMz, b.daughterMz}, {5, 999.5, 400.0}};
    const double runTime = 6.0;
    const RawData one = model.analysisInjection({{"A", "C17H19NO3", 1.0}, {"B", "C21H23ClFNO2", 1.0}}, transitions,
                                                kEsiPositive, runTime);
    ASSERT_EQ(one.functions.size(), 2u);
    EXPECT_EQ(one.functions[0].number, 2);
    EXPECT_EQ(one.functions[1].number, 5);
    std::string error;
    testkit::TempDir dir;
    EXPECT_TRUE(instrument::writeRawData(dir.file("Sample.RAW"), one, error)) << error;

    // The chromatogram of a transition: time and counts of each scan recording it.
    const auto chromatogram = [](const RawData& data, const instrument::Transition& t) {
        std::vector<std::pair<double, double>> points;
        const double mz = t.productMz > 0.0 ? t.productMz : t.precursorMz;
        for (const auto& s : data.function(t.function)->scans)
            if ((t.productMz > 0.0) == (s.msLevel == 2) && (s.msLevel == 1 || std::fabs(s.precursorMz - t.precursorMz) < 0.01))
                for (std::size_t i = 0; i < s.mz.size(); ++i)
                    if (std::fabs(s.mz[i] - mz) <= kMzTolerance)
                        points.emplace_back(s.time, s.intensity[i]);
        return points;
    };
    const auto apex = [](const std::vector<std::pair<double, double>>& points) {
        return *std::max_element(points.begin(), points.end(),
                                 [](const auto& x, const auto& y) { return x.second < y.second; });
    };
    const auto fragment = chromatogram(one, transitions[0]);
    const auto precursor = chromatogram(one, transitions[1]);
    ASSERT_GT(fragment.size(), 250u);
    EXPECT_NEAR(apex(fragment).first, apex(precursor).first, 0.05) << "one compound elutes at one time";
    EXPECT_GT(apex(fragment).first, 0.1 * runTime - 0.2);
    EXPECT_LT(apex(fragment).first, 0.85 * runTime + 0.2);
    EXPECT_GT(apex(fragment).second, 1e4);
    EXPECT_LT(apex(chromatogram(one, transitions[3])).second, 500.0) << "no compound there: baseline only";
    EXPECT_GT(apex(chromatogram(one, transitions[2])).second, 1e4);

    // Twice the amount, twice the peak; without B its transition is baseline.
    const RawData two = model.analysisInjection({{"A", "C17H19NO3", 2.0}}, transitions, kEsiPositive, runTime);
    EXPECT_NEAR(apex(chromatogram(two, transitions[1])).second / apex(precursor).second, 2.0, 0.3);
    EXPECT_LT(apex(chromatogram(two, transitions[2])).second, 500.0);
}

// ---- Measured series --------------------------------------------------------------------------

TEST(MeasuredSeries, InterpolatesBetweenEnergiesAndFallsAwayBeyond)
{
    MeasuredSeries s;
    s.energies = {10, 20, 30};
    const std::vector<double> curve{100, 300, 200};
    // The energy and the value expected there, times e to the power given: beyond the energies
    // measured the curve falls away with a width half their 20 eV span.
    const std::tuple<double, double, double> cases[] = {{10, 100, 0},    {15, 200, 0},   {25, 250, 0},    {30, 200, 0},
                                                        {40, 200, -0.5}, {0, 100, -0.5}, {5, 100, -0.125}};
    for (const auto& [energy, value, power] : cases)
        EXPECT_NEAR(s.at(curve, energy), value * std::exp(power), 1e-9) << energy;
    s.energies = {20};
    EXPECT_NEAR(s.at({50}, 25), 50 * std::exp(-0.5), 1e-9) << "a single energy falls away over 5 eV";
}

TEST(MeasuredSeries, ReadsAnyColumnOrderAndGroupsPeaks)
{
    // A byte-order mark, CR line ends, an extra column, a blank line; 150.002 and 150.009 are one
    // product, 300.3 is the precursor's survival and 301.0 its isotope.
    const std::string text = "\xEF\xBB\xBFmz\tnote\tintensity\tcollision_energy\tprecursor_mz\r\n"
                             "150.002\tx\t10\t20\t300.0\r\n"
                             "300.3\t\t50\t20\t300.0\r\n"
                             "\r\n"
                             "150.009\t\t30\t10\t300.004\r\n"
                             "120.5\t\t5\t10\t300.0\r\n"
                             "301.0\t\t7\t10\t300.0\r\n";
    MeasuredSeries s;
    std::string error;
    ASSERT_TRUE(instrument::parseMeasuredSeries(text, "A.tsv", s, error)) << error;
    EXPECT_EQ(s.precursorMz, 300.0);
    EXPECT_EQ(s.energies, (std::vector<double>{10, 20}));
    EXPECT_EQ(s.survival, (std::vector<double>{0, 50}));
    ASSERT_EQ(s.products.size(), 2u);
    EXPECT_EQ(s.products[0].mz, 120.5);
    EXPECT_EQ(s.products[0].intensity, (std::vector<double>{5, 0}));
    EXPECT_NEAR(s.products[1].mz, 150.0055, 1e-9);
    EXPECT_EQ(s.products[1].intensity, (std::vector<double>{30, 10}));
    EXPECT_EQ(s.greatest(), 50.0);
}

TEST(MeasuredSeries, RefusesBadFilesWithTheLine)
{
    const std::string header = "precursor_mz\tcollision_energy\tmz\tintensity\n";
    std::string many = header;
    for (int i = 0; i <= 100000; ++i)
        many += "300\t20\t150\t1\n";
    const struct
    {
        const char* name;
        std::string text;
        const char* error;
    } cases[] = {
        {"no column", "precursor_mz\tcollision_energy\tmz\n1\t2\t3\n", "S.tsv:1: no \"intensity\" column"},
        {"twice", header.substr(0, header.size() - 1) + "\tmz\n", "S.tsv:1: two \"mz\" columns"},
        {"text", header + "300\t20\t150\t1\n300\tabc\t150\t1\n", "S.tsv:3: collision_energy \"abc\" is not a number"},
        {"nan", header + "300\t20\t150\tnan\n", "S.tsv:2: intensity \"nan\" is not finite"},
        {"inf", header + "300\t20\tinf\t1\n", "S.tsv:2: mz \"inf\" is not finite"},
        {"negative intensity", header + "300\t20\t150\t-1\n", "S.tsv:2: intensity \"-1\" is negative"},
        {"zero m/z", header + "300\t20\t0\t1\n", "S.tsv:2: mz \"0\" is not positive"},
        {"zero precursor", header + "0\t20\t10\t1\n", "S.tsv:2: precursor_mz \"0\" is not positive"},
        {"negative energy", header + "300\t-2\t150\t1\n", "S.tsv:2: collision_energy \"-2\" is negative"},
        {"short row", header + "300\t20\t150\n", "S.tsv:2: 3 fields, no \"intensity\""},
        {"two precursors", header + "300\t20\t150\t1\n301\t20\t150\t1\n",
         "S.tsv:3: precursor_mz 301 differs from the first peak's"},
        {"no peaks", header + "\n", "S.tsv: no peaks"},
        {"overflowing sum", header + "300\t20\t150\t1e308\n300\t20\t150\t1e308\n",
         "S.tsv: intensities add up past the largest number"},
        {"empty", "", "S.tsv: empty, expected a header line"},
        {"too many", many, "S.tsv:100002: more than 100000 peaks"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        MeasuredSeries s;
        std::string error;
        EXPECT_FALSE(instrument::parseMeasuredSeries(c.text, "S.tsv", s, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(s.energies.empty() && s.products.empty());
    }
}

TEST(MeasuredSeries, ReplacesTheModelsProducts)
{
    testkit::TempDir dir;
    const CompoundTruth modelled = InstrumentModel(4).truth("Drug", "C20H25N3O", kEsiPositive);
    ASSERT_TRUE(modelled.ionises);
    const double p = modelled.parentMz;
    const auto row = [&](double energy, double mz, double intensity) {
        return std::to_string(p) + "\t" + std::to_string(energy) + "\t" + std::to_string(mz) + "\t" +
               std::to_string(intensity) + "\n";
    };
    // Product p - 100 rises to 300 at 20 eV; p - 150 peaks lower at 30 eV.
    ASSERT_TRUE(testkit::writeText(dir.file("Drug.tsv"), "precursor_mz\tcollision_energy\tmz\tintensity\n" +
                                                             row(10, p, 1000) + row(10, p - 100, 100) +
                                                             row(20, p, 400) + row(20, p - 100, 300) +
                                                             row(20, p - 150, 50) + row(30, p - 100, 200) +
                                                             row(30, p - 150, 150)));
    InstrumentModel model(4, dir.path());
    const CompoundTruth t = model.truth("Drug", "C20H25N3O", kEsiPositive);
    EXPECT_EQ(t.parentMz, p);
    EXPECT_EQ(t.coneVoltage, modelled.coneVoltage);
    EXPECT_NEAR(t.daughterMz, p - 100, 1e-5);
    EXPECT_EQ(t.collisionEnergy, 20.0);

    // Between measured energies the product follows the line; beyond them it falls away.
    const RawData data = model.daughterInjection("Drug", "C20H25N3O", kEsiPositive, p, t.coneVoltage, {15, 20, 40});
    const auto product = totalsAt(data, p - 100);
    EXPECT_NEAR(product[0] / product[1], 200.0 / 300.0, 0.05);
    EXPECT_NEAR(product[2] / product[1], 200.0 * std::exp(-0.5) / 300.0, 0.05);
    // The model's own products are gone: only measured m/z values carry real signal.
    for (const auto& s : data.functions[1].scans)
        for (std::size_t i = 0; i < s.mz.size(); ++i)
            EXPECT_TRUE(s.intensity[i] <= 5000.0 || std::fabs(s.mz[i] - p) < 0.01 ||
                        std::fabs(s.mz[i] - (p - 100)) < 0.01 || std::fabs(s.mz[i] - (p - 150)) < 0.01)
                << s.mz[i];

    // A series of another ion is refused, naming the ions it could have been.
    ASSERT_TRUE(testkit::writeText(dir.file("Other.tsv"), "precursor_mz\tcollision_energy\tmz\tintensity\n"
                                                          "500\t10\t200\t1\n"));
    std::string error;
    EXPECT_FALSE(model.knows("Other", "194.08", error));
    EXPECT_EQ(error, dir.file("Other.tsv") + ": precursor_mz 500.0000 is not the strongest ion of the compound "
                                             "([M+H]+ at 195.0873, [M-H]- at 193.0727)");
    EXPECT_TRUE(model.parentInjection("Other", "194.08", kEsiPositive, {20}).functions.empty());
}
} // namespace
