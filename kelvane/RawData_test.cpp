// Raw data of the host stand-in: mzML written and read back, the forms other tools write, the
// files that must be refused, and the raw-data library's handles and spectrum combine.
#include "kelvane/KelvaneHost.h"
#include "kelvane/RawData.h"
#include "platform/WinPath.h"
#include "testing/TempDir.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using kelvane::RawData;
using kelvane::RawFunction;
using kelvane::RawScan;

RawScan scan(int number, double time, std::vector<float> mz, std::vector<float> intensity)
{
    RawScan s;
    s.scan = number;
    s.time = time;
    s.mz = std::move(mz);
    s.intensity = std::move(intensity);
    return s;
}

// ---- Hand-written mzML, as other tools write it --------------------------------------------------

std::string base64(const void* data, std::size_t size)
{
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string out;
    for (std::size_t i = 0; i < size; i += 3)
    {
        unsigned n = bytes[i] << 16;
        if (i + 1 < size)
            n |= bytes[i + 1] << 8;
        if (i + 2 < size)
            n |= bytes[i + 2];
        out += alphabet[(n >> 18) & 63];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < size ? alphabet[(n >> 6) & 63] : '=';
        out += i + 2 < size ? alphabet[n & 63] : '=';
    }
    return out;
}
template <class T> std::string base64Of(const std::vector<T>& values)
{
    return base64(values.data(), values.size() * sizeof(T));
}
// zlib streams (made with zlib's default level) of the test arrays, as another tool writes them.
const std::string kZlibMz32 = "eJxjYDjpxODg4cwgMM0ZABCWAsA=";
const std::string kZlibIntensity32 = "eJxjYFBwZACDL44ABb4Blw==";
const std::string kZlibIntensity64 = "eJxjYAABFQcGZNBg5wAACRwBYw==";

const std::string kF32 = R"(<cvParam cvRef="MS" accession="MS:1000521" name="32-bit float"/>)";
const std::string kF64 = R"(<cvParam cvRef="MS" accession="MS:1000523" name="64-bit float"/>)";
const std::string kZlib = R"(<cvParam cvRef="MS" accession="MS:1000574" name="zlib compression"/>)";
const std::string kPlain = R"(<cvParam cvRef="MS" accession="MS:1000576" name="no compression"/>)";
const std::string kMzArray = R"(<cvParam cvRef="MS" accession="MS:1000514" name="m/z array"/>)";
const std::string kIntensityArray = R"(<cvParam cvRef="MS" accession="MS:1000515" name="intensity array"/>)";

std::string array(const std::string& params, const std::string& binary)
{
    return "<binaryDataArray>" + params + "<binary>" + binary + "</binary></binaryDataArray>";
}
std::string spectrum(int length, const std::string& inner, const std::string& arrays)
{
    return R"(<spectrum index="0" id="scan=1" defaultArrayLength=")" + std::to_string(length) + R"(">)" + inner +
           "<binaryDataArrayList count=\"2\">" + arrays + "</binaryDataArrayList></spectrum>";
}
std::string mzml(const std::string& spectra, const std::string& head = "")
{
    return R"(<?xml version="1.0" encoding="utf-8"?><mzML xmlns="http://psi.hupo.org/ms/mzml" version="1.1.0">)" +
           head + "<run id=\"r\"><spectrumList count=\"1\">" + spectra + "</spectrumList></run></mzML>";
}
std::string timeSeconds(double seconds)
{
    return R"(<scanList count="1"><scan><cvParam cvRef="MS" accession="MS:1000016" name="scan start time" value=")" +
           std::to_string(seconds) + R"(" unitCvRef="UO" unitAccession="UO:0000010" unitName="second"/></scan></scanList>)";
}

const std::vector<double> kMz64 = {100.5, 200.25, 300.125};
const std::vector<float> kMz32 = {100.5f, 200.25f, 300.125f};
const std::vector<double> kIntensity64 = {10.0, 0.0, 30.5};
const std::vector<float> kIntensity32 = {10.0f, 0.0f, 30.5f};

class RawDataFiles : public ::testing::Test
{
  protected:
    // Writes text as the only mzML file of a fresh NAME.RAW directory; returns the directory.
    std::string rawWith(const std::string& text, const std::string& fileName = "Data.mzML")
    {
        const std::string raw = dir_.file("Run" + std::to_string(++made_) + ".RAW");
        std::filesystem::create_directories(raw);
        EXPECT_TRUE(testkit::writeText(raw + "/" + fileName, text));
        return raw;
    }

    testkit::TempDir dir_;
    int made_ = 0;
};

TEST_F(RawDataFiles, WrittenDataReadsBackExactly)
{
    RawData data;
    RawFunction ms{1, {scan(1, 0.0166666666667, {101.1f, 250.7f}, {5.5f, 1e6f}), scan(2, 0.05, {}, {})}};
    ms.scans[0].coneVoltage = 35.0;
    RawFunction daughters{3, {scan(1, 0.03125, {77.0f}, {123.25f})}};
    daughters.scans[0].msLevel = 2;
    daughters.scans[0].collisionEnergy = 22.5;
    daughters.scans[0].precursorMz = 301.0123;
    daughters.scans[0].coneVoltage = 20.0;
    data.functions = {ms, daughters};

    std::string error;
    const std::string raw = dir_.file("Inject01.RAW");
    ASSERT_TRUE(kelvane::writeRawData(raw, data, error)) << error;
    EXPECT_TRUE(std::filesystem::is_regular_file(raw + "/Inject01.mzML"));
    RawData back;
    ASSERT_TRUE(kelvane::readRawData(raw, back, error)) << error;
    ASSERT_EQ(back.functions.size(), 2u);
    for (std::size_t f = 0; f < 2; ++f)
    {
        SCOPED_TRACE(f);
        const RawFunction& want = data.functions[f];
        const RawFunction& got = back.functions[f];
        EXPECT_EQ(got.number, want.number);
        ASSERT_EQ(got.scans.size(), want.scans.size());
        for (std::size_t s = 0; s < want.scans.size(); ++s)
        {
            EXPECT_EQ(got.scans[s].scan, want.scans[s].scan);
            EXPECT_EQ(got.scans[s].time, want.scans[s].time);
            EXPECT_EQ(got.scans[s].msLevel, want.scans[s].msLevel);
            EXPECT_EQ(got.scans[s].coneVoltage, want.scans[s].coneVoltage);
            EXPECT_EQ(got.scans[s].collisionEnergy, want.scans[s].collisionEnergy);
            EXPECT_EQ(got.scans[s].precursorMz, want.scans[s].precursorMz);
            EXPECT_EQ(got.scans[s].mz, want.scans[s].mz);
            EXPECT_EQ(got.scans[s].intensity, want.scans[s].intensity);
        }
    }
    // Written again, the data replaces the one mzML file whatever it is called.
    std::filesystem::rename(raw + "/Inject01.mzML", raw + "/other.MZML");
    data.functions.pop_back();
    ASSERT_TRUE(kelvane::writeRawData(raw, data, error)) << error;
    ASSERT_TRUE(kelvane::readRawData(raw, back, error)) << error;
    EXPECT_EQ(back.functions.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(raw + "/Inject01.mzML"));
}

TEST_F(RawDataFiles, WriterRefusesDataThatWouldNotReadBack)
{
    struct Case
    {
        const char* name;
        RawData data;
        const char* reason;
    };
    const Case cases[] = {
        {"function 0", {{{0, {}}}}, "function 0: function numbers must rise, from 1 to 32767"},
        {"functions out of order", {{{2, {}}, {1, {}}}}, "function 1: function numbers must rise, from 1 to 32767"},
        {"scan numbered 2 first", {{{1, {scan(2, 0, {}, {})}}}}, "function 1, scan 1: numbered 2"},
        {"unequal arrays", {{{1, {scan(1, 0, {1.0f, 2.0f}, {1.0f})}}}}, "function 1, scan 1: 2 m/z values but 1 intensities"},
        {"m/z descending", {{{1, {scan(1, 0, {2.0f, 1.0f}, {1.0f, 1.0f})}}}},
         "function 1, scan 1: m/z values must be finite and ascending, intensities finite"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string raw = dir_.file("Refused.RAW");
        std::string error;
        EXPECT_FALSE(kelvane::writeRawData(raw, c.data, error));
        EXPECT_EQ(error, raw + ": " + c.reason);
        EXPECT_FALSE(std::filesystem::exists(raw)) << "nothing is written";
    }
}

TEST_F(RawDataFiles, ReadsTheFormsOtherToolsWrite)
{
    const std::string preset2 =
        R"(<scanList count="1"><scan><cvParam cvRef="MS" accession="MS:1000616" name="preset scan configuration" value="2"/>)"
        R"(<userParam name="Cone Voltage" value="45" type="xsd:double"/></scan></scanList>)";
    const std::string ms2 =
        R"(<cvParam cvRef="MS" accession="MS:1000511" name="ms level" value="2"/><precursorList count="1"><precursor>)"
        R"(<isolationWindow><cvParam cvRef="MS" accession="MS:1000827" name="isolation window target m/z" value="301.5"/></isolationWindow>)"
        R"(<activation><cvParam cvRef="MS" accession="MS:1000045" name="collision energy" value="18"/></activation></precursor></precursorList>)";
    const std::string groups =
        R"(<referenceableParamGroupList count="1"><referenceableParamGroup id="mz64">)" + kF64 + kPlain + kMzArray +
        "</referenceableParamGroup></referenceableParamGroupList>";
    struct Case
    {
        const char* name;
        std::string text;
        int function;
        double time, cone, energy, precursor;
        int level;
    };
    const Case cases[] = {
        {"indexedmzML, 64-bit, uncompressed, seconds",
         "<indexedmzML>" +
             mzml(spectrum(3, timeSeconds(90),
                           array(kF64 + kPlain + kMzArray, base64Of(kMz64)) +
                               array(kF64 + kPlain + kIntensityArray, base64Of(kIntensity64)))) +
             "<indexList count=\"0\"/></indexedmzML>",
         1, 1.5, 0, 0, 0, 1},
        {"32-bit, zlib, function and cone voltage",
         mzml(spectrum(3, preset2,
                       array(kF32 + kZlib + kMzArray, kZlibMz32) +
                           array(kF32 + kZlib + kIntensityArray, kZlibIntensity32))),
         2, 0, 45, 0, 0, 1},
        {"64-bit zlib, product-ion scan, isolation target, param group",
         mzml(spectrum(3, ms2,
                       "<binaryDataArray><referenceableParamGroupRef ref=\"mz64\"/><binary>" + base64Of(kMz64) +
                           "</binary></binaryDataArray>" +
                           array(kF64 + kZlib + kIntensityArray, kZlibIntensity64)),
              groups),
         1, 0, 0, 18, 301.5, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        RawData data;
        std::string error;
        ASSERT_TRUE(kelvane::readRawData(rawWith(c.text), data, error)) << error;
        ASSERT_EQ(data.functions.size(), 1u);
        EXPECT_EQ(data.functions[0].number, c.function);
        ASSERT_EQ(data.functions[0].scans.size(), 1u);
        const RawScan& s = data.functions[0].scans[0];
        EXPECT_EQ(s.scan, 1);
        EXPECT_DOUBLE_EQ(s.time, c.time);
        EXPECT_EQ(s.coneVoltage, c.cone);
        EXPECT_EQ(s.collisionEnergy, c.energy);
        EXPECT_EQ(s.precursorMz, c.precursor);
        EXPECT_EQ(s.msLevel, c.level);
        EXPECT_EQ(s.mz, kMz32);
        EXPECT_EQ(s.intensity, kIntensity32);
    }
}

TEST_F(RawDataFiles, RefusesWhatIsNotWholeReadableMzml)
{
    const std::string mzPlain = array(kF32 + kPlain + kMzArray, base64Of(kMz32));
    const std::string intensityPlain = array(kF32 + kPlain + kIntensityArray, base64Of(kIntensity32));
    const std::string numpress = R"(<cvParam cvRef="MS" accession="MS:1002312" name="MS-Numpress linear prediction compression"/>)";
    const std::string integer = R"(<cvParam cvRef="MS" accession="MS:1000519" name="32-bit integer"/>)";
    const std::string whole = mzml(spectrum(3, "", mzPlain + intensityPlain));
    struct Case
    {
        const char* name;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"truncated XML", whole.substr(0, whole.size() - 20), "not well-formed XML at byte"},
        {"not mzML", "<mzXML/>", "not mzML (root element <mzXML>)"},
        {"numpress", mzml(spectrum(3, "", array(kF32 + numpress + kMzArray, "AAAA") + intensityPlain)),
         "spectrum 1 (\"scan=1\"): m/z array: unsupported compression \"MS-Numpress linear prediction compression\""},
        {"integer array", mzml(spectrum(3, "", mzPlain + array(integer + kPlain + kIntensityArray, "AAAA"))),
         "spectrum 1 (\"scan=1\"): intensity array: unsupported data type \"32-bit integer\" (32- or 64-bit float expected)"},
        {"bad base64", mzml(spectrum(3, "", array(kF32 + kPlain + kMzArray, "AB*D") + intensityPlain)),
         "spectrum 1 (\"scan=1\"): binary text is not base64"},
        {"arrays of different lengths",
         mzml(spectrum(3, "", mzPlain + array(kF32 + kPlain + kIntensityArray, base64Of(std::vector<float>{1, 2})))),
         "spectrum 1 (\"scan=1\"): intensity array holds 8 bytes, expected 12 for 3 values"},
        {"arrays shorter than defaultArrayLength", mzml(spectrum(4, "", mzPlain + intensityPlain)),
         "spectrum 1 (\"scan=1\"): m/z array holds 12 bytes, expected 16 for 4 values"},
        {"absurd defaultArrayLength", mzml(spectrum(2000000000, "", mzPlain + intensityPlain)),
         "spectrum 1 (\"scan=1\"): defaultArrayLength is \"2000000000\", not a whole number from 0 to 16777216"},
        {"zlib claiming a huge array",
         mzml(spectrum(16000000, "", array(kF32 + kZlib + kMzArray, kZlibMz32) + intensityPlain)),
         "spectrum 1 (\"scan=1\"): m/z array: 20 compressed bytes cannot hold 16000000 values"},
        {"not zlib data", mzml(spectrum(3, "", array(kF32 + kZlib + kMzArray, base64Of(kMz32)) + intensityPlain)),
         "spectrum 1 (\"scan=1\"): m/z array is not valid zlib data"},
        {"no intensity array", mzml(spectrum(3, "", mzPlain)), "spectrum 1 (\"scan=1\"): no intensity array"},
        {"m/z descending",
         mzml(spectrum(3, "", array(kF32 + kPlain + kMzArray, base64Of(std::vector<float>{3, 2, 1})) + intensityPlain)),
         "spectrum 1 (\"scan=1\"): m/z values are not finite and ascending (at point 2)"},
        {"function 0",
         mzml(spectrum(3, R"(<cvParam cvRef="MS" accession="MS:1000616" name="preset scan configuration" value="0"/>)",
                       mzPlain + intensityPlain)),
         "spectrum 1 (\"scan=1\"): preset scan configuration is \"0\", not a whole number from 1 to 32767"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string raw = rawWith(c.text);
        RawData data;
        data.functions.push_back({1, {}});
        std::string error;
        EXPECT_FALSE(kelvane::readRawData(raw, data, error));
        EXPECT_TRUE(data.functions.empty());
        EXPECT_EQ(error.rfind(raw + "/Data.mzML: " + c.reason, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST_F(RawDataFiles, FindsExactlyOneMzmlFileWhateverItsCase)
{
    const std::string raw = rawWith(mzml(""), "lower.mzml");
    std::string file, error;
    EXPECT_TRUE(kelvane::findRawDataFile(raw, file, error)) << error;
    EXPECT_EQ(file, raw + "/lower.mzml");
    ASSERT_TRUE(testkit::writeText(raw + "/Second.MZML", mzml("")));
    EXPECT_FALSE(kelvane::findRawDataFile(raw, file, error));
    EXPECT_EQ(error, raw + ": holds 2 mzML files, expected one");
    std::filesystem::create_directories(dir_.file("Empty.RAW/sub.mzML"));
    EXPECT_FALSE(kelvane::findRawDataFile(dir_.file("Empty.RAW"), file, error));
    EXPECT_EQ(error, dir_.file("Empty.RAW") + ": holds no mzML file");
    EXPECT_FALSE(kelvane::findRawDataFile(dir_.file("Missing.RAW"), file, error));
    EXPECT_EQ(error, dir_.file("Missing.RAW") + ": no such raw-data directory");
}

// ---- The raw-data library through the host ---------------------------------------------------

class RawDataHost : public RawDataFiles
{
  protected:
    // Writes data as NAME.RAW and returns its host path form naming function and scan.
    tag_HXRAWFILE pathForm(const RawData& data, int function, int scan = 0, const std::string& name = "Opt.RAW")
    {
        std::string error;
        EXPECT_TRUE(kelvane::writeRawData(dir_.file(name), data, error)) << error;
        tag_HXRAWFILE path;
        EXPECT_EQ(host_.ConvertPathToHxFile(path, platform::toHostPath(dir_.file(name)).c_str()), 1);
        path.SetFunctionNumber(static_cast<std::int16_t>(function));
        path.SetScanNumber(scan);
        return path;
    }
    // The spectrum of handle read as the engine reads it, then released; empty when any step failed.
    std::vector<std::pair<float, float>> readAndRelease(DMHANDLE handle, int mode = 2)
    {
        std::vector<std::pair<float, float>> points;
        tag_SPECTRUM_HEADER* header = host_.DmLockID(handle);
        if (!header)
            return points;
        const int count = header->PointCount();
        const float* mz = host_.DmGetData(handle, 1, count, mode) == 0 ? host_.DmLockData(handle, 0, 1, count) : nullptr;
        const float* intensity = mz ? host_.DmLockData(handle, 1, 1, count) : nullptr;
        for (int i = 0; intensity && i < count; ++i)
            points.emplace_back(mz[i], intensity[i]);
        EXPECT_EQ(host_.DmUnlockData(handle, 0), mz ? 0 : -1);
        EXPECT_EQ(host_.DmUnlockData(handle, 1), intensity ? 0 : -1);
        EXPECT_EQ(host_.DmUnlockID(handle), 0);
        EXPECT_EQ(host_.DmReleaseHandle(handle, 0), 0);
        return points;
    }
    DMHANDLE combine(tag_HXRAWFILE path, std::array<int, 6> windows)
    {
        tag_COMBINE_PARAMS params;
        for (std::size_t i = 0; i < windows.size(); ++i)
            params.set<std::int32_t>(4 * i, windows[i]);
        params.set<float>(tag_COMBINE_PARAMS::kFloat24, 1.0f);
        params.set<float>(tag_COMBINE_PARAMS::kFloat32, 1.0f);
        return host_.Combine(0, 0, path, path, params, 0);
    }

    kelvane::KelvaneHost host_;
};

// Ten scans of function 2 on one m/z axis: scan s has intensity s at 100 and 10 * s at 200.
RawData tenScans()
{
    RawFunction f{2, {}};
    for (int s = 1; s <= 10; ++s)
        f.scans.push_back(scan(s, s * 0.01, {100.0f, 200.0f}, {float(s), float(10 * s)}));
    return RawData{{RawFunction{1, {scan(1, 0.0, {50.0f}, {1.0f})}}, f}};
}

TEST_F(RawDataHost, HandleLifeCycle)
{
    tag_HXRAWFILE path = pathForm(tenScans(), 2, 4);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 10);
    tag_RAW_DATA_ID id;
    ASSERT_EQ(host_.DmRawFileToID(path, id), 0);
    EXPECT_EQ(id.FunctionNumber(), 2);
    EXPECT_EQ(id.ScanNumber(), 4);
    // The engine then sets these four fields; the identifier must still find the raw data.
    id.SetDataKind(2);
    id.set<std::int16_t>(tag_RAW_DATA_ID::kWord266, 0);
    id.set<std::int32_t>(tag_RAW_DATA_ID::kInt288, 0);
    id.SetScanNumber(7);
    const DMHANDLE handle = host_.DmGetHandle(0, 552, id, 2, 4, 0);
    ASSERT_NE(handle, 0);
    const std::vector<std::pair<float, float>> seventh = {{100.0f, 7.0f}, {200.0f, 70.0f}};
    EXPECT_EQ(readAndRelease(handle), seventh);

    // A released handle, one never given and 0 fail every call, and nothing crashes.
    for (const DMHANDLE gone : {handle, DMHANDLE{0}, DMHANDLE{424242}})
    {
        EXPECT_EQ(host_.DmLockID(gone), nullptr);
        EXPECT_EQ(host_.DmGetData(gone, 1, 2, 2), -1);
        EXPECT_EQ(host_.DmLockData(gone, 0, 1, 2), nullptr);
        EXPECT_EQ(host_.DmUnlockData(gone, 0), -1);
        EXPECT_EQ(host_.DmUnlockID(gone), -1);
        EXPECT_EQ(host_.DmReleaseHandle(gone, 0), -1);
    }
    // Arrays lock only after the data is read with the header's count.
    const DMHANDLE again = host_.DmGetHandle(0, 552, id, 2, 4, 0);
    EXPECT_EQ(host_.DmLockData(again, 0, 1, 2), nullptr);
    EXPECT_EQ(host_.DmGetData(again, 1, 3, 2), -1);
    EXPECT_EQ(host_.DmGetData(again, 1, 2, 2), 0);
    EXPECT_EQ(host_.DmLockData(again, 2, 1, 2), nullptr);
    EXPECT_NE(host_.DmLockData(again, 1, 1, 2), nullptr);
    EXPECT_EQ(host_.DmReleaseHandle(again, 0), 0) << "a handle with locks still releases";

    // Scans and functions the raw data does not have, and identifiers it never filled.
    id.SetScanNumber(11);
    EXPECT_EQ(host_.DmGetHandle(0, 552, id, 2, 4, 0), 0);
    id.SetScanNumber(0);
    EXPECT_EQ(host_.DmGetHandle(0, 552, id, 2, 4, 0), 0);
    EXPECT_EQ(host_.DmGetHandle(0, 552, tag_RAW_DATA_ID(), 2, 4, 0), 0);
    path.SetFunctionNumber(3);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 0);
    EXPECT_EQ(host_.DmRawFileToID(path, id), -1);
}

TEST_F(RawDataHost, ReadsTheFileAgainWhenItChanges)
{
    RawData data = tenScans();
    tag_HXRAWFILE path = pathForm(data, 2, 1);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 10);
    data.functions[1].scans.resize(6);
    pathForm(data, 2);
    EXPECT_EQ(host_.DmRawScansInFunction(path), 6);
    ASSERT_TRUE(testkit::writeText(dir_.file("Opt.RAW/Opt.mzML"), "<mzML"));
    EXPECT_EQ(host_.DmRawScansInFunction(path), 0) << "damaged raw data is not served from the cache";
}

TEST_F(RawDataHost, CombineSubtractsTheMeanBackgroundFromThePeakSum)
{
    const tag_HXRAWFILE path = pathForm(tenScans(), 2);
    // Peak scans 5-7 (sum 18 at m/z 100), background scans 1-2 and 9-10 (mean 5.5):
    // 18 - 3 * 5.5 = 1.5, and ten times that at m/z 200.
    const std::vector<std::pair<float, float>> worked = {{100.0f, 1.5f}, {200.0f, 15.0f}};
    EXPECT_EQ(readAndRelease(combine(path, {5, 3, 1, 2, 9, 2}), 0), worked);
    // Background above the peak is cut to 0: peak scan 1, background scans 8-10.
    const std::vector<std::pair<float, float>> cut = {{100.0f, 0.0f}, {200.0f, 0.0f}};
    EXPECT_EQ(readAndRelease(combine(path, {1, 1, 8, 3, 8, 0}), 0), cut);

    struct Case
    {
        const char* name;
        std::array<int, 6> windows;
        float at100;
    };
    const Case clipped[] = {
        // Scans before 1 and after 10 do not count: not in the peak sum, not in the number of
        // peak scans, not in the background mean.
        {"peak at scan 1", {0, 3, 1, 1, 0, 1}, (1.0f + 2.0f) - 2 * 1.0f},
        {"peak at the last scan", {10, 3, 3, 2, 10, 1}, 10.0f - (3 + 4 + 10) / 3.0f},
        {"no background", {2, 2, 0, 0, 11, 4}, 5.0f},
    };
    for (const Case& c : clipped)
    {
        SCOPED_TRACE(c.name);
        const auto points = readAndRelease(combine(path, c.windows), 0);
        ASSERT_EQ(points.size(), 2u);
        EXPECT_FLOAT_EQ(points[0].second, c.at100);
    }
    EXPECT_EQ(combine(path, {11, 5, 1, 2, 3, 2}), 0) << "a peak window past the last scan is empty";
    EXPECT_EQ(combine(path, {4, 0, 1, 2, 3, 2}), 0) << "a peak window of no scans is empty";
}

TEST_F(RawDataHost, CombineMergesMzValuesThatDifferSlightly)
{
    RawFunction f{1, {scan(1, 0.1, {99.996f, 150.0f}, {4.0f, 2.0f}), scan(2, 0.2, {100.004f}, {6.0f}),
                      scan(3, 0.3, {100.2f}, {1.0f})}};
    const tag_HXRAWFILE path = pathForm(RawData{{f}}, 1);
    const auto points = readAndRelease(combine(path, {1, 3, 0, 0, 0, 0}), 0);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_NEAR(points[0].first, 100.0f, 1e-4);
    EXPECT_EQ(points[0].second, 10.0f);
    EXPECT_EQ(points[1], std::make_pair(100.2f, 1.0f));
    EXPECT_EQ(points[2], std::make_pair(150.0f, 2.0f));
}
} // namespace
