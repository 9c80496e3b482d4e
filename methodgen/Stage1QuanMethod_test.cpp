// Stage-1 quan methods written through the host stand-in into a temporary data directory and
// read back, and the failure paths on a mock host.
#include "testing/MockHost.h"
#include "kelvane/KelvaneHost.h"
#include "methodgen/MasterMethod.h"
#include "methodgen/Stage1QuanMethod.h"
#include "testing/TempDir.h"
#include "platform/WinPath.h"

#include <cmath>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;

constexpr float kSpan = 3.0f;

class Stage1OnStandIn : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        host_ = kelvane::install(dir_.path());
        ASSERT_NE(host_, nullptr);
        options_.m_fStage1QuanValue = kSpan;
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }

    CString hostPath(const char* name) const
    {
        return CString(platform::toHostPath(dir_.file(name)));
    }

    // Every record of the database, read as a host reader does: open for reading, then records
    // 1 to the count that the open reports.
    std::vector<tag_METHOD_RECORD> readBack(const CString& database) const
    {
        tag_METHOD_DB_DESCRIPTOR descriptor;
        descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        tag_HXFILE name;
        EXPECT_EQ(ConvertPathToHxFile(&name, database), 1);
        descriptor.SetName(name);
        std::vector<tag_METHOD_RECORD> records;
        if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
            return records;
        for (int i = 1; i <= descriptor.RecordCount(); ++i)
        {
            records.emplace_back();
            EXPECT_EQ(MethodGetRecord(&name, i, &records.back()), 1) << "record " << i;
        }
        DmDB3Close(&descriptor);
        return records;
    }

    // A template database of one record whose field at 460 holds value460 and whose byte 2000
    // (a field the engine never touches) holds 0xAB.
    CString makeTemplate(std::int32_t value460)
    {
        const CString path = hostPath("template.mdb");
        tag_METHOD_DB_DESCRIPTOR descriptor;
        descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
        tag_HXFILE name;
        ConvertPathToHxFile(&name, path);
        descriptor.SetName(name);
        tag_METHOD_RECORD record;
        GetDefaultMethod(&record);
        record.set<std::int32_t>(tag_METHOD_RECORD::kInt460, value460);
        record.set<std::uint8_t>(2000, 0xAB);
        EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_CREATE), 0);
        EXPECT_EQ(MethodWriteRecord(&name, -1, &record, 0, 0), 1);
        descriptor.SetRecordCount(1);
        EXPECT_EQ(DmDB3Close(&descriptor), 0);
        return path;
    }

    CString methodDb() const
    {
        tag_HXFILE value;
        if (!GetSystemListValue("SystemList", "METHOD_DB", 0, &value))
            return "";
        char path[260] = {};
        ConvertHxFileToPath(path, sizeof path, &value);
        return path;
    }

    testkit::TempDir dir_;
    kelvane::KelvaneHost* host_ = nullptr;
    CBrenmoOptions options_;
};

TEST_F(Stage1OnStandIn, TwelveStepsGiveEightRecordsAtTheFixedOffsets)
{
    const CString database = hostPath("TYPQ_001.mdb");
    ASSERT_EQ(CreateStage1QuanMethod(database, "301.008", 1, options_, "", 12), 1);

    const auto records = readBack(database);
    ASSERT_EQ(records.size(), 8u);
    for (std::size_t i = 0; i < records.size(); ++i)
    {
        SCOPED_TRACE("record " + std::to_string(i + 1));
        const tag_METHOD_RECORD& r = records[i];
        EXPECT_EQ(r.CompoundName(), "TEMP");
        EXPECT_EQ(r.FunctionNumber(), static_cast<int>(i + 1));
        EXPECT_EQ(r.MassText(), "301.008");
        EXPECT_EQ(r.get<float>(448), 1.0f);
        EXPECT_EQ(r.get<std::int32_t>(460), 0);
        EXPECT_EQ(r.get<std::int32_t>(592), 1);
        EXPECT_EQ(r.get<float>(596), kSpan * 0.5f);
        EXPECT_EQ(r.get<float>(604), kSpan * 0.5f);
        EXPECT_EQ(r.get<float>(1500), 0.0f);
        EXPECT_EQ(r.get<float>(1504), kSpan);
    }
    EXPECT_EQ(methodDb(), database);
}

TEST_F(Stage1OnStandIn, RecordCountFollowsTheFunctionsCutToOneToEight)
{
    struct Case
    {
        int functions;
        std::size_t records;
    };
    for (const Case c : {Case{-3, 1}, Case{0, 1}, Case{1, 1}, Case{5, 5}, Case{8, 8}, Case{9, 8}})
    {
        SCOPED_TRACE("functions " + std::to_string(c.functions));
        const CString database = hostPath(("TYDQ_" + std::to_string(c.functions + 10) + ".mdb").c_str());
        ASSERT_EQ(CreateStage1QuanMethod(database, "TIC", 1, options_, "", c.functions), 1);
        // The host is handed a count of 8 whatever was written; a reader still gets only the
        // records that are there.
        const auto records = readBack(database);
        ASSERT_EQ(records.size(), c.records);
        EXPECT_EQ(records.back().FunctionNumber(), static_cast<int>(c.records));
        EXPECT_EQ(records.back().MassText(), "TIC");
    }
}

TEST_F(Stage1OnStandIn, RewritingAnExistingMethodReplacesItsRecords)
{
    const CString database = hostPath("TYPQ_002.mdb");
    ASSERT_EQ(CreateStage1QuanMethod(database, "100.000", 1, options_, "", 8), 1);
    ASSERT_EQ(CreateStage1QuanMethod(database, "200.000", 1, options_, "", 2), 1);
    const auto records = readBack(database);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].MassText(), "200.000");
}

TEST_F(Stage1OnStandIn, TemplateRecordIsTheBaseAndItsField460IsKeptOnlyOnRequest)
{
    struct Case
    {
        const char* name;
        std::int32_t templateValue;
        int keepFlag;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"kept, non-zero becomes 1", 7, 1, 1},
        {"kept, zero stays 0", 0, 1, 0},
        {"not kept", 7, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CString templatePath = makeTemplate(c.templateValue);
        const CString database = hostPath("TYPQ_003.mdb");
        ASSERT_EQ(CreateStage1QuanMethod(database, "55.5", c.keepFlag, options_, templatePath, 2), 1);
        const auto records = readBack(database);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].get<std::int32_t>(460), c.expected);
        EXPECT_EQ(records[0].get<std::uint8_t>(2000), 0xAB);
    }
}

TEST_F(Stage1OnStandIn, EmptyTemplateGivesTheDefaultRecordWithTheEngineAdjustments)
{
    const CString database = hostPath("TYPQ_004.mdb");
    ASSERT_EQ(CreateStage1QuanMethod(database, "55.5", 1, options_, "", 1), 1);
    const auto records = readBack(database);
    ASSERT_EQ(records.size(), 1u);
    const std::int32_t words[] = {1, 0, 1, 1, 0};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(records[0].get<std::int32_t>(684 + 4 * i), words[i]);
    EXPECT_EQ(records[0].get<std::int32_t>(632), 1);
    EXPECT_EQ(records[0].get<std::int32_t>(636), 0);
    EXPECT_EQ(records[0].get<std::uint8_t>(219), 0);
}

TEST_F(Stage1OnStandIn, SpanNotAboveZeroCreatesNothing)
{
    for (float span : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        SCOPED_TRACE(span);
        options_.m_fStage1QuanValue = span;
        EXPECT_EQ(CreateStage1QuanMethod(hostPath("none.mdb"), "1.0", 1, options_, "", 4), 0);
        EXPECT_FALSE(std::filesystem::exists(dir_.file("none.mdb")));
        EXPECT_EQ(methodDb(), "");
    }
}

TEST_F(Stage1OnStandIn, MasterMethodEntryPointsChangeNothingAndSucceed)
{
    CStringArray methods;
    methods.Add("C:\\kept.mdb");
    tag_SCAN_PARAMS params{};
    params.nLine = 4;
    CString file = "C:\\file.exp";
    for (int mux = 0; mux < 8; ++mux)
    {
        options_.m_bUseMuxMode = mux & 1;
        options_.m_bUseInterlacedInjections = (mux >> 1) & 1;
        options_.m_bAnalysisAndQuantitation = (mux >> 2) & 1;
        EXPECT_EQ(CreateMasterMethod(options_, nullptr, &params, methods), 1);
    }
    EXPECT_EQ(CreateLoopMSFile(file, options_), 1);
    EXPECT_EQ(CreateStage1ParentMSFile(file, options_, params), 1);
    EXPECT_EQ(CreateStage1DaughterMSFile(file, options_, params), 1);
    EXPECT_EQ(CreateStage1MSFile(file, options_, params), 1);
    EXPECT_EQ(CreateStage1MSMSFile(file, options_, params), 1);
    EXPECT_EQ(methods.GetSize(), 1);
    EXPECT_EQ(file, "C:\\file.exp");
    EXPECT_EQ(params.nLine, 4);
}

// The failure paths, where the mock host fails one call.
TEST(Stage1OnMock, FailedAppendClosesAndFailedOpenDoesNot)
{
    NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    ON_CALL(host, ConvertPathToHxFile).WillByDefault(Return(1));
    ON_CALL(host, GetDefaultMethod).WillByDefault(Return(1));
    CBrenmoOptions options;
    options.m_fStage1QuanValue = 2.0f;

    // The third append fails: the two before it were made, then the database is closed.
    EXPECT_CALL(host, DmDB3Open(_, DMDB3_MODE_CREATE)).WillOnce(Return(-1));
    EXPECT_CALL(host, DmDB3Open(_, DMDB3_MODE_APPEND)).WillOnce(Return(0));
    EXPECT_CALL(host, MethodWriteRecord(_, -1, _, 0, 0)).WillOnce(Return(1)).WillOnce(Return(2)).WillOnce(Return(-1));
    EXPECT_CALL(host, DmDB3Close).Times(1);
    EXPECT_EQ(CreateStage1QuanMethod("C:\\x.mdb", "TIC", 1, options, "", 6), 0);
    ::testing::Mock::VerifyAndClearExpectations(&host);

    // Opening for writing fails: nothing is written and nothing closed.
    EXPECT_CALL(host, DmDB3Open(_, DMDB3_MODE_CREATE)).WillOnce(Return(0));
    EXPECT_CALL(host, DmDB3Open(_, DMDB3_MODE_APPEND)).WillOnce(Return(-1));
    EXPECT_CALL(host, MethodWriteRecord).Times(0);
    EXPECT_CALL(host, DmDB3Close).Times(0);
    EXPECT_EQ(CreateStage1QuanMethod("C:\\x.mdb", "TIC", 1, options, "", 6), 0);
}

TEST(Stage1OnMock, ClosingHandsOverACountOfEight)
{
    NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    ON_CALL(host, ConvertPathToHxFile).WillByDefault(Return(1));
    ON_CALL(host, DmDB3Open).WillByDefault(Return(0));
    ON_CALL(host, MethodWriteRecord).WillByDefault(Return(1));
    CBrenmoOptions options;
    options.m_fStage1QuanValue = 2.0f;
    EXPECT_CALL(host, MethodWriteRecord).Times(3);
    EXPECT_CALL(host,
                DmDB3Close(::testing::Truly([](const tag_METHOD_DB_DESCRIPTOR& d) { return d.RecordCount() == 8; })));
    EXPECT_EQ(CreateStage1QuanMethod("C:\\x.mdb", "TIC", 1, options, "", 3), 1);
}
} // namespace
