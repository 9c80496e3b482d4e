// The simulated instrument: tune files, the tune it holds, and its configured mass limit.
#include "kelvane/KelvaneHost.h"
#include "instrument/SimulatedInstrument.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
constexpr const char* kParentTune = "[Tune]\nIon Mode=ESP\nPolarity=+\nCapillary kV=3.0\nSource Temperature=120\n"
                                    "Desolvation Temperature=350\nCone Gas Flow=50\nDesolvation Gas Flow=600\n";

class SimulatedInstrument : public ::testing::Test
{
  protected:
    // Writes a tune file, kParentTune with from replaced by to, and returns its host path.
    std::string tuneFile(const char* name, const std::string& from = "", const std::string& to = "") const
    {
        std::string text = kParentTune;
        testkit::writeText(dir_.file(name), text.replace(text.find(from), from.size(), to));
        return platform::toHostPath(dir_.file(name));
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

// The tune held and committed survives the session; a tune file that does not read leaves it.
TEST_F(SimulatedInstrument, HoldsItsTuneAcrossSessionsAndReadsItsMassLimit)
{
    const std::string good = tuneFile("Parent.ipr");
    const std::pair<std::string, const char*> cases[] = {
        {platform::toHostPath(dir_.file("Missing.ipr")), "Missing.ipr: cannot read the tune file"},
        {tuneFile("a.ipr", "Polarity=+\n", ""), "a.ipr: \"Polarity\" is missing, expected + or -"},
        {tuneFile("b.ipr", "ESP", "EI"), "b.ipr: \"Ion Mode\" is \"EI\", expected ESP or APcI"},
        {tuneFile("e.ipr", "=3.0", "=3.0 kV"), "e.ipr: \"Capillary kV\" is \"3.0 kV\", expected a number"},
        {tuneFile("f.ipr", "=600", "=inf"), "f.ipr: \"Desolvation Gas Flow\" is \"inf\", expected a number"},
    };
    {
        instrument::SimulatedInstrument first;
        EXPECT_EQ(first.CommitTune(), 0) << "nothing to commit";
        ASSERT_EQ(first.LoadTune(0, good.c_str(), 0), 1);
        EXPECT_EQ(instrument::formatTune(*first.Tune()), "Ion Mode=ESP\nPolarity=+\nCapillary kV=3\n"
                                                      "Source Temperature=120\nDesolvation Temperature=350\n"
                                                      "Cone Gas Flow=50\nDesolvation Gas Flow=600\n");
        EXPECT_FALSE(first.Committed());
        EXPECT_EQ(first.CommitTune(), 1);
        EXPECT_TRUE(first.Committed());
    }
    instrument::SimulatedInstrument instrument;
    for (const auto& [path, message] : cases)
    {
        SCOPED_TRACE(message);
        std::string error;
        EXPECT_EQ(instrument::readTuneFile(path, &error) ? "read" : error, message);
        EXPECT_EQ(instrument.LoadTune(0, path.c_str(), 1), 0);
        EXPECT_EQ(std::to_string(instrument.GetTuneState()) + " " + instrument.TunePath(), "1 " + good);
    }
    EXPECT_EQ(instrument.LoadTune(0, nullptr, 0) + instrument.CloseTune(), 1);
    EXPECT_EQ(instrument::SimulatedInstrument().GetTuneState(), 0);
    for (const auto& [text, expected] :
         {std::pair{"100", 100}, {"99", 2000}, {"100000", 100000}, {"100001", 2000}, {"1500.5", 2000}, {"", 2000}})
    {
        testkit::writeText(dir_.file("Instrument.ini"), std::string("[Instrument]\nMass Limit=") + text + "\n");
        EXPECT_EQ(instrument::SimulatedInstrument().GetMassLimit(), expected) << text;
    }
}

} // namespace
