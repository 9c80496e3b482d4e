// Tests of the pre-run check: each finding on its own with its exact text, and which are errors.
#include "method/TessalyOptionsSheet.h"
#include "testing/MockHost.h"

#include <functional>
#include <gmock/gmock.h>
#include <string>
#include <vector>

namespace
{
using ::testing::_;
using O = CBrenmoOptions;
using Change = std::function<void(O&)>;

constexpr const char* kProject = "C:\\Projects\\Demo.PRO\\";
constexpr const char* kOutside = "C:\\Projects\\Other.PRO\\Elsewhere\\file.dat";
constexpr const char* kMissing = "C:\\Projects\\Demo.PRO\\Missing.csv";

template <class T, class V> Change set(T O::*field, V value) { return [=](O& o) { o.*field = value; }; }

// Each row changes a complete, valid method and run in the demo project (with automatic
// quantification and a LIMS export, so that every check's "set" branch is reached). The host opens
// every file but kMissing, only to read and write it without creating it, and never an empty name.
TEST(Validate, EachFindingAlone)
{
    testing::NiceMock<host::MockHost> host;
    host::ScopedHost installed(host);
    int open = 0; // the handles Validate has not closed
    ON_CALL(host, CreateFileS(_, _, _, _, _, _, _, _))
        .WillByDefault([&](const char* path, DWORD access, DWORD, auto, DWORD how, DWORD, HANDLE, int) {
            EXPECT_STRNE(path, "") << "an empty name was opened";
            const bool opens = std::string(path) != kMissing && access == (GENERIC_READ | GENERIC_WRITE) &&
                               how == OPEN_EXISTING;
            return opens ? reinterpret_cast<HANDLE>(static_cast<INT_PTR>(++open)) : INVALID_HANDLE_VALUE;
        });
    ON_CALL(host, CloseHandleS(_)).WillByDefault([&](HANDLE) { return --open >= 0 ? TRUE : FALSE; });
    const Change defaults = [](O& o) { o = O(), o.m_strProject = o.m_strMethodFile = ""; };
    struct Case { std::vector<Change> changes; const char* message; int result, preRun = 0, postRun = 0; }; // 0: error
    // clang-format off
    const Case cases[] = {
        {{}, "", 1},
        {{defaults}, "Must have an acquisition tune file selected\nMust have a daughter scanning tune file selected\n"
                     "No daughter scanning quan method selected\nMust have a parent scanning tune file selected\n"
                     "No parent scanning quan method selected\nAcquire and Quantify requires an lc method\n"
                     "Acquire and Quantify requires an analysis file\nMust have an optimisation lc method selected\n"
                     "Must have a compound file selected\nTessaly method file cannot be opened\n", 0},
        {{[](O& o) { o.m_Adducts.m_Sodium.Allow(1); }}, "Sodium adduct not recommended for MSMS methods\n", 1},
        {{set(&O::m_strAcquisitionTuneFile, "")}, "Must have an acquisition tune file selected\n", 0},
        {{set(&O::m_strAcquisitionTuneFile, kOutside)}, "Acquisition tune file not in this project\n", 1},
        {{set(&O::m_strBaseQuanMethod, "")}, "No acquisition quan method selected\n", 1},
        {{set(&O::m_strBaseQuanMethod, kOutside)}, "Acquisiton template quan method file not in this project\n", 1},
        {{set(&O::m_strQuanCalibration, "")}, "No quan calibration name selected\n", 0},
        {{set(&O::m_strLimsExportFile, "")}, "No LIMS export file name selected\n", 0},
        {{set(&O::m_strLimsExportFile, ""), set(&O::m_bExportResultsToLims, 0), set(&O::m_bConcatenateGroup, 1)},
         "No LIMS export file basename selected\n", 0},
        {{set(&O::m_strDaughterTuneFile, "")}, "Must have a daughter scanning tune file selected\n", 0},
        {{set(&O::m_strDaughterTuneFile, kOutside)}, "MSMS tune file not in this project\n", 1},
        {{set(&O::m_strQuanMethodDaughter, "")}, "No daughter scanning quan method selected\n", 1},
        {{set(&O::m_strQuanMethodDaughter, kOutside)}, "MSMS template quan method file not in this project\n", 1},
        {{set(&O::m_strParentTuneFile, "")}, "Must have a parent scanning tune file selected\n", 0},
        {{set(&O::m_strParentTuneFile, kOutside)}, "MS tune file not in this project\n", 1},
        {{set(&O::m_strQuanMethodParent, "")}, "No parent scanning quan method selected\n", 1},
        {{set(&O::m_strQuanMethodParent, kOutside)}, "MS template quan method file not in this project\n", 1},
        {{set(&O::m_strStage2LCMethod, "")}, "Acquire and Quantify requires an lc method\n", 0},
        {{set(&O::m_strStage2LCMethod, kOutside)}, "Column inlet method file not in this project\n", 1},
        {{set(&O::m_strAnalysisList, "")}, "Acquire and Quantify requires an analysis file\n", 0},
        {{set(&O::m_strAnalysisList, kMissing)}, "Analysis file cannot be opened\n", 0},
        {{set(&O::m_dStage2InjectionVolume, 0.0)}, "Acquisition injection volume invalid\n", 0},
        {{set(&O::m_strStage1LCMethod, "")}, "Must have an optimisation lc method selected\n", 0},
        {{set(&O::m_strStage1LCMethod, kOutside)}, "Loop inlet method file not in this project\n", 1},
        {{set(&O::m_strCompoundList, "")}, "Must have a compound file selected\n", 0},
        {{set(&O::m_strCompoundList, kMissing)}, "Compound file cannot be opened\n", 0},
        {{set(&O::m_strLoopLCMethod, kOutside)}, "Loop switching inlet method file not in this project\n", 1},
        {{set(&O::m_strColumnLCMethod, kOutside)}, "Column switching inlet method file not in this project\n", 1},
        {{set(&O::m_dStage1InjectionVolume, -5.0)}, "Optimisation injection volume invalid\n", 0},
        {{set(&O::m_strMethodFile, kMissing)}, "Tessaly method file cannot be opened\n", 0},
        {{set(&O::m_strMethodFile, kOutside)}, "Tessaly method file not in this project\n", 1},
        {{set(&O::m_strMethodFile, "")},
         "Tessaly method file cannot be opened\nTessaly method file not in this project\n", 0},
        // No finding: the project is compared without regard to case (and the valve methods, empty in the
        // defaults, are optional).
        {{set(&O::m_strParentTuneFile, "c:\\projects\\demo.pro\\Dir\\parent.ipr")}, "", 1},
        // Pre- and post-run without a process to run are switched off, silently.
        {{set(&O::m_bPreRun, 1), set(&O::m_bPostRun, 1), set(&O::m_strPreRunProcess, "prepare.exe")}, "", 1, 1, 0},
        {{set(&O::m_bPreRun, 1), set(&O::m_bPostRun, 1), set(&O::m_strPostRunProcess, "report.exe")}, "", 1, 0, 1},
    };
    // clang-format on
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "row " << (&c - cases) << ": " << c.message);
        O o;
        o.m_strProject = kProject;
        o.m_bAutoQuantifySamples = o.m_bExportResultsToLims = 1;
        o.m_strQuanCalibration = "Curve1";
        for (CString O::*path : {&O::m_strAcquisitionTuneFile, &O::m_strDaughterTuneFile, &O::m_strParentTuneFile,
                 &O::m_strBaseQuanMethod, &O::m_strQuanMethodDaughter, &O::m_strQuanMethodParent,
                 &O::m_strLimsExportFile, &O::m_strStage1LCMethod, &O::m_strStage2LCMethod, &O::m_strLoopLCMethod,
                 &O::m_strColumnLCMethod, &O::m_strCompoundList, &O::m_strAnalysisList, &O::m_strMethodFile})
            o.*path = CString(kProject) + "Dir\\file.dat";
        for (const Change& change : c.changes)
            change(o);
        CString messages = "left from an earlier check\n";
        EXPECT_EQ(CTessalyOptionsSheet::Validate(messages, o), c.result);
        EXPECT_EQ(open, 0) << "a file opened for a check was left open";
        EXPECT_STREQ(messages, c.message);
        EXPECT_EQ(o.m_bPreRun * 10 + o.m_bPostRun, c.preRun * 10 + c.postRun);
    }
}
} // namespace
