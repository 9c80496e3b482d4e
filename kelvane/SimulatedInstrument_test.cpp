// The simulated instrument: tune files, the tune it holds, and its configured mass limit.
#include "kelvane/KelvaneHost.h"
#include "kelvane/SimulatedInstrument.h"
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
    // Writes a tune file and returns its host path.
    std::string tuneFile(const char* name, const std::string& text) const
    {
        testkit::writeText(dir_.file(name), text);
        return platform::toHostPath(dir_.file(name));
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost host_;
    host::ScopedHost installed_{host_};
};

TEST_F(SimulatedInstrument, LoadsATuneFileHoldsItAcrossSessionsAndCommitsIt)
{
    const std::string path = tuneFile("Parent.ipr", kParentTune);
    {
        kelvane::SimulatedInstrument first;
        EXPECT_EQ(first.GetTuneState(), 0);
        EXPECT_EQ(first.CommitTune(), 0) << "nothing to commit";
        ASSERT_EQ(first.LoadTune(0, path.c_str(), 0), 1);
        ASSERT_TRUE(first.Tune());
        EXPECT_EQ(kelvane::formatTune(*first.Tune()), "Ion Mode=ESP\nPolarity=+\nCapillary kV=3\n"
                                                      "Source Temperature=120\nDesolvation Temperature=350\n"
                                                      "Cone Gas Flow=50\nDesolvation Gas Flow=600\n");
        EXPECT_FALSE(first.Committed());
        EXPECT_EQ(first.CommitTune(), 1);
        EXPECT_TRUE(first.Committed());
    }
    {
        kelvane::SimulatedInstrument second;
        EXPECT_EQ(second.GetTuneState(), 1);
        EXPECT_EQ(second.TunePath(), path);
        EXPECT_EQ(second.CloseTune(), 1);
    }
    EXPECT_EQ(kelvane::SimulatedInstrument().GetTuneState(), 0);
    EXPECT_EQ(&host_.instrument(), &host_.instrument()) << "the host makes one instrument";
}

TEST_F(SimulatedInstrument, UnreadableTuneFileFailsAndKeepsTheTuneHeld)
{
    const std::string good = tuneFile("Parent.ipr", kParentTune);
    std::filesystem::create_directory(dir_.file("Folder.ipr"));
    auto replaced = [](const std::string& from, const std::string& to) {
        std::string t = kParentTune;
        return t.replace(t.find(from), from.size(), to);
    };
    struct Case
    {
        std::string path;
        const char* error;
    };
    const Case cases[] = {
        {platform::toHostPath(dir_.file("Missing.ipr")), "Missing.ipr: cannot read the tune file"},
        {platform::toHostPath(dir_.file("Folder.ipr")), "Folder.ipr: cannot read the tune file"},
        {tuneFile("a.ipr", "Ion Mode=ESP\n"), "a.ipr: \"Ion Mode\" is missing, expected ESP or APcI"},
        {tuneFile("b.ipr", replaced("ESP", "EI")), "b.ipr: \"Ion Mode\" is \"EI\", expected ESP or APcI"},
        {tuneFile("c.ipr", replaced("ESP", "esp")), "c.ipr: \"Ion Mode\" is \"esp\", expected ESP or APcI"},
        {tuneFile("d.ipr", replaced("Polarity=+\n", "")), "d.ipr: \"Polarity\" is missing, expected + or -"},
        {tuneFile("e.ipr", replaced("=3.0", "=3.0 kV")), "e.ipr: \"Capillary kV\" is \"3.0 kV\", expected a number"},
        {tuneFile("f.ipr", replaced("=600", "=inf")), "f.ipr: \"Desolvation Gas Flow\" is \"inf\", expected a number"},
    };
    kelvane::SimulatedInstrument instrument;
    ASSERT_EQ(instrument.LoadTune(0, good.c_str(), 0), 1);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.error);
        std::string error;
        EXPECT_FALSE(kelvane::readTuneFile(c.path, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(instrument.LoadTune(0, c.path.c_str(), 1), 0);
        EXPECT_EQ(instrument.GetTuneState(), 1);
        EXPECT_EQ(instrument.TunePath(), good);
    }
    EXPECT_EQ(instrument.LoadTune(0, nullptr, 0), 0);
}

TEST_F(SimulatedInstrument, MassLimitComesFromTheConfiguration)
{
    struct Case
    {
        const char* configuration; // null: no file
        int expected;
    };
    const Case cases[] = {
        {nullptr, 2000},
        {"[Instrument]\nMass Limit=4000\n", 4000},
        {"[Instrument]\nMass Limit=lots\n", 2000},
        {"[Instrument]\nMass Limit=1500.5\n", 2000},
        {"[Instrument]\nMass Limit=0\n", 2000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.configuration ? c.configuration : "no configuration");
        std::filesystem::remove(dir_.file("Instrument.ini"));
        if (c.configuration)
            testkit::writeText(dir_.file("Instrument.ini"), c.configuration);
        EXPECT_EQ(kelvane::SimulatedInstrument().GetMassLimit(), c.expected);
    }
}
} // namespace
