#include "testing/MockHost.h"
#include "host/host.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::_;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrEq;

namespace
{
// ---- Record layouts -----------------------------------------------------------------------------

// The bytes of a whole record, derived parts included.
template <class Rec> std::vector<unsigned char> rawBytes(const Rec& record)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(begin, begin + sizeof(Rec));
}

// Checks that the value's bytes stand at offset and that every other byte is still 0.
void expectOnlyAt(const std::vector<unsigned char>& bytes, std::size_t offset, const void* value, std::size_t width)
{
    ASSERT_LE(offset + width, bytes.size());
    EXPECT_EQ(std::memcmp(bytes.data() + offset, value, width), 0) << "value not at offset " << offset;
    for (std::size_t i = 0; i < bytes.size(); ++i)
    {
        if (i >= offset && i < offset + width)
            continue;
        ASSERT_EQ(bytes[i], 0) << "byte " << i << " written outside the field at " << offset;
    }
}

struct FieldCase
{
    std::string name;
    std::function<void()> check;
};

// A numeric field: the setter writes the value at offset and nowhere else, and the getter reads
// it back from bytes placed there directly.
template <class Rec, class T>
FieldCase number(const char* name, void (Rec::*set)(T), T (Rec::*get)() const, std::size_t offset, T value)
{
    return {name, [=] {
                Rec record;
                (record.*set)(value);
                expectOnlyAt(rawBytes(record), offset, &value, sizeof(T));
                Rec placed;
                std::memcpy(reinterpret_cast<unsigned char*>(&placed) + offset, &value, sizeof(T));
                EXPECT_EQ((placed.*get)(), value);
            }};
}

template <class Rec>
FieldCase text(const char* name, bool (Rec::*set)(const char*), CString (Rec::*get)() const, std::size_t offset)
{
    return {name, [=] {
                Rec record;
                EXPECT_TRUE((record.*set)("abc"));
                expectOnlyAt(rawBytes(record), offset, "abc", 3);
                Rec placed;
                std::memcpy(reinterpret_cast<unsigned char*>(&placed) + offset, "xyz", 4);
                EXPECT_EQ((placed.*get)(), "xyz");
            }};
}

TEST(HostRecords, FieldsStandAtTheirOffsets)
{
    using HX = tag_HXFILE;
    using RAW = tag_HXRAWFILE;
    using DESC = tag_METHOD_DB_DESCRIPTOR;
    using MR = tag_METHOD_RECORD;
    using PK = tag_PEAK_RECORD;
    using ID = tag_RAW_DATA_ID;
    using CP = tag_COMBINE_PARAMS;
    using FD = tag_FILE_DIALOG_REQUEST;
    using CL = tag_ISOTOPE_CLUSTER;
    const std::vector<FieldCase> cases = {
        number<HX, std::uint16_t>("path first number", &HX::SetFirstNumber, &HX::FirstNumber, 0, 0xBEEF),
        text<HX>("path directory", &HX::SetDirectory, &HX::Directory, 2),
        text<HX>("path file name", &HX::SetFileName, &HX::FileName, 262),
        text<HX>("path extension", &HX::SetExtension, &HX::Extension, 518),
        number<HX, std::int32_t>("path chosen", &HX::SetChosen, &HX::Chosen, 776, 1),
        number<HX, std::uint32_t>("path second number", &HX::SetSecondNumber, &HX::SecondNumber, 780, 0xCAFEF00D),
        number<RAW, std::int32_t>("raw scan", &RAW::SetScanNumber, &RAW::ScanNumber, 776, 123),
        number<RAW, std::int32_t>("raw scan count", &RAW::SetScanCount, &RAW::ScanCount, 780, 456),
        number<RAW, std::int16_t>("raw function", &RAW::SetFunctionNumber, &RAW::FunctionNumber, 784, 7),
        number<DESC, std::int32_t>("descriptor type", &DESC::SetType, &DESC::Type, 0, 15),
        number<DESC, std::int32_t>("descriptor template", &DESC::SetTemplate, &DESC::Template, 780, 1),
        number<DESC, std::int32_t>("descriptor count", &DESC::SetRecordCount, &DESC::RecordCount, 784, 8),
        text<MR>("method compound", &MR::SetCompoundName, &MR::CompoundName, 4),
        number<MR, std::int32_t>("method function", &MR::SetFunctionNumber, &MR::FunctionNumber, 268, 3),
        text<MR>("method mass text", &MR::SetMassText, &MR::MassText, 272),
        number<MR, float>("method expected", &MR::SetExpectedTime, &MR::ExpectedTime, 596, 1.5f),
        number<MR, float>("method window", &MR::SetTimeWindow, &MR::TimeWindow, 604, 2.5f),
        number<MR, std::int32_t>("method use reference", &MR::SetUseReference, &MR::UseReference, 640, 1),
        number<MR, std::int32_t>("method reference", &MR::SetReferenceRecord, &MR::ReferenceRecord, 644, 2),
        number<MR, float>("method range start", &MR::SetRangeStart, &MR::RangeStart, 1500, 0.25f),
        number<MR, float>("method range end", &MR::SetRangeEnd, &MR::RangeEnd, 1504, 4.75f),
        number<tag_ACCESSDB_HANDLE, std::int32_t>("peak db count", &tag_ACCESSDB_HANDLE::SetRecordCount,
                                                  &tag_ACCESSDB_HANDLE::RecordCount, 792, 12),
        number<PK, std::int32_t>("peak apex scan", &PK::SetApexScan, &PK::ApexScan, 1896, 15),
        number<PK, std::int32_t>("peak start scan", &PK::SetStartScan, &PK::StartScan, 1904, 10),
        number<PK, std::int32_t>("peak end scan", &PK::SetEndScan, &PK::EndScan, 1908, 22),
        number<PK, float>("peak apex", &PK::SetPeakApex, &PK::PeakApex, 1912, 1.25f),
        number<PK, float>("peak start", &PK::SetPeakStart, &PK::PeakStart, 1920, 1.0f),
        number<PK, float>("peak end", &PK::SetPeakEnd, &PK::PeakEnd, 1924, 1.5f),
        number<PK, double>("peak area", &PK::SetPeakArea, &PK::PeakArea, 1952, 1234.5),
        number<PK, std::int32_t>("peak record", &PK::SetPeakRecord, &PK::PeakRecord, 2004, 4),
        number<ID, std::int16_t>("id kind", &ID::SetDataKind, &ID::DataKind, 262, 2),
        number<ID, std::int16_t>("id function", &ID::SetFunctionNumber, &ID::FunctionNumber, 264, 5),
        number<ID, std::int32_t>("id scan", &ID::SetScanNumber, &ID::ScanNumber, 296, 77),
        number<tag_SPECTRUM_HEADER, std::int32_t>("spectrum points", &tag_SPECTRUM_HEADER::SetPointCount,
                                                  &tag_SPECTRUM_HEADER::PointCount, 324, 900),
        number<CP, std::int32_t>("combine peak first", &CP::SetPeakFirstScan, &CP::PeakFirstScan, 0, 13),
        number<CP, std::int32_t>("combine peak scans", &CP::SetPeakScans, &CP::PeakScans, 4, 5),
        number<CP, std::int32_t>("combine bg1 first", &CP::SetBackground1FirstScan, &CP::Background1FirstScan, 8, 3),
        number<CP, std::int32_t>("combine bg1 scans", &CP::SetBackground1Scans, &CP::Background1Scans, 12, 4),
        number<CP, std::int32_t>("combine bg2 first", &CP::SetBackground2FirstScan, &CP::Background2FirstScan, 16, 41),
        number<CP, std::int32_t>("combine bg2 scans", &CP::SetBackground2Scans, &CP::Background2Scans, 20, 39),
        text<tag_ISOTOPE_REQUEST>("isotope formula", &tag_ISOTOPE_REQUEST::SetFormula, &tag_ISOTOPE_REQUEST::Formula,
                                  32),
        number<CL, double>("cluster mass", &CL::SetMass, &CL::Mass, 0, 301.5),
        number<CL, double>("cluster abundance", &CL::SetAbundance, &CL::Abundance, 8, 0.75),
        number<FD, double>("dialog first", &FD::SetFirstNumber, &FD::FirstNumber, 0, 3.0),
        text<FD>("dialog title", &FD::SetTitle, &FD::Title, 8),
        text<FD>("dialog directory", &FD::SetDirectory, &FD::Directory, 38),
        text<FD>("dialog name", &FD::SetFileName, &FD::FileName, 298),
        text<FD>("dialog extension", &FD::SetExtension, &FD::Extension, 554),
        number<FD, double>("dialog one", &FD::SetOne, &FD::One, 816, 1.0),
        number<FD, double>("dialog second", &FD::SetSecondNumber, &FD::SecondNumber, 824, 9.0),
    };
    for (const FieldCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        c.check();
    }
}

TEST(HostRecords, DescriptorNameCarriesTemplateFlagAndCount)
{
    tag_HXFILE name;
    name.SetDirectory("C:\\q\\");
    name.SetChosen(1);
    name.SetSecondNumber(8);
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetName(name);
    EXPECT_EQ(descriptor.Template(), 1);
    EXPECT_EQ(descriptor.RecordCount(), 8);
    EXPECT_EQ(descriptor.text(4 + tag_HXFILE::kDirectory, 260), "C:\\q\\");
    EXPECT_EQ(descriptor.Name().Directory(), "C:\\q\\");
    descriptor.SetRecordCount(3);
    EXPECT_EQ(descriptor.Name().SecondNumber(), 3u);
}

TEST(HostRecords, IsotopeShapeFileIsAPathFormAt292)
{
    tag_ISOTOPE_REQUEST request;
    std::strcpy(request.ShapeDirectoryBuffer(), "C:\\Kelvane\\");
    tag_HXFILE shape = request.ShapeFile();
    EXPECT_EQ(shape.Directory(), "C:\\Kelvane\\");
    shape.SetFileName("gaussian");
    shape.SetExtension("psf");
    request.SetShapeFile(shape);
    EXPECT_EQ(request.text(554, 256), "gaussian");
    EXPECT_EQ(request.text(810, 258), "psf");
}

TEST(HostRecords, RawPathFormConvertsAsAPathFormAndKeepsItsFunction)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    EXPECT_CALL(mock, ConvertPathToHxFile(_, StrEq("C:\\d\\A.RAW"))).WillOnce([](tag_HXFILE& out, const char*) {
        out.SetDirectory("C:\\d\\");
        out.SetFileName("A");
        out.SetExtension("RAW");
        return 1;
    });
    tag_HXRAWFILE raw;
    raw.SetFunctionNumber(6);
    ASSERT_EQ(ConvertPathToHxFile(&raw, "C:\\d\\A.RAW"), 1);
    EXPECT_EQ(raw.FileName(), "A");
    EXPECT_EQ(raw.FunctionNumber(), 6);
}

TEST(HostRecords, TextWithoutTerminatorIsCutAtItsField)
{
    tag_HXFILE record;
    std::memset(record.bytes, 'x', sizeof record.bytes);
    EXPECT_EQ(record.Directory().GetLength(), 260);
    EXPECT_EQ(record.FileName().GetLength(), 256);
    EXPECT_EQ(record.Extension().GetLength(), 258);

    tag_METHOD_RECORD method;
    std::memset(method.bytes, 'y', sizeof method.bytes);
    EXPECT_EQ(method.CompoundName().GetLength(), 81);
}

TEST(HostRecords, OverlongTextIsCutAndReported)
{
    const std::string eighty(80, 'a');
    const std::string eightyOne(81, 'b');
    tag_METHOD_RECORD record;
    EXPECT_TRUE(record.SetCompoundName(eighty.c_str()));
    EXPECT_EQ(record.CompoundName(), eighty.c_str());
    EXPECT_FALSE(record.SetMassText(eightyOne.c_str()));
    EXPECT_EQ(record.MassText(), std::string(80, 'b').c_str());
    // The cut text is terminated inside its own field: the next field is untouched.
    EXPECT_EQ(record.bytes[tag_METHOD_RECORD::kMassText + 80], 0);
}

// ---- Dispatch -----------------------------------------------------------------------------------

struct DefaultCase
{
    const char* name;
    std::function<long long()> call;
    long long failure;
};

std::vector<DefaultCase> defaultCases()
{
    static tag_HXFILE path;
    static tag_HXRAWFILE raw;
    static tag_METHOD_DB_DESCRIPTOR descriptor;
    static tag_METHOD_RECORD method;
    static tag_RAW_DATA_ID id;
    static tag_COMBINE_PARAMS combine;
    static tag_ACCESSDB_HANDLE database;
    static tag_PEAK_RECORD peak;
    static tag_FILE_DIALOG_REQUEST request;
    static tag_ISOTOPE_REQUEST isotope;
    static tag_ORDERED_CLUST clusters;
    static WIN32_FIND_DATAA found;
    static char buffer[300];
    const long long invalid = static_cast<long long>(reinterpret_cast<INT_PTR>(INVALID_HANDLE_VALUE));
    return {
        {"GetTotalSimultaneousSamples", [] { return GetTotalSimultaneousSamples(); }, 1},
        {"ConvertPathToHxFile", [] { return ConvertPathToHxFile(&path, "C:\\a.b"); }, 0},
        {"ConvertHxFileToPath", [] { return ConvertHxFileToPath(buffer, 260, &path); }, 0},
        {"GetSystemListValue", [] { return GetSystemListValue("SystemList", "METHOD_DB", 0, &path); }, 0},
        {"SetSystemListValue", [] { return SetSystemListValue("SystemList", "METHOD_DB", &path, 1); }, 0},
        {"RefreshSystemList", [] { return RefreshSystemList(); }, 0},
        {"GetSystemListPath", [] { return GetSystemListPath(buffer); }, 0},
        {"GenOpenFile", [] { return GenOpenFile(nullptr, nullptr, &path, GENOPENFILE_FLAGS, "t"); }, 0},
        {"GenGetNormalFile", [] { return GenGetNormalFile(nullptr, nullptr, &request); }, 0},
        {"DirectoryExists", [] { return DirectoryExists("C:\\"); }, 0},
        {"RawFileErase", [] { return RawFileErase("C:\\x.RAW"); }, -1},
        {"DmDB3Open", [] { return DmDB3Open(&descriptor, DMDB3_MODE_READ); }, -1},
        {"DmDB3Close", [] { return DmDB3Close(&descriptor); }, -1},
        {"GetDefaultMethod", [] { return GetDefaultMethod(&method); }, 0},
        {"MethodGetRecord", [] { return MethodGetRecord(&path, 1, &method); }, 0},
        {"MethodWriteRecord", [] { return MethodWriteRecord(&path, -1, &method, 0, 0); }, -1},
        {"MeasureSampleList", [] { return MeasureSampleList(nullptr, &path, 1, 1); }, 0},
        {"DmRawFileToID", [] { return DmRawFileToID(&raw, &id); }, -1},
        {"DmRawScansInFunction", [] { return DmRawScansInFunction(&raw); }, 0},
        {"DmGetHandle", [] { return static_cast<long long>(DmGetHandle(0, 552, &id, 2, 4, 0)); }, 0},
        {"Combine", [] { return static_cast<long long>(Combine(0, 0, &raw, &raw, &combine, 0)); }, 0},
        {"DmLockID", [] { return DmLockID(1) ? 1LL : 0LL; }, 0},
        {"DmGetData", [] { return DmGetData(1, 1, 10, 0); }, -1},
        {"DmLockData", [] { return DmLockData(1, DM_ARRAY_MASS, 1, 10) ? 1LL : 0LL; }, 0},
        {"DmUnlockData", [] { return DmUnlockData(1, DM_ARRAY_MASS); }, -1},
        {"DmReleaseHandle", [] { return DmReleaseHandle(1, 0); }, -1},
        {"DmUnlockID", [] { return DmUnlockID(1); }, -1},
        {"AccessDBOpen",
         [] {
             database.SetRecordCount(5);
             const int result = AccessDBOpen(&path, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0);
             return result == -1 && database.RecordCount() == 0 ? -1LL : 99LL;
         },
         -1},
        {"AccessDBGetRecord", [] { return AccessDBGetRecord(&database, 1, &peak); }, 0},
        {"AccessDBClose", [] { return AccessDBClose(&database, 0); }, -1},
        {"CalcIsotopeModel",
         [] {
             const int result = CalcIsotopeModel(0, &isotope, &clusters);
             return result == -1 && clusters.Count() == 0 ? -1LL : 99LL;
         },
         -1},
        {"CreateFileS",
         [invalid] {
             const HANDLE h = CFileAccess::CreateFileS("C:\\a", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                       FILE_ATTRIBUTE_NORMAL, nullptr, 1);
             return static_cast<long long>(reinterpret_cast<INT_PTR>(h)) == invalid ? -1LL : 99LL;
         },
         -1},
        {"CloseHandleS", [] { return CFileAccess::CloseHandleS(nullptr); }, 0},
        {"GetTempPathSA", [] { return static_cast<long long>(CFileAccess::GetTempPathSA(260, buffer)); }, 0},
        {"FindFirstFileSA",
         [invalid] {
             const HANDLE h = CFileAccess::FindFirstFileSA("C:\\*.mdb", &found);
             return static_cast<long long>(reinterpret_cast<INT_PTR>(h)) == invalid ? -1LL : 99LL;
         },
         -1},
        {"FindNextFileSA", [] { return CFileAccess::FindNextFileSA(nullptr, &found); }, 0},
        {"FindCloseS", [] { return CFileAccess::FindCloseS(nullptr); }, 0},
        {"DeleteFileS", [] { return CFileAccess::DeleteFileS("C:\\a"); }, 0},
        {"SecurityEnquireNoAudit", [] { return CFileAccess::SecurityEnquireNoAudit(0, 4003); }, 0},
        {"LogEventPermissionCheck", [] { return CFileAccess::LogEventPermissionCheck(1, 1); }, 0},
        {"ofstreamS", [] { return ofstreamS("C:\\temp\\log.txt").fail(); }, 1},
        {"CFileDialogS", [] { return static_cast<long long>(CFileDialogS(TRUE).DoModal()); }, host::kDialogCancel},
    };
}

void expectFailureDefaults()
{
    for (const DefaultCase& c : defaultCases())
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.failure);
    }
    char number[64] = "junk";
    EXPECT_EQ(ftoa(1.5, number, 2), number);
    EXPECT_STREQ(number, "");
}

TEST(HostDispatch, WithoutAHostEveryOperationFails)
{
    host::Host* previous = host::Install(nullptr);
    expectFailureDefaults();
    host::Install(previous);
}

TEST(HostDispatch, MockHostFailsLikeTheBaseUntilTold)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    expectFailureDefaults();
}

TEST(HostDispatch, NullRecordsFailWithoutReachingTheHost)
{
    ::testing::StrictMock<host::MockHost> mock; // any call would fail the test
    host::ScopedHost scope(mock);
    char buffer[8] = "junk";
    EXPECT_EQ(ConvertPathToHxFile(nullptr, "C:\\a"), 0);
    EXPECT_EQ(ConvertHxFileToPath(buffer, 8, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetSystemListValue("SystemList", "TUNE_DB", 0, nullptr), 0);
    EXPECT_EQ(DmDB3Open(nullptr, DMDB3_MODE_READ), -1);
    EXPECT_EQ(MethodWriteRecord(nullptr, -1, nullptr, 0, 0), -1);
    EXPECT_EQ(MeasureSampleList(nullptr, nullptr, 1, 1), 0);
    EXPECT_EQ(Combine(0, 0, nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(AccessDBGetRecord(nullptr, 1, nullptr), 0);
}

TEST(HostDispatch, ScopedHostPutsThePreviousHostBack)
{
    NiceMock<host::MockHost> outer;
    host::ScopedHost outerScope(outer);
    {
        NiceMock<host::MockHost> inner;
        host::ScopedHost innerScope(inner);
        EXPECT_EQ(&host::Current(), &inner);
    }
    EXPECT_EQ(&host::Current(), &outer);
}

TEST(HostDispatch, ArgumentsReachTheHostUnchanged)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);

    tag_METHOD_DB_DESCRIPTOR descriptor;
    EXPECT_CALL(mock, DmDB3Open(_, DMDB3_MODE_READ)).WillOnce([&](tag_METHOD_DB_DESCRIPTOR& d, int) {
        EXPECT_EQ(&d, &descriptor);
        d.SetRecordCount(4);
        return 0;
    });
    EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_READ), 0);
    EXPECT_EQ(descriptor.RecordCount(), 4);

    tag_HXFILE list;
    EXPECT_CALL(mock, MeasureSampleList(nullptr, _, 3, 3)).WillOnce(Return(1));
    EXPECT_EQ(MeasureSampleList(nullptr, &list, 3, 3), 1);

    tag_METHOD_RECORD record;
    EXPECT_CALL(mock, MethodWriteRecord(_, -1, _, 0, 0)).WillOnce(Return(1));
    EXPECT_EQ(MethodWriteRecord(&list, -1, &record, 0, 0), 1);

    // The combine call names one path form twice; the host must see the same object both times.
    tag_HXRAWFILE raw;
    tag_COMBINE_PARAMS params;
    EXPECT_CALL(mock, Combine(0, 0, _, _, _, 0))
        .WillOnce([&](int, int, tag_HXRAWFILE& source, tag_HXRAWFILE& target, const tag_COMBINE_PARAMS& p, int) {
            EXPECT_EQ(&source, &raw);
            EXPECT_EQ(&target, &raw);
            EXPECT_EQ(&p, &params);
            return DMHANDLE{42};
        });
    EXPECT_EQ(Combine(0, 0, &raw, &raw, &params, 0), 42);

    EXPECT_CALL(mock, CreateFileS(StrEq("C:\\x"), GENERIC_READ, 0u, nullptr, static_cast<DWORD>(OPEN_EXISTING),
                                  static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL), nullptr, 1))
        .WillOnce(Return(reinterpret_cast<HANDLE>(7)));
    EXPECT_EQ(
        CFileAccess::CreateFileS("C:\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr, 1),
        reinterpret_cast<HANDLE>(7));

    EXPECT_CALL(mock, LogEventPermissionCheckW(5, 1, nullptr, nullptr, 0)).WillOnce(Return(1));
    EXPECT_EQ(CFileAccess::LogEventPermissionCheck(5, 1), 1);

    EXPECT_CALL(mock, SecurityEnquireNoAudit(0, 4006)).WillOnce(Return(1));
    EXPECT_EQ(CFileAccess::SecurityEnquireNoAudit(0, 4006), 1);
}

TEST(HostDispatch, ExceptionsBecomeFailureResults)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    // The fake fails by throwing, which a host must not do; the engine still sees a failure.
    const auto fail = [](auto&&...) -> int { throw std::runtime_error("host fault"); };
    ON_CALL(mock, ConvertPathToHxFile(_, _)).WillByDefault(fail);
    ON_CALL(mock, DmDB3Open(_, _)).WillByDefault(fail);
    ON_CALL(mock, AccessDBOpen(_, _, _, _, _))
        .WillByDefault([](const tag_HXFILE&, int, int, tag_ACCESSDB_HANDLE& database, int) -> int {
            database.SetRecordCount(9);
            throw std::runtime_error("host fault");
        });
    ON_CALL(mock, ReadSampleList(_, _, _, _))
        .WillByDefault([](CSampleListMem& list, host::SampleListKind, const char*, const tag_SELECT_DATATYPE&) -> int {
            list.AddRow();
            throw std::runtime_error("host fault");
        });

    tag_HXFILE path;
    EXPECT_EQ(ConvertPathToHxFile(&path, "C:\\a"), 0);
    tag_METHOD_DB_DESCRIPTOR descriptor;
    EXPECT_EQ(DmDB3Open(&descriptor, DMDB3_MODE_READ), -1);
    tag_ACCESSDB_HANDLE database;
    EXPECT_EQ(AccessDBOpen(&path, ACCESSDB_MODE_READ, ACCESSDB_FLAGS, &database, 0), -1);
    EXPECT_EQ(database.RecordCount(), 0);
    CDAOSampleList list(1);
    EXPECT_EQ(list.Open("C:\\a.spl", CFormattedSampleList::m_DefaultType), 0);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(HostDispatch, FailedSampleListReadLeavesNoRows)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    // The fake reads two rows, then reports failure.
    EXPECT_CALL(mock, ReadSampleList(_, host::SampleListKind::kLoaded, StrEq("C:\\l.olb"), _))
        .WillOnce([](CSampleListMem& list, host::SampleListKind, const char*, const tag_SELECT_DATATYPE&) {
            list.AddRow();
            list.AddRow();
            return 0;
        });
    CISAMSampleList list(1);
    EXPECT_EQ(list.Load("C:\\l.olb"), 0);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(list.GetFileName(), "C:\\l.olb");
}

// ---- Secure output stream -----------------------------------------------------------------------

TEST(SecureStream, WritesThroughTheHostsStream)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    std::stringbuf written;
    EXPECT_CALL(mock, OpenOutputStream(StrEq("c:\\temp\\log.txt"), std::ios_base::out, ofstreamS::kDefaultProtection))
        .WillOnce([&](const char*, std::ios_base::openmode, int) { return std::make_unique<std::ostream>(&written); });
    {
        ofstreamS out("c:\\temp\\log.txt");
        ASSERT_TRUE(out.is_open());
        out << "line " << CString("two") << 3;
        EXPECT_FALSE(out.fail());
        out.close();
        EXPECT_FALSE(out.is_open());
    }
    EXPECT_EQ(written.str(), "line two3");
}

TEST(SecureStream, StreamThatCannotBeOpenedFailsAndIgnoresWrites)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    // First the host refuses; then it hands back a stream that is already bad.
    EXPECT_CALL(mock, OpenOutputStream(_, _, _))
        .WillOnce([](const char*, std::ios_base::openmode, int) { return std::unique_ptr<std::ostream>(); })
        .WillOnce([](const char*, std::ios_base::openmode, int) { return std::make_unique<std::ostream>(nullptr); });
    ofstreamS refused("c:\\nowhere\\log.txt");
    EXPECT_TRUE(refused.fail());
    EXPECT_TRUE(!refused);
    refused << "ignored";
    EXPECT_FALSE(refused.is_open());
    ofstreamS bad("c:\\bad\\log.txt");
    EXPECT_TRUE(bad.fail());
    EXPECT_FALSE(bad.is_open());
}

// ---- File dialogs -------------------------------------------------------------------------------

TEST(FileDialogs, FilterListsTheOfferedTypesInOrder)
{
    const int indices[] = {3, 0, 99, -1};
    EXPECT_EQ(CSelectFileDialog::StringFromIndices(indices, 4),
              "Loaded Sample List (*.OLB)|*.olb|Kelvane 3.x (*.SPL)|*.spl||");
    EXPECT_EQ(CSelectFileDialog::StringFromIndices(nullptr, 0), "|");
}

TEST(FileDialogs, DataTypeFollowsTheChosenFile)
{
    NiceMock<host::MockHost> mock;
    host::ScopedHost scope(mock);
    struct Case
    {
        const char* name;
        const char* setType;
        const char* chosen; // null: cancelled
        const char* expectedExt;
        int expectedType;
    };
    const Case cases[] = {
        {"spl file", "spl", "C:\\d\\list.SPL", "spl", 1},
        {"olb file with spl selected", "spl", "C:\\d\\list.olb", "olb", 3},
        {"unknown extension keeps the selected type", "sdb", "C:\\d\\list.xls", "sdb", 4},
        {"empty type selects the first", "", "C:\\d\\list", "spl", 1},
        {"type not offered changes nothing", "xyz", "C:\\d\\list", "spl", 1},
        {"csv", "CSV", "C:\\d\\list.csv", "csv", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CSelectLIMSFileDialog dialog(TRUE, "XLS", "*.spl", 0, "filter", nullptr);
        dialog.SetDataType("");
        dialog.SetDataType(c.setType);
        EXPECT_CALL(mock, ShowFileDialog(_)).WillOnce([&](CFileDialogS& shown) {
            EXPECT_EQ(&shown, &dialog);
            shown.SetPathName(c.chosen);
            return host::kDialogOk;
        });
        ASSERT_EQ(dialog.DoModal(), host::kDialogOk);
        EXPECT_EQ(dialog.GetPathName(), c.chosen);
        const tag_SELECT_DATATYPE type = dialog.GetDataType();
        EXPECT_STREQ(type.lpszDefExt, c.expectedExt);
        EXPECT_EQ(type.nType, c.expectedType);
    }
}

TEST(FileDialogs, PathPartsOfTheChoice)
{
    CFileDialogS dialog(FALSE, "mdb", "C:\\Quan\\Methods\\plasma.v2.mdb");
    EXPECT_EQ(dialog.GetFileName(), "plasma.v2.mdb");
    EXPECT_EQ(dialog.GetFileExt(), "mdb");
    dialog.SetPathName("C:\\Quan\\noext");
    EXPECT_EQ(dialog.GetFileExt(), "");
}

// ---- Sample lists -------------------------------------------------------------------------------

TEST(SampleList, FieldTableHoldsEveryFieldTheEngineNames)
{
    const char* names[] = {"FILE_NAME", "FILE_TEXT", "SAMPLE_GROUP", "METH_DB", "CURVE_DB",
                           "DUMP_FILE", "QUAN_REF",  "SPARE_2",      "MS_FILE", "INLET_FILE",
                           "TYPE",      "CONC_A",    "SPARE_1",      "SPARE_3", "MASS"};
    std::vector<int> seen;
    for (const char* name : names)
    {
        SCOPED_TRACE(name);
        const int index = CSampleList::GetFieldIndex(name);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, CSampleList::m_nSLFieldDefs);
        EXPECT_STREQ(CSampleList::m_SampleListDefinition[index].szName, name);
        seen.push_back(index);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()) << "two names share a column";
    EXPECT_EQ(CSampleList::GetFieldIndex("sample_group"), -1);
    EXPECT_EQ(CSampleList::GetFieldIndex(nullptr), -1);
}

TEST(SampleList, OutOfRangeAccessIsSafe)
{
    CSampleListMem list;
    const int row = list.AddRow();
    const int group = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    list[row][group].SetString("A", CKVVariant::kTypeString);

    for (int field : {-1, CSampleList::m_nSLFieldDefs, 1 << 20})
    {
        SCOPED_TRACE(field);
        list[row][field].SetString("lost", CKVVariant::kTypeString);
        const CSampleListMem& view = list;
        EXPECT_EQ(view[row][field].GetString(), "");
        EXPECT_EQ(list[row][field].GetString(), "");
    }
    EXPECT_EQ(list[row][group].GetString(), "A");

    list[5][group].SetString("lost", CKVVariant::kTypeString);
    const CSampleListMem& view = list;
    EXPECT_EQ(view[-1][group].GetString(), "");
    EXPECT_EQ(view[1][group].GetString(), "");
    EXPECT_EQ(list.GetSize(), 1);
}

TEST(SampleList, CloseWithoutSaveDoesNotWrite)
{
    ::testing::StrictMock<host::MockHost> mock; // a write would be an unexpected call
    host::ScopedHost scope(mock);
    CDAOSampleList database(1);
    EXPECT_EQ(database.Close(0), 1);
    CISAMSampleList formatted(1);
    EXPECT_EQ(formatted.Close(0), 1);
}
} // namespace
