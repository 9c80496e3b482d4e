// Stage-1 quan methods and their template record, written through the host stand-in into a
// temporary data directory and read back; a failed write on a mock host; the master-method entry
// points.
#include "kelvane/KelvaneHost.h"
#include "methodgen/MasterMethod.h"
#include "methodgen/MethodRecord.h"
#include "methodgen/Stage1QuanMethod.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::Return;

tag_METHOD_DB_DESCRIPTOR descriptorOf(const CString& database, tag_HXFILE& name)
{
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    EXPECT_EQ(ConvertPathToHxFile(&name, database), 1);
    descriptor.SetName(name);
    return descriptor;
}

// Every record of the database as a host reader sees it (records 1 to the count the open
// reports), each as its function number and the fields the engine sets or keeps, offset=value.
std::vector<std::string> readBack(const CString& database)
{
    tag_HXFILE name;
    tag_METHOD_DB_DESCRIPTOR descriptor = descriptorOf(database, name);
    std::vector<std::string> records;
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        return records;
    for (int i = 1; i <= descriptor.RecordCount(); ++i)
    {
        tag_METHOD_RECORD r;
        EXPECT_EQ(MethodGetRecord(&name, i, &r), 1) << "record " << i;
        std::ostringstream out;
        out << r.FunctionNumber() << ' ' << r.CompoundName().str() << ' ' << r.MassText().str()
            << " 448=" << r.get<float>(448) << " 460=" << r.get<std::int32_t>(460)
            << " 592=" << r.get<std::int32_t>(592) << " 596=" << r.get<float>(596) << " 604=" << r.get<float>(604)
            << " 1500=" << r.get<float>(1500) << " 1504=" << r.get<float>(1504) << " 219=" << +r.get<std::uint8_t>(219)
            << " 632=" << r.get<std::int32_t>(632) << " 636=" << r.get<std::int32_t>(636) << " 684=";
        for (std::size_t word = 0; word < 5; ++word)
            out << r.get<std::int32_t>(684 + 4 * word);
        out << " 2000=" << +r.get<std::uint8_t>(2000);
        records.push_back(out.str());
    }
    DmDB3Close(&descriptor);
    return records;
}

// The engine's fields over a span of 3 minutes: the mass of "TEMP" over 0 to 3, centred.
const std::string kEngineFields = " TEMP 301.008 448=1 460=%d 592=1 596=1.5 604=1.5 1500=0 1504=3";

TEST(Stage1QuanMethod, WritesOneRecordPerFunctionAtTheFixedOffsets)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    CBrenmoOptions options;
    options.m_fStage1QuanValue = 3.0f;
    // A template whose field 460 holds 7 and whose byte 2000 (never touched by the engine) 0xAB;
    // the rest is the stand-in's default record.
    const CString templatePath(platform::toHostPath(dir.file("template.mdb")));
    tag_HXFILE name;
    tag_METHOD_DB_DESCRIPTOR descriptor = descriptorOf(templatePath, name);
    tag_METHOD_RECORD record;
    GetDefaultMethod(&record);
    record.set<std::int32_t>(460, 7);
    record.set<std::uint8_t>(2000, 0xAB);
    ASSERT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_CREATE), 0);
    ASSERT_EQ(MethodWriteRecord(&name, -1, &record, 0, 0), 1);
    descriptor.SetRecordCount(1);
    ASSERT_EQ(DmDB3Close(&descriptor), 0);
    // The template's record comes with the caller's flag; a template that cannot be read, or no
    // record to fill, gives 0.
    EXPECT_EQ(GetTemplateMethRec(3, templatePath, &record), 3);
    EXPECT_EQ(GetTemplateMethRec(1, "C:\\missing.mdb", &record) + GetTemplateMethRec(1, templatePath, nullptr), 0);

    // The smoothing, peak detection and byte 2000 of the engine's adjusted default record, and of
    // the template (the stand-in's default record as it is).
    const char* const kDefault = " 219=0 632=1 636=0 684=10110 2000=0";
    const char* const kTemplate = " 219=1 632=2 636=3 684=00000 2000=171";
    struct Case
    {
        const char* name;
        int functions;
        int keepFlag;
        const char* templatePath;
        int records;
        int field460;
        const char* rest;
    };
    const Case cases[] = {
        {"twelve cut to eight", 12, 1, "", 8, 0, kDefault},
        {"rewritten, none raised to one, unreadable template", 0, 1, "C:\\missing.mdb", 1, 0, kDefault},
        {"template, 460 kept as 1", 1, 1, templatePath, 1, 1, kTemplate},
        {"template, 460 not kept", 2, 0, templatePath, 2, 0, kTemplate},
    };
    const CString database(platform::toHostPath(dir.file("TYPQ_001.mdb")));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(CreateStage1QuanMethod(database, "301.008", c.keepFlag, options, c.templatePath, c.functions), 1);
        const std::vector<std::string> records = readBack(database);
        ASSERT_EQ(records.size(), static_cast<std::size_t>(c.records));
        CString fields;
        for (int i = 0; i < c.records; ++i)
        {
            fields.Format(("%d" + kEngineFields + "%s").c_str(), i + 1, c.field460, c.rest);
            EXPECT_EQ(records[static_cast<std::size_t>(i)], fields.str());
        }
    }
    tag_HXFILE selected;
    char path[MAX_PATH] = {};
    ASSERT_EQ(GetSystemListValue("SystemList", "METHOD_DB", 0, &selected), 1);
    ConvertHxFileToPath(path, MAX_PATH, &selected);
    EXPECT_EQ(database.str(), path);

    // A span not above 0 creates nothing.
    for (float span : {0.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        options.m_fStage1QuanValue = span;
        EXPECT_EQ(CreateStage1QuanMethod(CString(platform::toHostPath(dir.file("none.mdb"))), "1.0", 1, options, "", 4),
                  0);
        EXPECT_FALSE(std::filesystem::exists(dir.file("none.mdb")));
    }
    kelvane::uninstall();
}

// The mock host fails the third append: the two before it stay, and the database is closed.
TEST(Stage1QuanMethod, FailedAppendClosesAndFails)
{
    ::testing::NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    ON_CALL(host, ConvertPathToHxFile).WillByDefault(Return(1));
    ON_CALL(host, GetDefaultMethod).WillByDefault(Return(1));
    ON_CALL(host, DmDB3Open).WillByDefault(Return(0));
    CBrenmoOptions options;
    options.m_fStage1QuanValue = 2.0f;
    EXPECT_CALL(host, MethodWriteRecord(_, -1, _, 0, 0)).WillOnce(Return(1)).WillOnce(Return(2)).WillOnce(Return(-1));
    EXPECT_CALL(host, DmDB3Close).Times(1);
    EXPECT_EQ(CreateStage1QuanMethod("C:\\x.mdb", "TIC", 1, options, "", 6), 0);
}

TEST(MasterMethod, EntryPointsChangeNothingAndSucceed)
{
    const CBrenmoOptions options;
    CStringArray methods;
    tag_SCAN_PARAMS params{};
    CString file = "C:\\file.exp";
    EXPECT_EQ(CreateMasterMethod(options, nullptr, &params, methods) +
                  CreateMasterMethodMux(options, nullptr, &params, methods) +
                  CreateMasterMethodNormal(options, nullptr, &params, methods) + CreateLoopMSFile(file, options) +
                  CreateStage1ParentMSFile(file, options, params) + CreateStage1DaughterMSFile(file, options, params) +
                  CreateStage1MSFile(file, options, params) + CreateStage1MSMSFile(file, options, params),
              8);
    EXPECT_EQ(methods.GetSize(), 0);
    EXPECT_EQ(file, "C:\\file.exp");
}
} // namespace
