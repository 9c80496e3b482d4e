// The host call sequences of the tune switches, on a mock host and a mock instrument.
#include "methodgen/TuneSwitching.h"
#include "testing/MockHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace
{
using ::testing::_;
using ::testing::StrEq;

TEST(TuneSwitching, HostCallSequences)
{
    // The calls by letter: SetTuneInitial, Parent, Daughter, Acquisition, Original.
    int (*const switches[])(const CBrenmoOptions&) = {SetTuneInitial, SetTuneParent, SetTuneDaughter,
                                                      SetTuneAcquisition, SetTuneOriginal};
    // The instrument's GetTuneState (-1: no instrument), the parent tune ("TUNE_DB" is "C:\S" before
    // the run), the calls, the host and instrument calls in order, and the result of each call.
    struct Case { const char* name; int state; const char* tune; const char* calls; const char* log; const char* out; };
    const Case cases[] = {
        {"stages, open tune kept", 1, "C:\\P", "IPDAO",
         "state|commit|get|set C:\\P|load C:\\P 00|set C:\\D|load C:\\D 00|set C:\\A|load C:\\A 00|"
         "get|set C:\\S|load C:\\S 01|",
         "17775"},
        {"no tune at start", 0, "C:\\P", "IPO", "state|set C:\\P|load C:\\P 00|get|set |close|", "173"},
        {"saved tune in force, case aside", 1, "c:\\s", "IPO",
         "state|commit|get|set c:\\s|load c:\\s 00|get|set C:\\S|", "171"},
        {"no instrument: nothing done", -1, "C:\\P", "IPDAO", "", "00000"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string log, results, db = "C:\\S";
        ::testing::NiceMock<host::MockHost> host;
        host::ScopedHost installed(host);
        host.UsePathsInDirectoryText();
        ON_CALL(host, GetSystemListValue(_, StrEq("TUNE_DB"), 0, _))
            .WillByDefault([&](auto, auto, int, auto& o) { return log += "get|", o.SetDirectory(db.c_str()); });
        ON_CALL(host, SetSystemListValue(StrEq("SystemList"), StrEq("TUNE_DB"), _, 1)).WillByDefault(
            [&](auto, auto, auto& v, int) { return log += "set " + (db = v.Directory().str()) + "|", 1; });
        ::testing::NiceMock<host::MockInstrument> instrument;
        ON_CALL(instrument, GetTuneState).WillByDefault([&] { return log += "state|", c.state; });
        ON_CALL(instrument, CommitTune).WillByDefault([&] { return log += "commit|", 1; });
        ON_CALL(instrument, CloseTune).WillByDefault([&] { return log += "close|", 3; });
        ON_CALL(instrument, LoadTune).WillByDefault([&](int flags, const char* path, int restoring) {
            log += "load " + std::string(path) + " " + std::to_string(flags) + std::to_string(restoring) + "|";
            return restoring ? 5 : 7;
        });
        CBrenmoOptions options;
        options.m_pInstrument = c.state < 0 ? nullptr : &instrument;
        options.m_strParentTuneFile = c.tune;
        options.m_strDaughterTuneFile = "C:\\D";
        options.m_strAcquisitionTuneFile = "C:\\A";
        for (const char* call = c.calls; *call; ++call)
            results += std::to_string(switches[std::string_view("IPDAO").find(*call)](options));
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(results, c.out);
    }
}
} // namespace
