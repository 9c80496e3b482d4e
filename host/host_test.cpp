// Tests of the host interface: the record layouts a host reads, the dispatch to the installed
// host, the secure stream, the file dialogs and the sample-list classes.
#include "host/host.h"
#include "testing/MockHost.h"

#include <cstring>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace
{
using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

// ---- Record layouts ---------------------------------------------------------------------------

// A field of a record: the setter writes value (a number, or a text) at offset and changes no other
// byte, and the getter reads back a value placed there directly.
template <class Rec, class Set, class Get, class T>
std::function<void()> field(const char* name, Set set, Get get, std::size_t offset, T value)
{
    return [=] {
        SCOPED_TRACE(name);
        const void* bytes = &value;
        std::size_t width = sizeof(T);
        if constexpr (std::is_same_v<T, const char*>)
            bytes = value, width = std::strlen(value);
        Rec record, expected;
        (record.*set)(value);
        std::memcpy(reinterpret_cast<unsigned char*>(&expected) + offset, bytes, width);
        EXPECT_EQ(std::memcmp(&record, &expected, sizeof(Rec)), 0) << "not only at offset " << offset;
        EXPECT_EQ((expected.*get)(), value);
    };
}

// A row of the layout table: the record type, the field (by its getter; the setter is Set...),
// where the host expects it, and a value of the field's own type.
#define FIELD(Rec, Field, offset, value) field<Rec>(#Rec "::" #Field, &Rec::Set##Field, &Rec::Field, offset, value)

TEST(HostRecords, FieldsStandAtTheirOffsets)
{
    // clang-format off
    using HX = tag_HXFILE; using RAW = tag_HXRAWFILE; using DESC = tag_METHOD_DB_DESCRIPTOR; using PK = tag_PEAK_RECORD;
    using MR = tag_METHOD_RECORD; using ID = tag_RAW_DATA_ID; using CP = tag_COMBINE_PARAMS;
    using SH = tag_SPECTRUM_HEADER; using FD = tag_FILE_DIALOG_REQUEST; using DB = tag_ACCESSDB_HANDLE;
    using IR = tag_ISOTOPE_REQUEST; using CL = tag_ISOTOPE_CLUSTER; using I16 = std::int16_t;
    using U16 = std::uint16_t; using U32 = std::uint32_t;
    // In the host's order.
    const std::vector<std::function<void()>> cases = {
        FIELD(HX, FirstNumber, 0, U16{0xBEEF}), FIELD(HX, Directory, 2, "abc"), FIELD(HX, FileName, 262, "abc"),
        FIELD(HX, Extension, 518, "abc"), FIELD(HX, Chosen, 776, 1), FIELD(HX, SecondNumber, 780, U32{0xCAFEF00D}),
        FIELD(RAW, ScanNumber, 776, 123), FIELD(RAW, ScanCount, 780, 456), FIELD(RAW, FunctionNumber, 784, I16{7}),
        FIELD(DESC, Type, 0, 15), FIELD(DESC, Template, 780, 1), FIELD(DESC, RecordCount, 784, 8),
        FIELD(MR, CompoundName, 4, "abc"), FIELD(MR, FunctionNumber, 268, 3), FIELD(MR, MassText, 272, "abc"),
        FIELD(MR, ExpectedTime, 596, 1.5f), FIELD(MR, TimeWindow, 604, 2.5f), FIELD(MR, UseReference, 640, 1),
        FIELD(MR, ReferenceRecord, 644, 2), FIELD(MR, RangeStart, 1500, 0.25f), FIELD(MR, RangeEnd, 1504, 4.75f),
        FIELD(DB, RecordCount, 792, 12), FIELD(SH, PointCount, 324, 900),
        FIELD(PK, ApexScan, 1896, 15), FIELD(PK, StartScan, 1904, 10), FIELD(PK, EndScan, 1908, 22),
        FIELD(PK, PeakApex, 1912, 1.25f), FIELD(PK, PeakStart, 1920, 1.0f), FIELD(PK, PeakEnd, 1924, 1.5f),
        FIELD(PK, PeakArea, 1952, 1234.5), FIELD(PK, PeakRecord, 2004, 4), FIELD(ID, DataKind, 262, I16{2}),
        FIELD(ID, FunctionNumber, 264, I16{5}), FIELD(ID, ScanNumber, 296, 77), FIELD(CP, PeakFirstScan, 0, 13),
        FIELD(CP, PeakScans, 4, 5), FIELD(CP, Background1FirstScan, 8, 3), FIELD(CP, Background1Scans, 12, 4),
        FIELD(CP, Background2FirstScan, 16, 41), FIELD(CP, Background2Scans, 20, 39), FIELD(IR, Formula, 32, "abc"),
        FIELD(CL, Mass, 0, 301.5), FIELD(CL, Abundance, 8, 0.75),
        FIELD(FD, FirstNumber, 0, 3.0), FIELD(FD, Title, 8, "abc"), FIELD(FD, Directory, 38, "abc"),
        FIELD(FD, FileName, 298, "abc"), FIELD(FD, Extension, 554, "abc"), FIELD(FD, One, 816, 1.0),
        FIELD(FD, SecondNumber, 824, 9.0),
    };
    // clang-format on
    for (const auto& check : cases)
        check();
}
#undef FIELD

TEST(HostRecords, PathFormsNestedInOtherRecords)
{
    tag_HXFILE name;
    name.SetDirectory("C:\\q\\");
    name.SetChosen(1);
    name.SetSecondNumber(8);
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetName(name);
    EXPECT_EQ(descriptor.Template() * 10 + descriptor.RecordCount(), 18);
    EXPECT_EQ(descriptor.text(4 + tag_HXFILE::kDirectory, 260), "C:\\q\\");
    descriptor.SetRecordCount(3);
    EXPECT_EQ(descriptor.Name().SecondNumber(), 3u);

    tag_ISOTOPE_REQUEST request;
    std::strcpy(request.ShapeDirectoryBuffer(), "C:\\Kelvane\\");
    tag_HXFILE shape = request.ShapeFile();
    EXPECT_EQ(shape.Directory(), "C:\\Kelvane\\");
    shape.SetFileName("gaussian");
    request.SetShapeFile(shape);
    EXPECT_EQ(request.text(554, 256), "gaussian");
}

TEST(HostRecords, TextIsCutInsideItsField)
{
    tag_HXFILE record;
    std::memset(record.bytes, 'x', sizeof record.bytes);
    EXPECT_EQ(record.Directory().GetLength() * 1000 + record.Extension().GetLength(), 260258);

    tag_METHOD_RECORD method;
    const std::string text(81, 'b');
    EXPECT_TRUE(method.SetCompoundName(text.substr(1).c_str()) && !method.SetMassText(text.c_str()));
    EXPECT_EQ(method.MassText(), text.substr(1).c_str());
    EXPECT_EQ(method.bytes[tag_METHOD_RECORD::kMassText + 80], 0); // the next field is untouched
}

// ---- Dispatch ---------------------------------------------------------------------------------

TEST(HostDispatch, ArgumentsAndResultsPassUnchangedToTheInstalledHost)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    {
        NiceMock<host::MockHost> inner;
        host::ScopedHost innerScope(inner);
        EXPECT_EQ(&host::Current(), &inner);
    }
    EXPECT_EQ(&host::Current(), &mock); // the previous host is back
    tag_METHOD_DB_DESCRIPTOR descriptor;
    EXPECT_CALL(mock, DmDB3Open(_, DMDB3_MODE_READ)).WillOnce([&](auto& d, int) { return &d == &descriptor ? 7 : 0; });
    EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_READ), 7);

    // The combine call names one path form twice; the host must see the same object both times.
    tag_HXRAWFILE raw;
    tag_COMBINE_PARAMS params;
    EXPECT_CALL(mock, Combine(0, 0, _, _, _, 0))
        .WillOnce([&](int, int, auto& source, auto& target, auto& p, int) {
            return DMHANDLE{&source == &raw && &target == &raw && &p == &params ? 42 : 0};
        });
    EXPECT_EQ(Combine(0, 0, &raw, &raw, &params, 0), 42);

    EXPECT_CALL(mock, ConvertPathToHxFile(_, StrEq("C:\\d\\A.RAW")))
        .WillOnce([](tag_HXFILE& out, const char*) { return out.SetFileName("A") ? 1 : 0; });
    raw.SetFunctionNumber(6); // a raw path form converts as a path form and keeps its function
    ASSERT_EQ(ConvertPathToHxFile(&raw, "C:\\d\\A.RAW"), 1);
    EXPECT_EQ(raw.FileName() + std::to_string(raw.FunctionNumber()).c_str(), "A6");

    EXPECT_CALL(mock, LogEventPermissionCheckW(5, 1, nullptr, nullptr, 0)).WillOnce(Return(1));
    EXPECT_EQ(CFileAccess::LogEventPermissionCheck(5, 1), 1);
}

TEST(HostDispatch, MissingRecordsNeverReachTheHost)
{
    ::testing::StrictMock<host::MockHost> mock; // any call fails the test
    host::ScopedHost scope(mock);
    tag_HXFILE path;
    char buffer[8] = "junk";
    EXPECT_EQ(ConvertPathToHxFile(nullptr, "C:\\a") + ConvertPathToHxFile(&path, nullptr) + GetSystemListPath(nullptr) +
                  Combine(0, 0, nullptr, nullptr, nullptr, 0) + ConvertHxFileToPath(buffer, 8, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(MethodWriteRecord(&path, -1, nullptr, 0, 0), -1);
    tag_ACCESSDB_HANDLE database;
    database.SetRecordCount(5);
    EXPECT_EQ(AccessDBOpen(nullptr, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0), -1);
    EXPECT_EQ(database.RecordCount(), 0);
}

TEST(HostDispatch, AThrowingHostGivesTheBaseHostsResultsAndResetsRecords)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    // The fake fills in part of each record, then throws, which a host must not do.
    const auto fault = [] { return std::runtime_error("host fault"); };
    ON_CALL(mock, DmDB3Open(_, _)).WillByDefault([&](auto&&...) -> int { throw fault(); });
    ON_CALL(mock, AccessDBOpen(_, _, _, _, _))
        .WillByDefault([&](auto&&, int, int, auto& db, int) -> int { throw(db.SetRecordCount(9), fault()); });
    ON_CALL(mock, ReadSampleList(_, _, _, _))
        .WillByDefault([&](auto& list, auto&&...) -> int { throw(list.AddRow(), fault()); });
    static tag_ISOTOPE_CLUSTER stale[2];
    ON_CALL(mock, CalcIsotopeModel(_, _, _))
        .WillByDefault([&](int, auto&&, auto& r) -> int { throw(r.nClusters = 2, r.pClusters = stale, fault()); });
    tag_ISOTOPE_REQUEST request;
    tag_ORDERED_CLUST clusters;
    EXPECT_EQ(CalcIsotopeModel(0, &request, &clusters), -1);
    EXPECT_EQ(clusters.Count(), 0); // not a list the caller would go on to read or free
    tag_METHOD_DB_DESCRIPTOR descriptor;
    EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_READ), host::Host().DmDB3Open(descriptor, DMDB3_MODE_READ));
    tag_HXFILE path;
    tag_ACCESSDB_HANDLE database;
    EXPECT_EQ(AccessDBOpen(&path, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0), -1);
    EXPECT_EQ(database.RecordCount(), 0);
    CDAOSampleList list(1);
    EXPECT_EQ(list.Open("C:\\a.spl", CFormattedSampleList::m_DefaultType), 0);
    EXPECT_EQ(list.GetSize(), 0);
}

// ---- Secure output stream ---------------------------------------------------------------------

TEST(SecureStream, WritesThroughTheHostsStreamAndFailsWithoutOne)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    std::stringbuf written;
    // First a stream; then the host refuses; then it hands back a stream that is already bad.
    EXPECT_CALL(mock, OpenOutputStream(StrEq("c:\\temp\\log.txt"), std::ios_base::out, ofstreamS::kDefaultProtection))
        .WillOnce([&](const char*, std::ios_base::openmode, int) { return std::make_unique<std::ostream>(&written); })
        .WillOnce([](const char*, std::ios_base::openmode, int) { return std::unique_ptr<std::ostream>(); })
        .WillOnce([](const char*, std::ios_base::openmode, int) { return std::make_unique<std::ostream>(nullptr); });
    ofstreamS out("c:\\temp\\log.txt");
    ASSERT_TRUE(out.is_open());
    out << "line " << CString("two") << 3;
    out.close();
    EXPECT_EQ(written.str() + (out.fail() ? " failed" : ""), "line two3");
    for (const char* what : {"refused", "bad stream"})
    {
        ofstreamS failed("c:\\temp\\log.txt");
        failed << "ignored";
        EXPECT_TRUE(failed.fail() && !failed && !failed.is_open()) << what;
    }
}

// ---- File dialogs -----------------------------------------------------------------------------

TEST(FileDialogs, FilterAndPathParts)
{
    const int indices[] = {3, 0, 99, -1};
    EXPECT_EQ(CSelectFileDialog::StringFromIndices(indices, 4),
              "Loaded Sample List (*.OLB)|*.olb|Kelvane 3.x (*.SPL)|*.spl||");
    CFileDialogS dialog(FALSE, "mdb", "C:\\Quan\\Methods\\plasma.v2.mdb");
    EXPECT_EQ(dialog.GetFileName() + "|" + dialog.GetFileExt(), "plasma.v2.mdb|mdb");
    dialog.SetPathName("C:\\Qu.an/noext");
    EXPECT_EQ(dialog.GetFileExt(), "");
}

TEST(FileDialogs, DataTypeFollowsTheChosenFile)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    struct Case { const char* setType; const char* chosen; const char* expectedExt; }; // setType: told first
    const Case cases[] = {
        {"spl", "C:\\d\\list.SPL", "spl"}, {"spl", "C:\\d\\list.olb", "olb"}, // the chosen file's type wins
        {"sdb", "C:\\d\\list.xls", "sdb"}, // an unknown extension keeps the selection
        {"", "C:\\d\\list", "spl"},        {"xyz", "C:\\d\\list", "spl"},     {"CSV", "C:\\d\\list.csv", "csv"},
    };
    for (const Case& c : cases)
    {
        CSelectLIMSFileDialog dialog(TRUE, "XLS", "*.spl", 0, "filter", nullptr);
        dialog.SetDataType(c.setType);
        EXPECT_CALL(mock, ShowFileDialog(_))
            .WillOnce([&](auto& shown) { return shown.SetPathName(c.chosen), host::kDialogOk; });
        ASSERT_EQ(dialog.DoModal(), host::kDialogOk);
        EXPECT_STREQ(dialog.GetDataType().lpszDefExt, c.expectedExt) << c.chosen;
    }
}

// ---- Sample lists -----------------------------------------------------------------------------

TEST(SampleList, FieldIndicesAndOutOfRangeAccess)
{
    EXPECT_EQ(CSampleList::GetFieldIndex("FILE_NAME") * 1000 + CSampleList::GetFieldIndex("POLARITY"),
              CSampleList::m_nSLFieldDefs - 1);
    EXPECT_EQ(CSampleList::GetFieldIndex("sample_group") + CSampleList::GetFieldIndex(nullptr), -2);

    CSampleListMem list;
    const int group = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    list[list.AddRow()][group].SetString("A", CKVVariant::kTypeString);
    // Writes outside the table are discarded; reads there give an empty cell.
    for (const auto& [row, field] : {std::pair{0, -1}, {0, CSampleList::m_nSLFieldDefs}, {-1, group}, {1, group}})
    {
        list[row][field].SetString("lost", CKVVariant::kTypeString);
        EXPECT_EQ(list[row][field].GetString() + std::as_const(list)[row][field].GetString(), "") << row << field;
    }
    EXPECT_EQ(list[0][group].GetString(), "A");
    EXPECT_EQ(list.GetSize(), 1);
}

TEST(SampleList, AFailedReadLeavesNoRowsAndCloseWritesOnlyWhenSaving)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    // The fake reads two rows, then reports failure.
    EXPECT_CALL(mock, ReadSampleList(_, host::SampleListKind::kLoaded, StrEq("C:\\l.olb"), _))
        .WillOnce([](CSampleListMem& list, auto&&...) { return list.AddRow(), list.AddRow(), 0; });
    CISAMSampleList list(1);
    EXPECT_EQ(list.Load("C:\\l.olb"), 0);
    EXPECT_EQ(list.GetFileName() + std::to_string(list.GetSize()).c_str(), "C:\\l.olb0");

    EXPECT_CALL(mock, WriteSampleList(_, host::SampleListKind::kFormatted)).WillOnce(Return(1));
    EXPECT_EQ(list.Close(0) + list.Close(1), 2);
    CDAOSampleList database(1);
    EXPECT_CALL(mock, WriteSampleList(_, host::SampleListKind::kDatabase)).WillOnce(Return(1));
    EXPECT_EQ(database.Close(0) + database.Close(1), 2);
}
} // namespace
