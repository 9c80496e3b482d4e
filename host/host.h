// The one interface between the engine and the Kelvane host: every host operation the engine
// calls, every host record that crosses into the host, and the host's sample-list classes.
// Operations are dispatched to one installed host object, so tests can put a fake in its place.
#pragma once

#include "platform/Platform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#define KELVANE_API __attribute__((visibility("default")))

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
        const std::size_t n = end ? static_cast<std::size_t>(static_cast<const unsigned char*>(end) - (bytes + at)) : width;
        return CString(reinterpret_cast<const char*>(bytes + at), static_cast<int>(n));
    }
    /// Stores text in a width-byte field, cut to width - 1 characters, zero-filled after it.
    void setText(std::size_t offset, std::size_t width, const char* value)
    {
        const std::size_t at = boundedOffset(offset, width);
        std::memset(bytes + at, 0, width);
        if (value && width > 0)
            std::memcpy(bytes + at, value, std::min(std::strlen(value), width - 1));
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
/// Directory text (drive and directory, ending in a backslash) at byte 2, file name at 262,
/// extension (without the full stop) at 518.
struct tag_HXFILE : host::Record<784>
{
    static constexpr std::size_t kFirstNumber = 0;   // 16-bit unsigned
    static constexpr std::size_t kDirectory = 2;     // 260 bytes
    static constexpr std::size_t kFileName = 262;    // 256 bytes
    static constexpr std::size_t kExtension = 518;   // 258 bytes
    static constexpr std::size_t kChosen = 776;      // 32-bit
    static constexpr std::size_t kSecondNumber = 780; // 32-bit unsigned
    static constexpr std::size_t kDirectoryWidth = 260;
    static constexpr std::size_t kFileNameWidth = 256;
    static constexpr std::size_t kExtensionWidth = 258;

    CString Directory() const { return text(kDirectory, kDirectoryWidth); }
    CString FileName() const { return text(kFileName, kFileNameWidth); }
    CString Extension() const { return text(kExtension, kExtensionWidth); }
    void SetDirectory(const char* v) { setText(kDirectory, kDirectoryWidth, v); }
    void SetFileName(const char* v) { setText(kFileName, kFileNameWidth, v); }
    void SetExtension(const char* v) { setText(kExtension, kExtensionWidth, v); }
};
static_assert(sizeof(tag_HXFILE) == 784);

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

/// One cell of a host sample list: a typed value, here always held as text.
class KELVANE_API CKVVariant
{
  public:
    /// Type code of text given as single-byte characters.
    static constexpr int kTypeString = 14;

    CKVVariant() = default;
    /// The cell's text; the empty text for an empty cell.
    const CString& GetString() const { return text_; }
    /// Sets the cell to text with the given type code (kTypeString for single-byte text).
    void SetString(const char* text, int type) { text_ = text; type_ = type; }
    int GetType() const { return type_; }

  private:
    CString text_;
    int type_ = kTypeString;
};

/// One row of a host sample list: one cell per field of the host's field definition table.
class KELVANE_API CSampleListRow
{
  public:
    CSampleListRow();
    int GetSize() const { return static_cast<int>(cells_.size()); }
    /// The cell of a field; an index outside the table gives an empty cell (const) rather than a
    /// read out of bounds, and writes to it are discarded.
    const CKVVariant& operator[](int field) const;
    CKVVariant& operator[](int field);

  private:
    std::vector<CKVVariant> cells_;
    CKVVariant scratch_;
};

/// One entry of the host's sample-list field definition table.
struct tag_SLFIELDDEF
{
    const char* szName; // field (column) name, e.g. "SAMPLE_GROUP"
    const char* szTitle; // column heading shown to people
    int nWidth;          // longest text the host stores in the field
};

/// A host sample list held in memory: rows of cells, and the name of the file it came from.
class KELVANE_API CSampleListMem
{
  public:
    CSampleListMem();
    virtual ~CSampleListMem();
    CSampleListMem(const CSampleListMem&) = delete;
    CSampleListMem& operator=(const CSampleListMem&) = delete;

    /// Number of rows.
    int GetSize() const { return static_cast<int>(rows_.size()); }
    /// The row at index; index must be in range.
    const CSampleListRow& operator[](int row) const;
    CSampleListRow& operator[](int row);
    /// Appends an empty row; returns its index.
    int AddRow();
    void RemoveAllRows() { rows_.clear(); }
    /// The host path of the file the list was opened from; empty for a list never opened.
    const CString& GetFileName() const { return fileName_; }
    void SetFileName(const CString& name) { fileName_ = name; }

  private:
    std::vector<CSampleListRow> rows_;
    CString fileName_;
};

/// The host's sample-list base: the field definition table shared by every list type.
class KELVANE_API CSampleList : public CSampleListMem
{
  public:
    /// Index of the field named name (compared byte for byte) in the definition table, or -1.
    static int GetFieldIndex(const char* name);
    static const tag_SLFIELDDEF m_SampleListDefinition[];
    static const int m_nSLFieldDefs;
};

/// A formatted sample list (CSV text); m_DefaultType is the host's default data type.
class KELVANE_API CFormattedSampleList : public CSampleList
{
  public:
    static const tag_SELECT_DATATYPE m_DefaultType;
};

/// A sample-list database file (".spl").
class KELVANE_API CDAOSampleList : public CSampleList
{
  public:
    explicit CDAOSampleList(int flags);
    /// Reads the database at path into the rows; non-zero when it opened.
    int Open(const CString& path, const tag_SELECT_DATATYPE& type);
    /// Writes the rows back when save is non-zero and releases the file; the rows stay readable.
    int Close(int save);
};

/// A formatted or loaded sample list (CSV text, ".olb", ".sdb").
class KELVANE_API CISAMSampleList : public CFormattedSampleList
{
  public:
    explicit CISAMSampleList(int flags);
    /// Reads the formatted list at path into the rows; non-zero when it opened.
    int Open(const CString& path, const tag_SELECT_DATATYPE& type);
    /// Loads a list file into the rows; non-zero when it loaded.
    int Load(const char* path);
    /// Writes the rows back when save is non-zero and releases the file; the rows stay readable.
    int Close(int save);
};

/// The host instrument interface: the object through which tune files are loaded and the
/// instrument's limits are read. The host places one in the options record; it is not owned there.
class KELVANE_API CHostInstrument
{
  public:
    virtual ~CHostInstrument();
    /// Loads the tune file at path (a host path); restoring is 1 when an earlier tune is being put
    /// back. Non-zero when the tune was loaded.
    virtual int LoadTune(int flags, const char* path, int restoring) = 0;
    /// Non-zero when a tune is open on the instrument.
    virtual int GetTuneState() = 0;
    /// Closes the open tune; non-zero on success.
    virtual int CloseTune() = 0;
    /// Makes the open tune's settings the ones in force; non-zero on success.
    virtual int CommitTune() = 0;
    /// Highest m/z the instrument can acquire.
    virtual int GetMassLimit() = 0;
};

namespace host
{
/// Which host sample-list class asks the host to read or write a list file.
enum class SampleListKind
{
    kDatabase,  // CDAOSampleList
    kFormatted, // CISAMSampleList::Open
    kLoaded,    // CISAMSampleList::Load
};

/// The host: one virtual per host operation. Every operation has a default that reports the
/// operation's failure result, so a host provides what it supports and a fake only what a test
/// needs. Nothing may throw out of an operation.
class KELVANE_API Host
{
  public:
    virtual ~Host();

    // Utility library.
    /// Renders value with precision decimals into buffer (at least 64 bytes); returns buffer.
    virtual char* ftoa(double value, char* buffer, int precision);

    // Inlet library.
    /// Number of samples the inlet acquires at once (MUX sprays); 1 for a single inlet.
    virtual int GetTotalSimultaneousSamples();

    // Path forms.
    /// Fills out from a host path; non-zero on success.
    virtual int ConvertPathToHxFile(tag_HXFILE& out, const char* path);
    /// Writes the host path of in into out, cut to limit - 1 characters; non-zero on success.
    virtual int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE& in);

    // System list.
    /// Reads key of section into out (a host path form); non-zero when the key was found.
    virtual int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE& out);
    /// Stores value under key of section; non-zero when stored.
    virtual int SetSystemListValue(const char* section, const char* key, const tag_HXFILE& value, int flags);

    // Sample-list library.
    /// Reads the list file at path into list (rows and file name); non-zero on success. On
    /// failure list is left without rows.
    virtual int ReadSampleList(CSampleListMem& list, SampleListKind kind, const char* path,
                               const tag_SELECT_DATATYPE& type);
    /// Writes the rows of list back to its file; non-zero on success.
    virtual int WriteSampleList(const CSampleListMem& list, SampleListKind kind);
};

/// Installs the host that every host operation is dispatched to and returns the previous one.
/// The caller keeps ownership. Passing null uninstalls.
KELVANE_API Host* Install(Host* host);
/// The installed host; a host that fails every operation when none is installed.
KELVANE_API Host& Current();
} // namespace host

// Host operations under the names the engine calls them by, dispatched to host::Current().
KELVANE_API char* ftoa(double value, char* buffer, int precision);
KELVANE_API int GetTotalSimultaneousSamples();
KELVANE_API int ConvertPathToHxFile(tag_HXFILE* out, const char* path);
KELVANE_API int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE* in);
KELVANE_API int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE* out);
KELVANE_API int SetSystemListValue(const char* section, const char* key, const tag_HXFILE* value, int flags);
