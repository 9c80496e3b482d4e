// The maximum-response search and the parent and daughter steps against a host whose raw-data,
// peak-database and measuring calls are scripted (spectra and peaks as each test sets them) and
// whose files, method databases and system list are the stand-in's, over a temporary directory.
#include "analysis/MaxScan.h"
#include "analysis/Optimise.h"
#include "kelvane/KelvaneHost.h"
#include "testing/MockHost.h"
#include "testing/ScriptedUserInterface.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <gmock/gmock.h>
#include <map>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;

struct Peak
{
    int function, start, apex, end;
    double area;
};

struct Spectrum
{
    std::vector<float> mz, intensity;
};

// An optimisation injection as the host would serve it: peaks per function in its peak database,
// one spectrum per function whether combined or read at the apex, and a count of everything
// taken and given back.
class ScanHost : public NiceMock<host::MockHost>
{
  public:
    explicit ScanHost(const testkit::TempDir& dir)
    {
        setenv("TMPDIR", dir.path().c_str(), 1);
        // Paths, temporary files, method databases and the system list: the stand-in's own.
#define BRENMO_REAL(name)                                                                                              \
    ON_CALL(*this, name).WillByDefault([this](auto&&... a) -> decltype(auto) { return real_.name(a...); })
        BRENMO_REAL(ConvertPathToHxFile);
        BRENMO_REAL(ConvertHxFileToPath);
        BRENMO_REAL(GetTempPathSA);
        BRENMO_REAL(CreateFileS);
        BRENMO_REAL(CloseHandleS);
        BRENMO_REAL(SetSystemListValue);
        BRENMO_REAL(GetSystemListValue);
        BRENMO_REAL(DmDB3Open);
        BRENMO_REAL(DmDB3Close);
        BRENMO_REAL(GetDefaultMethod);
        BRENMO_REAL(MethodGetRecord);
        BRENMO_REAL(MethodWriteRecord);
#undef BRENMO_REAL
        ON_CALL(*this, MeasureSampleList).WillByDefault(testing::Return(1));

        ON_CALL(*this, AccessDBOpen).WillByDefault([this](auto&, auto, auto, auto& block, auto) {
            block.SetRecordCount(static_cast<int>(peaks.size()));
            return 0;
        });
        ON_CALL(*this, AccessDBGetRecord).WillByDefault([this](auto&, int index, tag_PEAK_RECORD& record) {
            if (index < 1 || index > static_cast<int>(peaks.size()) || index == unreadableRecord)
                return 0;
            const Peak& p = peaks[static_cast<std::size_t>(index - 1)];
            record.clear();
            record.SetPeakRecord(p.function);
            record.SetStartScan(p.start);
            record.SetApexScan(p.apex);
            record.SetEndScan(p.end);
            record.SetPeakArea(p.area);
            return 1;
        });
        ON_CALL(*this, AccessDBClose).WillByDefault(testing::Return(0));
        ON_CALL(*this, DmRawFileToID).WillByDefault([](auto& path, tag_RAW_DATA_ID& id) {
            id.clear();
            id.SetFunctionNumber(path.FunctionNumber());
            return 0;
        });
        ON_CALL(*this, DmRawScansInFunction).WillByDefault(testing::Return(100));
        ON_CALL(*this, Combine).WillByDefault([this](auto, auto, auto& source, auto&, auto& request, auto) {
            combines.push_back(request);
            return take(source.FunctionNumber());
        });
        ON_CALL(*this, DmGetHandle).WillByDefault([this](auto, auto, auto& id, auto, auto, auto) {
            return take(id.FunctionNumber());
        });
        ON_CALL(*this, DmLockID).WillByDefault([this](DMHANDLE h) -> tag_SPECTRUM_HEADER* {
            ++held;
            headers[h].SetPointCount(static_cast<int>(spectrum(static_cast<int>(h)).mz.size()));
            return &headers[h];
        });
        ON_CALL(*this, DmGetData).WillByDefault(testing::Return(0));
        ON_CALL(*this, DmLockData).WillByDefault([this](DMHANDLE h, int array, auto, auto) -> float* {
            if (array == failingArray)
                return nullptr;
            ++held;
            Spectrum& s = spectrum(static_cast<int>(h));
            return array == DM_ARRAY_MASS ? s.mz.data() : s.intensity.data();
        });
        ON_CALL(*this, DmUnlockData).WillByDefault([this](auto, auto) { return --held, 0; });
        ON_CALL(*this, DmUnlockID).WillByDefault([this](auto) { return --held, 0; });
        ON_CALL(*this, DmReleaseHandle).WillByDefault([this](auto, auto) { return --held, 0; });
    }
    ~ScanHost() override
    {
        unsetenv("TMPDIR");
    }

    // The spectrum of a function; one a test did not set has a single faint point.
    Spectrum& spectrum(int function)
    {
        if (!spectra.count(function))
            spectra[function] = {{1000.0f}, {0.5f}};
        return spectra[function];
    }

    // A handle is the function number: each function has one spectrum.
    DMHANDLE take(int function)
    {
        ++held;
        return function;
    }

    std::vector<Peak> peaks;
    std::map<int, Spectrum> spectra; // by function
    int unreadableRecord = 0;
    int failingArray = -1;
    std::vector<tag_COMBINE_PARAMS> combines;
    int held = 0; // handles, headers and arrays taken and not given back
    std::map<DMHANDLE, tag_SPECTRUM_HEADER> headers;
    kelvane::KelvaneHost real_;
};

class MaxScan : public ::testing::Test
{
  protected:
    // GetMaxScan on "C:\P.PRO\Data\S1.RAW": its result, then the m/z, response and function found.
    std::string search(std::vector<double> masses, int exclude, int combine = 1)
    {
        CArray<double, const double&> list;
        for (double m : masses)
            list.Add(m);
        tag_SCAN_PARAMS params{};
        params.dParentMass = -1.0;
        const int found = GetMaxScan("C:\\P.PRO\\Data\\S1.RAW", params, options_, list, exclude, combine);
        char text[96];
        std::snprintf(text, sizeof text, "%d %.2f %.0f %d", found, params.dParentMass,
                      static_cast<double>(params.fResponse), params.nMaxFunction);
        return text;
    }

    testkit::TempDir dir_;
    ScanHost host_{dir_};
    host::ScopedHost installed_{host_};
    CBrenmoOptions options_;
};

TEST_F(MaxScan, FindsTheMostIntenseQualifyingPointEarliestFirst)
{
    host_.peaks = {{1, 10, 15, 22, 5.0}, {2, 10, 15, 22, 5.0}, {3, 10, 16, 22, 5.0}};
    host_.spectra[1] = {{301.0f, 302.0f, 302.01f, 400.0f}, {8, 8, 90, 99}};
    host_.spectra[2] = {{300.5f, 302.0f, 49.9f}, {8, 6, 500}};
    host_.spectra[3] = {{302.0f, 150.0f}, {8, 8}};
    options_.m_nFragmentMinSize = 50;
    struct Case { std::vector<double> masses; int exclude; const char* found; };
    const Case cases[] = {
        // Within 0.5 of a candidate, both ends included: 302.01 is out; of the equal 8s the first
        // point of the lowest function wins.
        {{301.5}, 0, "1 301.00 8 1"},
        {{300.0}, 0, "1 300.50 8 2"},
        {{999.0}, 0, "0 -1.00 0 0"},
        // Exclusions: 49.9 is below the fragment minimum; a point exactly 0.5 away is excluded.
        {{}, 1, "1 400.00 99 1"},
        {{400.5, 302.52}, 1, "1 302.01 90 1"},
        {{400.5, 302.5, 302.01, 301.0, 300.5}, 1, "1 150.00 8 3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(search(c.masses, c.exclude), c.found) << c.masses.size() << " masses, exclude " << c.exclude;
    EXPECT_EQ(host_.held, 0) << "every handle, header and array given back";
}

// Each function keeps its largest peak (the first of equal areas); records of no ramp step are
// skipped; a database without a peak of positive area, or with an unreadable record, fails.
TEST_F(MaxScan, PeakDatabaseGivesEachFunctionItsLargestPeak)
{
    host_.spectra[2] = {{301.0f}, {5}};
    host_.spectra[4] = {{301.0f}, {6}};
    host_.peaks = {{2, 3, 5, 9, 1.0}, {2, 20, 30, 40, 4.0}, {2, 50, 60, 70, 4.0}, {0, 1, 2, 3, 9.0},
                   {99, 1, 2, 3, 9.0}, {4, 1, 1, 4, 2.0}};
    EXPECT_EQ(search({301.0}, 0), "1 301.00 6 4");
    EXPECT_EQ(host_.combines.size(), 2u);
    EXPECT_EQ(host_.combines[0].PeakFirstScan(), 26); // the area-4 peak first found: 20-30-40
    host_.peaks = {{1, 3, 5, 9, 0.0}, {2, 3, 5, 9, 0.0}};
    EXPECT_EQ(search({301.0}, 0), "0 -1.00 0 0");
    host_.peaks = {{2, 3, 5, 9, 1.0}, {4, 3, 5, 9, 1.0}};
    host_.unreadableRecord = 2;
    EXPECT_EQ(search({301.0}, 0), "0 -1.00 0 0");
    host_.peaks.clear();
    EXPECT_EQ(search({301.0}, 0), "0 -1.00 0 0");
}

// Peak window centred on the apex; background windows centred in the scans either side, half as
// wide, at least one scan even at the first and last scans.
TEST_F(MaxScan, CombineWindowsAroundThePeak)
{
    host_.spectra[1] = {{301.0f}, {5}};
    const std::pair<Peak, std::vector<int>> cases[] = {
        {{1, 10, 15, 22, 1.0}, {13, 5, 3, 4, 41, 39}},
        {{1, 1, 2, 9, 1.0}, {2, 1, 1, 1, 32, 45}},
        {{1, 80, 90, 100, 1.0}, {86, 10, 21, 39, 100, 1}},
    };
    for (const auto& [peak, windows] : cases)
    {
        host_.peaks = {peak};
        host_.combines.clear();
        ASSERT_EQ(search({301.0}, 0), "1 301.00 5 1");
        const tag_COMBINE_PARAMS& r = host_.combines.at(0);
        EXPECT_EQ((std::vector<int>{r.PeakFirstScan(), r.PeakScans(), r.Background1FirstScan(), r.Background1Scans(),
                                    r.Background2FirstScan(), r.Background2Scans()}),
                  windows);
    }
}

// The apex scan is read when combining is off; a spectrum the host cannot lend whole ends the
// search at once with everything given back.
TEST_F(MaxScan, ApexScansAndFailuresGiveEverythingBack)
{
    host_.peaks = {{1, 10, 15, 22, 1.0}, {2, 10, 17, 22, 1.0}};
    host_.spectra[1] = {{301.0f}, {5}};
    host_.spectra[2] = {{301.0f}, {6}};
    EXPECT_EQ(search({301.0}, 0, 0), "1 301.00 6 2");
    for (int array : {DM_ARRAY_MASS, DM_ARRAY_INTENSITY})
    {
        host_.failingArray = array;
        EXPECT_EQ(search({301.0}, 0, 1), "0 -1.00 0 0");
        EXPECT_EQ(host_.held, 0) << "array " << array;
    }
    host_.failingArray = -1;
    host_.spectra[1] = {};
    EXPECT_EQ(search({301.0}, 0, 0), "0 -1.00 0 0") << "an apex scan without points";
    EXPECT_EQ(host_.held, 0);
    ON_CALL(host_, DmRawFileToID).WillByDefault(testing::Return(1));
    EXPECT_EQ(search({301.0}, 0), "0 -1.00 0 0") << "a raw file the host names no spectrum of";
}

class Optimise : public MaxScan
{
  protected:
    // The record after the step, as "result mass response function cone-or-energy".
    static std::string outcome(int result, const tag_SCAN_PARAMS& p, bool daughter)
    {
        char text[128];
        std::snprintf(text, sizeof text, "%d %.4f %.1f %d %d", result, daughter ? p.dDaughterMass : p.dParentMass,
                      static_cast<double>(p.fResponse), p.nMaxFunction,
                      daughter ? p.nCollisionEnergy : p.nConeVoltage);
        return text;
    }
    std::string parent(tag_IONMODEOPT polarity, double base = 300.0)
    {
        tag_SCAN_PARAMS p{};
        p.IonModeOpt = polarity;
        p.dParentMass = base;
        return outcome(GetMaxScanParent("C:\\P.PRO\\Data\\S1.RAW", p, options_, "C:\\P.PRO\\list.spl", 3), p, false);
    }
    std::string daughter(int parentFunction)
    {
        tag_SCAN_PARAMS p{};
        p.dParentMass = 301.0;
        p.nMaxFunction = parentFunction;
        return outcome(GetMaxScanDaughter("C:\\P.PRO\\Data\\S1.RAW", p, options_, "C:\\list.spl", 3), p, true);
    }
    // The mass text of the stage-1 method the last step measured with.
    std::string stage1Mass()
    {
        tag_HXFILE method;
        tag_METHOD_RECORD record;
        if (!GetSystemListValue("SystemList", "METHOD_DB", 0, &method) || !MethodGetRecord(&method, 1, &record))
            return "none";
        return record.MassText().GetString();
    }

    void SetUp() override
    {
        options_.m_fStage1QuanValue = 4.0f;
        options_.m_dConeVoltageMin = options_.m_dCollisionEnergyMin = 10;
        options_.m_dConeVoltageMax = 50;
        options_.m_dCollisionEnergyMax = 45;
        options_.m_dConeVoltageStep = options_.m_dCollisionEnergyStep = 6;
        options_.m_bRunUnattended = 1;
        for (int f = 1; f <= 8; ++f)
            host_.peaks.push_back({f, 10, 15, 22, 1.0});
    }
};

TEST_F(Optimise, ParentCandidatesFollowThePolarityAndTheConeVoltageTheRamp)
{
    // M+H of 300 is 301.0079 (single-precision adduct mass); M-H 298.9921; user adduct -35: 265.
    host_.spectra[3] = {{301.0079f, 298.9921f, 265.0f, 301.6f}, {40, 50, 60, 90}};
    host_.spectra[8] = {{301.3f}, {30}};
    options_.m_Adducts.m_UserNeg1.Allow(1);
    options_.m_Adducts.m_UserNeg1.m_fMass = -35.0f;
    EXPECT_CALL(host_, MeasureSampleList(testing::IsNull(), _, 3, 3)).Times(4);
    EXPECT_EQ(parent(IONMODEOPT_POSITIVE), "1 301.0079 40.0 3 22");
    EXPECT_EQ(stage1Mass(), "301.008");
    EXPECT_EQ(parent(IONMODEOPT_NEGATIVE), "1 265.0000 60.0 3 22");
    EXPECT_EQ(stage1Mass(), "298.992");
    EXPECT_EQ(parent(IONMODEOPT_BOTH), "1 300.0000 0.0 -1 10") << "no candidate: the search fails";
    EXPECT_EQ(stage1Mass(), "300.000");
    // The last step of 10 to 50 by 6 is 52, cut to the ramp's end.
    host_.spectra[3] = {{500.0f}, {1}};
    EXPECT_EQ(parent(IONMODEOPT_POSITIVE), "1 301.3000 30.0 8 50");
    EXPECT_EQ(host_.held, 0);
}

// A stage-1 method that cannot be made says so (when attended) and returns 0; so does a failed
// measurement. The record stays as it was either way.
TEST_F(Optimise, NoTemporaryMethodOrNoMeasurementReturnsZero)
{
    testkit::ScriptedUserInterface ui;
    options_.m_bRunUnattended = 0;
    options_.m_fStage1QuanValue = 0.0f;
    EXPECT_EQ(parent(IONMODEOPT_POSITIVE), "0 300.0000 0.0 0 0");
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Failed to create temporary quan method");
    options_.m_fStage1QuanValue = 4.0f;
    EXPECT_CALL(host_, MeasureSampleList(_, _, 3, 3)).WillRepeatedly(testing::Return(0));
    EXPECT_EQ(parent(IONMODEOPT_POSITIVE), "0 300.0000 0.0 0 0");
    EXPECT_EQ(daughter(3), "0 0.0000 0.0 3 0");
}

TEST_F(Optimise, DaughterKeepsOffTheParentAndItsFlaggedLosses)
{
    // Parent 301: its cluster (299.1 to 302.9) and the water loss (282.99) are excluded.
    host_.spectra[2] = {{300.0f, 302.9f, 283.0f, 49.0f, 150.0f}, {90, 90, 90, 90, 20}};
    host_.spectra[7] = {{120.0f}, {25}};
    options_.m_Losses.m_ppAdducts[0]->Allow(1);
    options_.m_nFragmentMinSize = 50;
    EXPECT_EQ(daughter(3), "1 120.0000 25.0 7 45"); // 46 cut to the ramp's end
    EXPECT_EQ(stage1Mass(), "TIC");
    // A failed parent is measured but not searched.
    EXPECT_CALL(host_, MeasureSampleList(_, _, 3, 3)).Times(1);
    EXPECT_CALL(host_, AccessDBOpen(_, _, _, _, _)).Times(0);
    EXPECT_EQ(daughter(-1), "1 49.0000 0.0 -1 10");
}

// The simulated steps fill the record without data; the daughter mass is cut, not rounded, to three
// decimals, without a cast that a mass beyond the range of whole numbers would make undefined.
TEST_F(Optimise, SimulatedStepsFillTheRecordWithoutData)
{
    const std::tuple<tag_IONMODEOPT, double, double> cases[] = {
        {IONMODEOPT_POSITIVE, 300.0, 301.007}, {IONMODEOPT_NEGATIVE, 300.0, 298.992}, {IONMODEOPT_BOTH, 300.0, 300.0},
        {IONMODEOPT_POSITIVE, 1e300, 1e300 + 1.0079}, {IONMODEOPT_POSITIVE, -1e300, -1e300},
    };
    for (const auto& [polarity, mass, expected] : cases)
    {
        SCOPED_TRACE(mass);
        tag_SCAN_PARAMS p{};
        p.IonModeOpt = polarity;
        p.dParentMass = mass;
        p.nMaxFunction = 5;
        EXPECT_EQ(MimicGetMaxScanParent(p, options_) * 10 + MimicGetMaxScanDaughter(p, options_), 11);
        EXPECT_NEAR(p.dDaughterMass, expected, std::fabs(expected) * 1e-12 + 1e-9);
        EXPECT_EQ((std::vector<double>{p.fResponse, double(p.nMaxFunction), double(p.nConeVoltage),
                                       double(p.nCollisionEnergy)}),
                  (std::vector<double>{1, 0, 10, 10}));
    }
}

// A method may hold any double, and a ramp value beyond the int range reached a cast to int, which
// is undefined (the sanitizer build aborts on it). Every step's whole-number voltage or energy
// now truncates as before within the range and saturates at its ends; NaN gives 0.
TEST_F(Optimise, RampValuesBeyondTheIntRangeSaturate)
{
    constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The ramp (start, step, end), its value at the third step and at its start (the value of a
    // failed or simulated step).
    struct Case { const char* name; double start, step, end; int third, first; };
    const Case cases[] = {
        {"fractions truncate toward zero", -7.9, 0.5, 50, -6, -7},
        {"start far below", -1e308, 6, 50, kMin, kMin},
        {"step overflows to infinity", 10, 1e308, 3e9, kMax, 10},
        {"start not a number", nan, 6, 50, 0, 0},
    };
    // Function 3 holds the parent's [M+H]+ and, away from the parent, a product at 120.
    host_.spectra[3] = {{120.0f, 301.0079f}, {25, 40}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        options_.m_dConeVoltageMin = options_.m_dCollisionEnergyMin = c.start;
        options_.m_dConeVoltageStep = options_.m_dCollisionEnergyStep = c.step;
        options_.m_dConeVoltageMax = options_.m_dCollisionEnergyMax = c.end;
        const std::string third = std::to_string(c.third), first = std::to_string(c.first);
        EXPECT_EQ(parent(IONMODEOPT_POSITIVE), "1 301.0079 40.0 3 " + third);
        EXPECT_EQ(parent(IONMODEOPT_BOTH), "1 300.0000 0.0 -1 " + first) << "no candidate: the failure values";
        EXPECT_EQ(daughter(3), "1 120.0000 25.0 3 " + third);
        EXPECT_EQ(daughter(-1), "1 49.0000 0.0 -1 " + first);
    }
}
} // namespace
