// tessaly optimise end to end: raw data written here with a known optimum, measured by the host
// stand-in and searched by the engine.
#include "instrument/RawData.h"
#include "testing/DriverTest.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace
{
using TessalyOptimise = tests::DriverTest;

constexpr int kScans = 60;

// Eight ramp steps of one injection. In each scan the compound's ions (at mz, with the response
// each step gives) elute as a peak around scan 30 over a steady background ion at 250.
instrument::RawData injection(int msLevel, const std::vector<std::pair<float, std::vector<double>>>& ions,
                           double apexScan = 30)
{
    instrument::RawData data;
    for (int f = 1; f <= 8; ++f)
    {
        instrument::RawFunction& function = data.functions.emplace_back();
        function.number = f;
        for (int s = 1; s <= kScans; ++s)
        {
            instrument::RawScan& scan = function.scans.emplace_back();
            scan.scan = s;
            scan.time = 0.05 * s;
            scan.msLevel = msLevel;
            scan.coneVoltage = 10 + 6 * (f - 1);
            scan.collisionEnergy = msLevel == 2 ? 10 + 6 * (f - 1) : 0.0;
            scan.precursorMz = msLevel == 2 ? 301.0079 : 0.0;
            const double elution = std::exp(-std::pow((s - apexScan) / 4.0, 2));
            std::map<float, float> points{{250.0f, 500.0f}}; // spectra list m/z in ascending order
            for (const auto& [mz, response] : ions)
                points[mz] = static_cast<float>(5.0 + response[static_cast<std::size_t>(f - 1)] * elution);
            for (const auto& [mz, intensity] : points)
            {
                scan.mz.push_back(mz);
                scan.intensity.push_back(intensity);
            }
        }
    }
    return data;
}

TEST_F(TessalyOptimise, FindsTheRampStepOfGreatestResponse)
{
    const std::string method = write("m.tym", "[Tessaly Options]\nCone Voltage Min=10\nCone Voltage Max=50\n"
                                              "Cone Voltage Step=6\nCollision Energy Min=10\nCollision Energy Max=50\n"
                                              "Collision Energy Step=6\nIon Mode=ESP\nIon Mode Options=0\n"
                                              "Fragment Min Size=50\n");
    std::string error;
    ASSERT_TRUE(instrument::writeRawData(
        path("P.PRO/Data/Parent.RAW"),
        injection(1, {{301.0079f, {100, 400, 900, 1000, 800, 300, 100, 50}}, {323.0f, {2000, 0, 0, 0, 0, 0, 0, 0}}}),
        error))
        << error;
    const Result parent = tessaly({"optimise", "parent", path("P.PRO/Data/Parent.RAW"), "--method", method, "--mass",
                                   "300", "--polarity", "+"});
    ASSERT_EQ(parent.status, 0) << parent.err;
    EXPECT_NE(parent.out.find("Parent Mass\t301.0079\n"), std::string::npos) << parent.out;
    EXPECT_NE(parent.out.find("Cone Voltage\t28\n"), std::string::npos) << parent.out;
    EXPECT_NE(parent.out.find("Max Function\t4\n"), std::string::npos) << parent.out;

    // Products: 150 best at the third step, 200 weaker everywhere, the precursor excluded.
    ASSERT_TRUE(instrument::writeRawData(path("P.PRO/Data/Daughter.RAW"),
                                      injection(2, {{150.0f, {100, 600, 900, 500, 200, 50, 10, 0}},
                                                    {200.0f, {300, 300, 300, 300, 300, 300, 300, 300}},
                                                    {301.0079f, {5000, 3000, 100, 10, 0, 0, 0, 0}}}),
                                      error))
        << error;
    const Result daughter = tessaly({"optimise", "daughter", path("P.PRO/Data/Daughter.RAW"), "--method", method,
                                     "--mass", "300", "--parent", "301.0079", "--cone-voltage", "28"});
    ASSERT_EQ(daughter.status, 0) << daughter.err;
    EXPECT_NE(daughter.out.find("Daughter Mass\t150.0000\n"), std::string::npos) << daughter.out;
    EXPECT_NE(daughter.out.find("Collision Energy\t22\n"), std::string::npos) << daughter.out;

    // Nothing near the candidates: the record with its failure values, and exit status 1.
    const Result none = tessaly({"optimise", "parent", path("P.PRO/Data/Parent.RAW"), "--method", method, "--mass",
                                 "500", "--polarity", "+"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("Max Function\t-1\n"), std::string::npos) << none.out;
    EXPECT_EQ(none.err, "tessaly: " + path("P.PRO/Data/Parent.RAW") + ": no parent ion found\n");
    expectRefused({"optimise", "parent", path("P.PRO/Data/Missing.RAW"), "--method", method, "--mass", "300"},
                  path("P.PRO/Data/Missing.RAW") + ": no such directory");
    // The steps' peak databases and temporaries went with their private folder: nothing beside
    // the raw data, nothing left in the data directory's work folder.
    EXPECT_FALSE(std::filesystem::exists(path("P.PRO/PeakDB")));
    EXPECT_TRUE(std::filesystem::is_empty(path("Work")));
}
// A compound that elutes at the very start or end of the injection is still found; of two ramp
// steps with the same response the lower one wins.
TEST_F(TessalyOptimise, PeaksAtTheEdgesAndTiesGoToTheLowerStep)
{
    const std::string method = write("m.tym", "[Tessaly Options]\nCone Voltage Min=20\nCone Voltage Max=55\n"
                                              "Cone Voltage Step=5\nIon Mode=ESP\nIon Mode Options=0\n");
    for (const double apex : {1.0, double(kScans)})
    {
        SCOPED_TRACE(apex);
        std::string error;
        const std::string raw = path("P.PRO/Data/Edge" + std::to_string(int(apex)) + ".RAW");
        ASSERT_TRUE(instrument::writeRawData(raw, injection(1, {{301.0079f, {10, 700, 20, 30, 700, 10, 0, 0}}}, apex),
                                          error))
            << error;
        const Result r = tessaly({"optimise", "parent", raw, "--method", method, "--mass", "300"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("Cone Voltage\t25\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Max Function\t2\n"), std::string::npos) << r.out;
    }
}
} // namespace
