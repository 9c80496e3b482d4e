// The optimisation results log: one line per compound saying where its optimisation stands or
// which transition and settings it will use, dumped whole to a fixed file a person can watch.
#pragma once

#include "method/ScanParams.h"
#include "platform/CString.h"
#include "platform/Collections.h"
#include "platform/Export.h"

/// Status codes of the results log, each with its own line; 32 bits wide, values fixed.
enum tagOPT_RESULT : int
{
    OPTRESULT_NO_INFORMATION = 0,    // "No Information Yet (Base mass ...)"
    OPTRESULT_NOT_REQUIRED = 1,      // "Not Required In This Analysis"
    OPTRESULT_ALREADY_PRESENT = 2,   // "Optimisation Already Present"
    OPTRESULT_OPTIMISING_CV = 3,     // "In Progress: Optimising CV"
    OPTRESULT_SKIPPING_CV = 4,       // "In Progress: Skipping CV"
    OPTRESULT_CV_FAILED = 5,         // "Cone Voltage Optimisation Failed"
    OPTRESULT_OPTIMISING_CE = 6,     // "In Progress: Optimising CE (Parent ..., CV ...)"
    OPTRESULT_SKIPPING_CE = 7,       // "In Progress: Skipping CE"
    OPTRESULT_CE_FAILED = 8,         // "Collision Energy Optimisation Failed"
    OPTRESULT_USING_PARENT = 9,      // "Using Mass ..." (parent only)
    OPTRESULT_USING_TRANSITION = 10, // "Using ... > ..." (parent and daughter)
    OPTRESULT_HEADER = 11,           // the column titles; name and record unused
};

/// The status of one compound's line: the code it was appended with, and whether its
/// optimisation has begun (set by the first rewrite with a progress or result code, 3 to 10).
/// Two 32-bit fields in this order.
class BRENMO_API COptimiseStatus
{
  public:
    /// A status of code; a default one is "not required", not started.
    COptimiseStatus(tagOPT_RESULT code = OPTRESULT_NOT_REQUIRED, int started = 0);
    COptimiseStatus(const COptimiseStatus& other);
    COptimiseStatus& operator=(const COptimiseStatus& other);

    tagOPT_RESULT m_eResult; // the code of the Append, never changed afterwards
    int m_bStarted;          // 1 once the compound's optimisation has begun or ended
};

/// The results log: line i of the string array and status i of the status array belong to the
/// i-th compound appended. Both arrays always have the same number of entries: only Append adds
/// to them and only RemoveAll empties them. Meant for one thread: the text form lives in one
/// library-wide buffer.
class BRENMO_API COptimiseResults : public CStringArray, public CArray<COptimiseStatus, COptimiseStatus&>
{
  public:
    /// An empty log.
    COptimiseResults();
    ~COptimiseResults() override;

    /// Appends the line of code for the compound name with record params, with a status of code,
    /// not started. Returns 1, or 0 without any change when code (outside 0..11) gives no line.
    int Append(tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params);

    /// Rewrites line index with the line of code. Once the compound's optimisation has begun, the
    /// codes 0 to 2 leave its line as it is (and return 1), so a late "No Information Yet", "Not
    /// Required" or "Already Present" never hides progress or a result; codes 3 to 10 mark it as
    /// begun. The status's code is never changed. Returns 0, without any change, when code gives
    /// no line or index is not that of an appended line; otherwise 1.
    int Update(int index, tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params);

    /// The whole log as one text: the header line, a line feed, then every line in order, each
    /// followed by a line feed. The text lives in one library-wide buffer, rebuilt by every call
    /// (and by Dump); copy it to keep it past the next call.
    operator const CString&() const;

    /// Replaces the log file with the whole text through the host's secure output stream.
    /// Returns 1 when written, 0 when the file could not be opened or written; the log in memory
    /// is unaffected either way and nothing is shown.
    int Dump() const;
    // The framework's diagnostic dump (of the string array's object root) stays reachable beside it.
    using CStringArray::Dump;

    /// Empties the lines and the statuses.
    void RemoveAll();

    /// The log file's fixed host path, "c:\temp\Tessaly Current Optimisation Results.txt".
    static const CString& GetFilename();

  private:
    /// Formats the line of code into line; returns 1, or 0 with line untouched for a code
    /// outside 0..11.
    static int MakeString(CString& line, tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params);

    static const CString m_strFilename;
};
