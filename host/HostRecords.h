// The fixed-size records that cross between the engine and the host libraries, with their byte
// offsets, and the few Windows file types the host's secure file functions take. Included by
// host/host.h, which is the header to include.
#pragma once

#include "platform/Platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace host
{
/// A fixed-size host record: raw bytes with little-endian typed access at byte offsets.
/// Accessors are memcpy based, so any offset is safe whatever the alignment.
template <std::size_t N> struct Record
{
    static constexpr std::size_t kSize = N;
    unsigned char bytes[N] = {};

    template <class T> T get(std::size_t offset) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T value;
        std::memcpy(&value, bytes + boundedOffset(offset, sizeof(T)), sizeof(T));
        return value;
    }
    template <class T> void set(std::size_t offset, T value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        std::memcpy(bytes + boundedOffset(offset, sizeof(T)), &value, sizeof(T));
    }
    /// The zero-terminated text of a width-byte field; a field without a terminator is cut at
    /// its width rather than read past.
    CString text(std::size_t offset, std::size_t width) const
    {
        const std::size_t at = boundedOffset(offset, width);
        const void* end = std::memchr(bytes + at, 0, width);
        const std::size_t n =
            end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - (bytes + at)) : width;
        return CString(reinterpret_cast<const char*>(bytes + at), static_cast<int>(n));
    }
    /// Stores text in a width-byte field, cut to width - 1 characters, zero-filled after it.
    /// Returns false when the text had to be cut (null counts as empty).
    bool setText(std::size_t offset, std::size_t width, const char* value)
    {
        const std::size_t at = boundedOffset(offset, width);
        std::memset(bytes + at, 0, width);
        if (!value || width == 0)
            return true;
        const std::size_t length = std::strlen(value);
        std::memcpy(bytes + at, value, std::min(length, width - 1));
        return length < width;
    }
    /// The writable bytes of a width-byte field, for host calls that fill a field in place.
    char* field(std::size_t offset, std::size_t width)
    {
        return reinterpret_cast<char*>(bytes + boundedOffset(offset, width));
    }
    void clear()
    {
        std::memset(bytes, 0, N);
    }

  private:
    static constexpr std::size_t boundedOffset(std::size_t offset, std::size_t width)
    {
        // A field that does not fit is a programming error in a record definition.
        return (offset <= N && width <= N - offset) ? offset : (std::abort(), 0);
    }
};
} // namespace host

/// The host path form: every path handed to the host libraries is converted into one of these.
/// The three texts are the directory (drive and directory, ending in a backslash), the file name
/// and the extension without its full stop. The two numbers and the chosen flag belong to the
/// host; converting a path into a record changes only the texts.
struct tag_HXFILE : host::Record<784>
{
    static constexpr std::size_t kFirstNumber = 0;    // 16-bit unsigned
    static constexpr std::size_t kDirectory = 2;      // kDirectoryWidth bytes
    static constexpr std::size_t kFileName = 262;     // kFileNameWidth bytes
    static constexpr std::size_t kExtension = 518;    // kExtensionWidth bytes
    static constexpr std::size_t kChosen = 776;       // 32-bit
    static constexpr std::size_t kSecondNumber = 780; // 32-bit unsigned
    static constexpr std::size_t kDirectoryWidth = 260;
    static constexpr std::size_t kFileNameWidth = 256;
    static constexpr std::size_t kExtensionWidth = 258;

    CString Directory() const
    {
        return text(kDirectory, kDirectoryWidth);
    }
    CString FileName() const
    {
        return text(kFileName, kFileNameWidth);
    }
    CString Extension() const
    {
        return text(kExtension, kExtensionWidth);
    }
    /// Each text setter cuts an over-long text to its field and returns false when it did.
    bool SetDirectory(const char* v)
    {
        return setText(kDirectory, kDirectoryWidth, v);
    }
    bool SetFileName(const char* v)
    {
        return setText(kFileName, kFileNameWidth, v);
    }
    bool SetExtension(const char* v)
    {
        return setText(kExtension, kExtensionWidth, v);
    }
    std::uint16_t FirstNumber() const
    {
        return get<std::uint16_t>(kFirstNumber);
    }
    void SetFirstNumber(std::uint16_t v)
    {
        set(kFirstNumber, v);
    }
    std::int32_t Chosen() const
    {
        return get<std::int32_t>(kChosen);
    }
    void SetChosen(std::int32_t v)
    {
        set(kChosen, v);
    }
    std::uint32_t SecondNumber() const
    {
        return get<std::uint32_t>(kSecondNumber);
    }
    void SetSecondNumber(std::uint32_t v)
    {
        set(kSecondNumber, v);
    }
};
static_assert(sizeof(tag_HXFILE) == 784);

/// The host path form of raw data: a host path form (so it converts to and from a path like any
/// other) followed by a 16-bit acquisition function number. In this form the two 32-bit fields at
/// the end of the path form hold a scan number and a function's scan count.
struct tag_HXRAWFILE : tag_HXFILE
{
    static constexpr std::size_t kScanNumber = 776;     // 32-bit
    static constexpr std::size_t kScanCount = 780;      // 32-bit
    static constexpr std::size_t kFunctionNumber = 784; // 16-bit
    static constexpr std::size_t kRawSize = 788;

    unsigned char rawTail[kRawSize - tag_HXFILE::kSize] = {};

    std::int32_t ScanNumber() const
    {
        return get<std::int32_t>(kScanNumber);
    }
    void SetScanNumber(std::int32_t v)
    {
        set(kScanNumber, v);
    }
    std::int32_t ScanCount() const
    {
        return get<std::int32_t>(kScanCount);
    }
    void SetScanCount(std::int32_t v)
    {
        set(kScanCount, v);
    }
    std::int16_t FunctionNumber() const
    {
        std::int16_t v;
        std::memcpy(&v, rawTail, sizeof v);
        return v;
    }
    void SetFunctionNumber(std::int16_t v)
    {
        std::memcpy(rawTail, &v, sizeof v);
    }
};
static_assert(sizeof(tag_HXRAWFILE) == tag_HXRAWFILE::kRawSize);

/// The method-database descriptor given to DmDB3Open and DmDB3Close: the database type (always
/// kTypeMethod) and the database name as a host path form at byte 4, whose chosen flag and second
/// number serve as the template flag (byte 780) and the record count (byte 784).
struct tag_METHOD_DB_DESCRIPTOR : host::Record<20288>
{
    static constexpr std::size_t kType = 0;          // 32-bit
    static constexpr std::size_t kName = 4;          // a tag_HXFILE
    static constexpr std::size_t kTemplate = 780;    // 32-bit: 1 when a template record is read
    static constexpr std::size_t kRecordCount = 784; // 32-bit
    static constexpr std::int32_t kTypeMethod = 15;

    std::int32_t Type() const
    {
        return get<std::int32_t>(kType);
    }
    void SetType(std::int32_t v)
    {
        set(kType, v);
    }
    /// A copy of the name record.
    tag_HXFILE Name() const
    {
        tag_HXFILE name;
        std::memcpy(name.bytes, bytes + kName, tag_HXFILE::kSize);
        return name;
    }
    /// Copies the whole name record in, template flag and record count included.
    void SetName(const tag_HXFILE& name)
    {
        std::memcpy(bytes + kName, name.bytes, tag_HXFILE::kSize);
    }
    std::int32_t Template() const
    {
        return get<std::int32_t>(kTemplate);
    }
    void SetTemplate(std::int32_t v)
    {
        set(kTemplate, v);
    }
    std::int32_t RecordCount() const
    {
        return get<std::int32_t>(kRecordCount);
    }
    void SetRecordCount(std::int32_t v)
    {
        set(kRecordCount, v);
    }
};
static_assert(sizeof(tag_METHOD_DB_DESCRIPTOR) == 20288);
static_assert(tag_METHOD_DB_DESCRIPTOR::kName + tag_HXFILE::kChosen == tag_METHOD_DB_DESCRIPTOR::kTemplate);
static_assert(tag_METHOD_DB_DESCRIPTOR::kName + tag_HXFILE::kSecondNumber == tag_METHOD_DB_DESCRIPTOR::kRecordCount);

/// Modes of DmDB3Open as the engine uses them.
constexpr int DMDB3_MODE_CREATE = 8;  // make the database (result ignored by the engine)
constexpr int DMDB3_MODE_READ = 17;   // open for reading; fills the record count
constexpr int DMDB3_MODE_APPEND = 20; // open for writing records

/// The host's method-database record (one quan method entry). Only the fields named here are
/// read or written by the engine; every other byte keeps the value the host gave it. The fields
/// known only by their offset carry that offset in their name.
struct tag_METHOD_RECORD : host::Record<2616>
{
    static constexpr std::size_t kCompoundName = 4; // 80 characters and a terminator
    static constexpr std::size_t kCompoundNameWidth = 81;
    static constexpr std::size_t kByte85 = 85;
    static constexpr std::size_t kByte98 = 98;
    static constexpr std::size_t kByte219 = 219;
    static constexpr std::size_t kWords240 = 240; // four 32-bit words, 240 to 255
    static constexpr std::size_t kByte256 = 256;
    static constexpr std::size_t kFunctionNumber = 268; // 32-bit
    static constexpr std::size_t kMassText = 272;       // 80 characters and a terminator
    static constexpr std::size_t kMassTextWidth = 81;
    static constexpr std::size_t kFloat448 = 448;
    static constexpr std::size_t kInt460 = 460;
    static constexpr std::size_t kInt592 = 592;
    static constexpr std::size_t kExpectedTime = 596; // float
    static constexpr std::size_t kTimeWindow = 604;   // float
    static constexpr std::size_t kInt632 = 632;
    static constexpr std::size_t kInt636 = 636;
    static constexpr std::size_t kUseReference = 640;    // 32-bit
    static constexpr std::size_t kReferenceRecord = 644; // 32-bit
    static constexpr std::size_t kDouble672 = 672;
    static constexpr std::size_t kInt680 = 680;
    static constexpr std::size_t kInts684 = 684;     // five 32-bit words, 684 to 703
    static constexpr std::size_t kRangeStart = 1500; // float
    static constexpr std::size_t kRangeEnd = 1504;   // float
    static constexpr std::size_t kInt1536 = 1536;
    static constexpr std::size_t kInt1540 = 1540;

    CString CompoundName() const
    {
        return text(kCompoundName, kCompoundNameWidth);
    }
    /// Stores at most 80 characters; returns false when the text was cut.
    bool SetCompoundName(const char* v)
    {
        return setText(kCompoundName, kCompoundNameWidth, v);
    }
    CString MassText() const
    {
        return text(kMassText, kMassTextWidth);
    }
    /// Stores at most 80 characters; returns false when the text was cut.
    bool SetMassText(const char* v)
    {
        return setText(kMassText, kMassTextWidth, v);
    }
    std::int32_t FunctionNumber() const
    {
        return get<std::int32_t>(kFunctionNumber);
    }
    void SetFunctionNumber(std::int32_t v)
    {
        set(kFunctionNumber, v);
    }
    float ExpectedTime() const
    {
        return get<float>(kExpectedTime);
    }
    void SetExpectedTime(float v)
    {
        set(kExpectedTime, v);
    }
    float TimeWindow() const
    {
        return get<float>(kTimeWindow);
    }
    void SetTimeWindow(float v)
    {
        set(kTimeWindow, v);
    }
    std::int32_t UseReference() const
    {
        return get<std::int32_t>(kUseReference);
    }
    void SetUseReference(std::int32_t v)
    {
        set(kUseReference, v);
    }
    std::int32_t ReferenceRecord() const
    {
        return get<std::int32_t>(kReferenceRecord);
    }
    void SetReferenceRecord(std::int32_t v)
    {
        set(kReferenceRecord, v);
    }
    float RangeStart() const
    {
        return get<float>(kRangeStart);
    }
    void SetRangeStart(float v)
    {
        set(kRangeStart, v);
    }
    float RangeEnd() const
    {
        return get<float>(kRangeEnd);
    }
    void SetRangeEnd(float v)
    {
        set(kRangeEnd, v);
    }
};
static_assert(sizeof(tag_METHOD_RECORD) == 2616);

/// The handle block of an open peak (access) database; the host fills the record count when it
/// opens the database.
struct tag_ACCESSDB_HANDLE : host::Record<804>
{
    static constexpr std::size_t kRecordCount = 792; // 32-bit

    std::int32_t RecordCount() const
    {
        return get<std::int32_t>(kRecordCount);
    }
    void SetRecordCount(std::int32_t v)
    {
        set(kRecordCount, v);
    }
};
static_assert(sizeof(tag_ACCESSDB_HANDLE) == 804);

/// AccessDBOpen's mode and flags as the engine passes them.
constexpr int ACCESSDB_MODE_READ = 2;
constexpr int ACCESSDB_FLAGS = 0x1010;

/// One chromatographic peak of a peak database. Scans are scan numbers of the peak's function;
/// times are in the host's retention-time unit. PeakRecord is the method record the peak belongs
/// to, which in a stage-1 method is the acquisition function.
struct tag_PEAK_RECORD : host::Record<4112>
{
    static constexpr std::size_t kApexScan = 1896;   // int32
    static constexpr std::size_t kStartScan = 1904;  // int32
    static constexpr std::size_t kEndScan = 1908;    // int32
    static constexpr std::size_t kPeakApex = 1912;   // float
    static constexpr std::size_t kPeakStart = 1920;  // float
    static constexpr std::size_t kPeakEnd = 1924;    // float
    static constexpr std::size_t kPeakArea = 1952;   // double
    static constexpr std::size_t kPeakRecord = 2004; // int32

    std::int32_t ApexScan() const
    {
        return get<std::int32_t>(kApexScan);
    }
    void SetApexScan(std::int32_t v)
    {
        set(kApexScan, v);
    }
    std::int32_t StartScan() const
    {
        return get<std::int32_t>(kStartScan);
    }
    void SetStartScan(std::int32_t v)
    {
        set(kStartScan, v);
    }
    std::int32_t EndScan() const
    {
        return get<std::int32_t>(kEndScan);
    }
    void SetEndScan(std::int32_t v)
    {
        set(kEndScan, v);
    }
    float PeakApex() const
    {
        return get<float>(kPeakApex);
    }
    void SetPeakApex(float v)
    {
        set(kPeakApex, v);
    }
    float PeakStart() const
    {
        return get<float>(kPeakStart);
    }
    void SetPeakStart(float v)
    {
        set(kPeakStart, v);
    }
    float PeakEnd() const
    {
        return get<float>(kPeakEnd);
    }
    void SetPeakEnd(float v)
    {
        set(kPeakEnd, v);
    }
    double PeakArea() const
    {
        return get<double>(kPeakArea);
    }
    void SetPeakArea(double v)
    {
        set(kPeakArea, v);
    }
    std::int32_t PeakRecord() const
    {
        return get<std::int32_t>(kPeakRecord);
    }
    void SetPeakRecord(std::int32_t v)
    {
        set(kPeakRecord, v);
    }
};
static_assert(sizeof(tag_PEAK_RECORD) == 4112);

/// The identifier of a piece of raw data (a function and a scan of one raw file), filled by
/// DmRawFileToID and handed to DmGetHandle.
struct tag_RAW_DATA_ID : host::Record<552>
{
    static constexpr std::size_t kDataKind = 262;       // 16-bit; the engine sets 2
    static constexpr std::size_t kFunctionNumber = 264; // 16-bit
    static constexpr std::size_t kWord266 = 266;        // 16-bit; the engine sets 0
    static constexpr std::size_t kInt288 = 288;         // 32-bit; the engine sets 0
    static constexpr std::size_t kScanNumber = 296;     // 32-bit

    std::int16_t DataKind() const
    {
        return get<std::int16_t>(kDataKind);
    }
    void SetDataKind(std::int16_t v)
    {
        set(kDataKind, v);
    }
    std::int16_t FunctionNumber() const
    {
        return get<std::int16_t>(kFunctionNumber);
    }
    void SetFunctionNumber(std::int16_t v)
    {
        set(kFunctionNumber, v);
    }
    std::int32_t ScanNumber() const
    {
        return get<std::int32_t>(kScanNumber);
    }
    void SetScanNumber(std::int32_t v)
    {
        set(kScanNumber, v);
    }
};
static_assert(sizeof(tag_RAW_DATA_ID) == 552);

/// The header of a locked spectrum (DmLockID). The host owns it until DmUnlockID; the engine
/// reads only the point count. Its size is the host stand-in's choice: room for the count and for
/// whatever else a host wants to keep about the spectrum.
struct tag_SPECTRUM_HEADER : host::Record<512>
{
    static constexpr std::size_t kPointCount = 324; // 32-bit

    std::int32_t PointCount() const
    {
        return get<std::int32_t>(kPointCount);
    }
    void SetPointCount(std::int32_t v)
    {
        set(kPointCount, v);
    }
};
static_assert(sizeof(tag_SPECTRUM_HEADER) == 512);

/// A handle to host raw data (a spectrum being read or combined); 0 is no handle.
using DMHANDLE = INT_PTR;

/// The spectrum arrays of DmLockData.
constexpr int DM_ARRAY_MASS = 0;      // m/z values
constexpr int DM_ARRAY_INTENSITY = 1; // intensities

/// The request of the spectrum-combine library: a peak window and two background windows (first
/// scan and number of scans each) whose combined, background-subtracted spectrum is wanted, then
/// fixed words. Thirteen 32-bit words.
struct tag_COMBINE_PARAMS : host::Record<52>
{
    static constexpr std::size_t kPeakFirstScan = 0;
    static constexpr std::size_t kPeakScans = 4;
    static constexpr std::size_t kBackground1FirstScan = 8;
    static constexpr std::size_t kBackground1Scans = 12;
    static constexpr std::size_t kBackground2FirstScan = 16;
    static constexpr std::size_t kBackground2Scans = 20;
    static constexpr std::size_t kFloat24 = 24; // float; the engine sets 1.0
    static constexpr std::size_t kInt28 = 28;   // int; the engine sets 0
    static constexpr std::size_t kFloat32 = 32; // float; the engine sets 1.0
    static constexpr std::size_t kInts36 = 36;  // four ints, 36 to 51; the engine sets 0

    std::int32_t PeakFirstScan() const
    {
        return get<std::int32_t>(kPeakFirstScan);
    }
    void SetPeakFirstScan(std::int32_t v)
    {
        set(kPeakFirstScan, v);
    }
    std::int32_t PeakScans() const
    {
        return get<std::int32_t>(kPeakScans);
    }
    void SetPeakScans(std::int32_t v)
    {
        set(kPeakScans, v);
    }
    std::int32_t Background1FirstScan() const
    {
        return get<std::int32_t>(kBackground1FirstScan);
    }
    void SetBackground1FirstScan(std::int32_t v)
    {
        set(kBackground1FirstScan, v);
    }
    std::int32_t Background1Scans() const
    {
        return get<std::int32_t>(kBackground1Scans);
    }
    void SetBackground1Scans(std::int32_t v)
    {
        set(kBackground1Scans, v);
    }
    std::int32_t Background2FirstScan() const
    {
        return get<std::int32_t>(kBackground2FirstScan);
    }
    void SetBackground2FirstScan(std::int32_t v)
    {
        set(kBackground2FirstScan, v);
    }
    std::int32_t Background2Scans() const
    {
        return get<std::int32_t>(kBackground2Scans);
    }
    void SetBackground2Scans(std::int32_t v)
    {
        set(kBackground2Scans, v);
    }
};
static_assert(sizeof(tag_COMBINE_PARAMS) == 13 * 4);

/// The request block of the isotope model. The formula is at byte 32; at byte 292 sits a host path
/// form naming the model's peak-shape file (directory filled by GetSystemListPath, name
/// "gaussian", extension "psf"). The other fields are fixed numbers known by their offset.
struct tag_ISOTOPE_REQUEST : host::Record<1496>
{
    static constexpr std::size_t kFloat0 = 0;
    static constexpr std::size_t kFloat4 = 4;
    static constexpr std::size_t kInt8 = 8;
    static constexpr std::size_t kFloat24 = 24;
    static constexpr std::size_t kFormula = 32; // kFormulaWidth bytes
    static constexpr std::size_t kFormulaWidth = 256;
    static constexpr std::size_t kInt288 = 288;
    static constexpr std::size_t kShapeFile = 292;                                      // a tag_HXFILE
    static constexpr std::size_t kShapeDirectory = kShapeFile + tag_HXFILE::kDirectory; // 294
    static constexpr std::size_t kShapeName = kShapeFile + tag_HXFILE::kFileName;       // 554
    static constexpr std::size_t kShapeExtension = kShapeFile + tag_HXFILE::kExtension; // 810
    static constexpr std::size_t kInt1488 = 1488;
    static constexpr std::size_t kInt1492 = 1492;

    CString Formula() const
    {
        return text(kFormula, kFormulaWidth);
    }
    /// Stores at most 255 characters; returns false when the formula was cut.
    bool SetFormula(const char* v)
    {
        return setText(kFormula, kFormulaWidth, v);
    }
    /// The 260-byte directory field of the peak-shape file, for GetSystemListPath to fill.
    char* ShapeDirectoryBuffer()
    {
        return field(kShapeDirectory, tag_HXFILE::kDirectoryWidth);
    }
    /// A copy of the peak-shape file's host path form.
    tag_HXFILE ShapeFile() const
    {
        tag_HXFILE file;
        std::memcpy(file.bytes, bytes + kShapeFile, tag_HXFILE::kSize);
        return file;
    }
    void SetShapeFile(const tag_HXFILE& file)
    {
        std::memcpy(bytes + kShapeFile, file.bytes, tag_HXFILE::kSize);
    }
};
static_assert(sizeof(tag_ISOTOPE_REQUEST) == 1496);
static_assert(tag_ISOTOPE_REQUEST::kShapeDirectory == 294 && tag_ISOTOPE_REQUEST::kShapeName == 554 &&
              tag_ISOTOPE_REQUEST::kShapeExtension == 810);
static_assert(tag_ISOTOPE_REQUEST::kShapeFile + tag_HXFILE::kSize <= tag_ISOTOPE_REQUEST::kInt1488);

/// One isotopic cluster of an isotope-model result: its mass and its abundance, then host data.
struct tag_ISOTOPE_CLUSTER : host::Record<40>
{
    static constexpr std::size_t kMass = 0;      // double
    static constexpr std::size_t kAbundance = 8; // double

    double Mass() const
    {
        return get<double>(kMass);
    }
    void SetMass(double v)
    {
        set(kMass, v);
    }
    double Abundance() const
    {
        return get<double>(kAbundance);
    }
    void SetAbundance(double v)
    {
        set(kAbundance, v);
    }
};
static_assert(sizeof(tag_ISOTOPE_CLUSTER) == 40);

/// The cluster list of an isotope-model result, built by the host and released with
/// cfree_ordered_clust. The count is the low 16 bits of the first word.
struct tag_ORDERED_CLUST
{
    std::uint32_t nClusters = 0;
    tag_ISOTOPE_CLUSTER* pClusters = nullptr;

    int Count() const
    {
        return pClusters ? static_cast<int>(nClusters & 0xFFFFu) : 0;
    }
};

/// The request of the host's GenGetNormalFile dialog: title, directory, name and extension texts
/// and two numbers that the host hands back as it got them, plus a fixed 1.0.
struct tag_FILE_DIALOG_REQUEST : host::Record<832>
{
    static constexpr std::size_t kFirstNumber = 0; // double
    static constexpr std::size_t kTitle = 8;       // kTitleWidth bytes
    static constexpr std::size_t kTitleWidth = 30;
    static constexpr std::size_t kDirectory = 38; // kDirectoryWidth bytes
    static constexpr std::size_t kDirectoryWidth = 260;
    static constexpr std::size_t kFileName = 298; // kFileNameWidth bytes
    static constexpr std::size_t kFileNameWidth = 256;
    static constexpr std::size_t kExtension = 554; // kExtensionWidth bytes
    static constexpr std::size_t kExtensionWidth = 262;
    static constexpr std::size_t kOne = 816;          // double, always 1.0
    static constexpr std::size_t kSecondNumber = 824; // double

    double FirstNumber() const
    {
        return get<double>(kFirstNumber);
    }
    void SetFirstNumber(double v)
    {
        set(kFirstNumber, v);
    }
    CString Title() const
    {
        return text(kTitle, kTitleWidth);
    }
    bool SetTitle(const char* v)
    {
        return setText(kTitle, kTitleWidth, v);
    }
    CString Directory() const
    {
        return text(kDirectory, kDirectoryWidth);
    }
    bool SetDirectory(const char* v)
    {
        return setText(kDirectory, kDirectoryWidth, v);
    }
    CString FileName() const
    {
        return text(kFileName, kFileNameWidth);
    }
    bool SetFileName(const char* v)
    {
        return setText(kFileName, kFileNameWidth, v);
    }
    CString Extension() const
    {
        return text(kExtension, kExtensionWidth);
    }
    bool SetExtension(const char* v)
    {
        return setText(kExtension, kExtensionWidth, v);
    }
    double One() const
    {
        return get<double>(kOne);
    }
    void SetOne(double v)
    {
        set(kOne, v);
    }
    double SecondNumber() const
    {
        return get<double>(kSecondNumber);
    }
    void SetSecondNumber(double v)
    {
        set(kSecondNumber, v);
    }
};
static_assert(sizeof(tag_FILE_DIALOG_REQUEST) == 832);

/// Flags of GenOpenFile as the engine passes them.
constexpr int GENOPENFILE_FLAGS = 0x100C;

/// The data type of a sample list as the host's sample-list loader takes it: a file-dialog filter,
/// a default extension, the list type code (1 database, 2 formatted, 3 and 4 loaded lists) and two
/// further texts. The texts point at constant or caller-owned text; the record owns nothing.
struct tag_SELECT_DATATYPE
{
    const char* lpszFilter;
    const char* lpszDefExt;
    int nType;
    const char* lpszText1;
    const char* lpszText2;
};

// ---- Windows file types of the secure file functions -----------------------------------------
// Spelled as the Windows SDK spells them, and guarded, so a platform header that defines the same
// names the same way can be included alongside.

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)))
#endif
#ifndef GENERIC_READ
#define GENERIC_READ (0x80000000L)
#endif
#ifndef GENERIC_WRITE
#define GENERIC_WRITE (0x40000000L)
#endif
#ifndef FILE_SHARE_READ
#define FILE_SHARE_READ 0x00000001
#endif
#ifndef FILE_SHARE_WRITE
#define FILE_SHARE_WRITE 0x00000002
#endif
#ifndef FILE_SHARE_DELETE
#define FILE_SHARE_DELETE 0x00000004
#endif
#ifndef CREATE_NEW
#define CREATE_NEW 1
#endif
#ifndef CREATE_ALWAYS
#define CREATE_ALWAYS 2
#endif
#ifndef OPEN_EXISTING
#define OPEN_EXISTING 3
#endif
#ifndef OPEN_ALWAYS
#define OPEN_ALWAYS 4
#endif
#ifndef FILE_ATTRIBUTE_DIRECTORY
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#endif
#ifndef FILE_FLAG_BACKUP_SEMANTICS
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#endif

#ifndef _FILETIME_
#define _FILETIME_
/// A file time: 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
struct FILETIME
{
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
#endif

#ifndef _WIN32_FIND_DATAA_
#define _WIN32_FIND_DATAA_
/// One entry found by FindFirstFileSA / FindNextFileSA.
struct WIN32_FIND_DATAA
{
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
#endif

#ifndef _SECURITY_ATTRIBUTES_
#define _SECURITY_ATTRIBUTES_
/// Security attributes of a file being created; the engine always passes none.
struct SECURITY_ATTRIBUTES
{
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
#endif
