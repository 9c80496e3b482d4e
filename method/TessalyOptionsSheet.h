// CTessalyOptionsSheet: the method editor, a tabbed property sheet with a File menu over seven
// option pages, and its static method-file, validation and path functions, which the host and the
// run wizard use without any window. The pages live in the ui library; this header only names them,
// so method code includes it without that library.
#pragma once

#include "method/BrenmoOptions.h"
#include "platform/CString.h"
#include "platform/Export.h"
#include "platform/PropertySheet.h"

class CTessalyOptionsPage1;
class CTessalyOptionsPage2;
class CTessalyOptionsPage3;
class CTessalyOptionsPage4;
class CTessalyOptionsPage5;
class CTessalyOptionsPage6;
class CTessalyOptionsPage7;

/// The method editor. The pages hold the method while it is edited; the sheet converts between
/// them and a CBrenmoOptions, opens and saves method files, and shows the file and a "*" for
/// unsaved changes in its title. It is New (no file name), Clean (a file, no changes) or Dirty
/// (changes). The static members hold the method-file names and read and write method files;
/// file names are host paths.
class BRENMO_API CTessalyOptionsSheet : public CPropertySheet
{
  public:
    /// A sheet captioned m_strTitle with the first page selected and the pages in tab order
    /// Optimisation, Acquisition, Tune Files, Adducts, Losses, Inlet Methods, then MUX when
    /// nSimultaneousSamples is not 1. strFile (may be empty) is opened when the window is
    /// initialised. Registers the editor's templates, captions and menu on first use.
    explicit CTessalyOptionsSheet(const CString& strFile = CString(), int nSimultaneousSamples = 1,
                                  CWnd* pParentWnd = nullptr);
    /// Deletes every page, also one removed from the tabs.
    ~CTessalyOptionsSheet() override;
    CTessalyOptionsSheet(const CTessalyOptionsSheet&) = delete;

    /// Loads the method fields of options into the pages (MS/MSMS choice and polarity first, so
    /// the Losses tab and the adduct groups follow them), setting m_bModified when any value
    /// differs. The pages' windows are not refreshed here. Returns *this.
    CTessalyOptionsSheet& operator=(const CBrenmoOptions& options);

    /// Copies source into destination, setting m_bModified first when they differ. The int form
    /// also serves the enumerations; the sets differ when any allowed flag does, and are copied
    /// with masses and names. The title is not touched.
    void SetAndCheckModified(double& destination, const double& source);
    void SetAndCheckModified(float& destination, const float& source);
    void SetAndCheckModified(int& destination, const int& source);
    void SetAndCheckModified(CString& destination, const CString& source);
    void SetAndCheckModified(CAdducts& destination, const CAdducts& source);
    void SetAndCheckModified(CLosses& destination, const CLosses& source);
    /// Marks the method changed: on the first change sets m_bModified and puts "*" in the title.
    void SetModified();

    /// 0 takes the Losses tab away, non-zero adds it again after the last tab; the Tune page's
    /// MSMS tune controls are enabled exactly when bMSMS is non-zero.
    void SetMSMode(int bMSMS);
    /// Positive polarity enables the positive adduct group only, negative the negative group
    /// only, any other value both.
    void SetIonMode(tag_IONMODEOPT eIonModeOpt);

    /// Loads the method file strFile into the pages, Clean, and refreshes the active page. An
    /// empty name asks for a file instead (File Open). Returns 1.
    int Open(const CString& strFile);
    /// Writes the pages' method to m_strFile (a method without MUX page as MUX off). Returns 1
    /// and leaves the sheet Clean, or 0 with nothing changed when a key could not be written.
    int Save();
    /// Shows m_strTitle, a space and the file name with extension of strFile ("*" after it when
    /// bModified), or " Untitled*" when strFile is empty, in the window's title.
    void SetFile(const CString& strFile, int bModified);

    /// 1 when the MUX page exists.
    int m_bShowMuxPage;
    CTessalyOptionsPage1* m_pOptimisationPage;
    CTessalyOptionsPage2* m_pAcquisitionPage;
    CTessalyOptionsPage3* m_pTunePage;
    CTessalyOptionsPage4* m_pAdductsPage;
    CTessalyOptionsPage5* m_pInletsPage;
    CTessalyOptionsPage6* m_pLossesPage;
    /// Null when the sheet has no MUX page.
    CTessalyOptionsPage7* m_pMuxPage;
    /// 1 when the pages hold changes not yet saved.
    int m_bModified;
    /// Full host path of the method file being edited; empty for a new method.
    CString m_strFile;

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

    /// Lets the user choose an existing method file (no owner window), starting at strFile or, when
    /// it is empty, at CreateDefaultName's name. Returns 1 with strFile set to the chosen full path,
    /// or 0 with strFile unchanged when the dialog was cancelled.
    static int SelectMethodFile(CString& strFile);

    /// Loads the menu and attaches it, then opens m_strFile when it is set. Returns the base's
    /// result.
    BOOL OnInitDialog() override;

  protected:
    /// The window is made 15 pixels shorter than the default.
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    /// Runs the active page's exchange in the same direction; fails when it fails.
    void DoDataExchange(CDataExchange* pDX) override;
    /// The frame's close request: takes the menu off and ends the sheet (the save prompt follows
    /// as the window goes).
    void OnClose() override;
    /// Takes the active page's values and, when the method is modified, asks whether to save
    /// it. The modal result is IDOK when the method was saved or unchanged, IDCANCEL when the
    /// changes were declined or could not be written.
    void OnDestroy() override;
    const AFX_MSGMAP_ENTRY* GetMessageMap() const override;

    /// File New: asks to save a modified method, then loads a default method, untitled.
    void OnFileNew();
    /// File Open: asks to save a modified method, then lets the user choose a method file.
    void OnFileOpen();
    /// File Save: writes a modified method (asking for a name when it has none).
    void OnFileSave();
    /// File Save As: writes the method under a name the user chooses.
    void OnFileSaveAs();
    /// File Exit: ends the sheet with IDOK.
    void OnFileExit();
};
