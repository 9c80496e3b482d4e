// The host call sequences of the tune switches, on a mock host and a mock instrument.
#include "testing/MockHost.h"
#include "methodgen/TuneSwitching.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace
{
using ::testing::_;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::Truly;

// A mock host whose path forms and system list work: a path form carries the whole path in its
// directory text, and the system list is a map.
class TuneSwitching : public ::testing::Test
{
  protected:
    TuneSwitching()
    {
        host_.UsePathsInDirectoryText();
        ON_CALL(host_, GetSystemListValue).WillByDefault([this](const char*, const char* key, int, tag_HXFILE& out) {
            out.clear();
            const auto found = systemList_.find(key);
            if (found == systemList_.end())
                return 0;
            out.SetDirectory(found->second.c_str());
            return 1;
        });
        ON_CALL(host_, SetSystemListValue)
            .WillByDefault([this](const char*, const char* key, const tag_HXFILE& value, int) {
                systemList_[key] = value.Directory().str();
                return 1;
            });
        options_.m_pInstrument = &instrument_;
        options_.m_strParentTuneFile = "C:\\Demo.PRO\\Tune\\Parent.ipr";
        options_.m_strDaughterTuneFile = "C:\\Demo.PRO\\Tune\\Daughter.ipr";
        options_.m_strAcquisitionTuneFile = "C:\\Demo.PRO\\Tune\\Acquisition.ipr";
    }

    static auto valueIs(const std::string& path)
    {
        return Truly([path](const tag_HXFILE& value) { return value.Directory().str() == path; });
    }

    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
    ::testing::StrictMock<host::MockInstrument> instrument_;
    CBrenmoOptions options_;
    std::map<std::string, std::string> systemList_;
};

TEST_F(TuneSwitching, EachStageSetsTuneDbThenLoadsItsTuneFile)
{
    struct Case
    {
        const char* name;
        int (*switchTune)(const CBrenmoOptions&);
        const char* file;
    };
    const Case cases[] = {
        {"parent", SetTuneParent, "C:\\Demo.PRO\\Tune\\Parent.ipr"},
        {"daughter", SetTuneDaughter, "C:\\Demo.PRO\\Tune\\Daughter.ipr"},
        {"acquisition", SetTuneAcquisition, "C:\\Demo.PRO\\Tune\\Acquisition.ipr"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        InSequence order;
        EXPECT_CALL(host_, SetSystemListValue(StrEq("SystemList"), StrEq("TUNE_DB"), valueIs(c.file), 1));
        // The instrument's result is passed on as it is.
        EXPECT_CALL(instrument_, LoadTune(0, StrEq(c.file), 0)).WillOnce(Return(7));
        EXPECT_EQ(c.switchTune(options_), 7);
        ::testing::Mock::VerifyAndClearExpectations(&host_);
    }
}

TEST_F(TuneSwitching, InitialWithOpenTuneCommitsAndRemembersTuneDb)
{
    systemList_["TUNE_DB"] = "C:\\Before.ipr";
    {
        InSequence order;
        EXPECT_CALL(instrument_, GetTuneState()).WillOnce(Return(1));
        EXPECT_CALL(instrument_, CommitTune()).WillOnce(Return(1));
        EXPECT_CALL(host_, GetSystemListValue(StrEq("SystemList"), StrEq("TUNE_DB"), 0, _));
    }
    EXPECT_EQ(SetTuneInitial(options_), 1);
    EXPECT_EQ(methodgen::detail::savedTune().state, 1);
    EXPECT_EQ(methodgen::detail::savedTune().tuneDb.Directory(), "C:\\Before.ipr");
}

TEST_F(TuneSwitching, OriginalWithoutTuneAtStartEmptiesTuneDbAndClosesTune)
{
    EXPECT_CALL(instrument_, GetTuneState()).WillOnce(Return(0));
    EXPECT_EQ(SetTuneInitial(options_), 1);

    EXPECT_CALL(instrument_, LoadTune(0, StrEq("C:\\Demo.PRO\\Tune\\Parent.ipr"), 0)).WillOnce(Return(1));
    SetTuneParent(options_);
    {
        InSequence order;
        EXPECT_CALL(host_, SetSystemListValue(StrEq("SystemList"), StrEq("TUNE_DB"), valueIs(""), 1));
        EXPECT_CALL(instrument_, CloseTune()).WillOnce(Return(3));
    }
    EXPECT_EQ(SetTuneOriginal(options_), 3);
    EXPECT_EQ(systemList_["TUNE_DB"], "");
}

TEST_F(TuneSwitching, OriginalReloadsTheSavedTuneOnlyWhenAnotherIsInForce)
{
    struct Case
    {
        const char* name;
        const char* stageTune;
        bool reloads;
    };
    const Case cases[] = {
        {"other file", "C:\\Demo.PRO\\Tune\\Parent.ipr", true},
        {"same file, other letter case", "c:\\SAVED\\original.IPR", false},
        {"same file", "C:\\Saved\\Original.ipr", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        systemList_["TUNE_DB"] = "C:\\Saved\\Original.ipr";
        EXPECT_CALL(instrument_, GetTuneState()).WillOnce(Return(1));
        EXPECT_CALL(instrument_, CommitTune()).WillOnce(Return(1));
        ASSERT_EQ(SetTuneInitial(options_), 1);

        options_.m_strParentTuneFile = c.stageTune;
        EXPECT_CALL(instrument_, LoadTune(0, StrEq(c.stageTune), 0)).WillOnce(Return(1));
        SetTuneParent(options_);

        if (c.reloads)
            EXPECT_CALL(instrument_, LoadTune(0, StrEq("C:\\Saved\\Original.ipr"), 1)).WillOnce(Return(5));
        EXPECT_EQ(SetTuneOriginal(options_), c.reloads ? 5 : 1);
        EXPECT_EQ(systemList_["TUNE_DB"], "C:\\Saved\\Original.ipr");
        ::testing::Mock::VerifyAndClearExpectations(&instrument_);
    }
}

TEST_F(TuneSwitching, WithoutInstrumentEveryFunctionFailsAndLeavesTuneDbAlone)
{
    options_.m_pInstrument = nullptr;
    systemList_["TUNE_DB"] = "C:\\Kept.ipr";
    EXPECT_CALL(host_, SetSystemListValue).Times(0);
    for (auto* f : {SetTuneInitial, SetTuneParent, SetTuneDaughter, SetTuneAcquisition, SetTuneOriginal})
        EXPECT_EQ(f(options_), 0);
    EXPECT_EQ(systemList_["TUNE_DB"], "C:\\Kept.ipr");
}
} // namespace
