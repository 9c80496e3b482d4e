// The stand-in's peak detector, peak databases and measuring of sample lists.
#include "kelvane/KelvaneHost.h"
#include "kelvane/PeakDatabase.h"
#include "kelvane/PeakDetector.h"
#include "instrument/RawData.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <sqlite3.h>

namespace
{
constexpr double kScanMinutes = 0.02;
const double kArea = 1000.0 * 0.05 * std::sqrt(2.0 * std::numbers::pi); // of a Gaussian 1000 high, 0.05 min wide
// The detected area may differ from the true one by this share: smoothing and the noise move it.
constexpr double kAreaTolerance = 0.05;

using Trace = std::pair<std::vector<double>, std::vector<double>>; // times (minutes) and intensities

// 101 points from time 0: a drifting baseline, uniform noise (fixed seed) and Gaussians (centre, height).
Trace synthetic(double baseline, double noise, std::vector<std::pair<double, double>> peaks, double drift = 0.0)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> spread(-noise, noise);
    std::vector<double> time, y;
    for (int i = 0; i <= 100; ++i)
    {
        time.push_back(i * kScanMinutes);
        y.push_back(baseline + drift * time.back() + (noise > 0 ? spread(random) : 0.0));
        for (const auto& [centre, height] : peaks)
            y.back() += height * std::exp(-0.5 * std::pow((time.back() - centre) / 0.05, 2));
    }
    return {time, y};
}

TEST(PeakDetector, FindsApexBoundsAndAreaOfAPeakOrNone)
{
    // Centre (minutes), noise amplitude and baseline drift (per minute) of a Gaussian 1000 high.
    const std::tuple<const char*, double, double, double> cases[] = {
        {"clean, on a drifting baseline", 1.0, 0.0, 200.0},
        {"noisy, on a drifting baseline", 1.0, 20.0, 200.0},
        {"at the first scan", 0.0, 20.0, 0.0},
        {"at the last scan", 2.0, 20.0, 0.0},
    };
    for (const auto& [name, centre, noise, drift] : cases)
    {
        SCOPED_TRACE(name);
        const auto [time, y] = synthetic(100.0, noise, {{centre, 1000.0}}, drift);
        const auto peak = kelvane::detectPeak(time, y, {});
        ASSERT_TRUE(peak);
        // The bounds hold the body (two widths, 5 scans, a side) and stop within 5 widths, 10 when clean.
        const long apex = std::lround(centre / kScanMinutes), reach = noise > 0 ? 13 : 25;
        const auto start = static_cast<long>(peak->start), end = static_cast<long>(peak->end);
        EXPECT_TRUE(static_cast<long>(peak->apex) == apex && start <= std::max(0L, apex - 5) && start >= apex - reach &&
                    end >= std::min(100L, apex + 5) && end <= apex + reach)
            << peak->apex << ": " << start << " to " << end;
        const double area = (apex == 50 ? 1.0 : 0.5) * kArea; // half the peak is outside at an end
        EXPECT_NEAR(peak->area, area, kAreaTolerance * area);
    }
    EXPECT_FALSE(kelvane::detectPeak({}, {}, {}));
    const auto [time, noise] = synthetic(100.0, 20.0, {});
    for (const auto& flat : {std::vector<double>(101, 7.0), std::vector<double>(101, NAN), noise})
        EXPECT_FALSE(kelvane::detectPeak(time, flat, {})) << flat[1];
}

class PeakDatabase : public ::testing::Test
{
  protected:
    // Writes records numbered (PeakRecord) as given, each marked in its last byte so that a short copy shows.
    bool write(const std::string& file, std::vector<int> numbers)
    {
        tag_PEAK_RECORD marked;
        marked.bytes[tag_PEAK_RECORD::kSize - 1] = 0xA5;
        std::vector<tag_PEAK_RECORD> records(numbers.size(), marked);
        for (std::size_t i = 0; i < records.size(); ++i)
            records[i].SetPeakRecord(numbers[i]);
        return kelvane::writePeakDatabase(dir_.file(file), records, error_);
    }
    bool sql(const std::string& file, const char* statements)
    {
        sqlite3* db = nullptr;
        const bool opened = sqlite3_open(dir_.file(file).c_str(), &db) == SQLITE_OK;
        const bool done = opened && sqlite3_exec(db, statements, nullptr, nullptr, nullptr) == SQLITE_OK;
        return sqlite3_close(db) == SQLITE_OK && done;
    }
    int open(const std::string& file, tag_ACCESSDB_HANDLE& block, int mode = ACCESSDB_MODE_READ)
    {
        tag_HXFILE form;
        EXPECT_EQ(ConvertPathToHxFile(&form, platform::toHostPath(dir_.file(file)).c_str()), 1);
        return AccessDBOpen(&form, mode, ACCESSDB_FLAGS, &block, 0);
    }
    static std::string reads(tag_ACCESSDB_HANDLE& block)
    {
        std::string out;
        for (int i = -1; i <= 9; ++i)
            if (tag_PEAK_RECORD r; AccessDBGetRecord(&block, i, &r))
                out += " " + std::to_string(i) + ":" + std::to_string(r.PeakRecord());
        return out;
    }
    // "records ..., count N" of what an open reads, or "refused, count N" when it fails.
    std::string contents(const std::string& file)
    {
        tag_ACCESSDB_HANDLE block;
        block.SetRecordCount(12345);
        const int opened = open(file, block);
        const std::string out = (opened ? "refused" : "records") + reads(block);
        EXPECT_EQ(AccessDBClose(&block, 0), opened ? -1 : 0);
        return out + ", count " + std::to_string(block.RecordCount());
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
    std::string error_;
};

TEST_F(PeakDatabase, ReadsWholeRecordsPerOpenAndRefusesForeignAndDamagedFilesUnchanged)
{
    // Records the engine skips (0, 99) read whole as any other; one outside the count leaves the caller's be.
    ASSERT_TRUE(write("a.pdb", {0, 99, 2}) && write("b.pdb", {7}));
    EXPECT_EQ(contents("a.pdb"), "records 1:0 2:99 3:2, count 3");
    // A link planted under a database's name is not written through: what it points at stays.
    std::filesystem::create_symlink(dir_.file("a.pdb"), dir_.file("link.pdb"));
    EXPECT_FALSE(write("link.pdb", {5}));
    EXPECT_EQ(error_, dir_.file("link.pdb") + ": is a symbolic link; peaks are not written through one");
    EXPECT_EQ(contents("a.pdb"), "records 1:0 2:99 3:2, count 3");
    tag_ACCESSDB_HANDLE a, b;
    tag_PEAK_RECORD r;
    ASSERT_TRUE(open("a.pdb", a) == 0 && open("b.pdb", b) == 0 && AccessDBGetRecord(&a, 3, &r) == 1);
    EXPECT_TRUE(AccessDBGetRecord(&a, 4, &r) == 0 && r.bytes[tag_PEAK_RECORD::kSize - 1] == 0xA5);
    // The count the open reported bounds the reads, whatever the block or the file says meanwhile.
    ASSERT_TRUE(write("b.pdb", {7, 8}));
    b.SetRecordCount(5);
    EXPECT_EQ(reads(b), " 1:7");
    EXPECT_TRUE(AccessDBClose(&b, 0) == 0 && AccessDBClose(&b, 0) == -1) << "closing twice";
    EXPECT_EQ(reads(b) + " |" + reads(a), " | 1:0 2:99 3:2") << "b closed, a open";
    // A record damaged after the open is refused on its own.
    ASSERT_TRUE(sql("a.pdb", "UPDATE peak_records SET record = zeroblob(4111) WHERE number = 1"));
    EXPECT_EQ(reads(a), " 2:99 3:2");
    EXPECT_EQ(open("b.pdb", a, 1), -1) << "other modes than reading are not offered";
    EXPECT_EQ(kelvane::peakDatabasePathFor(host_, "C:\\" + std::string(300, 'd') + "\\S1.RAW"), "");
    // Refused files: text, else SQL run on a sound file of three records (none: its record pages
    // overwritten), and whether measuring may write its peaks over them.
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"text.pdb", "FILE_NAME\nS1\n", nullptr, false},
        {"empty.pdb", "", nullptr, true},
        {"foreign.pdb", nullptr, "PRAGMA application_id = 7", false},
        {"newer.pdb", nullptr, "PRAGMA user_version = 2", false},
        {"damaged pages.pdb", nullptr, nullptr, false},
        // Files of ours with damaged records: writing replaces every record, so it heals them.
        {"missing record.pdb", nullptr, "DELETE FROM peak_records WHERE number = 2", true},
        {"short record.pdb", nullptr, "UPDATE peak_records SET record = zeroblob(100) WHERE number = 2", true},
        {"from 2.pdb", nullptr, "UPDATE peak_records SET number = 4 WHERE number = 1", true},
    };
    for (const auto& [file, text, statements, writable] : cases)
    {
        SCOPED_TRACE(file);
        const std::string path = dir_.file(file);
        ASSERT_TRUE(text ? testkit::writeText(path, text) : write(file, {1, 2, 3}) && sql(file, statements));
        std::string before = testkit::readText(path);
        ASSERT_TRUE(text || statements || testkit::writeText(path, before.replace(4096, 4096, 4096, '\xA5')));
        EXPECT_EQ(contents(file), "refused, count 0");
        EXPECT_EQ(write(file, {4}), writable);
        EXPECT_EQ(contents(file), writable ? "records 1:4, count 1" : "refused, count 0");
        EXPECT_TRUE(writable || testkit::readText(path) == before) << "the refused file was changed";
    }
    EXPECT_TRUE(contents("missing.pdb") == "refused, count 0" && !std::filesystem::exists(dir_.file("missing.pdb")));
}

// Measuring rows that name missing raw data (S2), S1, and S1 by its full path. S1's functions f = 1 to 3
// have a peak at 1 minute, f times as high, at m/z 301.0, 301.4 and 301.8: the last too far from 301.
TEST_F(PeakDatabase, MeasuringWritesOnePeakPerMethodRecordWithAPeak)
{
    instrument::RawData data{{{1, {}}, {2, {}}, {3, {}}}};
    const auto [time, intensity] = synthetic(10.0, 10.0, {{1.0, 1000.0}});
    const std::vector<float> y(intensity.begin(), intensity.end());
    for (instrument::RawFunction& f : data.functions)
        for (int i = 0; i <= 100; ++i)
            f.scans.push_back(
                {.scan = i + 1, .time = time[i], .mz = {300.6f + 0.4f * f.number}, .intensity = {y[i] * f.number}});
    const auto host = [&](const char* file) { return platform::toHostPath(dir_.file(file)); };
    ASSERT_TRUE(instrument::writeRawData(dir_.file("P/Data/S1.RAW"), data, error_)) << error_;
    ASSERT_TRUE(std::filesystem::create_directory(dir_.file("P/SampleDB")));
    ASSERT_TRUE(testkit::writeText(dir_.file("P/SampleDB/list.csv"), "FILE_NAME\nS2\nS1\n" + host("P/Data/S1.RAW")));
    tag_HXFILE list, method;
    ASSERT_TRUE(ConvertPathToHxFile(&list, host("P/SampleDB/list.csv").c_str()) &&
                ConvertPathToHxFile(&method, host("TYPQ_001.mdb").c_str()));
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(method);
    descriptor.SetRecordCount(5);
    tag_METHOD_RECORD r;
    GetDefaultMethod(&r);
    ASSERT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_CREATE), 0);
    for (const auto& [text, function] : {std::pair{"301", 1}, {"301", 2}, {"301", 3}, {"TIC", 3}, {"TIC", 4}})
    {
        r.SetMassText(text);
        r.SetFunctionNumber(function);
        EXPECT_GT(MethodWriteRecord(&method, -1, &r, 0, 0), 0);
    }
    ASSERT_TRUE(DmDB3Close(&descriptor) == 0 && SetSystemListValue("SystemList", "METHOD_DB", &method, 1) == 1);
    // Each failure says why, naming the list and the row, for the run to pass on.
    const std::string listFile = dir_.file("P/SampleDB/list.csv");
    for (const auto& [first, last] : {std::pair{0, 2}, {2, 4}, {3, 2}})
    {
        EXPECT_EQ(::MeasureSampleList(0, &list, first, last), 0) << "rows " << first << " to " << last;
        EXPECT_EQ(kelvane::lastMeasureError(), listFile + ": rows " + std::to_string(first) + " to " +
                                                   std::to_string(last) + " are not rows of the list (1 to 3)");
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.file("P/PeakDB")));
    ASSERT_EQ(::MeasureSampleList(0, &list, 1, 2), 0) << "row 1's raw data is missing, yet row 2 is measured";
    EXPECT_EQ(kelvane::lastMeasureError().rfind(listFile + ": row 1: ", 0), 0u) << kelvane::lastMeasureError();
    EXPECT_NE(kelvane::lastMeasureError().find("S2.RAW"), std::string::npos) << kelvane::lastMeasureError();
    EXPECT_EQ(contents("P/PeakDB/S1.pdb"), "records 1:1 2:2 3:4, count 3");
    EXPECT_EQ(::MeasureSampleList(0, &list, 3, 3), 1) << "the row that names the raw data by its full path";
    EXPECT_EQ(kelvane::lastMeasureError(), "");
    // The total ion current of function 3: three times the area, and times that match the scans.
    tag_ACCESSDB_HANDLE block;
    tag_PEAK_RECORD p;
    ASSERT_TRUE(open("P/PeakDB/S1.pdb", block) == 0 && AccessDBGetRecord(&block, 3, &p) == 1);
    EXPECT_NEAR(p.PeakArea(), 3 * kArea, kAreaTolerance * 3 * kArea);
    for (const auto& [scan, minutes] :
         {std::pair{p.StartScan(), p.PeakStart()}, {p.ApexScan(), p.PeakApex()}, {p.EndScan(), p.PeakEnd()}})
        EXPECT_FLOAT_EQ(minutes, static_cast<float>((scan - 1) * kScanMinutes));
    EXPECT_EQ(AccessDBClose(&block, 0), 0);
    // Peaks that have nowhere to go (a file stands where the PeakDB folder belongs) are a failure.
    std::filesystem::remove_all(dir_.file("P/PeakDB"));
    ASSERT_TRUE(testkit::writeText(dir_.file("P/PeakDB"), "in the way"));
    EXPECT_EQ(::MeasureSampleList(0, &list, 3, 3), 0);
    EXPECT_NE(kelvane::lastMeasureError().find("PeakDB"), std::string::npos) << kelvane::lastMeasureError();
    // No method to measure with: an empty name, checked before the peaks' folder.
    tag_HXFILE none;
    ASSERT_EQ(SetSystemListValue("SystemList", "METHOD_DB", &none, 1), 1);
    EXPECT_EQ(::MeasureSampleList(0, &list, 3, 3), 0);
    EXPECT_NE(kelvane::lastMeasureError().find(": the quan method cannot be opened"), std::string::npos)
        << kelvane::lastMeasureError();
}
} // namespace
