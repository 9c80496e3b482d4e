// CTessalyOptionsSheet's method-file functions: reading and writing an optimisation method as
// the "Tessaly Options" section of an INI text file. They are static, so the host and the run
// wizard use them without any window.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"

/// The method editor. Its static members hold the method-file names and read and write method
/// files; file names are host paths.
class BRENMO_API CTessalyOptionsSheet
{
  public:
    /// "Tessaly Options": the one section of a method file.
    static CString m_strTessalyMethodSection;
    /// "tym": the method file extension, without the full stop.
    static CString m_strTessalyMethodExtension;
    /// The file-dialog filter of method files: "Tessaly Methods (*.tym)|*.tym||".
    static CString m_strTessalyMethodFilter;
    /// "Tessaly Method Editor": the editor's title and the caption of its message boxes.
    static CString m_strTitle;

    /// Reads the method of the file into the library's one options record and returns it. The
    /// record is built at the first call and lives until the library unloads; each call overwrites
    /// its method fields, so callers copy what they need. Missing files, sections, keys and empty
    /// values read as the defaults, unreadable numbers as 0; this never fails. An empty name
    /// resets the record from a default record (the options assignment, so the method file name
    /// and the run state are kept).
    static CBrenmoOptions& OpenFile(const CString& strFile);

    /// Writes the method fields of options to the file's method section, creating file and section
    /// when missing and keeping every other section and key. Every key is attempted; returns 1
    /// when all were written, 0 when any write failed.
    static int SaveFile(const CString& strFile, const CBrenmoOptions& options);

    /// Writes one key of the method section; returns the profile writer's result (non-zero when
    /// written). The writer refuses (0) a value holding a line break, which would read back as
    /// other keys or sections.
    static int WriteToFile(const CString& strFile, const CString& strKey, const CString& strValue);
    /// Writes one key as decimal digits; returns the profile writer's result.
    static int WriteToFile(const CString& strFile, const CString& strKey, int nValue);
    /// Writes one key with two decimals (the host's ftoa); returns the profile writer's result.
    static int WriteToFile(const CString& strFile, const CString& strKey, double dValue);

    /// Reads one key of the method section, cut to 255 characters. Returns 1 with the value when
    /// the key's text (or, for a missing key, the default's text) is not empty; otherwise stores
    /// the default and returns 0, so an empty value counts as absent.
    static int ReadFromFile(const CString& strFile, CString& strValue, const CString& strKey,
                            const CString& strDefault);
    /// As the text form, with the value parsed as atoi does (no number gives 0); values beyond the
    /// int range saturate to its ends. Returns 0 with the default for an absent or empty value.
    static int ReadFromFile(const CString& strFile, int& nValue, const CString& strKey, int nDefault);
    /// As the text form, with the value parsed as atof does (no number gives 0); a text that gives
    /// no finite number ("nan", "inf", "1e999") also reads as 0. Returns 0 with the default for an
    /// absent or empty value.
    static int ReadFromFile(const CString& strFile, double& dValue, const CString& strKey, double dDefault);

    // Project paths. A project is a directory whose name ends in ".PRO"; a method's files live in
    // directories below it.

    /// Replaces path by its project key: the upper-cased drive and directory up to the project
    /// directory's ".PRO" (C:\X\P.PRO\Tune\a.ipr gives C:\X\P). A path outside any project
    /// gives its own upper-cased drive and directory; a bare file name gives the empty text.
    static void GetProject(CString& strPath);

    /// Moves path into the project strProject (a ".PRO" directory path, normally ending in a
    /// backslash): its part up to and including ".PRO" is replaced by strProject as given. A path
    /// outside any project, a bare name and the empty text are left unchanged.
    static void ChangeDirectoryInString(CString& strPath, const CString& strProject);

    /// Stores strProject as the options' project and moves the tune files, quan methods, LC
    /// methods, calibration and LIMS export file into it. The method file and the compound and
    /// analysis lists stay where they are.
    static void SetProjectPaths(const CString& strProject, CBrenmoOptions& options);

    /// Checks the options against their project: files chosen, lists and method file opening,
    /// volumes positive, files inside the project. strMessages receives every error and warning
    /// found, each a line ending in "\n" (empty when none). Clears m_bPreRun and m_bPostRun when
    /// their process is not named. Returns 1 when no error (warnings allowed) was found, else 0.
    static int Validate(CString& strMessages, CBrenmoOptions& options);

    /// Collapses every run of backslashes in text to one, in place, except that the first two
    /// characters are never merged, so a network path's leading pair survives. Texts shorter
    /// than three characters, and a null text, are left alone.
    static void RemoveDoubleSlashes(char* text);

    /// Sets strName to the path of a new method: "Untitled" with the method file extension in
    /// the directory of the host's current method database (system-list key "METHOD_DB"). With
    /// no method database it is the bare name "Untitled.tym".
    static void CreateDefaultName(CString& strName);
};
