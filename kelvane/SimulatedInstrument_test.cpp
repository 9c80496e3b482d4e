// The simulated instrument: tune files, the tune it holds, and its configured mass limit.
#include "kelvane/KelvaneHost.h"
#include "kelvane/SimulatedInstrument.h"
#include "testing/TempDir.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using testkit::writeText;

constexpr const char* kParentTune = "[Tune]\n"
                                    "Ion Mode=ESP\n"
                                    "Polarity=+\n"
                                    "Capillary kV=3.0\n"
                                    "Source Temperature=120\n"
                                    "Desolvation Temperature=350\n"
                                    "Cone Gas Flow=50\n"
                                    "Desolvation Gas Flow=600\n";

class SimulatedInstrument : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }
    // Writes a tune file and returns its host path.
    std::string tuneFile(const char* name, const std::string& text) const
    {
        writeText(dir_.file(name), text);
        return platform::toHostPath(dir_.file(name));
    }

    testkit::TempDir dir_;
};

TEST_F(SimulatedInstrument, LoadsATuneFile)
{
    kelvane::SimulatedInstrument instrument;
    EXPECT_EQ(instrument.GetTuneState(), 0);
    const std::string path = tuneFile("Parent.ipr", kParentTune);
    ASSERT_EQ(instrument.LoadTune(0, path.c_str(), 0), 1);
    EXPECT_EQ(instrument.GetTuneState(), 1);
    ASSERT_TRUE(instrument.Tune());
    EXPECT_EQ(instrument.TunePath(), path);
    EXPECT_EQ(kelvane::formatTune(*instrument.Tune()), "Ion Mode=ESP\nPolarity=+\nCapillary kV=3\n"
                                                       "Source Temperature=120\nDesolvation Temperature=350\n"
                                                       "Cone Gas Flow=50\nDesolvation Gas Flow=600\n");
}

TEST_F(SimulatedInstrument, UnreadableTuneFileFailsAndKeepsTheTuneHeld)
{
    const std::string good = tuneFile("Parent.ipr", kParentTune);
    std::filesystem::create_directory(dir_.file("Folder.ipr"));
    const std::string text = kParentTune;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    struct Case
    {
        const char* name;
        std::string path;
        const char* error;
    };
    const Case cases[] = {
        {"missing file", platform::toHostPath(dir_.file("Missing.ipr")), "Missing.ipr: cannot read the tune file"},
        {"directory", platform::toHostPath(dir_.file("Folder.ipr")), "Folder.ipr: cannot read the tune file"},
        {"no tune section", tuneFile("a.ipr", "Ion Mode=ESP\n"),
         "a.ipr: \"Ion Mode\" is missing, expected ESP or APcI"},
        {"unknown ion mode", tuneFile("b.ipr", replaced("ESP", "EI")),
         "b.ipr: \"Ion Mode\" is \"EI\", expected ESP or APcI"},
        {"ion mode in other case", tuneFile("c.ipr", replaced("ESP", "esp")),
         "c.ipr: \"Ion Mode\" is \"esp\", expected ESP or APcI"},
        {"no polarity", tuneFile("d.ipr", replaced("Polarity=+\n", "")),
         "d.ipr: \"Polarity\" is missing, expected + or -"},
        {"number with unit", tuneFile("e.ipr", replaced("=3.0", "=3.0 kV")),
         "e.ipr: \"Capillary kV\" is \"3.0 kV\", expected a number"},
        {"not finite", tuneFile("f.ipr", replaced("=600", "=inf")),
         "f.ipr: \"Desolvation Gas Flow\" is \"inf\", expected a number"},
    };
    kelvane::SimulatedInstrument instrument;
    ASSERT_EQ(instrument.LoadTune(0, good.c_str(), 0), 1);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(kelvane::readTuneFile(c.path, &error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(instrument.LoadTune(0, c.path.c_str(), 1), 0);
        EXPECT_EQ(instrument.GetTuneState(), 1);
        EXPECT_EQ(instrument.TunePath(), good);
    }
    EXPECT_EQ(instrument.LoadTune(0, nullptr, 0), 0);
}

TEST_F(SimulatedInstrument, TuneHeldCarriesOverToTheNextSessionUntilClosed)
{
    const std::string path = tuneFile("Parent.ipr", kParentTune);
    {
        kelvane::SimulatedInstrument first;
        ASSERT_EQ(first.LoadTune(0, path.c_str(), 0), 1);
    }
    {
        kelvane::SimulatedInstrument second;
        EXPECT_EQ(second.GetTuneState(), 1);
        EXPECT_EQ(second.TunePath(), path);
        EXPECT_EQ(second.CloseTune(), 1);
    }
    kelvane::SimulatedInstrument third;
    EXPECT_EQ(third.GetTuneState(), 0);
}

TEST_F(SimulatedInstrument, CommitNeedsAnOpenTune)
{
    kelvane::SimulatedInstrument instrument;
    EXPECT_EQ(instrument.CommitTune(), 0);
    const std::string path = tuneFile("Parent.ipr", kParentTune);
    ASSERT_EQ(instrument.LoadTune(0, path.c_str(), 0), 1);
    EXPECT_FALSE(instrument.Committed());
    EXPECT_EQ(instrument.CommitTune(), 1);
    EXPECT_TRUE(instrument.Committed());
}

TEST_F(SimulatedInstrument, MassLimitComesFromTheConfiguration)
{
    struct Case
    {
        const char* name;
        const char* configuration; // null: no file
        int expected;
    };
    const Case cases[] = {
        {"no configuration", nullptr, 2000},
        {"configured", "[Instrument]\nMass Limit=4000\n", 4000},
        {"not a number", "[Instrument]\nMass Limit=lots\n", 2000},
        {"fraction", "[Instrument]\nMass Limit=1500.5\n", 2000},
        {"too small", "[Instrument]\nMass Limit=0\n", 2000},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir_.file("Instrument.ini"));
        if (c.configuration)
            writeText(dir_.file("Instrument.ini"), c.configuration);
        kelvane::SimulatedInstrument instrument;
        EXPECT_EQ(instrument.GetMassLimit(), c.expected);
    }
}

TEST_F(SimulatedInstrument, TheHostMakesOneInstrument)
{
    auto& host = dynamic_cast<kelvane::KelvaneHost&>(host::Current());
    EXPECT_EQ(&host.instrument(), &host.instrument());
}
} // namespace
