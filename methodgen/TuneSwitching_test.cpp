// The host call sequences of the tune switches, on a mock host and a mock instrument.
#include "methodgen/TuneSwitching.h"
#include "testing/MockHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace
{
using ::testing::_;
using ::testing::Return;

using Switch = int (*)(const CBrenmoOptions&);

TEST(TuneSwitching, HostCallSequences)
{
    struct Case
    {
        const char* name;
        int state;              // the instrument's GetTuneState
        const char* parentTune; // "TUNE_DB" before the run is "C:\S"
        const char* calls;      // I, P, D, A, O: SetTuneInitial, Parent, Daughter, Acquisition, Original
        const char* log;        // host and instrument calls, in order
        int result;             // of the last call
    };
    const Case cases[] = {
        {"stages", 1, "C:\\P", "PDA", "set C:\\P|load C:\\P 00|set C:\\D|load C:\\D 00|set C:\\A|load C:\\A 00|", 7},
        {"open tune kept", 1, "C:\\P", "IPO", "state|commit|get|set C:\\P|load C:\\P 00|get|set C:\\S|load C:\\S 01|",
         5},
        {"no tune at start", 0, "C:\\P", "IPO", "state|set C:\\P|load C:\\P 00|get|set |close|", 3},
        {"saved tune in force, case aside", 1, "c:\\s", "IPO",
         "state|commit|get|set c:\\s|load c:\\s 00|get|set C:\\S|", 1},
    };
    const std::map<char, Switch> switches = {{'I', SetTuneInitial},
                                             {'P', SetTuneParent},
                                             {'D', SetTuneDaughter},
                                             {'A', SetTuneAcquisition},
                                             {'O', SetTuneOriginal}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string log;
        std::string tuneDb = "C:\\S";
        ::testing::NiceMock<host::MockHost> host;
        host::ScopedHost installed(host);
        host.UsePathsInDirectoryText();
        ON_CALL(host, GetSystemListValue(_, ::testing::StrEq("TUNE_DB"), 0, _))
            .WillByDefault([&](const char*, const char*, int, tag_HXFILE& out) {
                log += "get|";
                out.clear();
                return out.SetDirectory(tuneDb.c_str()) ? 1 : 0;
            });
        ON_CALL(host, SetSystemListValue(::testing::StrEq("SystemList"), ::testing::StrEq("TUNE_DB"), _, 1))
            .WillByDefault([&](const char*, const char*, const tag_HXFILE& value, int) {
                tuneDb = value.Directory().str();
                log += "set " + tuneDb + "|";
                return 1;
            });
        ::testing::NiceMock<host::MockInstrument> instrument;
        ON_CALL(instrument, GetTuneState).WillByDefault([&] { return log += "state|", c.state; });
        ON_CALL(instrument, CommitTune).WillByDefault([&] { return log += "commit|", 1; });
        ON_CALL(instrument, CloseTune).WillByDefault([&] { return log += "close|", 3; });
        ON_CALL(instrument, LoadTune).WillByDefault([&](int flags, const char* path, int restoring) {
            log += "load " + std::string(path) + " " + std::to_string(flags) + std::to_string(restoring) + "|";
            return restoring ? 5 : 7;
        });
        CBrenmoOptions options;
        options.m_pInstrument = &instrument;
        options.m_strParentTuneFile = c.parentTune;
        options.m_strDaughterTuneFile = "C:\\D";
        options.m_strAcquisitionTuneFile = "C:\\A";
        int result = 0;
        for (const char* call = c.calls; *call; ++call)
            result = switches.at(*call)(options);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(result, c.result);
    }
}

TEST(TuneSwitching, WithoutInstrumentEveryFunctionFailsAndLeavesTuneDbAlone)
{
    ::testing::NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    EXPECT_CALL(host, SetSystemListValue).Times(0);
    const CBrenmoOptions options;
    for (Switch call : {SetTuneInitial, SetTuneParent, SetTuneDaughter, SetTuneAcquisition, SetTuneOriginal})
        EXPECT_EQ(call(options), 0);
}
} // namespace
