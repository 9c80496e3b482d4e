// Final quan methods of the example analysis list's groups, written and narrowed through the host
// stand-in and read back; host failures on a mock host.
#include "groups/Group.h"
#include "groups/QuanState.h"
#include "kelvane/KelvaneHost.h"
#include "kelvane/PeakDatabase.h"
#include "methodgen/FinalQuanMethods.h"
#include "methodgen/MethodRecord.h"
#include "platform/WinPath.h"
#include "testing/MockHost.h"
#include "testing/TempDir.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace
{
namespace fs = std::filesystem;
using ::testing::_;
using ::testing::Return;

// The example analysis list with a "SPARE_2" column marking reference compounds: rows 3 and 4
// (Std02, QC01) are marked, and QC01's text is 200 characters long. Groups: PLASMA rows 1-4,
// SCREEN URINE rows 5-7, unlabelled row 8. Std01 (row 2) is the reference sample ("QUAN_REF"),
// its file name given with a trailing separator.
const std::string kLongName(200, 'q');
std::string analysisList()
{
    return "FILE_NAME,FILE_TEXT,TYPE,SAMPLE_GROUP,QUAN_REF,SPARE_2\n"
           "Blank01,Solvent blank,Blank,Plasma,,\n"
           "Std01\\,Calibration standard 1 ng/mL,Standard,Plasma,1,\n"
           "Std02,Calibration standard 10 ng/mL,Standard,plasma,,ref\n"
           "QC01," +
           kLongName +
           ",QC,\"Plasma,\",,ref\n"
           "Pat01,Patient 1,Analyte,Urine;Screen,1,\n"
           "Pat02,Patient 2,Analyte,screen urine,,\n"
           "Pat03,Patient 3,Analyte,\"SCREEN, URINE\",,\n"
           "Wash01,Column wash,Blank,,,\n";
}

// The span every final method covers, minutes.
constexpr double kSpan = 5.0;

class FinalQuanMethods : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(kelvane::install(dir_.path()), nullptr);
        fs::copy(fs::path(BRENMO_EXAMPLES) / "Demo.PRO", project_, fs::copy_options::recursive);
        ASSERT_TRUE(testkit::writeText(project_ + "/SampleDB/Analysis.csv", analysisList()));
        CSampleListMem* opened = nullptr;
        const tag_SELECT_DATATYPE type = {"", "", 2, "", ""};
        ASSERT_TRUE(OpenUnknownSampleList(host(project_ + "/SampleDB/Analysis.csv"), opened, type));
        list_.reset(opened);
        GetGroups(options_.m_GroupArrays[0], list_.get());
        GetGroups(options_.m_GroupArrays[3], list_.get());
        options_.m_strBaseQuanMethod = host(project_ + "/MethDB/Final.mdb");
        options_.m_bMSMS = 1;
        options_.m_bAnalysisAndQuantitation = 1;
        // Row 1 failed; the others found their optimum at ramp step row + 1.
        for (int row = 0; row < 8; ++row)
            params_[row] = tag_SCAN_PARAMS{{}, {}, 20, 15, 100.0 + row, 50.25 + row, 0.0, row + 1, 1.0f, row, 0};
        params_[0].nMaxFunction = -1;
    }
    void TearDown() override
    {
        kelvane::uninstall();
    }
    static CString host(const std::string& posix)
    {
        return platform::toHostPath(posix).c_str();
    }

    // Every record of the method database at path, one line each: compound, function, mass text,
    // use-reference, reference record and the field at 680, then expected time, window and range.
    static std::string records(const CString& path)
    {
        tag_METHOD_DB_DESCRIPTOR descriptor = methodgen::detail::descriptorFor(path, 0, 0);
        const tag_HXFILE name = descriptor.Name();
        if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
            return "unreadable";
        std::ostringstream out;
        for (int i = 1; i <= descriptor.RecordCount(); ++i)
        {
            tag_METHOD_RECORD r;
            out << MethodGetRecord(&name, i, &r) << ' ' << r.CompoundName().str() << '|' << r.FunctionNumber() << '|'
                << r.MassText().str() << '|' << r.UseReference() << r.ReferenceRecord()
                << r.get<std::int32_t>(tag_METHOD_RECORD::kInt680) << '|' << r.ExpectedTime() << ' '
                << r.TimeWindow() << ' ' << r.RangeStart() << '-' << r.RangeEnd() << '\n';
        }
        DmDB3Close(&descriptor);
        return out.str();
    }

    testkit::TempDir dir_;
    const std::string project_ = dir_.file("Demo.PRO");
    std::unique_ptr<CSampleListMem> list_;
    CBrenmoOptions options_;
    tag_SCAN_PARAMS params_[8] = {};
};

TEST_F(FinalQuanMethods, EveryOptimisedRowOfTheGroupHasItsRecordAndPointsToTheFirstReference)
{
    CStringArray methods;
    ASSERT_EQ(CreateFinalQuanMethods(0, options_, list_.get(), params_, kSpan, methods), 1);
    ASSERT_EQ(methods.GetSize(), 1);
    EXPECT_EQ(methods[0], host(project_ + "/MethDB/Final_PLASMA.mdb"));
    // The first and last row stand for the rows between; the failed first row gets no record, so
    // the first marked row (Std02) is record 2 and the second mark counts for nothing.
    EXPECT_EQ(records(methods[0]), "1 Calibration standard 1 ng/mL|2|101.000 > 51.250|122|2.5 2.5 0-5\n"
                                   "1 Calibration standard 10 ng/mL|3|102.000 > 52.250|100|2.5 2.5 0-5\n"
                                   "1 " + kLongName.substr(0, 80) + "|4|103.000 > 53.250|122|2.5 2.5 0-5\n");

    // An existing method is never overwritten: the next one takes a free name. MS-only methods
    // measure the parent alone; without a marked row no record uses a reference.
    options_.m_bMSMS = 0;
    params_[2].nMaxFunction = params_[3].nMaxFunction = -1;
    ASSERT_EQ(CreateFinalQuanMethods(0, options_, list_.get(), params_, kSpan, methods), 1);
    EXPECT_EQ(methods[1], host(project_ + "/MethDB/Final_PLASMA001.mdb"));
    EXPECT_EQ(records(methods[1]), "1 Calibration standard 1 ng/mL|2|101.000|002|2.5 2.5 0-5\n");
    EXPECT_NE(records(methods[0]), records(methods[1]));
}

TEST_F(FinalQuanMethods, GroupsAndNamesEachGiveTheirDocumentedResult)
{
    const fs::path folderWithStop = fs::path(project_) / "q.v2";
    fs::create_directory(folderWithStop);

    // Rows a host added one by one are taken as they are, in their order; two rows whose rows
    // between carry another label are not a range.
    CGroup added("Plasma");
    added.Add(3);
    added.Add(1);
    CGroup apart("Plasma");
    apart.Add(1);
    apart.Add(5);
    options_.m_GroupArrays[0].Add(added);
    options_.m_GroupArrays[0].Add(apart);
    options_.m_GroupArrays[0].Add(CGroup("a/b", 1));
    for (int row = 4; row < 7; ++row)
        params_[row].nMaxFunction = -1;

    struct Case { const char* name; int group; int offset; CString base; int result; const char* path; int records; };
    const Case cases[] = {
        {"a full stop in a folder only", 0, 0, host(folderWithStop / "base"), 1, "Demo.PRO\\q.v2\\base_PLASMA", 3},
        {"every row failed: an empty method", 1, 0, host(project_ + "/MethDB/U.mdb"), 1, "U_SCREENURINE.mdb", 0},
        {"added rows", 3, 0, host(project_ + "/MethDB/A.mdb"), 1, "A_PLASMA.mdb", 2},
        {"added rows not a range", 1, 3, host(project_ + "/MethDB/B.mdb"), 1, "B_PLASMA.mdb", 1},
        {"a slash in a group name", 5, 0, host(project_ + "/MethDB/S.mdb"), 1, "MethDB\\S_A_B.mdb", 1},
        {"group past the end", 6, 0, host(project_ + "/MethDB/C.mdb"), 0, "", 0},
        {"offset before the start", 0, -1, host(project_ + "/MethDB/C.mdb"), 0, "", 0},
        {"a folder that is not there", 0, 0, host(project_ + "/Missing/C.mdb"), 0, "", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        options_.m_strBaseQuanMethod = c.base;
        options_.m_nGroupOffset = c.offset;
        CStringArray methods;
        ASSERT_EQ(CreateFinalQuanMethods(c.group, options_, list_.get(), params_, kSpan, methods), c.result);
        ASSERT_EQ(methods.GetSize(), c.result);
        if (c.result == 0)
            continue;
        const std::string path = methods[0].GetString();
        EXPECT_EQ(path.substr(path.size() - std::string(c.path).size()), c.path);
        const std::string listed = records(methods[0]);
        EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), c.records) << listed;
    }
}

// The peak database of Std01 as given, with no measuring: each case one peak table and the
// expected time, window and range of the two records it is read for.
TEST_F(FinalQuanMethods, BestPeakPerRecordNarrowsOnlyInsideTheSpan)
{
    const auto peak = [](int record, float start, float apex, float end, double area) {
        tag_PEAK_RECORD p;
        p.SetPeakRecord(record);
        p.SetPeakStart(start);
        p.SetPeakApex(apex);
        p.SetPeakEnd(end);
        p.SetPeakArea(area);
        return p;
    };
    // Times are binary fractions, so the edges of the span are met exactly.
    struct Case { const char* name; std::vector<tag_PEAK_RECORD> peaks; int result; const char* times; };
    const Case cases[] = {
        {"the larger peak; the first of equal areas", {peak(1, 1, 1.5, 2, 3), peak(1, 2, 2.5, 3, 5),
          peak(2, 1, 1.25, 1.5, 4), peak(2, 2, 2.5, 3, 4)}, 1, "2.5 0.625 2-3|1.25 0.3125 1-1.5"},
        {"no area; a record past the end", {peak(1, 1, 2, 3, 0), peak(3, 1, 2, 3, 9)}, 1, "2.5 2.5 0-5|2.5 2.5 0-5"},
        {"windows reaching 0 and the span's end", {peak(1, 0.125, 0.625, 1.125, 1), peak(2, 3.875, 4.375, 4.875, 1)},
         1, "2.5 2.5 0-5|2.5 2.5 0-5"},
        {"just inside", {peak(1, 0.25, 0.75, 1.25, 1), peak(2, 3.75, 4.25, 4.75, 1)}, 1,
         "0.75 0.625 0.25-1.25|4.25 0.625 3.75-4.75"},
        {"an empty peak database", {}, 0, "2.5 2.5 0-5|2.5 2.5 0-5"},
    };
    // Std01's peaks as given, not measured; each case narrows a new method of two records.
    const std::string database = project_ + "/PeakDB/Std01.pdb";
    options_.m_bIntegrateSamples = 0;
    options_.m_bAnalysisAndQuantitation = 0;
    params_[3].nMaxFunction = -1;
    CStringArray methods;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        methods.RemoveAll();
        ASSERT_EQ(CreateFinalQuanMethods(0, options_, list_.get(), params_, kSpan, methods), 1);
        std::string error;
        ASSERT_TRUE(kelvane::writePeakDatabase(database, c.peaks, error)) << error;
        EXPECT_EQ(ModifyFinalQuanMethods(0, options_, nullptr, list_.get(), params_ + 1, methods), c.result);
        std::ostringstream times;
        std::istringstream lines(records(methods[0]));
        for (std::string line; std::getline(lines, line);)
            times << (times.tellp() > 0 ? "|" : "") << line.substr(line.rfind('|') + 1);
        EXPECT_EQ(times.str(), c.times);
    }

    // Refused: a group without its method, a group of one row, no list. A range without a reference
    // sample has nothing to do: 1, though there is no peak database to read.
    fs::remove(database);
    EXPECT_EQ(ModifyFinalQuanMethods(1, options_, nullptr, list_.get(), params_, methods), 0);
    options_.m_GroupArrays[3].Add(CGroup("Plasma", 1));
    options_.m_GroupArrays[3].Add(CGroup("Plasma", 1));
    options_.m_GroupArrays[3][4].Add(1);
    for (int i = 0; i < 4; ++i)
        methods.Add(methods[0]);
    EXPECT_EQ(ModifyFinalQuanMethods(3, options_, nullptr, list_.get(), params_, methods), 0);
    EXPECT_EQ(ModifyFinalQuanMethods(4, options_, nullptr, list_.get(), params_, methods), 0) << "row 2 alone";
    EXPECT_EQ(ModifyFinalQuanMethods(0, options_, nullptr, nullptr, params_, methods), 0);
    EXPECT_EQ(ModifyFinalQuanMethods(2, options_, nullptr, list_.get(), params_, methods), 1);
}

TEST(FinalQuanMethodsOnAFailingHost, AWriteBelowRecordOneIsAFailure)
{
    ::testing::NiceMock<host::MockHost> mock;
    host::ScopedHost installed(mock);
    mock.UsePathsInDirectoryText();
    CSampleListMem list;
    list.AddRow();
    list.AddRow();
    list[1][CSampleList::GetFieldIndex("QUAN_REF")].SetString("1", CKVVariant::kTypeString);
    list[1][CSampleList::GetFieldIndex("FILE_NAME")].SetString("C:\\S.RAW", CKVVariant::kTypeString);
    CBrenmoOptions options;
    options.m_GroupArrays[0].Add(CGroup("", 0));
    options.m_GroupArrays[0][0].Add(1);
    options.m_GroupArrays[3].Add(options.m_GroupArrays[0][0]);
    options.m_strBaseQuanMethod = "C:\\m.mdb";
    tag_SCAN_PARAMS params[2] = {};
    CStringArray methods;

    // The host fails the second append with 0, a result no record number has.
    ON_CALL(mock, DmDB3Open).WillByDefault(Return(0));
    EXPECT_CALL(mock, MethodWriteRecord(_, -1, _, 0, 0)).WillOnce(Return(1)).WillOnce(Return(0));
    EXPECT_CALL(mock, DmDB3Close).Times(2); // the template's and the method's
    EXPECT_EQ(CreateFinalQuanMethods(0, options, &list, params, kSpan, methods), 0);
    EXPECT_EQ(CreateFinalQuanMethods(0, options, &list, nullptr, kSpan, methods), 0);
    EXPECT_EQ(methods.GetSize(), 0);

    // Measuring the reference sample asks for exactly its row, with no owner while unattended; a
    // failed measurement ends the narrowing before the method is opened.
    ::testing::Mock::VerifyAndClearExpectations(&mock);
    methods.Add("C:\\m_.mdb");
    options.m_bIntegrateSamples = 1;
    options.m_bRunUnattended = 1;
    EXPECT_CALL(mock, MeasureSampleList(nullptr, _, 2, 2)).WillOnce(Return(0));
    EXPECT_CALL(mock, DmDB3Open).Times(0);
    EXPECT_EQ(ModifyFinalQuanMethods(0, options, nullptr, &list, params, methods), 0);
}
} // namespace
