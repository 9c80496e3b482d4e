// Tests of the pre-run check: each finding on its own, their order, which are errors, and how
// files are opened for the check.
#include "testing/MockHost.h"
#include "method/TessalyOptionsSheet.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace
{
using ::testing::_;
using ::testing::NiceMock;

constexpr const char* kProject = "C:\\Projects\\Demo.PRO\\";
// An existing method file outside the project.
constexpr const char* kOutsideMethod = "C:\\Methods\\Demo.tym";

// A host whose secure file access opens exactly the files the test says exist, and only for
// reading and writing without creating them. It hands out distinct handles and remembers which
// are still open.
class ValidateTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ON_CALL(host_, CreateFileS(_, _, _, _, _, _, _, _))
            .WillByDefault([this](const char* path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                  DWORD, HANDLE, int) -> HANDLE {
                if (!existing_.count(path) || access != (GENERIC_READ | GENERIC_WRITE) || disposition != OPEN_EXISTING)
                    return INVALID_HANDLE_VALUE;
                HANDLE handle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1000 + ++handles_));
                open_[handle] = path;
                return handle;
            });
        ON_CALL(host_, CloseHandleS(_)).WillByDefault([this](HANDLE handle) -> BOOL {
            return open_.erase(handle) == 1;
        });
        existing_.insert(kOutsideMethod);
        complete(options_);
    }

    // A complete, valid method and run of the demo project, with automatic quantification and a
    // LIMS export, so that every check's "set" branch is reached.
    void complete(CBrenmoOptions& o)
    {
        const auto in = [this](const char* rest, bool exists = true) {
            const CString path = CString(kProject) + rest;
            if (exists)
                existing_.insert(path.GetString());
            return path;
        };
        o.m_strProject = kProject;
        o.m_bMSMS = 1;
        o.m_Adducts.m_Sodium.Allow(0);
        o.m_bAnalysisAndQuantitation = 1;
        o.m_bAutoQuantifySamples = 1;
        o.m_bIntegrateSamples = 1;
        o.m_bCalibrateStandards = 1;
        o.m_bQuantifySamples = 1;
        o.m_bExportResultsToLims = 1;
        o.m_bConcatenateGroup = 0;
        o.m_strAcquisitionTuneFile = in("Tune\\Acquisition.ipr");
        o.m_strDaughterTuneFile = in("Tune\\Daughter.ipr");
        o.m_strParentTuneFile = in("Tune\\Parent.ipr");
        o.m_strBaseQuanMethod = in("MethDB\\Base.mdb");
        o.m_strQuanMethodDaughter = in("MethDB\\Daughter.mdb");
        o.m_strQuanMethodParent = in("MethDB\\Parent.mdb");
        o.m_strQuanCalibration = "Curve1";
        o.m_strLimsExportFile = in("Lims\\export.txt", false);
        o.m_strStage1LCMethod = in("Acqudb\\Loop.ilm");
        o.m_strStage2LCMethod = in("Acqudb\\Column.ilm");
        o.m_strLoopLCMethod = in("Acqudb\\LoopValve.ilm");
        o.m_strColumnLCMethod = in("Acqudb\\ColumnValve.ilm");
        o.m_strCompoundList = in("SampleDB\\Compounds.csv");
        o.m_strAnalysisList = in("SampleDB\\Analysis.csv");
        o.m_strMethodFile = in("Methods\\Demo.tym");
        o.m_dStage1InjectionVolume = 20.0;
        o.m_dStage2InjectionVolume = 5.0;
    }

    // Runs Validate and checks that it closed every file it opened.
    int validate(CBrenmoOptions& o, CString& messages)
    {
        const int result = CTessalyOptionsSheet::Validate(messages, o);
        EXPECT_TRUE(open_.empty()) << "a file opened for a check was left open";
        return result;
    }

    NiceMock<host::MockHost> host_;
    host::ScopedHost installed_{host_};
    std::set<std::string> existing_;
    std::map<HANDLE, std::string> open_;
    int handles_ = 0;
    CBrenmoOptions options_;
};

TEST_F(ValidateTest, CompleteProjectHasNoFindings)
{
    CString messages = "left from an earlier check\n";
    EXPECT_EQ(validate(options_, messages), 1);
    EXPECT_STREQ(messages, "");
    // The analysis list, the compound list and the method file were each opened once.
    EXPECT_EQ(handles_, 3);
}

TEST_F(ValidateTest, DefaultRecordGivesItsErrorsInOrder)
{
    CBrenmoOptions o;
    CString messages;
    EXPECT_CALL(host_, CreateFileS(_, _, _, _, _, _, _, _)).Times(0); // empty names are never opened
    EXPECT_EQ(validate(o, messages), 0);
    EXPECT_STREQ(messages, "Must have an acquisition tune file selected\n"
                           "Must have a daughter scanning tune file selected\n"
                           "No daughter scanning quan method selected\n"
                           "Must have a parent scanning tune file selected\n"
                           "No parent scanning quan method selected\n"
                           "Acquire and Quantify requires an lc method\n"
                           "Acquire and Quantify requires an analysis file\n"
                           "Must have an optimisation lc method selected\n"
                           "Must have a compound file selected\n"
                           "Tessaly method file cannot be opened\n");
}

// One change to the complete record and the one finding it must give.
struct Finding
{
    const char* name;
    std::function<void(CBrenmoOptions&)> change;
    const char* message;
    int result; // 0 for an error, 1 for a warning
};

const char* const kOutside = "C:\\Projects\\Other.PRO\\Elsewhere\\file.dat";

const Finding kFindings[] = {
    {"1 sodium with MSMS", [](CBrenmoOptions& o) { o.m_Adducts.m_Sodium.Allow(1); },
     "Sodium adduct not recommended for MSMS methods\n", 1},
    {"2 no acquisition tune", [](CBrenmoOptions& o) { o.m_strAcquisitionTuneFile.Empty(); },
     "Must have an acquisition tune file selected\n", 0},
    {"3 acquisition tune outside", [](CBrenmoOptions& o) { o.m_strAcquisitionTuneFile = kOutside; },
     "Acquisition tune file not in this project\n", 1},
    {"4 no base quan method", [](CBrenmoOptions& o) { o.m_strBaseQuanMethod.Empty(); },
     "No acquisition quan method selected\n", 1},
    {"5 base quan method outside", [](CBrenmoOptions& o) { o.m_strBaseQuanMethod = kOutside; },
     "Acquisiton template quan method file not in this project\n", 1},
    {"6 no calibration", [](CBrenmoOptions& o) { o.m_strQuanCalibration.Empty(); },
     "No quan calibration name selected\n", 0},
    {"7 no LIMS file", [](CBrenmoOptions& o) { o.m_strLimsExportFile.Empty(); }, "No LIMS export file name selected\n",
     0},
    {"7 no LIMS base name",
     [](CBrenmoOptions& o) {
         o.m_strLimsExportFile.Empty();
         o.m_bExportResultsToLims = 0;
         o.m_bConcatenateGroup = 1;
     },
     "No LIMS export file basename selected\n", 0},
    {"8 no daughter tune", [](CBrenmoOptions& o) { o.m_strDaughterTuneFile.Empty(); },
     "Must have a daughter scanning tune file selected\n", 0},
    {"9 daughter tune outside", [](CBrenmoOptions& o) { o.m_strDaughterTuneFile = kOutside; },
     "MSMS tune file not in this project\n", 1},
    {"10 no daughter quan method", [](CBrenmoOptions& o) { o.m_strQuanMethodDaughter.Empty(); },
     "No daughter scanning quan method selected\n", 1},
    {"11 daughter quan method outside", [](CBrenmoOptions& o) { o.m_strQuanMethodDaughter = kOutside; },
     "MSMS template quan method file not in this project\n", 1},
    {"12 no parent tune", [](CBrenmoOptions& o) { o.m_strParentTuneFile.Empty(); },
     "Must have a parent scanning tune file selected\n", 0},
    {"13 parent tune outside", [](CBrenmoOptions& o) { o.m_strParentTuneFile = kOutside; },
     "MS tune file not in this project\n", 1},
    {"14 no parent quan method", [](CBrenmoOptions& o) { o.m_strQuanMethodParent.Empty(); },
     "No parent scanning quan method selected\n", 1},
    {"15 parent quan method outside", [](CBrenmoOptions& o) { o.m_strQuanMethodParent = kOutside; },
     "MS template quan method file not in this project\n", 1},
    {"16 no acquisition LC method", [](CBrenmoOptions& o) { o.m_strStage2LCMethod.Empty(); },
     "Acquire and Quantify requires an lc method\n", 0},
    {"17 acquisition LC method outside", [](CBrenmoOptions& o) { o.m_strStage2LCMethod = kOutside; },
     "Column inlet method file not in this project\n", 1},
    {"18 no analysis list", [](CBrenmoOptions& o) { o.m_strAnalysisList.Empty(); },
     "Acquire and Quantify requires an analysis file\n", 0},
    {"19 analysis list missing",
     [](CBrenmoOptions& o) { o.m_strAnalysisList = CString(kProject) + "SampleDB\\Missing.csv"; },
     "Analysis file cannot be opened\n", 0},
    {"20 acquisition volume 0", [](CBrenmoOptions& o) { o.m_dStage2InjectionVolume = 0.0; },
     "Acquisition injection volume invalid\n", 0},
    {"20 acquisition volume negative", [](CBrenmoOptions& o) { o.m_dStage2InjectionVolume = -5.0; },
     "Acquisition injection volume invalid\n", 0},
    {"21 no optimisation LC method", [](CBrenmoOptions& o) { o.m_strStage1LCMethod.Empty(); },
     "Must have an optimisation lc method selected\n", 0},
    {"22 optimisation LC method outside", [](CBrenmoOptions& o) { o.m_strStage1LCMethod = kOutside; },
     "Loop inlet method file not in this project\n", 1},
    {"23 no compound list", [](CBrenmoOptions& o) { o.m_strCompoundList.Empty(); },
     "Must have a compound file selected\n", 0},
    {"24 compound list missing",
     [](CBrenmoOptions& o) { o.m_strCompoundList = CString(kProject) + "SampleDB\\Missing.csv"; },
     "Compound file cannot be opened\n", 0},
    {"25 loop valve method outside", [](CBrenmoOptions& o) { o.m_strLoopLCMethod = kOutside; },
     "Loop switching inlet method file not in this project\n", 1},
    {"26 column valve method outside", [](CBrenmoOptions& o) { o.m_strColumnLCMethod = kOutside; },
     "Column switching inlet method file not in this project\n", 1},
    {"27 optimisation volume 0", [](CBrenmoOptions& o) { o.m_dStage1InjectionVolume = 0.0; },
     "Optimisation injection volume invalid\n", 0},
    {"28 method file missing",
     [](CBrenmoOptions& o) { o.m_strMethodFile = CString(kProject) + "Methods\\Missing.tym"; },
     "Tessaly method file cannot be opened\n", 0},
    {"28 and 29 no method file", [](CBrenmoOptions& o) { o.m_strMethodFile.Empty(); },
     "Tessaly method file cannot be opened\nTessaly method file not in this project\n", 0},
    {"29 method file outside", [](CBrenmoOptions& o) { o.m_strMethodFile = kOutsideMethod; },
     "Tessaly method file not in this project\n", 1},

    // Changes that must give no finding.
    {"volumes just above 0",
     [](CBrenmoOptions& o) {
         o.m_dStage1InjectionVolume = 0.01;
         o.m_dStage2InjectionVolume = 0.01;
     },
     "", 1},
    {"project compared without regard to case",
     [](CBrenmoOptions& o) { o.m_strParentTuneFile = "c:\\projects\\demo.pro\\tune\\parent.ipr"; }, "", 1},
    {"valve methods are optional",
     [](CBrenmoOptions& o) {
         o.m_strLoopLCMethod.Empty();
         o.m_strColumnLCMethod.Empty();
     },
     "", 1},
    {"sodium without MSMS",
     [](CBrenmoOptions& o) {
         o.m_bMSMS = 0;
         o.m_Adducts.m_Sodium.Allow(1);
         o.m_strDaughterTuneFile.Empty();
         o.m_strQuanMethodDaughter.Empty();
     },
     "", 1},
    {"no analysis: its files are not needed",
     [](CBrenmoOptions& o) {
         o.m_bAnalysisAndQuantitation = 0;
         o.m_strAcquisitionTuneFile.Empty();
         o.m_strBaseQuanMethod.Empty();
         o.m_strQuanCalibration.Empty();
         o.m_strLimsExportFile.Empty();
         o.m_strStage2LCMethod.Empty();
         o.m_strAnalysisList.Empty();
         o.m_dStage2InjectionVolume = 0.0;
     },
     "", 1},
    {"no automatic quantification: no quan files needed",
     [](CBrenmoOptions& o) {
         o.m_bAutoQuantifySamples = 0;
         o.m_strBaseQuanMethod.Empty();
         o.m_strQuanCalibration.Empty();
         o.m_strLimsExportFile.Empty();
     },
     "", 1},
    {"no quantify step: no base quan method needed",
     [](CBrenmoOptions& o) {
         o.m_bIntegrateSamples = 0;
         o.m_bCalibrateStandards = 0;
         o.m_bQuantifySamples = 0;
         o.m_strBaseQuanMethod.Empty();
         o.m_strQuanCalibration.Empty();
     },
     "", 1},
    {"no export: no LIMS file needed",
     [](CBrenmoOptions& o) {
         o.m_bExportResultsToLims = 0;
         o.m_strLimsExportFile.Empty();
     },
     "", 1},
};

TEST_F(ValidateTest, EachFindingAlone)
{
    for (const Finding& f : kFindings)
    {
        SCOPED_TRACE(f.name);
        CBrenmoOptions o;
        complete(o);
        f.change(o);
        CString messages;
        EXPECT_EQ(validate(o, messages), f.result);
        EXPECT_STREQ(messages, f.message);
    }
}

TEST_F(ValidateTest, FindingsFollowTheOrderOfTheChecks)
{
    // Sodium is first even when errors follow; the volume checks come after the files they follow.
    options_.m_Adducts.m_Sodium.Allow(1);
    options_.m_dStage1InjectionVolume = 0.0;
    options_.m_strColumnLCMethod = kOutside;
    options_.m_strCompoundList.Empty();
    options_.m_dStage2InjectionVolume = 0.0;
    options_.m_strParentTuneFile = kOutside;
    options_.m_strMethodFile = kOutside;
    CString messages;
    EXPECT_EQ(validate(options_, messages), 0);
    EXPECT_STREQ(messages, "Sodium adduct not recommended for MSMS methods\n"
                           "MS tune file not in this project\n"
                           "Acquisition injection volume invalid\n"
                           "Must have a compound file selected\n"
                           "Column switching inlet method file not in this project\n"
                           "Optimisation injection volume invalid\n"
                           "Tessaly method file cannot be opened\n"
                           "Tessaly method file not in this project\n");
}

TEST_F(ValidateTest, PreAndPostRunWithoutAProcessAreSwitchedOff)
{
    struct Case
    {
        const char* name;
        const char* preProcess;
        const char* postProcess;
        BOOL preRun;
        BOOL postRun;
    };
    const Case cases[] = {
        {"neither named", "", "", 0, 0},
        {"pre-run named", "prepare.exe", "", 1, 0},
        {"post-run named", "", "report.exe", 0, 1},
        {"both named", "prepare.exe", "report.exe", 1, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        // With errors too: the switches are cleared whatever else is found.
        for (const bool withErrors : {false, true})
        {
            CBrenmoOptions o;
            complete(o);
            if (withErrors)
                o.m_strCompoundList.Empty();
            o.m_bPreRun = 1;
            o.m_bPostRun = 1;
            o.m_strPreRunProcess = c.preProcess;
            o.m_strPostRunProcess = c.postProcess;
            CString messages;
            EXPECT_EQ(validate(o, messages), withErrors ? 0 : 1);
            EXPECT_EQ(o.m_bPreRun, c.preRun);
            EXPECT_EQ(o.m_bPostRun, c.postRun);
        }
    }
}

TEST_F(ValidateTest, OpensFilesForReadingAndWritingWithoutCreatingThem)
{
    using ::testing::StrEq;
    EXPECT_CALL(host_, CreateFileS(StrEq(options_.m_strAnalysisList.GetString()), GENERIC_READ | GENERIC_WRITE, _,
                                   nullptr, OPEN_EXISTING, _, nullptr, _));
    EXPECT_CALL(host_, CreateFileS(StrEq(options_.m_strCompoundList.GetString()), GENERIC_READ | GENERIC_WRITE, _,
                                   nullptr, OPEN_EXISTING, _, nullptr, _));
    EXPECT_CALL(host_, CreateFileS(StrEq(options_.m_strMethodFile.GetString()), GENERIC_READ | GENERIC_WRITE, _,
                                   nullptr, OPEN_EXISTING, _, nullptr, _));
    EXPECT_CALL(host_, CloseHandleS(_)).Times(3);
    CString messages;
    EXPECT_EQ(validate(options_, messages), 1);
}

TEST_F(ValidateTest, AFileThatOnlyReadsDoesNotOpen)
{
    // The host refuses write access to the compound list, as for a read-only file.
    ON_CALL(host_, CreateFileS(testing::StrEq(options_.m_strCompoundList.GetString()), _, _, _, _, _, _, _))
        .WillByDefault([](const char*, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE, int) {
            return (access & GENERIC_WRITE) ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(INT_PTR{0x77});
        });
    CString messages;
    EXPECT_EQ(validate(options_, messages), 0);
    EXPECT_STREQ(messages, "Compound file cannot be opened\n");
}
} // namespace
