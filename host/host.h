// The one interface between the engine and the Kelvane host: every host operation the engine
// calls, every host record that crosses into the host, and the host's sample-list and file-dialog
// classes. Operations are dispatched to one installed host object, so tests can put a fake in its
// place.
#pragma once

#include "host/HostRecords.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <ios>
#include <memory>
#include <ostream>
#include <vector>

#define HOST_API __attribute__((visibility("default")))

/// One cell of a host sample list: a typed value, here always held as text.
class HOST_API CKVVariant
{
  public:
    /// Type code of text given as single-byte characters.
    static constexpr int kTypeString = 14;

    CKVVariant() = default;
    /// The cell's text; the empty text for an empty cell.
    const CString& GetString() const
    {
        return text_;
    }
    /// Sets the cell to text with the given type code (kTypeString for single-byte text).
    void SetString(const char* text, int type)
    {
        text_ = text;
        type_ = type;
    }
    int GetType() const
    {
        return type_;
    }

  private:
    CString text_;
    int type_ = kTypeString;
};

/// One row of a host sample list: one cell per field of the host's field definition table.
class HOST_API CSampleListRow
{
  public:
    CSampleListRow();
    int GetSize() const
    {
        return static_cast<int>(cells_.size());
    }
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
    const char* szName;  // field (column) name, e.g. "SAMPLE_GROUP"
    const char* szTitle; // column heading shown to people
    int nWidth;          // longest text the host stores in the field
};

/// A host sample list held in memory: rows of cells, and the name of the file it came from.
class HOST_API CSampleListMem
{
  public:
    CSampleListMem();
    virtual ~CSampleListMem();
    CSampleListMem(const CSampleListMem&) = delete;
    CSampleListMem& operator=(const CSampleListMem&) = delete;

    /// Number of rows.
    int GetSize() const
    {
        return static_cast<int>(rows_.size());
    }
    /// The row at index. An index out of range gives an empty row rather than a read out of
    /// bounds (a fault of the caller); writes to it are discarded.
    const CSampleListRow& operator[](int row) const;
    CSampleListRow& operator[](int row);
    /// Appends an empty row; returns its index.
    int AddRow();
    void RemoveAllRows()
    {
        rows_.clear();
    }
    /// The host path of the file the list was opened from; empty for a list never opened.
    const CString& GetFileName() const
    {
        return fileName_;
    }
    void SetFileName(const CString& name)
    {
        fileName_ = name;
    }

  private:
    std::vector<CSampleListRow> rows_;
    CSampleListRow scratch_;
    CString fileName_;
};

/// The host's sample-list base: the field definition table shared by every list type.
class HOST_API CSampleList : public CSampleListMem
{
  public:
    /// Index of the field named name (compared byte for byte) in the definition table, or -1.
    static int GetFieldIndex(const char* name);
    static const tag_SLFIELDDEF m_SampleListDefinition[];
    static const int m_nSLFieldDefs;
};

/// A formatted sample list (CSV text); m_DefaultType is the host's default data type.
class HOST_API CFormattedSampleList : public CSampleList
{
  public:
    static const tag_SELECT_DATATYPE m_DefaultType;
};

/// A sample-list database file (".spl").
class HOST_API CDAOSampleList : public CSampleList
{
  public:
    explicit CDAOSampleList(int flags);
    /// Reads the database at path into the rows; non-zero when it opened.
    int Open(const CString& path, const tag_SELECT_DATATYPE& type);
    /// Writes the rows back when save is non-zero and releases the file; the rows stay readable.
    int Close(int save);
};

/// A formatted or loaded sample list (CSV text, ".olb", ".sdb").
class HOST_API CISAMSampleList : public CFormattedSampleList
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
class HOST_API CHostInstrument
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

/// The host's secure file dialog: an open- or save-file dialog whose settings are kept here and
/// which the host shows (Host::ShowFileDialog), so the choice can be audited and, in tests and
/// headless runs, scripted.
class HOST_API CFileDialogS
{
  public:
    /// Settings as the framework's file dialog takes them; null texts count as empty.
    CFileDialogS(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr, DWORD dwFlags = 0,
                 LPCSTR lpszFilter = nullptr, HWND hParent = nullptr);
    virtual ~CFileDialogS();

    /// Has the host show the dialog; 1 (OK) when the user chose a file, 2 (cancel) otherwise.
    virtual INT_PTR DoModal();

    /// The chosen full path; before a choice, the initial file name.
    CString GetPathName() const;
    /// The chosen file's name with its extension, without the directory.
    CString GetFileName() const;
    /// The chosen file's extension without the full stop.
    CString GetFileExt() const;

    BOOL IsOpenFileDialog() const;
    const CString& GetDefExt() const;
    const CString& GetFilter() const;
    DWORD GetFlags() const;
    HWND GetParentWindow() const;
    const CString& GetTitle() const;
    void SetTitle(LPCSTR title);
    /// The 1-based index of the selected filter entry.
    int GetFilterIndex() const;
    void SetFilterIndex(int index);
    /// Called by the host when the user chose a file.
    void SetPathName(LPCSTR path);

  private:
    BOOL open_;
    CString defExt_;
    CString path_;
    DWORD flags_;
    CString filter_;
    HWND parent_;
    CString title_;
    int filterIndex_ = 1;
};

/// The host's file dialog that also chooses a data type: each filter entry is one entry of the
/// host's data-type table, and the type chosen goes with the file.
class HOST_API CSelectFileDialog : public CFileDialogS
{
  public:
    /// typeIndices lists the entries of the data-type table the dialog offers, in filter order.
    CSelectFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags, LPCSTR lpszFilter,
                      HWND hParent, const int* typeIndices, int nTypeIndices);
    ~CSelectFileDialog() override;

    /// The file-dialog filter of the listed data types, in order, ending in the final "|".
    /// Indices outside the table are skipped.
    static CString StringFromIndices(const int* indices, int count);
    /// Selects the offered data type whose default extension equals ext (compared without regard
    /// to case); the empty text selects the first one; an extension not offered changes nothing.
    void SetDataType(LPCSTR ext);
    /// The chosen data type: the offered type whose default extension is the chosen file's
    /// extension, otherwise the type of the selected filter entry.
    tag_SELECT_DATATYPE GetDataType() const;

    /// The host's data-type table.
    static const tag_SELECT_DATATYPE m_DataTypes[];
    static const int m_nDataTypes;

  private:
    std::vector<int> offered_;
};

/// The host's sample-list chooser: a CSelectFileDialog offering the sample-list data types.
class HOST_API CSelectLIMSFileDialog : public CSelectFileDialog
{
  public:
    CSelectLIMSFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                          DWORD dwFlags = 0, LPCSTR lpszFilter = nullptr, HWND hParent = nullptr);
    ~CSelectLIMSFileDialog() override;

    /// The entries of CSelectFileDialog::m_DataTypes that a sample-list chooser offers.
    static const int m_DataTypeIndices[];
    static const int m_nDataTypeIndices;
};

/// The host's secure output stream: a file opened for writing through the host, which decides
/// where and whether it may be written. A stream that failed to open ignores what is written to
/// it and reports failure.
class HOST_API ofstreamS
{
  public:
    /// The host's default protection of a new file.
    static constexpr int kDefaultProtection = 0644;

    ofstreamS();
    /// Opens path (a host path) as open does.
    explicit ofstreamS(LPCSTR path, std::ios_base::openmode mode = std::ios_base::out, int prot = kDefaultProtection);
    /// Closes the stream.
    ~ofstreamS();
    ofstreamS(const ofstreamS&) = delete;
    ofstreamS& operator=(const ofstreamS&) = delete;

    /// Opens path through the host, closing any file open before; on failure the stream fails.
    void open(LPCSTR path, std::ios_base::openmode mode = std::ios_base::out, int prot = kDefaultProtection);
    /// Flushes and closes the file; a failed flush makes the stream fail.
    void close();
    /// Non-zero while a file is open.
    int is_open() const;
    /// Non-zero when opening or a write failed.
    int fail() const;
    int good() const;
    int operator!() const;

    /// Writes count bytes of text.
    ofstreamS& write(const char* text, std::streamsize count);
    ofstreamS& operator<<(const char* text);
    ofstreamS& operator<<(const CString& text);
    ofstreamS& operator<<(int value);

  private:
    std::unique_ptr<std::ostream> stream_;
    bool failed_ = false;
};

/// The host's secure file-access library. All members are static; an object carries nothing.
class HOST_API CFileAccess
{
  public:
    CFileAccess() = default;
    /// Copies nothing: there is no state.
    CFileAccess& operator=(const CFileAccess&);

    /// Opens or creates a file as the platform's CreateFileA does, after the host's access check;
    /// audit is the host's trailing flag (1 to audit). INVALID_HANDLE_VALUE on failure, with the
    /// platform's last error set.
    static HANDLE CreateFileS(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                              DWORD flagsAndAttributes, HANDLE templateFile, int audit);
    /// Closes a handle of CreateFileS; non-zero on success.
    static BOOL CloseHandleS(HANDLE handle);
    /// Writes the host's temporary directory, ending in a backslash, into buffer (size bytes with
    /// the terminator); returns its length, or the size needed when it does not fit, 0 on failure.
    static DWORD GetTempPathSA(DWORD size, LPSTR buffer);
    /// Starts a search for pattern (wildcards * and ?); INVALID_HANDLE_VALUE when nothing matches.
    static HANDLE FindFirstFileSA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
    /// The next match of a search; 0 when there is none.
    static BOOL FindNextFileSA(HANDLE search, LPWIN32_FIND_DATAA found);
    /// Ends a search; non-zero on success.
    static BOOL FindCloseS(HANDLE search);
    /// Deletes a file; non-zero on success.
    static BOOL DeleteFileS(LPCSTR path);
    /// Whether the user holds right (a host right number) without writing an audit entry;
    /// 0 = refused.
    static int SecurityEnquireNoAudit(int reserved, int right);
    /// Writes an audit entry of a permission check; non-zero when written.
    static int LogEventPermissionCheckW(short event, int outcome, const wchar_t* text1, const wchar_t* text2,
                                        int flags);
    /// LogEventPermissionCheckW (event, outcome, null, null, 0).
    static int LogEventPermissionCheck(short event, int outcome);
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

/// Results of a file dialog.
constexpr INT_PTR kDialogOk = 1;
constexpr INT_PTR kDialogCancel = 2;

/// The host: one virtual per host operation. Every operation has a default that reports the
/// operation's failure result, so a host provides what it supports and a fake only what a test
/// needs. The free functions that dispatch here turn an exception into the failure result, but a
/// host should not throw.
class HOST_API Host
{
  public:
    virtual ~Host();

    // ---- Utility library --------------------------------------------------------------------
    /// Renders value with precision decimals into buffer (at least 64 bytes); returns buffer.
    /// Default: the empty text.
    virtual char* ftoa(double value, char* buffer, int precision);
    /// Shows the host's open dialog for the file in file (a host path form, updated with the
    /// choice); non-zero when a file was chosen. Default: 0.
    virtual short GenOpenFile(HINSTANCE instance, HWND owner, tag_HXFILE& file, int flags, const char* title);
    /// Shows the host's file dialog for the request (updated with the choice); non-zero when a file
    /// was chosen. Default: 0.
    virtual short GenGetNormalFile(HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST& request);
    /// Non-zero when path names an existing directory. Default: 0.
    virtual int DirectoryExists(const char* path);

    // ---- Raw-file library -------------------------------------------------------------------
    /// Erases raw data (a directory) and everything in it; 0 when erased. Default: -1.
    virtual int RawFileErase(const char* path);

    // ---- Inlet library ----------------------------------------------------------------------
    /// Number of samples the inlet acquires at once (MUX sprays); 1 for a single inlet.
    virtual int GetTotalSimultaneousSamples();

    // ---- Path forms -------------------------------------------------------------------------
    /// Fills the texts of out from a host path; non-zero on success.
    virtual int ConvertPathToHxFile(tag_HXFILE& out, const char* path);
    /// Writes the host path of in into out, cut to limit - 1 characters; non-zero on success.
    virtual int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE& in);

    // ---- System list ------------------------------------------------------------------------
    /// Reads key of section into out (a host path form); non-zero when the key was found.
    virtual int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE& out);
    /// Stores value under key of section; non-zero when stored.
    virtual int SetSystemListValue(const char* section, const char* key, const tag_HXFILE& value, int flags);
    /// Has the system-list library pick up changes made outside it; non-zero on success. Default: 0.
    virtual int RefreshSystemList();
    /// Writes the host's system directory (where the system list and the host's shared data
    /// files live), at most 259 characters and a terminator; non-zero on success. Default: 0 and
    /// the empty text.
    virtual int GetSystemListPath(char* path);

    // ---- Method-database library -------------------------------------------------------------
    /// Opens (or, with DMDB3_MODE_CREATE, makes) the database the descriptor names; 0 when open.
    /// Reading fills the descriptor's record count. Default: -1.
    virtual int DmDB3Open(tag_METHOD_DB_DESCRIPTOR& descriptor, int mode);
    /// Closes the database; a database opened for writing keeps the descriptor's record count.
    /// 0 when closed. Default: -1.
    virtual int DmDB3Close(tag_METHOD_DB_DESCRIPTOR& descriptor);
    /// Fills record with the host's default method record; non-zero on success. Default: the
    /// record zeroed and 0.
    virtual int GetDefaultMethod(tag_METHOD_RECORD& record);
    /// Reads record index (from 1) of the database named; non-zero when read. Default: 0.
    virtual int MethodGetRecord(const tag_HXFILE& name, int index, tag_METHOD_RECORD& record);
    /// Writes record as record index (from 1), or appends it when index is -1; returns the record
    /// number written (from 1), negative on failure. Default: -1.
    virtual int MethodWriteRecord(const tag_HXFILE& name, int index, const tag_METHOD_RECORD& record, int arg4,
                                  int arg5);
    /// Processes rows first to last (from 1) of the sample list with the method that the system
    /// list's "METHOD_DB" selects; owner is 0 for an unattended run. Non-zero when done. Default: 0.
    virtual int MeasureSampleList(HWND owner, const tag_HXFILE& sampleList, int firstRow, int lastRow);

    // ---- Raw-data library --------------------------------------------------------------------
    /// Fills id for the raw data, function and scan of path; 0 on success. Default: -1.
    virtual int DmRawFileToID(const tag_HXRAWFILE& path, tag_RAW_DATA_ID& id);
    /// Number of scans in the function of path. Default: 0.
    virtual int DmRawScansInFunction(const tag_HXRAWFILE& path);
    /// A handle to the spectrum id names (the engine passes 0, 552, id, 2, 4, 0); 0 on failure.
    virtual DMHANDLE DmGetHandle(int arg1, int idSize, const tag_RAW_DATA_ID& id, int arg4, int arg5, int arg6);
    /// A handle to the combined, background-subtracted spectrum of source's function over the
    /// windows of params (the engine passes 0, 0, path, the same path, params, 0); 0 on failure.
    virtual DMHANDLE Combine(int arg1, int arg2, tag_HXRAWFILE& source, tag_HXRAWFILE& target,
                             const tag_COMBINE_PARAMS& params, int arg6);
    /// Locks and returns the spectrum header of handle; null on failure.
    virtual tag_SPECTRUM_HEADER* DmLockID(DMHANDLE handle);
    /// Reads count points of the spectrum of handle in mode (0 or 2); 0 when read. Default: -1.
    virtual int DmGetData(DMHANDLE handle, int arg2, int count, int mode);
    /// Locks and returns array (DM_ARRAY_MASS or DM_ARRAY_INTENSITY) of count floats; null on
    /// failure.
    virtual float* DmLockData(DMHANDLE handle, int array, int arg3, int count);
    /// Unlocks one array; 0 on success. Default: -1.
    virtual int DmUnlockData(DMHANDLE handle, int array);
    /// Releases the handle; 0 on success. Default: -1.
    virtual int DmReleaseHandle(DMHANDLE handle, int arg2);
    /// Unlocks the header; 0 on success. Default: -1.
    virtual int DmUnlockID(DMHANDLE handle);

    // ---- Peak (access) databases -------------------------------------------------------------
    /// Opens the database named; fills the block, record count included. 0 when open. Default:
    /// -1 with a record count of 0.
    virtual int AccessDBOpen(const tag_HXFILE& name, int mode, int flags, tag_ACCESSDB_HANDLE& database, int arg5);
    /// Reads record index (from 1); non-zero when read. Default: 0.
    virtual int AccessDBGetRecord(tag_ACCESSDB_HANDLE& database, int index, tag_PEAK_RECORD& record);
    /// Closes the database; 0 on success. Default: -1.
    virtual int AccessDBClose(tag_ACCESSDB_HANDLE& database, int arg2);

    // ---- Sample-list library -----------------------------------------------------------------
    /// Reads the list file at path into list (rows and file name); non-zero on success. On
    /// failure list is left without rows.
    virtual int ReadSampleList(CSampleListMem& list, SampleListKind kind, const char* path,
                               const tag_SELECT_DATATYPE& type);
    /// Writes the rows of list back to its file; non-zero on success.
    virtual int WriteSampleList(const CSampleListMem& list, SampleListKind kind);
    /// Shows a file dialog; kDialogOk after setting the dialog's path (and filter index) to the
    /// choice, else kDialogCancel. Default: kDialogCancel.
    virtual INT_PTR ShowFileDialog(CFileDialogS& dialog);

    // ---- Secure file access ------------------------------------------------------------------
    /// As CFileAccess::CreateFileS. Default: INVALID_HANDLE_VALUE.
    virtual HANDLE CreateFileS(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile, int audit);
    /// As CFileAccess::CloseHandleS. Default: 0.
    virtual BOOL CloseHandleS(HANDLE handle);
    /// As CFileAccess::GetTempPathSA. Default: 0 and, when there is room, the empty text.
    virtual DWORD GetTempPathSA(DWORD size, char* buffer);
    /// As CFileAccess::FindFirstFileSA. Default: INVALID_HANDLE_VALUE.
    virtual HANDLE FindFirstFileSA(const char* pattern, WIN32_FIND_DATAA& found);
    /// As CFileAccess::FindNextFileSA. Default: 0.
    virtual BOOL FindNextFileSA(HANDLE search, WIN32_FIND_DATAA& found);
    /// As CFileAccess::FindCloseS. Default: 0.
    virtual BOOL FindCloseS(HANDLE search);
    /// As CFileAccess::DeleteFileS. Default: 0.
    virtual BOOL DeleteFileS(const char* path);
    /// As CFileAccess::SecurityEnquireNoAudit. Default: 0 (refused).
    virtual int SecurityEnquireNoAudit(int reserved, int right);
    /// As CFileAccess::LogEventPermissionCheckW. Default: 0.
    virtual int LogEventPermissionCheckW(short event, int outcome, const wchar_t* text1, const wchar_t* text2,
                                         int flags);
    /// Opens path (a host path) for ofstreamS; null on failure (the default).
    virtual std::unique_ptr<std::ostream> OpenOutputStream(const char* path, std::ios_base::openmode mode, int prot);

    // ---- Isotope-model library ---------------------------------------------------------------
    /// Builds the isotopic cluster list of the request's formula into result; 0 when built.
    /// Default: -1 with result empty.
    virtual int CalcIsotopeModel(int arg1, const tag_ISOTOPE_REQUEST& request, tag_ORDERED_CLUST& result);
    /// Frees a cluster list that CalcIsotopeModel built and leaves it empty. Default: nothing.
    virtual void cfree_ordered_clust(tag_ORDERED_CLUST& list);
};

/// Installs the host that every host operation is dispatched to and returns the previous one.
/// The caller keeps ownership. Passing null uninstalls.
HOST_API Host* Install(Host* host);
/// The installed host; a host that fails every operation when none is installed.
HOST_API Host& Current();
} // namespace host

// ---- Host operations under the names the engine calls them by, dispatched to host::Current().
// A null pointer argument where a record is expected gives the operation's failure result.

// Utility library.
HOST_API char* ftoa(double value, char* buffer, int precision);
HOST_API short GenOpenFile(HINSTANCE instance, HWND owner, tag_HXFILE* file, int flags, const char* title);
HOST_API short GenGetNormalFile(HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST* request);
/// The host utility's directory test (the engine's own DirectoryExists takes a CString).
HOST_API int DirectoryExists(const char* path);
HOST_API int RawFileErase(const char* path);
// Inlet library.
HOST_API int GetTotalSimultaneousSamples();
// Path forms.
HOST_API int ConvertPathToHxFile(tag_HXFILE* out, const char* path);
HOST_API int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE* in);
// System list.
HOST_API int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE* out);
HOST_API int SetSystemListValue(const char* section, const char* key, const tag_HXFILE* value, int flags);
HOST_API int RefreshSystemList();
HOST_API int GetSystemListPath(char* path);
// Method-database library.
HOST_API int DmDB3Open(tag_METHOD_DB_DESCRIPTOR* descriptor, int mode);
HOST_API int DmDB3Close(tag_METHOD_DB_DESCRIPTOR* descriptor);
HOST_API int GetDefaultMethod(tag_METHOD_RECORD* record);
HOST_API int MethodGetRecord(const tag_HXFILE* name, int index, tag_METHOD_RECORD* record);
HOST_API int MethodWriteRecord(const tag_HXFILE* name, int index, const tag_METHOD_RECORD* record, int arg4,
                                  int arg5);
HOST_API int MeasureSampleList(HWND owner, const tag_HXFILE* sampleList, int firstRow, int lastRow);
// Raw-data library.
HOST_API int DmRawFileToID(const tag_HXRAWFILE* path, tag_RAW_DATA_ID* id);
HOST_API int DmRawScansInFunction(const tag_HXRAWFILE* path);
HOST_API DMHANDLE DmGetHandle(int arg1, int idSize, const tag_RAW_DATA_ID* id, int arg4, int arg5, int arg6);
HOST_API DMHANDLE Combine(int arg1, int arg2, tag_HXRAWFILE* source, tag_HXRAWFILE* target,
                             const tag_COMBINE_PARAMS* params, int arg6);
HOST_API tag_SPECTRUM_HEADER* DmLockID(DMHANDLE handle);
HOST_API int DmGetData(DMHANDLE handle, int arg2, int count, int mode);
HOST_API float* DmLockData(DMHANDLE handle, int array, int arg3, int count);
HOST_API int DmUnlockData(DMHANDLE handle, int array);
HOST_API int DmReleaseHandle(DMHANDLE handle, int arg2);
HOST_API int DmUnlockID(DMHANDLE handle);
// Peak databases.
HOST_API int AccessDBOpen(const tag_HXFILE* name, int mode, int flags, tag_ACCESSDB_HANDLE* database, int arg5);
HOST_API int AccessDBGetRecord(tag_ACCESSDB_HANDLE* database, int index, tag_PEAK_RECORD* record);
HOST_API int AccessDBClose(tag_ACCESSDB_HANDLE* database, int arg2);
// Isotope-model library.
HOST_API int CalcIsotopeModel(int arg1, const tag_ISOTOPE_REQUEST* request, tag_ORDERED_CLUST* result);
HOST_API void cfree_ordered_clust(tag_ORDERED_CLUST* list);
