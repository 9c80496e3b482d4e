// Raw data of the host stand-in: mzML written, read and refused; the raw-data handles and spectrum combine.
#include "instrument/RawDataTestSupport.h"
#include "kelvane/KelvaneHost.h"
#include "instrument/RawData.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace
{
using instrument::RawData;
using Points = std::vector<std::pair<float, float>>;

using testkit::scansOf;

// Function 2: ten scans on one m/z axis, scan s with intensity s at 100 and 10 * s at 200.
// Function 3: product-ion scans whose m/z values differ slightly, then an empty one.
RawData sample()
{
    RawData data{{{2, {}},
                  {3,
                   {{1, 1 / 60.0, 2, 20.0, 22.5, 301.0123, {99.996f, 150.0f}, {4.0f, 2.0f}},
                    {2, 0.2, 2, 20.0, 22.5, 301.0123, {100.004f}, {6.0f}},
                    {3, 0.3, 2, 20.0, 22.5, 301.0123, {100.2f}, {1.0f}},
                    {4, 0.4, 2, 0.0, 0.0, 0.0, {}, {}}}}}};
    for (int s = 1; s <= 10; ++s)
        data.functions[0].scans.push_back({s, s * 0.01, 1, 35.0, 0.0, 0.0, {100.0f, 200.0f}, {1.0f * s, 10.0f * s}});
    return data;
}

// Two spectra as other tools write them (indexedmzML, a param group, seconds, an isolation window only): m/z
// {100.5, 200.25, 300.125} and intensities {10, 0, 30.5} as 32- and 64-bit floats, plain or zlib-compressed.
const std::string kOtherTools = R"(<?xml version="1.0" encoding="utf-8"?><indexedmzML>
<mzML xmlns="http://psi.hupo.org/ms/mzml" version="1.1.0"><referenceableParamGroupList count="1">
<referenceableParamGroup id="mz64"><cvParam accession="MS:1000523" name="64-bit float"/>
<cvParam accession="MS:1000576" name="no compression"/><cvParam accession="MS:1000514" name="m/z array"/>
</referenceableParamGroup></referenceableParamGroupList><run id="r"><spectrumList count="2">
<spectrum index="0" id="scan=1" defaultArrayLength="3"><scanList count="1"><scan>
<cvParam accession="MS:1000016" name="scan start time" value="90" unitAccession="UO:0000010" unitName="second"/>
<cvParam accession="MS:1000616" name="preset scan configuration" value="2"/><userParam name="Cone Voltage" value="45"/>
</scan></scanList><binaryDataArrayList count="2"><binaryDataArray><cvParam accession="MS:1000523" name="64-bit float"/>
<cvParam accession="MS:1000574" name="zlib compression"/><cvParam accession="MS:1000515" name="intensity array"/>
<binary>eJxjYAABFQcGZNBg5wAACRwBYw==</binary></binaryDataArray><binaryDataArray>
<cvParam accession="MS:1000521" name="32-bit float"/><cvParam accession="MS:1000576" name="no compression"/>
<cvParam accession="MS:1000514" name="m/z array"/><binary>AADJQgBASEMAEJZD</binary></binaryDataArray>
</binaryDataArrayList></spectrum><spectrum index="1" id="scan=2" defaultArrayLength="3">
<cvParam accession="MS:1000511" name="ms level" value="2"/><precursorList count="1"><precursor><isolationWindow>
<cvParam accession="MS:1000827" name="isolation window target m/z" value="301.5"/></isolationWindow><activation>
<cvParam accession="MS:1000045" name="collision energy" value="18"/></activation></precursor></precursorList>
<binaryDataArrayList count="2"><binaryDataArray><referenceableParamGroupRef ref="mz64"/>
<binary>AAAAAAAgWUAAAAAAAAhpQAAAAAAAwnJA</binary></binaryDataArray><binaryDataArray>
<cvParam accession="MS:1000521" name="32-bit float"/><cvParam accession="MS:1000574" name="zlib compression"/>
<cvParam accession="MS:1000515" name="intensity array"/><binary>eJxjYFBwZACDL44ABb4Blw==</binary></binaryDataArray>
</binaryDataArrayList></spectrum></spectrumList></run></mzML><indexList count="0"/></indexedmzML>)";

class RawDataTest : public ::testing::Test
{
  protected:
    // Reads text as an mzML file into data; returns "" or the reason it was refused.
    std::string read(const std::string& text, RawData& data)
    {
        EXPECT_TRUE(testkit::writeText(dir_.file("Data.mzML"), text));
        const bool ok = instrument::readMzmlFile(dir_.file("Data.mzML"), data, error_);
        EXPECT_TRUE(ok || data.functions.empty()) << "a refused file leaves no data";
        return ok ? "" : error_;
    }
    // Writes data as Opt.RAW and returns its host path form naming function.
    tag_HXRAWFILE pathForm(const RawData& data, int function)
    {
        EXPECT_TRUE(instrument::writeRawData(dir_.file("Opt.RAW"), data, error_)) << error_;
        tag_HXRAWFILE path;
        EXPECT_EQ(host_.ConvertPathToHxFile(path, platform::toHostPath(dir_.file("Opt.RAW")).c_str()), 1);
        path.SetFunctionNumber(static_cast<std::int16_t>(function));
        return path;
    }
    // The spectrum of handle read as the engine reads it, then released; empty when any step failed.
    Points readAndRelease(DMHANDLE handle)
    {
        Points points;
        const tag_SPECTRUM_HEADER* header = host_.DmLockID(handle);
        const int count = header ? header->PointCount() : 0;
        const float* mz = host_.DmGetData(handle, 1, count, 0) == 0 ? host_.DmLockData(handle, 0, 1, count) : nullptr;
        const float* intensity = host_.DmLockData(handle, 1, 1, count);
        for (int i = 0; mz && intensity && i < count; ++i)
            points.emplace_back(mz[i], intensity[i]);
        const int unlocked = host_.DmUnlockData(handle, 0) + host_.DmUnlockData(handle, 1) + host_.DmUnlockID(handle);
        EXPECT_EQ(unlocked + host_.DmReleaseHandle(handle, 0), header ? 0 : -4) << "each succeeds on a live handle";
        return points;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    std::string error_; // why the last call failed
};

TEST_F(RawDataTest, WritesAndReadsTheOneMzmlFileOfADirectory)
{
    RawData data = sample(), back;
    const std::string raw = dir_.file("Inject01.RAW");
    ASSERT_TRUE(instrument::writeRawData(raw, data, error_) && instrument::readRawData(raw, back, error_)) << error_;
    EXPECT_TRUE(std::filesystem::is_regular_file(raw + "/Inject01.mzML"));
    EXPECT_EQ(scansOf(back), scansOf(data));
    // Written again, the data replaces the one mzML file whatever it is called; of two, none is chosen.
    std::filesystem::rename(raw + "/Inject01.mzML", raw + "/other.MZML");
    data.functions.pop_back();
    ASSERT_TRUE(instrument::writeRawData(raw, data, error_) && instrument::readRawData(raw, back, error_)) << error_;
    EXPECT_EQ(scansOf(back), scansOf(data));
    ASSERT_TRUE(testkit::writeText(raw + "/Second.mzml", ""));
    EXPECT_FALSE(instrument::writeRawData(raw, data, error_) || instrument::readRawData(raw, back, error_));
    EXPECT_EQ(error_, raw + ": holds 2 mzML files, expected one");
    // Data that would not read back as it is is refused, and nothing written: functions not rising, unequal arrays.
    EXPECT_FALSE(instrument::writeRawData(dir_.file("No.RAW"), RawData{{{2, {}}, {1, {}}}}, error_));
    EXPECT_FALSE(instrument::writeRawData(dir_.file("No.RAW"), RawData{{{1, {{1, 0, 1, 0, 0, 0, {1.0f}, {}}}}}}, error_));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("No.RAW")));
    // Links planted where raw data goes, the folder or its file, are not written through.
    std::filesystem::create_directory(dir_.file("Elsewhere"));
    std::filesystem::create_directory_symlink(dir_.file("Elsewhere"), dir_.file("Planted.RAW"));
    EXPECT_FALSE(instrument::writeRawData(dir_.file("Planted.RAW"), data, error_));
    EXPECT_EQ(error_, dir_.file("Planted.RAW") + ": is a symbolic link; raw data is not written through one");
    std::filesystem::create_directory(dir_.file("Link.RAW"));
    std::filesystem::create_symlink(dir_.file("Elsewhere/x.mzML"), dir_.file("Link.RAW/Link.mzML"));
    EXPECT_FALSE(instrument::writeRawData(dir_.file("Link.RAW"), data, error_));
    EXPECT_TRUE(std::filesystem::is_empty(dir_.file("Elsewhere")));
}

TEST_F(RawDataTest, ReadsTheFormsOtherToolsWriteAndRefusesDamagedCopies)
{
    const std::vector<float> mz = {100.5f, 200.25f, 300.125f}, intensity = {10.0f, 0.0f, 30.5f};
    RawData data;
    ASSERT_EQ(read(kOtherTools, data), "");
    EXPECT_EQ(scansOf(data), scansOf(RawData{{{1, {{1, 0.0, 2, 0.0, 18.0, 301.5, mz, intensity}}},
                                              {2, {{1, 1.5, 1, 45.0, 0.0, 0.0, mz, intensity}}}}}));
    const auto with = [](const std::string& from, const std::string& to) {
        std::string text = kOtherTools;
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string file = dir_.file("Data.mzML") + ": ", at1 = file + "spectrum 1 (\"scan=1\"): ";
    const std::pair<std::string, std::string> cases[] = {
        {kOtherTools.substr(0, 1000), file + "not well-formed XML at byte"},
        {with("AADJQgBASEMAEJZD", "AB*D"), at1 + "binary text is not base64"},
        {with("AADJQgBASEMAEJZD", "AAAgQQAAAAA="), at1 + "m/z array holds 8 bytes, expected 12 for 3 values"},
        {with("AADJQgBASEMAEJZD", "AAAgQQAAAAAAAPRB"), at1 + "m/z values are not finite and ascending (at point 2)"},
        {with("MS:1000574\" name=\"zlib", "MS:1002312\" name=\"MS-Numpress linear prediction"),
         at1 + "intensity array: unsupported compression \"MS-Numpress linear prediction compression\""},
        {with("MS:1000523\" name=\"64-bit float", "MS:1000519\" name=\"32-bit integer"),
         file + "spectrum 2 (\"scan=2\"): m/z array: unsupported data type \"32-bit integer\""},
        {with("eJxjYAABFQcGZNBg5wAACRwBYw==", "AADJQgBASEMAEJZD"), at1 + "intensity array is not valid zlib data"},
        {with("\"3\"", "\"16000000\""), at1 + "intensity array: 19 compressed bytes cannot hold 16000000 values"},
        {with("\"3\"", "\"16777217\""),
         at1 + "defaultArrayLength is \"16777217\", not a whole number from 0 to 16777216"},
        {with("MS:1000515", "MS:1000786"), at1 + "no intensity array"},
        {with("configuration\" value=\"2", "configuration\" value=\"0"),
         at1 + "preset scan configuration is \"0\", not a whole number from 1 to 32767"},
    };
    for (const auto& [text, reason] : cases)
        EXPECT_EQ(read(text, data).rfind(reason, 0), 0u) << reason;
}

TEST_F(RawDataTest, HandleLifeCycle)
{
    tag_HXRAWFILE path = pathForm(sample(), 2);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 10);
    tag_RAW_DATA_ID id;
    ASSERT_EQ(host_.DmRawFileToID(path, id), 0);
    id.SetDataKind(2); // as the engine does; the identifier must still find the raw data
    id.SetScanNumber(7);
    const DMHANDLE handle = host_.DmGetHandle(0, 552, id, 2, 4, 0);
    EXPECT_EQ(readAndRelease(handle), (Points{{100.0f, 7.0f}, {200.0f, 70.0f}}));
    // A released handle, one never given and 0 fail every call, and nothing crashes.
    for (const DMHANDLE gone : {handle, DMHANDLE{0}, DMHANDLE{424242}})
        EXPECT_EQ(readAndRelease(gone), Points{}) << gone;
    // Arrays lock only after the data is read with the header's count, and unlock only when locked.
    const DMHANDLE again = host_.DmGetHandle(0, 552, id, 2, 4, 0);
    EXPECT_TRUE(!host_.DmLockData(again, 0, 1, 2) && host_.DmGetData(again, 1, 3, 2) == -1);
    EXPECT_TRUE(host_.DmGetData(again, 1, 2, 2) == 0 && !host_.DmLockData(again, 2, 1, 2) &&
                !host_.DmLockData(again, 0, 1, 3));
    EXPECT_TRUE(host_.DmUnlockData(again, 0) == -1 && host_.DmLockData(again, 1, 1, 2));
    EXPECT_EQ(host_.DmReleaseHandle(again, 0), 0) << "a handle with locks still releases";
    // Scans and functions the raw data does not have, and identifiers it never filled.
    id.SetScanNumber(11);
    EXPECT_EQ(host_.DmGetHandle(0, 552, id, 2, 4, 0), 0);
    id.SetScanNumber(0);
    EXPECT_EQ(host_.DmGetHandle(0, 552, id, 2, 4, 0), 0);
    EXPECT_EQ(host_.DmGetHandle(0, 552, tag_RAW_DATA_ID(), 2, 4, 0), 0);
    path.SetFunctionNumber(4);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 0);
    EXPECT_EQ(host_.DmRawFileToID(path, id), -1);
    // A file that changes is read again; damaged raw data is not served from the cache.
    path = pathForm(RawData{{{2, {{1, 0.0, 1, 0.0, 0.0, 0.0, {}, {}}}}}}, 2);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 1);
    ASSERT_TRUE(testkit::writeText(dir_.file("Opt.RAW/Opt.mzML"), "<mzML"));
    EXPECT_EQ(host_.DmRawScansInFunction(path), 0);
}

TEST_F(RawDataTest, CombineSubtractsTheMeanBackgroundFromThePeakMean)
{
    tag_HXRAWFILE path = pathForm(sample(), 2);
    const auto combine = [&](std::array<int, 6> windows) {
        tag_COMBINE_PARAMS params; // peak, background 1, background 2: first scan and number of scans each
        for (std::size_t i = 0; i < windows.size(); ++i)
            params.set<std::int32_t>(4 * i, windows[i]);
        return readAndRelease(host_.Combine(0, 0, path, path, params, 0));
    };
    const std::pair<std::array<int, 6>, Points> cases[] = {
        {{5, 3, 1, 2, 9, 2}, {{100.0f, 0.5f}, {200.0f, 5.0f}}},   // peak 5-7: 6; background 1-2, 9-10: 5.5
        {{1, 1, 8, 3, 8, 0}, {{100.0f, 0.0f}, {200.0f, 0.0f}}},   // background above the peak: cut to 0
        {{2, 2, 0, 0, 11, 4}, {{100.0f, 2.5f}, {200.0f, 25.0f}}}, // no background scans
        {{0, 3, 1, 1, 0, 1}, {{100.0f, 0.5f}, {200.0f, 5.0f}}},   // scans before 1 and after 10 count nowhere
        {{10, 3, 8, 1, 10, 3}, {{100.0f, 1.0f}, {200.0f, 10.0f}}},
        {{11, 5, 1, 2, 3, 2}, {}}, // an empty peak window: no spectrum
        {{4, 0, 1, 2, 3, 2}, {}},
    };
    for (const auto& [windows, want] : cases)
        EXPECT_EQ(combine(windows), want) << windows[0];
    path.SetFunctionNumber(3); // m/z values within 0.01 of each other are one ion, at their mean
    const auto third = [](double v) { return static_cast<float>(v / 3.0); };
    EXPECT_EQ(combine({1, 3, 0, 0, 0, 0}), (Points{{100.0f, third(10.0)}, {100.2f, third(1.0)}, {150.0f, third(2.0)}}));
}
} // namespace
