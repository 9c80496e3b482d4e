// The stand-in's peak detector, peak databases and measuring of sample lists.
#include "kelvane/KelvaneHost.h"
#include "kelvane/PeakDatabase.h"
#include "kelvane/PeakDetector.h"
#include "kelvane/RawData.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <sqlite3.h>

namespace
{
namespace fs = std::filesystem;
using kelvane::detectPeak;
using kelvane::PeakSearch;
using testkit::readText;

// ---- The detector on synthetic chromatograms --------------------------------------------------

constexpr double kScanMinutes = 0.02;
// The detected area may differ from the true one by this share: smoothing and the noise move it.
constexpr double kAreaTolerance = 0.05;

struct Trace
{
    std::vector<double> time;
    std::vector<double> intensity;
};

// n points, kScanMinutes apart from time 0, of a baseline (drifting by drift per minute) with
// uniform noise of the given amplitude (fixed seed) and Gaussians (centre and width in minutes,
// height).
struct Gaussian
{
    double centre;
    double sigma;
    double height;
};
Trace synthetic(int n, double baseline, double noise, std::initializer_list<Gaussian> peaks, double drift = 0.0)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> spread(-noise, noise);
    Trace t;
    for (int i = 0; i < n; ++i)
    {
        const double time = i * kScanMinutes;
        double y = baseline + drift * time + (noise > 0 ? spread(random) : 0.0);
        for (const Gaussian& g : peaks)
            y += g.height * std::exp(-0.5 * std::pow((time - g.centre) / g.sigma, 2));
        t.time.push_back(time);
        t.intensity.push_back(y);
    }
    return t;
}

double gaussianArea(const Gaussian& g)
{
    return g.height * g.sigma * std::sqrt(2.0 * std::numbers::pi);
}

TEST(PeakDetector, FindsApexBoundsAndAreaOfAGaussianOnANoisyBaseline)
{
    const Gaussian middle{1.0, 0.05, 1000.0};
    const Gaussian first{0.0, 0.05, 1000.0};
    const Gaussian last{2.0, 0.05, 1000.0};
    struct Case
    {
        const char* name;
        Gaussian peak;
        double noise;
        std::size_t apex;
        double areaShare; // of the Gaussian that lies inside the trace
        double reach;     // widths from the centre within which the bounds lie
        double drift = 0.0;
    };
    const Case cases[] = {
        {"clean", middle, 0.0, 50, 1.0, 10.0},
        {"noisy", middle, 20.0, 50, 1.0, 5.0},
        {"on a drifting baseline", middle, 20.0, 50, 1.0, 5.0, 200.0},
        {"at the first scan", first, 20.0, 0, 0.5, 5.0},
        {"at the last scan", last, 20.0, 100, 0.5, 5.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Trace t = synthetic(101, 100.0, c.noise, {c.peak}, c.drift);
        const auto peak = detectPeak(t.time, t.intensity, PeakSearch{});
        ASSERT_TRUE(peak);
        EXPECT_EQ(peak->apex, c.apex);
        // The bounds take in the peak's body (two widths each side, where it is inside the trace)
        // and stop where the tails have reached the baseline: far out only on a clean one.
        const auto at = [](double minutes) { return static_cast<long>(std::lround(minutes / kScanMinutes)); };
        EXPECT_LE(static_cast<long>(peak->start), std::max(0L, at(c.peak.centre - 2 * c.peak.sigma)));
        EXPECT_GE(static_cast<long>(peak->start), at(c.peak.centre - c.reach * c.peak.sigma));
        EXPECT_GE(static_cast<long>(peak->end), std::min(100L, at(c.peak.centre + 2 * c.peak.sigma)));
        EXPECT_LE(static_cast<long>(peak->end), at(c.peak.centre + c.reach * c.peak.sigma));
        const double expected = c.areaShare * gaussianArea(c.peak);
        EXPECT_NEAR(peak->area, expected, kAreaTolerance * expected);
    }
}

TEST(PeakDetector, NoPeakInASignalWithoutOne)
{
    const Trace noise = synthetic(101, 100.0, 20.0, {});
    struct Case
    {
        const char* name;
        std::vector<double> time;
        std::vector<double> intensity;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"one point", {0.0}, {50.0}},
        {"zero", {0.0, 0.1, 0.2, 0.3}, {0.0, 0.0, 0.0, 0.0}},
        {"flat", {0.0, 0.1, 0.2, 0.3}, {7.0, 7.0, 7.0, 7.0}},
        {"not a number", {0.0, 0.1, 0.2}, {NAN, NAN, NAN}},
        {"noise only", noise.time, noise.intensity},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(detectPeak(c.time, c.intensity, PeakSearch{}));
    }
}

TEST(PeakDetector, TheTimeWindowChoosesThePeakAndAValleyEndsIt)
{
    // A tall peak at 0.6 min and a smaller one at 1.4 min, which meet in a valley above the baseline.
    const Trace t = synthetic(101, 0.0, 0.0, {{0.6, 0.15, 1000.0}, {1.4, 0.15, 400.0}});
    const auto tall = detectPeak(t.time, t.intensity, PeakSearch{});
    ASSERT_TRUE(tall);
    EXPECT_EQ(tall->apex, 30u);
    PeakSearch windowed;
    windowed.expectedTime = 1.4;
    windowed.timeWindow = 0.2;
    const auto small = detectPeak(t.time, t.intensity, windowed);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->apex, 70u);
    // Both stop at the one valley between them rather than running into the other peak.
    const std::size_t valley = tall->end;
    EXPECT_GT(valley, 30u);
    EXPECT_LT(valley, 70u);
    EXPECT_EQ(small->start, valley);
    EXPECT_LT(small->area, tall->area);
    windowed.expectedTime = 5.0; // no point in the window
    EXPECT_FALSE(detectPeak(t.time, t.intensity, windowed));
}

TEST(PeakDetector, SmoothingKeepsLevelsAndTotals)
{
    const std::vector<double> flat(9, 4.0);
    EXPECT_EQ(kelvane::smoothChromatogram(flat, 3, 5), flat);
    const std::vector<double> impulse{0, 0, 0, 0, 9, 0, 0, 0, 0};
    EXPECT_EQ(kelvane::smoothChromatogram(impulse, 0, 5), impulse);
    EXPECT_EQ(kelvane::smoothChromatogram(impulse, 2, 1), impulse);
    // An even width is widened by one, so the result stays centred.
    const std::vector<double> once{0, 0, 0, 3, 3, 3, 0, 0, 0};
    EXPECT_EQ(kelvane::smoothChromatogram(impulse, 1, 2), once);
    EXPECT_EQ(kelvane::smoothChromatogram(impulse, 1, 3), once);
    double total = 0.0;
    for (double v : kelvane::smoothChromatogram(impulse, 2, 3))
        total += v;
    EXPECT_DOUBLE_EQ(total, 9.0);
}

// ---- Peak databases through the host operations ------------------------------------------------

tag_PEAK_RECORD peakRecord(int number, double area)
{
    tag_PEAK_RECORD r;
    r.SetPeakRecord(number);
    r.SetPeakArea(area);
    r.SetApexScan(number * 10);
    for (std::size_t i = 0; i < 16; ++i) // bytes the engine does not read come back too
        r.bytes[4096 + i] = static_cast<unsigned char>(number + i);
    return r;
}

class PeakDatabase : public ::testing::Test
{
  protected:
    // The host path form of a file of the test directory.
    tag_HXFILE name(const std::string& file) const
    {
        tag_HXFILE n;
        EXPECT_EQ(ConvertPathToHxFile(&n, platform::toHostPath(dir_.file(file)).c_str()), 1);
        return n;
    }
    void write(const std::string& file, const std::vector<tag_PEAK_RECORD>& records)
    {
        std::string error;
        ASSERT_TRUE(kelvane::writePeakDatabase(dir_.file(file), records, error)) << error;
    }
    void sql(const std::string& file, const char* statements)
    {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(dir_.file(file).c_str(), &handle), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(handle, statements, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
    }
    // "count N, records i:peakRecord ..." of what an open reads (every index from -1 to 9), or
    // "refused, count N" when the open fails.
    std::string contents(const std::string& file)
    {
        tag_ACCESSDB_HANDLE block;
        block.SetRecordCount(12345);
        const tag_HXFILE n = name(file);
        if (AccessDBOpen(&n, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &block, 0) != 0)
            return "refused, count " + std::to_string(block.RecordCount());
        std::string out = "count " + std::to_string(block.RecordCount()) + ", records";
        for (int i = -1; i <= 9; ++i)
        {
            tag_PEAK_RECORD r;
            if (AccessDBGetRecord(&block, i, &r))
                out += " " + std::to_string(i) + ":" + std::to_string(r.PeakRecord());
        }
        EXPECT_EQ(AccessDBClose(&block, 0), 0);
        return out;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(PeakDatabase, RecordsReadBackWholeAndWritingReplacesThem)
{
    // Record numbers the engine skips (0, 99) read as any other.
    write("a.pdb", {peakRecord(0, 1.0), peakRecord(99, 2.0), peakRecord(2, 3.5)});
    EXPECT_EQ(contents("a.pdb"), "count 3, records 1:0 2:99 3:2");
    tag_ACCESSDB_HANDLE block;
    const tag_HXFILE n = name("a.pdb");
    ASSERT_EQ(AccessDBOpen(&n, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &block, 0), 0);
    tag_PEAK_RECORD r;
    ASSERT_EQ(AccessDBGetRecord(&block, 3, &r), 1);
    const tag_PEAK_RECORD expected = peakRecord(2, 3.5);
    EXPECT_EQ(std::memcmp(r.bytes, expected.bytes, tag_PEAK_RECORD::kSize), 0);
    // A record outside the count leaves the caller's record as it was.
    EXPECT_EQ(AccessDBGetRecord(&block, 4, &r), 0);
    EXPECT_EQ(std::memcmp(r.bytes, expected.bytes, tag_PEAK_RECORD::kSize), 0);
    EXPECT_EQ(AccessDBClose(&block, 0), 0);
    EXPECT_EQ(AccessDBGetRecord(&block, 1, &r), 0) << "reading after close";
    EXPECT_EQ(AccessDBClose(&block, 0), -1) << "closing twice";

    write("a.pdb", {peakRecord(5, 1.0)});
    EXPECT_EQ(contents("a.pdb"), "count 1, records 1:5");
    write("a.pdb", {});
    EXPECT_EQ(contents("a.pdb"), "count 0, records");
    // Writing makes the folder too.
    write("PeakDB/b.pdb", {peakRecord(1, 1.0)});
    EXPECT_EQ(contents("PeakDB/b.pdb"), "count 1, records 1:1");
}

TEST_F(PeakDatabase, MissingForeignAndDamagedFilesAreRefusedAndLeftAsTheyWere)
{
    struct Case
    {
        const char* name;
        const char* text; // the file's bytes, or null to make it with sql below
        const char* sql;  // run on a sound three-record database
        bool writable;    // whether measuring may write its peaks over the file
    };
    const Case cases[] = {
        {"text", "FILE_NAME\nS1\n", nullptr, false},
        {"empty file", "", nullptr, true},
        {"another application's database", nullptr, "PRAGMA application_id = 7", false},
        {"a newer schema", nullptr, "PRAGMA user_version = 2", false},
        {"without the table", nullptr, "DROP TABLE peak_records; CREATE TABLE notes(text)", false},
        // Files of ours with damaged records: writing replaces every record, so it heals them.
        {"a record missing", nullptr, "DELETE FROM peak_records WHERE number = 2", true},
        {"a record cut short", nullptr, "UPDATE peak_records SET record = zeroblob(100) WHERE number = 2", true},
        {"a record as text", nullptr, "UPDATE peak_records SET record = 'x' WHERE number = 3", true},
        {"numbered from 2", nullptr, "UPDATE peak_records SET number = 4 WHERE number = 1", true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string file = std::string(c.name) + ".pdb";
        if (c.text)
        {
            ASSERT_TRUE(testkit::writeText(dir_.file(file), c.text));
        }
        else
        {
            write(file, {peakRecord(1, 1.0), peakRecord(2, 1.0), peakRecord(3, 1.0)});
            sql(file, c.sql);
        }
        const std::string before = readText(dir_.file(file));
        EXPECT_EQ(contents(file), "refused, count 0");
        EXPECT_EQ(readText(dir_.file(file)), before);
        std::string error;
        EXPECT_EQ(kelvane::writePeakDatabase(dir_.file(file), {peakRecord(4, 1.0)}, error), c.writable) << error;
        if (c.writable)
            EXPECT_EQ(contents(file), "count 1, records 1:4");
        else
            EXPECT_EQ(readText(dir_.file(file)), before);
    }
    // A damaged file: a sound database with bytes overwritten in its record pages.
    write("damaged.pdb", {peakRecord(1, 1.0), peakRecord(2, 1.0), peakRecord(3, 1.0)});
    std::string bytes = readText(dir_.file("damaged.pdb"));
    ASSERT_GT(bytes.size(), 8192u);
    for (std::size_t i = 4096; i < 8192; ++i)
        bytes[i] = static_cast<char>(0xA5);
    ASSERT_TRUE(testkit::writeText(dir_.file("damaged.pdb"), bytes));
    EXPECT_EQ(contents("damaged.pdb"), "refused, count 0");
    std::string error;
    EXPECT_FALSE(kelvane::writePeakDatabase(dir_.file("damaged.pdb"), {}, error));
    EXPECT_EQ(readText(dir_.file("damaged.pdb")), bytes);
    // Reading never creates a database; other modes than reading are not offered.
    EXPECT_EQ(contents("missing.pdb"), "refused, count 0");
    EXPECT_FALSE(fs::exists(dir_.file("missing.pdb")));
    write("c.pdb", {peakRecord(1, 1.0)});
    tag_ACCESSDB_HANDLE block;
    const tag_HXFILE n = name("c.pdb");
    EXPECT_EQ(AccessDBOpen(&n, 1, ACCESSDB_FLAGS, &block, 0), -1);
    EXPECT_EQ(block.RecordCount(), 0);
}

TEST_F(PeakDatabase, EachOpenIsItsBlocksOwn)
{
    write("a.pdb", {peakRecord(1, 1.0), peakRecord(2, 1.0)});
    write("b.pdb", {peakRecord(7, 1.0)});
    tag_ACCESSDB_HANDLE a, b, neverOpened;
    const tag_HXFILE nameA = name("a.pdb"), nameB = name("b.pdb");
    ASSERT_EQ(AccessDBOpen(&nameA, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &a, 0), 0);
    ASSERT_EQ(AccessDBOpen(&nameB, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &b, 0), 0);
    EXPECT_EQ(a.RecordCount(), 2);
    EXPECT_EQ(b.RecordCount(), 1);
    tag_PEAK_RECORD r;
    ASSERT_EQ(AccessDBGetRecord(&b, 1, &r), 1);
    EXPECT_EQ(r.PeakRecord(), 7);
    EXPECT_EQ(AccessDBGetRecord(&neverOpened, 1, &r), 0);
    EXPECT_EQ(AccessDBClose(&neverOpened, 0), -1);
    // The count the open reported bounds the reads, whatever the caller writes into the block or
    // the file gains meanwhile.
    write("b.pdb", {peakRecord(7, 1.0), peakRecord(8, 1.0)});
    b.SetRecordCount(5);
    EXPECT_EQ(AccessDBGetRecord(&b, 2, &r), 0);
    ASSERT_EQ(AccessDBGetRecord(&b, 1, &r), 1);
    ASSERT_EQ(AccessDBClose(&b, 0), 0);
    ASSERT_EQ(AccessDBGetRecord(&a, 2, &r), 1) << "closing b leaves a open";
    EXPECT_EQ(r.PeakRecord(), 2);
    // A record damaged after the open is refused on its own.
    sql("a.pdb", "UPDATE peak_records SET record = zeroblob(4111) WHERE number = 1");
    EXPECT_EQ(AccessDBGetRecord(&a, 1, &r), 0);
    EXPECT_EQ(AccessDBGetRecord(&a, 2, &r), 1);
    EXPECT_EQ(AccessDBClose(&a, 0), 0);
}

TEST_F(PeakDatabase, LiesInPeakDbBesideTheRawData)
{
    const std::string path = kelvane::peakDatabasePathFor(host_, "C:\\P.PRO\\Data\\S1.RAW");
    EXPECT_EQ(path, "C:\\P.PRO\\Data\\\\..\\PeakDB\\S1.pdb");
    EXPECT_EQ(platform::toPosixPath(path), platform::dataDirectory() + "/P.PRO/PeakDB/S1.pdb");
    EXPECT_EQ(kelvane::peakDatabasePathFor(host_, "C:\\" + std::string(300, 'd') + "\\S1.RAW"), "");
}

// ---- Measuring a sample list -------------------------------------------------------------------

constexpr double kAnalyte = 301.008;
constexpr double kBackground = 150.0;

// A raw-data set of three functions of 101 scans over 2 minutes: the analyte elutes at 1 minute
// with f times the height in function f, except function 3, which holds only the background ion.
kelvane::RawData rawData()
{
    kelvane::RawData data;
    for (int f = 1; f <= 3; ++f)
    {
        const double height = f == 3 ? 0.0 : 1000.0 * f;
        const Trace t = synthetic(101, 200.0, 10.0, {{1.0, 0.05, height}});
        const Trace background = synthetic(101, 200.0, 10.0, {});
        kelvane::RawFunction& function = data.functions.emplace_back();
        function.number = f;
        for (std::size_t i = 0; i < t.time.size(); ++i)
        {
            kelvane::RawScan& scan = function.scans.emplace_back();
            scan.scan = static_cast<int>(i) + 1;
            scan.time = t.time[i];
            scan.coneVoltage = 10.0 * f;
            scan.mz = {static_cast<float>(kBackground), static_cast<float>(kAnalyte)};
            scan.intensity = {static_cast<float>(background.intensity[i]),
                              static_cast<float>(t.intensity[i] - 200.0 + 10.0)};
        }
    }
    return data;
}

class MeasureSampleList : public PeakDatabase
{
  protected:
    void SetUp() override
    {
        project_ = dir_.path() + "/P.PRO";
        fs::create_directories(project_ + "/SampleDB");
        std::string error;
        ASSERT_TRUE(kelvane::writeRawData(project_ + "/Data/S1.RAW", rawData(), error)) << error;
        ASSERT_TRUE(testkit::writeText(project_ + "/SampleDB/list.csv",
                                       "FILE_NAME,FILE_TEXT\nS1,first\nS2,missing\n" +
                                           platform::toHostPath(project_ + "/Data/S1.RAW") + ",full path\n"));
        ASSERT_EQ(ConvertPathToHxFile(&list_, platform::toHostPath(project_ + "/SampleDB/list.csv").c_str()), 1);
    }
    // A method of one record per mass text, in functions 1, 2, ..., selected by METHOD_DB.
    void method(std::initializer_list<const char*> massTexts)
    {
        tag_METHOD_DB_DESCRIPTOR descriptor;
        tag_HXFILE name;
        ASSERT_EQ(ConvertPathToHxFile(&name, platform::toHostPath(dir_.file("TYPQ_001.mdb")).c_str()), 1);
        descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        descriptor.SetName(name);
        ASSERT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_CREATE), 0);
        int function = 0;
        for (const char* text : massTexts)
        {
            // A stage-1 record: the host's adjusted default (no smoothing set), the whole span searched.
            tag_METHOD_RECORD r;
            GetDefaultMethod(&r);
            r.set<std::int32_t>(tag_METHOD_RECORD::kInt632, 1);
            r.set<std::int32_t>(tag_METHOD_RECORD::kInt636, 0);
            r.SetCompoundName("TEMP");
            r.SetMassText(text);
            r.SetFunctionNumber(++function);
            r.SetExpectedTime(1.0f);
            r.SetTimeWindow(1.0f);
            r.SetRangeStart(0.0f);
            r.SetRangeEnd(2.0f);
            ASSERT_EQ(MethodWriteRecord(&name, -1, &r, 0, 0), function);
        }
        descriptor.SetRecordCount(function);
        ASSERT_EQ(DmDB3Close(&descriptor), 0);
        ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &name, 1), 1);
    }
    // The peak records of S1 as the engine finds them, or empty when its database does not open.
    std::vector<tag_PEAK_RECORD> peaks()
    {
        tag_HXFILE form;
        EXPECT_EQ(ConvertPathToHxFile(&form, platform::toHostPath(project_ + "/Data/S1.RAW").c_str()), 1);
        form.SetDirectory((form.Directory().str() + "\\..\\PeakDB").c_str());
        form.SetExtension("pdb");
        tag_ACCESSDB_HANDLE block;
        std::vector<tag_PEAK_RECORD> out;
        if (AccessDBOpen(&form, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &block, 0) != 0)
            return out;
        for (int i = 1; i <= block.RecordCount(); ++i)
            EXPECT_EQ(AccessDBGetRecord(&block, i, &out.emplace_back()), 1);
        EXPECT_EQ(AccessDBClose(&block, 0), 0);
        return out;
    }

    std::string project_;
    tag_HXFILE list_;
};

TEST_F(MeasureSampleList, WritesOnePeakPerMethodRecordWithAPeak)
{
    method({"301.008", "301.008", "301.008", "TIC"});
    ASSERT_EQ(::MeasureSampleList(0, &list_, 1, 1), 1);
    EXPECT_TRUE(fs::is_regular_file(project_ + "/PeakDB/S1.pdb"));
    const std::vector<tag_PEAK_RECORD> found = peaks();
    // Function 3 holds no analyte; the total ion current of function 4 does not exist in the data.
    ASSERT_EQ(found.size(), 2u);
    const double oneMinute = 51; // scan number of 1.00 min
    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(i);
        const tag_PEAK_RECORD& p = found[static_cast<std::size_t>(i)];
        EXPECT_EQ(p.PeakRecord(), i + 1);
        EXPECT_NEAR(p.ApexScan(), oneMinute, 1);
        EXPECT_LT(p.StartScan(), p.ApexScan() - 3);
        EXPECT_GT(p.EndScan(), p.ApexScan() + 3);
        EXPECT_NEAR(p.PeakApex(), 1.0, 2 * kScanMinutes);
        EXPECT_FLOAT_EQ(p.PeakStart(), static_cast<float>((p.StartScan() - 1) * kScanMinutes));
        EXPECT_FLOAT_EQ(p.PeakEnd(), static_cast<float>((p.EndScan() - 1) * kScanMinutes));
        const double area = gaussianArea({1.0, 0.05, 1000.0 * (i + 1)});
        EXPECT_NEAR(p.PeakArea(), area, kAreaTolerance * area);
    }
    // Measuring again replaces the peaks, here by those of a total-ion-current method.
    method({"TIC"});
    ASSERT_EQ(::MeasureSampleList(0, &list_, 3, 3), 1) << "the row that names the raw data by its full path";
    ASSERT_EQ(peaks().size(), 1u);
    EXPECT_NEAR(peaks()[0].ApexScan(), oneMinute, 1);
}

TEST_F(MeasureSampleList, FailsWithoutRowsRawDataOrMethod)
{
    // No METHOD_DB: nothing is measured.
    ASSERT_EQ(::MeasureSampleList(0, &list_, 1, 1), 0);
    EXPECT_FALSE(fs::exists(project_ + "/PeakDB"));
    method({"301.008"});
    const std::pair<int, int> outOfRange[] = {{0, 1}, {1, 4}, {2, 1}, {4, 4}};
    for (const auto& [first, last] : outOfRange)
    {
        SCOPED_TRACE(first * 10 + last);
        EXPECT_EQ(::MeasureSampleList(0, &list_, first, last), 0);
    }
    EXPECT_FALSE(fs::exists(project_ + "/PeakDB"));
    // Row 2's raw data is missing: the result is 0, yet rows 1 and 3 are measured.
    EXPECT_EQ(::MeasureSampleList(0, &list_, 1, 3), 0);
    EXPECT_EQ(peaks().size(), 1u);
    // A list that cannot be read, and a method database that is not one.
    tag_HXFILE missing = list_;
    missing.SetFileName("nothing");
    EXPECT_EQ(::MeasureSampleList(0, &missing, 1, 1), 0);
    ASSERT_TRUE(testkit::writeText(dir_.file("TYPQ_001.mdb"), "not a database"));
    EXPECT_EQ(::MeasureSampleList(0, &list_, 1, 1), 0);
}
} // namespace
