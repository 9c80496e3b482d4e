// The Kelvane host stand-in: a Linux implementation of the host operations behind host/host.h,
// keeping the host's data (system list, configuration) in files of the host's data directory.
#pragma once

#include "host/host.h"
#include "instrument/SimulatedInstrument.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace kelvane
{
namespace detail
{
struct RawDataState;      // kelvane/RawDataHost.h
struct PeakDatabaseState; // kelvane/PeakDatabase.h
} // namespace detail

/// The host stand-in. Its files live in the platform's data directory (the directory that the
/// drive C: names): the system list in "SystemList.ini", its own settings in "Kelvane.ini". Operations not
/// provided yet report their failure result. Nothing throws out of an operation.
class HOST_API KelvaneHost : public host::Host
{
  public:
    /// Host path of the system-list file.
    static constexpr const char* kSystemListFile = "C:\\SystemList.ini";
    /// Host path of the stand-in's configuration file.
    static constexpr const char* kConfigurationFile = "C:\\Kelvane.ini";
    /// Section and key of the configured number of simultaneous samples.
    static constexpr const char* kInletSection = "Inlet";
    static constexpr const char* kSimultaneousSamplesKey = "Simultaneous Samples";

    KelvaneHost();
    ~KelvaneHost() override;

    /// Renders value in fixed point with precision decimals (0 to 30; outside, the nearest end)
    /// into buffer, which holds at least 64 bytes. A value whose fixed-point text would not fit
    /// is written in the shortest exponent form that reads back exactly; NaN and infinities as
    /// "nan", "inf" and "-inf". A result that rounds to zero carries no minus sign. Every form is
    /// read back by atof.
    char* ftoa(double value, char* buffer, int precision) override;

    /// The configured count: the one set with SetTotalSimultaneousSamples, else the
    /// configuration file's value, else 1. Counts below 1 and unreadable values count as 1.
    int GetTotalSimultaneousSamples() override;
    /// Sets the count that GetTotalSimultaneousSamples reports from now on (below 1 counts as 1).
    void SetTotalSimultaneousSamples(int count);

    /// Splits path into directory (drive and directory, ending in a backslash; forward slashes
    /// become backslashes), file name and extension (without the full stop). A relative path is
    /// first made absolute against the current directory. Only the three texts of out change.
    /// Returns 0, leaving out unchanged, when a part does not fit its field or path is null; the
    /// empty path gives three empty texts.
    int ConvertPathToHxFile(tag_HXFILE& out, const char* path) override;
    /// Joins directory, file name and "." extension (no full stop when the extension is empty),
    /// with a backslash after a directory that does not end in one. The text is cut to limit - 1
    /// characters; returns 1 when it fitted, else 0.
    int ConvertHxFileToPath(char* out, int limit, const tag_HXFILE& in) override;

    /// Reads key of section from the system-list file into out: the stored path's three texts,
    /// every other field 0 (only paths are kept). A key never set reads as not found (0) and
    /// leaves out all zero. Keys and sections are compared without regard to case.
    int GetSystemListValue(const char* section, const char* key, int flags, tag_HXFILE& out) override;
    /// Stores the host path of value under key of section; non-zero when the file was written.
    int SetSystemListValue(const char* section, const char* key, const tag_HXFILE& value, int flags) override;

    // ---- Secure file-access library: output stream (OutputStream.cpp) --------------------------
    /// Opens path (a host path) for writing. What is written goes to a temporary file beside it,
    /// which replaces the file in one rename at every flush and at close: watchers and readers see
    /// the old or the new file, never a half-written one, and a reader holding the old file open
    /// keeps the old contents. Without app or ate (or with trunc) the file starts empty; with them
    /// it starts as a copy of the old one. A replaced file keeps its permission bits, a new one
    /// gets prot (less the umask). Temporaries of the file that writers killed mid-way left are
    /// removed. C:\temp is created, private to the user, when missing. Null
    /// when mode lacks out or has in, when the file or its directory is a symbolic link (refused,
    /// so nobody can redirect the write), is not a regular file, or cannot be created.
    std::unique_ptr<std::ostream> OpenOutputStream(const char* path, std::ios_base::openmode mode, int prot) override;

    // ---- Secure file-access, utility, raw-file and system-list libraries: the real file system
    // through the host-path mapping (kelvane/FileAccess.cpp). Failures set the platform's last error.
    /// Opens or creates path as the platform's CreateFileA does: dispositions CREATE_NEW (1),
    /// CREATE_ALWAYS (2), OPEN_EXISTING (3), OPEN_ALWAYS (4) and TRUNCATE_EXISTING (5); a directory
    /// opens only with FILE_FLAG_BACKUP_SEMANTICS. An open that the share modes of a handle already
    /// open on the file forbid (in this process, or an exclusive one in another process) fails with
    /// ERROR_SHARING_VIOLATION, before anything is created or truncated.
    HANDLE CreateFileS(const char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flagsAndAttributes, HANDLE templateFile, int audit) override;
    /// Closes a handle of CreateFileS; 0 (ERROR_INVALID_HANDLE) for any other value.
    BOOL CloseHandleS(HANDLE handle) override;
    /// The host's temporary directory (platform::hostTemporaryDirectory), ending in a backslash.
    DWORD GetTempPathSA(DWORD size, char* buffer) override;
    /// Matches the file-name part of pattern, with * and ? and without regard to case, against the
    /// entries of its directory ("." and ".." excluded), in byte order of the names. A pattern
    /// ending in ".*" also matches the name without an extension, as on the platform.
    HANDLE FindFirstFileSA(const char* pattern, WIN32_FIND_DATAA& found) override;
    BOOL FindNextFileSA(HANDLE search, WIN32_FIND_DATAA& found) override;
    BOOL FindCloseS(HANDLE search) override;
    /// Deletes a file (a symbolic link itself, never its target); refuses a directory
    /// (ERROR_ACCESS_DENIED) and a file open without FILE_SHARE_DELETE (ERROR_SHARING_VIOLATION).
    BOOL DeleteFileS(const char* path) override;
    /// 1 when path names a directory (symbolic links followed).
    int DirectoryExists(const char* path) override;
    /// Erases the raw-data directory path (its last component ends in ".RAW", whatever the case)
    /// and everything in it; 0 when erased. Refuses (non-zero) a path with a "." or ".." component,
    /// a drive root, a symbolic link and anything but a directory; symbolic links inside are removed,
    /// never followed.
    int RawFileErase(const char* path) override;
    /// The system list is read from its file at every lookup, so there is nothing to reload: 1
    /// when the file is readable or absent, 0 when it exists but cannot be read.
    int RefreshSystemList() override;

    // ---- Sample-list library and the utility library's file dialog (SampleListFiles.cpp,
    // NormalFileDialog.cpp) ----------------------------------------------------------------
    /// Reads the list file at path (a host path) into list: a database (".spl", SQLite) for
    /// kDatabase, CSV otherwise, each column that names a host field stored in it. Returns 0, with
    /// list left without rows and the reason in GetSampleListError, when the file cannot be read.
    int ReadSampleList(CSampleListMem& list, host::SampleListKind kind, const char* path,
                       const tag_SELECT_DATATYPE& type) override;
    /// Writes the cells of list back to its file (GetFileName), all or nothing, changing only the
    /// cells that differ: a CSV list keeps every other byte, a database its other columns. Returns 0
    /// with the reason in GetSampleListError when the file could not be read back or written; a
    /// file or folder the caller may not write also sets the last error ERROR_ACCESS_DENIED.
    int WriteSampleList(const CSampleListMem& list, host::SampleListKind kind) override;
    /// The reason the last sample-list read or write failed; empty after one that succeeded.
    const std::string& GetSampleListError() const;

    /// Answers the dialog with the path set by SetNormalFileAnswer, when one is set: its
    /// directory, name and extension go into the request, whose other fields are kept, and the
    /// result is 1; an answer that does not fit the request's texts cancels (0) and leaves the
    /// request as it was. Without a set answer, asks the person as GenOpenFile does (no file need
    /// exist yet), starting at the request's directory, name and extension and titled with its
    /// title; a choice goes into the request in the same way. 0 when cancelled.
    short GenGetNormalFile(HINSTANCE instance, HWND owner, tag_FILE_DIALOG_REQUEST& request) override;
    /// Sets the path (a host path) that GenGetNormalFile answers from now on, without asking.
    void SetNormalFileAnswer(const std::string& hostPath);
    /// Makes GenGetNormalFile ask the person again from now on.
    void ClearNormalFileAnswer();

    // ---- The utility library's open dialog, the secure file dialog and rights (HostDialogs.cpp)
    /// Asks the person for an existing file through the platform's dialog service: an open
    /// dialog with title, the flags given, the file of the path form as the initial file, and
    /// the form's extension as the filter and the default extension. A chosen path (a host path or
    /// a POSIX one) goes into the form's three texts and the result is 1; the form's numbers and
    /// chosen flag are kept. A path whose parts do not fit the form's texts, or that is 260
    /// characters or longer in all, is refused with a message and the person asked again. 0, with
    /// the form unchanged, when cancelled.
    short GenOpenFile(HINSTANCE instance, HWND owner, tag_HXFILE& file, int flags, const char* title) override;
    /// Shows the secure file dialog through the platform's dialog service with the dialog's
    /// settings (kind, title, filter, initial file, default extension, flags, owner). A choice is
    /// checked as GenOpenFile checks it and set as the dialog's path, in host form; returns
    /// kDialogOk, or kDialogCancel when cancelled.
    INT_PTR ShowFileDialog(CFileDialogS& dialog) override;
    /// 1 (granted) for every right except those refused with SetRefusedRights.
    int SecurityEnquireNoAudit(int reserved, int right) override;
    /// Refuses exactly the given rights from now on; an empty set grants every right again.
    void SetRefusedRights(std::set<int> rights);

  private:
    // Asks the person for the file of a GenGetNormalFile request (HostDialogs.cpp).
    short askForNormalFile(HWND owner, tag_FILE_DIALOG_REQUEST& request);

    std::string sampleListError_;
    bool hasNormalFileAnswer_ = false;
    std::string normalFileAnswer_;
    std::set<int> refusedRights_;

  public:
    // ---- Method-database library (MethodDatabase.cpp): ".mdb" files are SQLite databases of
    // method records; and the host instrument interface (instrument/SimulatedInstrument.cpp) ----
    /// Opens the database the descriptor names (type 15): mode 8 creates it, or empties one of
    /// this host's; mode 20 opens one for writing; mode 17 opens one for reading and sets the
    /// descriptor's record count to the count stored, cut to the records from 1 on that read. A
    /// file that is not a method database of this host is refused and left as it is. 0 when open.
    /// Each open is the descriptor's own: the host marks it in the descriptor's private part
    /// (kOpenMark), so opens of one database through other descriptors never meet. Opening a
    /// descriptor that is open already reopens it; one opened for writing stays so until closed.
    int DmDB3Open(tag_METHOD_DB_DESCRIPTOR& descriptor, int mode) override;
    /// Closes the descriptor's open; one opened for writing stores the descriptor's record count
    /// (below 0 as 0), one opened for reading stores nothing. 0 when closed; -1 for a descriptor
    /// not open or a count that could not be stored.
    int DmDB3Close(tag_METHOD_DB_DESCRIPTOR& descriptor) override;
    /// Where in a method-database descriptor, past the fields callers fill, the host keeps the
    /// 32-bit mark of the open it belongs to (0: none).
    static constexpr std::size_t kOpenMark = tag_METHOD_DB_DESCRIPTOR::kRecordCount + 4;
    /// Fills record with a default quan entry for one compound; 1.
    int GetDefaultMethod(tag_METHOD_RECORD& record) override;
    /// Reads record index (from 1) of the database named (or, for a name without a file, of the
    /// one "METHOD_DB" selects); 0, record unchanged, when it is missing or not of the record's size.
    int MethodGetRecord(const tag_HXFILE& name, int index, tag_METHOD_RECORD& record) override;
    /// Appends record (index -1) or rewrites record index in place, in one transaction; returns the
    /// record number written, -1 when the database is not ours, the record is missing or the write
    /// failed (the database then keeps every record it had).
    int MethodWriteRecord(const tag_HXFILE& name, int index, const tag_METHOD_RECORD& record, int arg4,
                          int arg5) override;
    /// The host's one simulated instrument, made at first use; the host places it in the options
    /// record's m_pInstrument.
    instrument::SimulatedInstrument& instrument();

    // ---- Isotope model (IsotopeModel.cpp) ---------------------------------------------------
    int CalcIsotopeModel(int arg1, const tag_ISOTOPE_REQUEST& request, tag_ORDERED_CLUST& result) override;
    void cfree_ordered_clust(tag_ORDERED_CLUST& list) override;

    // ---- Raw-data library and spectrum combine (RawDataHost.cpp) ----------------------------
    int DmRawFileToID(const tag_HXRAWFILE& path, tag_RAW_DATA_ID& id) override;
    int DmRawScansInFunction(const tag_HXRAWFILE& path) override;
    DMHANDLE DmGetHandle(int arg1, int idSize, const tag_RAW_DATA_ID& id, int arg4, int arg5, int arg6) override;
    DMHANDLE Combine(int arg1, int arg2, tag_HXRAWFILE& source, tag_HXRAWFILE& target,
                     const tag_COMBINE_PARAMS& params, int arg6) override;
    tag_SPECTRUM_HEADER* DmLockID(DMHANDLE handle) override;
    int DmGetData(DMHANDLE handle, int arg2, int count, int mode) override;
    float* DmLockData(DMHANDLE handle, int array, int arg3, int count) override;
    int DmUnlockData(DMHANDLE handle, int array) override;
    int DmReleaseHandle(DMHANDLE handle, int arg2) override;
    int DmUnlockID(DMHANDLE handle) override;

    // ---- Peak databases (PeakDatabase.cpp) and measuring (MeasureSampleList.cpp) -------------
    int AccessDBOpen(const tag_HXFILE& name, int mode, int flags, tag_ACCESSDB_HANDLE& database, int arg5) override;
    int AccessDBGetRecord(tag_ACCESSDB_HANDLE& database, int index, tag_PEAK_RECORD& record) override;
    int AccessDBClose(tag_ACCESSDB_HANDLE& database, int arg2) override;
    int MeasureSampleList(HWND owner, const tag_HXFILE& sampleList, int firstRow, int lastRow) override;

  private:
    // What the raw-data library holds between calls (handles, locked spectra, cached raw data).
    std::unique_ptr<detail::RawDataState> rawData_;
    // What the peak-database library holds between AccessDBOpen and AccessDBClose.
    std::unique_ptr<detail::PeakDatabaseState> peakDatabases_;

  private:
    // The POSIX path of the method database a call names; empty when it names none.
    std::string methodDatabasePath(const tag_HXFILE& name);
    // Opens between DmDB3Open and DmDB3Close, by the mark in their descriptor: the database's
    // POSIX path and the mode it was opened in.
    struct OpenMethodDatabase
    {
        std::string path;
        int mode = 0;
    };
    std::map<std::uint32_t, OpenMethodDatabase> openMethodDatabases_;
    std::uint32_t lastOpenMark_ = 0;
    std::unique_ptr<instrument::SimulatedInstrument> instrument_;

  private:
    int configuredSamples_ = 0; // 0: not set; read the configuration file
};

/// Makes dataDirectory (a POSIX path, created when missing) the host's data directory, creates
/// the stand-in host and installs it as the host that every host operation reaches. A host
/// installed earlier by this function is replaced. Returns the installed host, or null when the
/// data directory could not be set up.
HOST_API KelvaneHost* install(const std::string& dataDirectory);

/// Why the last MeasureSampleList failed, in one line naming the file: the first row that failed,
/// or the method or list that could not be read. Empty after one that succeeded.
HOST_API const std::string& lastMeasureError();

/// Uninstalls and destroys the host that install made; the host installed before it, if any
/// other, is not put back.
HOST_API void uninstall();
} // namespace kelvane
