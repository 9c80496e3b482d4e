// GetTemplateMethRec's host calls and its fallback to the default record, on a mock host.
#include "testing/MockHost.h"
#include "methodgen/MethodRecord.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace
{
using ::testing::_;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::Truly;

class TemplateRecord : public ::testing::Test
{
  protected:
    TemplateRecord()
    {
        host_.UsePathsInDirectoryText();
        // The host's default record: every byte 0xEE, so the engine's adjustments show.
        ON_CALL(host_, GetDefaultMethod).WillByDefault([](tag_METHOD_RECORD& record) {
            std::memset(record.bytes, 0xEE, sizeof record.bytes);
            return 1;
        });
    }

    static void expectDefaultAdjustments(const tag_METHOD_RECORD& record)
    {
        const std::int32_t words[] = {1, 0, 1, 1, 0};
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(record.get<std::int32_t>(tag_METHOD_RECORD::kInts684 + 4 * i), words[i]) << "word " << i;
        EXPECT_EQ(record.get<std::int32_t>(tag_METHOD_RECORD::kInt632), 1);
        EXPECT_EQ(record.get<std::int32_t>(tag_METHOD_RECORD::kInt636), 0);
        EXPECT_EQ(record.get<std::uint8_t>(tag_METHOD_RECORD::kByte219), 0);
        // Everything else is the host's.
        EXPECT_EQ(record.get<std::uint8_t>(tag_METHOD_RECORD::kByte219 + 1), 0xEE);
        EXPECT_EQ(record.get<std::int32_t>(tag_METHOD_RECORD::kFunctionNumber), static_cast<std::int32_t>(0xEEEEEEEE));
    }

    static auto descriptorOf(const char* path)
    {
        return Truly([path](const tag_METHOD_DB_DESCRIPTOR& d) {
            return d.Type() == 15 && d.Name().Directory() == path && d.Template() == 1 && d.RecordCount() == 1;
        });
    }

    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
    tag_METHOD_RECORD record_;
};

TEST_F(TemplateRecord, WithoutTemplateNeverOpensADatabase)
{
    EXPECT_CALL(host_, DmDB3Open).Times(0);
    EXPECT_CALL(host_, SetSystemListValue).Times(0);
    EXPECT_EQ(GetTemplateMethRec(0, "C:\\q\\template.mdb", &record_), 0);
    expectDefaultAdjustments(record_);
}

TEST_F(TemplateRecord, ReadsRecordOneOfTheTemplateAndReturnsUseTemplate)
{
    {
        InSequence order;
        EXPECT_CALL(host_,
                    SetSystemListValue(StrEq("SystemList"), StrEq("METHOD_DB"),
                                       Truly([](const tag_HXFILE& v) { return v.Directory() == "C:\\t.mdb"; }), 1));
        EXPECT_CALL(host_, DmDB3Open(descriptorOf("C:\\t.mdb"), 17)).WillOnce(Return(0));
        EXPECT_CALL(host_, MethodGetRecord(_, 1, _)).WillOnce([](const tag_HXFILE&, int, tag_METHOD_RECORD& r) {
            r.SetCompoundName("From template");
            return 1;
        });
        EXPECT_CALL(host_, DmDB3Close(descriptorOf("C:\\t.mdb"))).WillOnce(Return(0));
    }
    EXPECT_CALL(host_, GetDefaultMethod).Times(0);
    EXPECT_EQ(GetTemplateMethRec(3, "C:\\t.mdb", &record_), 3);
    EXPECT_EQ(record_.CompoundName(), "From template");
}

TEST_F(TemplateRecord, UnreadableTemplateGivesDefaultAndStillCloses)
{
    struct Case
    {
        const char* name;
        int openResult;
        int readResult;
    };
    for (const Case& c : {Case{"open fails", -1, 1}, Case{"read fails", 0, 0}})
    {
        SCOPED_TRACE(c.name);
        EXPECT_CALL(host_, DmDB3Open(_, 17)).WillOnce(Return(c.openResult));
        if (c.openResult == 0)
            EXPECT_CALL(host_, MethodGetRecord(_, 1, _)).WillOnce(Return(c.readResult));
        else
            EXPECT_CALL(host_, MethodGetRecord).Times(0);
        EXPECT_CALL(host_, DmDB3Close).Times(1);
        EXPECT_EQ(GetTemplateMethRec(1, "C:\\missing.mdb", &record_), 0);
        expectDefaultAdjustments(record_);
        ::testing::Mock::VerifyAndClearExpectations(&host_);
    }
}
} // namespace
