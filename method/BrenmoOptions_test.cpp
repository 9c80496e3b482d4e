// Tests of the options record: the accessors, and what its assignment copies and keeps.
#include "method/BrenmoOptions.h"
#include "testing/OptionsFixtures.h"

#include <gtest/gtest.h>

namespace
{
TEST(BrenmoOptions, AccessorsAndWhatAssignmentCopiesAndKeeps)
{
    for (int bits = 0; bits < 8; ++bits)
    {
        CBrenmoOptions o;
        o.m_bUseMuxMode = bits & 1;
        o.m_bUseInterlacedInjections = (bits >> 1) & 1;
        o.m_bAnalysisAndQuantitation = (bits & 4) ? 5 : 0; // any non-zero value counts as set
        EXPECT_EQ(o.IsMuxInterlaced(), bits == 7 ? 1 : 0) << bits;
    }
    for (const double step : {0.0, -0.0, 1e-300, -6.0})
    {
        CBrenmoOptions o;
        o.m_dConeVoltageStep = step;
        const int cvOnly = o.NoCVOptimisation() * 10 + o.NoCEOptimisation();
        o.m_dCollisionEnergyStep = step;
        EXPECT_EQ(cvOnly * 10 + o.NoCEOptimisation(), step == 0.0 ? 101 : 0) << step;
    }
    CBrenmoOptions source, target;
    testkit::FillEveryMethodField(source);
    source.m_strMethodFile = source.m_strProject = source.m_strCompoundList = "C:\\Other.PRO\\source";
    source.m_AnalysisListType.nType = source.m_nGroupOffset = source.m_bConcatenateGroup = 9;
    source.m_lstStrings.AddTail("source");
    target.m_strMethodFile = "C:\\target.tym";
    target = source;
    EXPECT_EQ(testkit::MethodText(target), testkit::MethodText(source));
    EXPECT_EQ(target.m_Adducts.m_ppAdducts[1], &target.m_Adducts.m_UserNeg1); // not the source's species
    // The target names the file it came from, and its run state (group offset, project, strings) is the host's.
    EXPECT_EQ((testing::Message() << target.m_strCompoundList << "|" << target.m_AnalysisListType.nType << "|"
                                  << target.m_bConcatenateGroup << "|" << target.m_strMethodFile << "|"
                                  << target.m_nGroupOffset << "|" << target.m_strProject << "|"
                                  << target.m_lstStrings.GetCount()).GetString(),
              "C:\\Other.PRO\\source|9|9|C:\\target.tym|0||0");
}
} // namespace
