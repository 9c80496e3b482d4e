// Tests of the options record: the accessors, and what its assignment copies and keeps.
#include "method/BrenmoOptions.h"
#include "testing/OptionsFixtures.h"

#include <gtest/gtest.h>

namespace
{
TEST(BrenmoOptions, MuxInterlacedNeedsAllThreeFlags)
{
    for (int bits = 0; bits < 8; ++bits)
    {
        SCOPED_TRACE(bits);
        CBrenmoOptions o;
        o.m_bUseMuxMode = bits & 1;
        o.m_bUseInterlacedInjections = (bits >> 1) & 1;
        o.m_bAnalysisAndQuantitation = (bits & 4) ? 5 : 0; // any non-zero value counts as set
        EXPECT_EQ(o.IsMuxInterlaced(), bits == 7 ? 1 : 0);
    }
}

TEST(BrenmoOptions, NoOptimisationOnlyForAZeroStep)
{
    for (const double step : {0.0, -0.0, 1e-300, -6.0})
    {
        SCOPED_TRACE(step);
        CBrenmoOptions o;
        o.m_dConeVoltageStep = step;
        EXPECT_EQ(o.NoCVOptimisation(), step == 0.0 ? 1 : 0);
        EXPECT_EQ(o.NoCEOptimisation(), 0);
        o.m_dCollisionEnergyStep = step;
        EXPECT_EQ(o.NoCEOptimisation(), step == 0.0 ? 1 : 0);
    }
}

TEST(BrenmoOptions, AssignmentCopiesMethodAndRunOptionsButKeepsTheRunState)
{
    CBrenmoOptions source;
    testkit::FillEveryMethodField(source);
    source.m_strMethodFile = "C:\\source.tym";
    source.m_strCompoundList = "compounds";
    source.m_AnalysisListType.nType = 3;
    source.m_bConcatenateGroup = 1;
    source.m_nGroupOffset = 9;
    source.m_strProject = "C:\\Other.PRO\\";
    source.m_lstStrings.AddTail("source");

    CBrenmoOptions target;
    target.m_strMethodFile = "C:\\target.tym";
    target = source;
    EXPECT_EQ(testkit::MethodText(target), testkit::MethodText(source));
    EXPECT_EQ(target.m_Adducts.m_ppAdducts[1], &target.m_Adducts.m_UserNeg1); // not the source's species
    EXPECT_STREQ(target.m_strCompoundList, "compounds");
    EXPECT_EQ(target.m_AnalysisListType.nType, 3);
    EXPECT_EQ(target.m_bConcatenateGroup, 1);
    // The target names the file it came from, and its run state is the host's.
    EXPECT_STREQ(target.m_strMethodFile, "C:\\target.tym");
    EXPECT_EQ(target.m_nGroupOffset, 0);
    EXPECT_STREQ(target.m_strProject, "");
    EXPECT_EQ(target.m_lstStrings.GetCount(), 0);
}
} // namespace
