// tessaly raw show end to end: the functions of raw data the host stand-in wrote, and refusals.
#include "instrument/RawData.h"
#include "testing/DriverTest.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using TessalyRaw = tests::DriverTest;

instrument::RawScan scan(int number, int msLevel, double cone, double energy)
{
    return {number, 0.0, msLevel, cone, energy, msLevel > 1 ? 301.1 : 0.0, {100.0f, 301.1f}, {5.0f, 50.0f}};
}

TEST_F(TessalyRaw, ShowListsEachFunctionWithItsRampSetting)
{
    const instrument::RawData data{{{1, {scan(1, 1, 27.5, 0), scan(2, 1, 30, 0)}}, {3, {scan(1, 2, 30, 12)}}}};
    std::string error;
    ASSERT_TRUE(instrument::writeRawData(path("Opt01.RAW"), data, error)) << error;
    const Result r = tessaly({"raw", "show", path("Opt01.RAW")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Function\tScans\tType\tCone Voltage\tCollision Energy\n"
                     "1\t2\tMS\t27.5\t-\n"
                     "3\t1\tMS/MS\t-\t12\n");
}

TEST_F(TessalyRaw, RefusesWhatIsNotRawData)
{
    expectRefused({"raw", "show", path("Missing.RAW")}, path("Missing.RAW") + ": no such directory");
    std::filesystem::create_directories(path("Empty.RAW"));
    expectRefused({"raw", "show", path("Empty.RAW")}, path("Empty.RAW") + ": holds no mzML file");
    write("Empty.RAW/Broken.mzML",
          "<mzML><run><spectrumList><spectrum defaultArrayLength=\"x\"/></spectrumList></run></mzML>");
    expectRefused({"raw", "show", path("Empty.RAW")},
                  path("Empty.RAW/Broken.mzML") +
                      ": spectrum 1 (\"\"): defaultArrayLength is \"x\", not a whole number from 0 to 16777216");
}
} // namespace
