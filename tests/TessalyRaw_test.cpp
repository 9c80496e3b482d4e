// tessaly raw show end to end: the functions of raw data written by the host stand-in, and the
// raw data it refuses.
#include "kelvane/RawData.h"
#include "testing/DriverTest.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using TessalyRaw = tests::DriverTest;

kelvane::RawScan scan(int number, int msLevel, double cone, double energy)
{
    kelvane::RawScan s;
    s.scan = number;
    s.msLevel = msLevel;
    s.coneVoltage = cone;
    s.collisionEnergy = energy;
    s.precursorMz = msLevel > 1 ? 301.1 : 0.0;
    s.mz = {100.0f, 301.1f};
    s.intensity = {5.0f, 50.0f};
    return s;
}

TEST_F(TessalyRaw, ShowListsEachFunctionWithItsRampSetting)
{
    kelvane::RawData data;
    data.functions.push_back({1, {scan(1, 1, 20, 0), scan(2, 1, 20, 0), scan(3, 1, 20, 0)}});
    data.functions.push_back({2, {scan(1, 1, 27.5, 0), scan(2, 1, 27.5, 0), scan(3, 1, 27.5, 0)}});
    data.functions.push_back({3, {scan(1, 2, 30, 12), scan(2, 2, 30, 12)}});
    std::string error;
    ASSERT_TRUE(kelvane::writeRawData(path("Opt01.RAW"), data, error)) << error;

    const Result r = tessaly({"raw", "show", path("Opt01.RAW")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Function\tScans\tType\tCone Voltage\tCollision Energy\n"
                     "1\t3\tMS\t20\t-\n"
                     "2\t3\tMS\t27.5\t-\n"
                     "3\t2\tMS/MS\t-\t12\n");
}

TEST_F(TessalyRaw, RefusesWhatIsNotRawData)
{
    expectRefused({"raw", "show", path("Missing.RAW")}, path("Missing.RAW") + ": no such directory");
    expectRefused({"raw", "show", write("File.RAW", "")}, path("File.RAW") + ": not a directory");
    std::filesystem::create_directories(path("Empty.RAW"));
    expectRefused({"raw", "show", path("Empty.RAW")}, path("Empty.RAW") + ": holds no mzML file");
    std::filesystem::create_directories(path("Broken.RAW"));
    write("Broken.RAW/Broken.mzML", "<mzML><run><spectrumList><spectrum defaultArrayLength=\"x\"/>"
                                    "</spectrumList></run></mzML>");
    expectRefused({"raw", "show", path("Broken.RAW")},
                  path("Broken.RAW/Broken.mzML") +
                      ": spectrum 1 (\"\"): defaultArrayLength is \"x\", not a whole number from 0 to 16777216");
}
} // namespace
