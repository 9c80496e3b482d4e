// Tests of the options record: defaults, the accessors, and what its assignment copies.
#include "method/BrenmoOptions.h"
#include "testing/OptionsFixtures.h"

#include <cstring>
#include <gtest/gtest.h>

namespace
{
// An instrument that is never called: the record only carries its address.
class NullInstrument : public CHostInstrument
{
  public:
    int LoadTune(int, const char*, int) override
    {
        return 0;
    }
    int GetTuneState() override
    {
        return 0;
    }
    int CloseTune() override
    {
        return 0;
    }
    int CommitTune() override
    {
        return 0;
    }
    int GetMassLimit() override
    {
        return 0;
    }
};

TEST(BrenmoOptions, Defaults)
{
    const CBrenmoOptions o;
    EXPECT_EQ(o.NoCVOptimisation(), 0);
    EXPECT_EQ(o.NoCEOptimisation(), 0);
    EXPECT_EQ(o.MuxSprays(), 1);
    EXPECT_EQ(o.IsMuxInterlaced(), 0);
    for (const tag_SELECT_DATATYPE* type : {&o.m_CompoundListType, &o.m_AnalysisListType})
    {
        EXPECT_STREQ(type->lpszFilter, "Kelvane 3.x (*.SPL)|*.spl|");
        EXPECT_STREQ(type->lpszDefExt, "spl");
        EXPECT_EQ(type->nType, 1);
        EXPECT_STREQ(type->lpszText1, "");
        EXPECT_STREQ(type->lpszText2, "");
    }
}

TEST(BrenmoOptions, MuxInterlacedNeedsAllThreeFlags)
{
    for (int bits = 0; bits < 8; ++bits)
    {
        SCOPED_TRACE(bits);
        CBrenmoOptions o;
        o.m_bUseMuxMode = bits & 1;
        o.m_bUseInterlacedInjections = (bits >> 1) & 1;
        // Any non-zero value counts as set, not only 1.
        o.m_bAnalysisAndQuantitation = (bits & 4) ? 5 : 0;
        EXPECT_EQ(o.IsMuxInterlaced(), bits == 7 ? 1 : 0);
    }
}

TEST(BrenmoOptions, NoOptimisationOnlyForAZeroStep)
{
    struct Case
    {
        double step;
        int expected;
    };
    const Case cases[] = {{0.0, 1}, {-0.0, 1}, {1e-300, 0}, {-6.0, 0}, {6.0, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.step);
        CBrenmoOptions o;
        o.m_dConeVoltageStep = c.step;
        EXPECT_EQ(o.NoCVOptimisation(), c.expected);
        EXPECT_EQ(o.NoCEOptimisation(), 0);
        o.m_dCollisionEnergyStep = c.step;
        EXPECT_EQ(o.NoCEOptimisation(), c.expected);
    }
}

TEST(BrenmoOptions, AssignmentCopiesMethodAndRunOptions)
{
    NullInstrument instrument;
    const char* const kListFilter = "Lists (*.csv)|*.csv|";
    CBrenmoOptions source;
    testkit::FillEveryMethodField(source);
    source.m_strMethodFile = "C:\\source.tym";
    source.m_strCompoundList = "compounds";
    source.m_CompoundListType.lpszFilter = kListFilter;
    source.m_CompoundListType.nType = 2;
    source.m_strAnalysisList = "analysis";
    source.m_AnalysisListType.nType = 3;
    source.m_bCompoundOptimisation = 1;
    source.m_bAnalysisAndQuantitation = 0;
    source.m_bRunUnattended = 1;
    source.m_bAcquireSampleData = 0;
    source.m_bAutoProcessSamples = 1;
    source.m_bAutoQuantifySamples = 1;
    source.m_bPreRun = 1;
    source.m_bPostRun = 1;
    source.m_strPreRunProcess = "pre";
    source.m_strPostRunProcess = "post";
    source.m_strBaseQuanMethod = "base";
    source.m_strQuanCalibration = "calibration";
    source.m_strLimsExportFile = "lims";
    source.m_bIntegrateSamples = 0;
    source.m_bCalibrateStandards = 0;
    source.m_bQuantifySamples = 0;
    source.m_bPrintQuantifyReports = 1;
    source.m_bExportResultsToLims = 1;
    source.m_bConcatenateGroup = 1;
    source.m_pInstrument = &instrument;
    // Run state of the source, none of which may reach the target.
    source.m_lstStrings.AddTail("source");
    source.m_GroupArrays[0].Add(CGroup(CString("A")));
    source.m_nGroupOffset = 9;
    source.m_strProject = "C:\\Other.PRO\\";
    source.m_fStage1QuanValue = 9.5f;
    source.m_hParentWnd = reinterpret_cast<HWND>(0x9);
    source.m_strSpare = "source";
    source.m_nSpare = 9;

    CBrenmoOptions target;
    target.m_strMethodFile = "C:\\target.tym";
    target.m_lstStrings.AddTail("kept");
    target.m_GroupArrays[3].Add(CGroup(CString("B")));
    target.m_nGroupOffset = 2;
    target.m_strProject = "C:\\Study.PRO\\";
    target.m_fStage1QuanValue = 2.5f;
    target.m_hParentWnd = reinterpret_cast<HWND>(0x2);
    target.m_strSpare = "kept";
    target.m_nSpare = 2;

    target = source;

    testkit::ExpectSameMethod(target, source);
    EXPECT_EQ(target.m_Adducts.m_ppAdducts[1], &target.m_Adducts.m_UserNeg1);
    EXPECT_EQ(target.m_Losses.m_ppAdducts[4], &target.m_Losses.m_UserLoss3);

    EXPECT_STREQ(target.m_strCompoundList, "compounds");
    EXPECT_EQ(target.m_CompoundListType.lpszFilter, kListFilter);
    EXPECT_EQ(target.m_CompoundListType.nType, 2);
    EXPECT_STREQ(target.m_strAnalysisList, "analysis");
    EXPECT_EQ(target.m_AnalysisListType.nType, 3);
    EXPECT_EQ(target.m_bCompoundOptimisation, 1);
    EXPECT_EQ(target.m_bAnalysisAndQuantitation, 0);
    EXPECT_EQ(target.m_bRunUnattended, 1);
    EXPECT_EQ(target.m_bAcquireSampleData, 0);
    EXPECT_EQ(target.m_bAutoProcessSamples, 1);
    EXPECT_EQ(target.m_bAutoQuantifySamples, 1);
    EXPECT_EQ(target.m_bPreRun, 1);
    EXPECT_EQ(target.m_bPostRun, 1);
    EXPECT_STREQ(target.m_strPreRunProcess, "pre");
    EXPECT_STREQ(target.m_strPostRunProcess, "post");
    EXPECT_STREQ(target.m_strBaseQuanMethod, "base");
    EXPECT_STREQ(target.m_strQuanCalibration, "calibration");
    EXPECT_STREQ(target.m_strLimsExportFile, "lims");
    EXPECT_EQ(target.m_bIntegrateSamples, 0);
    EXPECT_EQ(target.m_bCalibrateStandards, 0);
    EXPECT_EQ(target.m_bQuantifySamples, 0);
    EXPECT_EQ(target.m_bPrintQuantifyReports, 1);
    EXPECT_EQ(target.m_bExportResultsToLims, 1);
    EXPECT_EQ(target.m_bConcatenateGroup, 1);
    EXPECT_EQ(target.m_pInstrument, &instrument);

    // The target keeps its method file name and its whole run state.
    EXPECT_STREQ(target.m_strMethodFile, "C:\\target.tym");
    ASSERT_EQ(target.m_lstStrings.GetCount(), 1);
    EXPECT_STREQ(target.m_lstStrings.GetHead(), "kept");
    EXPECT_EQ(target.m_GroupArrays[0].GetSize(), 0);
    EXPECT_EQ(target.m_GroupArrays[3].GetSize(), 1);
    EXPECT_EQ(target.m_nGroupOffset, 2);
    EXPECT_STREQ(target.m_strProject, "C:\\Study.PRO\\");
    EXPECT_EQ(target.m_fStage1QuanValue, 2.5f);
    EXPECT_EQ(target.m_hParentWnd, reinterpret_cast<HWND>(0x2));
    EXPECT_STREQ(target.m_strSpare, "kept");
    EXPECT_EQ(target.m_nSpare, 2);

    CBrenmoOptions& self = target;
    target = self;
    EXPECT_STREQ(target.m_strIonMode, "APcI");
}
} // namespace
