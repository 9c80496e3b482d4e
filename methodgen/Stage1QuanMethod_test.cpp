// Stage-1 quan methods and their template record, written through the host stand-in into a
// temporary data directory and read back; a failed write on a mock host; the master-method entry
// points, which do nothing yet.
#include "kelvane/KelvaneHost.h"
#include "methodgen/MasterMethod.h"
#include "methodgen/MethodRecord.h"
#include "methodgen/Stage1QuanMethod.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace
{
using ::testing::Return;

// Writes the one record given to a new database, or reads every record of one as a host reader
// sees it (records 1 to the count the open reports): for each the read's result, its function and
// word 460, and "!"
// unless the float at 448 and the word at 592 are 1 (the times, name and mass are checked end to
// end). The open's and close's results around them.
std::string records(const CString& database, tag_METHOD_RECORD* written = nullptr)
{
    tag_METHOD_DB_DESCRIPTOR descriptor = methodgen::detail::descriptorFor(database, 0, 0);
    const tag_HXFILE name = descriptor.Name();
    std::ostringstream out;
    out << DmDB3Open(&descriptor, written ? DMDB3_MODE_CREATE : DMDB3_MODE_READ) << ' ';
    if (written)
        out << MethodWriteRecord(&name, -1, written, 0, 0), descriptor.SetRecordCount(1);
    for (int i = 1; !written && i <= descriptor.RecordCount(); ++i)
    {
        tag_METHOD_RECORD r;
        out << MethodGetRecord(&name, i, &r) << r.FunctionNumber() << r.get<std::int32_t>(460)
            << (r.get<float>(448) == 1.0f && r.get<std::int32_t>(592) == 1 ? " " : "! ");
    }
    out << DmDB3Close(&descriptor);
    return out.str();
}

TEST(Stage1QuanMethod, WritesOneRecordPerFunctionAndFailsOnAFailedAppend)
{
    testkit::TempDir dir;
    ASSERT_NE(kelvane::install(dir.path()), nullptr);
    // A template: the stand-in's default record with 460 at 7.
    const CString templatePath(platform::toHostPath(dir.file("template.mdb")));
    tag_METHOD_RECORD record;
    ASSERT_EQ(GetDefaultMethod(&record), 1);
    record.set<std::int32_t>(460, 7);
    ASSERT_EQ(records(templatePath, &record), "0 10");

    // A record per function, from 1 to the count clamped to 1 to 8; 460 is 1 only when asked to keep
    // a template's non-zero value.
    struct Case { const char* name; int functions; int keepFlag; CString templatePath; const char* records; };
    const Case cases[] = {
        {"twelve cut to eight", 12, 1, "", "0 110 120 130 140 150 160 170 180 0"},
        {"rewritten, none raised to one, unreadable template", 0, 1, "C:\\missing.mdb", "0 110 0"},
        {"template, 460 kept as 1", 1, 1, templatePath, "0 111 0"},
        {"template, 460 not kept", 2, 0, templatePath, "0 110 120 0"},
    };
    const CString database(platform::toHostPath(dir.file("TYPQ_001.mdb")));
    CBrenmoOptions options;
    options.m_fStage1QuanValue = 3.0f;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(CreateStage1QuanMethod(database, "301.008", c.keepFlag, options, c.templatePath, c.functions), 1);
        EXPECT_EQ(records(database), c.records);
    }
    kelvane::uninstall();

    // A host that fails the third append: the database is closed and the call fails.
    ::testing::NiceMock<host::MockHost> mock;
    host::ScopedHost installed(mock);
    ON_CALL(mock, DmDB3Open).WillByDefault(Return(0));
    EXPECT_CALL(mock, MethodWriteRecord).WillOnce(Return(1)).WillOnce(Return(2)).WillOnce(Return(-1));
    EXPECT_CALL(mock, DmDB3Close).Times(1);
    EXPECT_EQ(CreateStage1QuanMethod("C:\\x.mdb", "TIC", 1, options, "", 6), 0);
    // A span not above 0 creates nothing, and no record gets no template: no more host calls.
    options.m_fStage1QuanValue = 0.0f;
    EXPECT_EQ(CreateStage1QuanMethod("C:\\y", "1.0", 1, options, "", 4) + GetTemplateMethRec(1, "C:\\t", nullptr), 0);
    EXPECT_EQ(GetTemplateMethRec(0, "C:\\t", &record), 0) << "the default record is not the template's";

    // The master-method entry points do nothing yet, and say they succeeded.
    CStringArray methods;
    tag_SCAN_PARAMS p{};
    CString f;
    EXPECT_EQ(CreateMasterMethod(options, nullptr, &p, methods) + CreateMasterMethodMux(options, nullptr, &p, methods) +
                  CreateMasterMethodNormal(options, nullptr, &p, methods) + CreateLoopMSFile(f, options) +
                  CreateStage1ParentMSFile(f, options, p) + CreateStage1DaughterMSFile(f, options, p) +
                  CreateStage1MSFile(f, options, p) + CreateStage1MSMSFile(f, options, p),
              8);
}
} // namespace
