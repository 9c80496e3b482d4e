// Test support shared by the method tests: a record with every method field away from its
// default, and a field-by-field comparison of the method halves of two records.
#pragma once

#include "method/BrenmoOptions.h"

#include <gtest/gtest.h>

namespace testkit
{
/// Sets every method field of options to a value other than its default. Doubles have two
/// decimals, so they survive a method file unchanged.
inline void FillEveryMethodField(CBrenmoOptions& o)
{
    o.m_dConeVoltageMin = 12.25;
    o.m_dConeVoltageMax = 75.5;
    o.m_dConeVoltageStep = 3.75;
    o.m_dCollisionEnergyMin = 5.5;
    o.m_dCollisionEnergyMax = 44.01;
    o.m_dCollisionEnergyStep = 0.0;
    o.m_strIonMode = "APcI";
    o.m_eIonModeOpt = IONMODEOPT_BOTH;
    o.m_bMSMS = 0;
    o.m_eWhenToOptimise = WHENTOOPT_BEFORE_ANALYSES;
    o.m_strQuanMethodParent = "C:\\Study.PRO\\MethDB\\parent.mdb";
    o.m_strQuanMethodDaughter = "C:\\Study.PRO\\MethDB\\daughter.mdb";
    o.m_nFragmentMinSize = -7;
    o.m_dTotalCycleTime = 2.5;
    o.m_dMaxDwellTime = 0.35;
    o.m_dInterModeTime = 0.05;
    o.m_strParentTuneFile = "C:\\Study.PRO\\ACQUDB\\parent.ipr";
    o.m_strDaughterTuneFile = "C:\\Study.PRO\\ACQUDB\\daughter.ipr";
    o.m_strAcquisitionTuneFile = "C:\\Study.PRO\\ACQUDB\\acq.ipr";
    o.m_Adducts.m_HydrogenMinus.Allow(0);
    o.m_Adducts.m_UserNeg1.Allow(1);
    o.m_Adducts.m_UserNeg1.SetMass(35.5f);
    o.m_Adducts.m_UserNeg2.SetMass(59.01f);
    o.m_Adducts.m_HydrogenPlus.Allow(0);
    o.m_Adducts.m_Sodium.Allow(1);
    o.m_Adducts.m_Ammonia.Allow(1);
    o.m_Adducts.m_UserPos3.Allow(1);
    o.m_Adducts.m_UserPos3.SetMass(38.96f);
    o.m_Adducts.m_UserPos4.SetMass(100.25f);
    o.m_Adducts.m_UserPos5.Allow(1);
    o.m_Adducts.m_UserPos5.SetMass(0.5f);
    o.m_strStage1LCMethod = "C:\\Study.PRO\\ACQUDB\\loop.inl";
    o.m_dStage1InjectionVolume = 12.5;
    o.m_strStage2LCMethod = "C:\\Study.PRO\\ACQUDB\\column.inl";
    o.m_dStage2InjectionVolume = 2.75;
    o.m_strLoopLCMethod = "C:\\Study.PRO\\ACQUDB\\valve loop.inl";
    o.m_strColumnLCMethod = "C:\\Study.PRO\\ACQUDB\\valve column.inl";
    o.m_Losses.m_Water.Allow(1);
    o.m_Losses.m_CarbonDioxide.Allow(1);
    o.m_Losses.m_UserLoss1.Allow(1);
    o.m_Losses.m_UserLoss1.SetMass(17.03f);
    o.m_Losses.m_UserLoss2.SetMass(28.5f);
    o.m_Losses.m_UserLoss3.Allow(1);
    o.m_Losses.m_UserLoss3.SetMass(46.25f);
    o.m_bUseMuxMode = 1;
    o.m_bUseInterlacedInjections = 1;
    o.m_nMuxSprays = 4;
}

/// Expects equal flags, masses and names at every position of two species sets.
inline void ExpectSameSpecies(const CAdductGroup& actual, const CAdductGroup& expected)
{
    ASSERT_EQ(actual.m_nAdducts, expected.m_nAdducts);
    for (int i = 0; i < actual.m_nAdducts; ++i)
    {
        SCOPED_TRACE(testing::Message() << "species " << i);
        EXPECT_EQ(actual.m_ppAdducts[i]->Allowed(), expected.m_ppAdducts[i]->Allowed());
        EXPECT_EQ(actual.m_ppAdducts[i]->Mass(), expected.m_ppAdducts[i]->Mass());
        EXPECT_STREQ(actual.m_ppAdducts[i]->m_strName, expected.m_ppAdducts[i]->m_strName);
    }
}

/// Expects the method halves of two records to be equal, field by field.
inline void ExpectSameMethod(const CBrenmoOptions& a, const CBrenmoOptions& e)
{
    EXPECT_EQ(a.m_dConeVoltageMin, e.m_dConeVoltageMin);
    EXPECT_EQ(a.m_dConeVoltageMax, e.m_dConeVoltageMax);
    EXPECT_EQ(a.m_dConeVoltageStep, e.m_dConeVoltageStep);
    EXPECT_EQ(a.m_dCollisionEnergyMin, e.m_dCollisionEnergyMin);
    EXPECT_EQ(a.m_dCollisionEnergyMax, e.m_dCollisionEnergyMax);
    EXPECT_EQ(a.m_dCollisionEnergyStep, e.m_dCollisionEnergyStep);
    EXPECT_STREQ(a.m_strIonMode, e.m_strIonMode);
    EXPECT_EQ(a.m_eIonModeOpt, e.m_eIonModeOpt);
    EXPECT_EQ(a.m_bMSMS, e.m_bMSMS);
    EXPECT_EQ(a.m_eWhenToOptimise, e.m_eWhenToOptimise);
    EXPECT_STREQ(a.m_strQuanMethodParent, e.m_strQuanMethodParent);
    EXPECT_STREQ(a.m_strQuanMethodDaughter, e.m_strQuanMethodDaughter);
    EXPECT_EQ(a.m_nFragmentMinSize, e.m_nFragmentMinSize);
    EXPECT_EQ(a.m_dTotalCycleTime, e.m_dTotalCycleTime);
    EXPECT_EQ(a.m_dMaxDwellTime, e.m_dMaxDwellTime);
    EXPECT_EQ(a.m_dInterModeTime, e.m_dInterModeTime);
    EXPECT_STREQ(a.m_strParentTuneFile, e.m_strParentTuneFile);
    EXPECT_STREQ(a.m_strDaughterTuneFile, e.m_strDaughterTuneFile);
    EXPECT_STREQ(a.m_strAcquisitionTuneFile, e.m_strAcquisitionTuneFile);
    ExpectSameSpecies(a.m_Adducts, e.m_Adducts);
    EXPECT_STREQ(a.m_strStage1LCMethod, e.m_strStage1LCMethod);
    EXPECT_EQ(a.m_dStage1InjectionVolume, e.m_dStage1InjectionVolume);
    EXPECT_STREQ(a.m_strStage2LCMethod, e.m_strStage2LCMethod);
    EXPECT_EQ(a.m_dStage2InjectionVolume, e.m_dStage2InjectionVolume);
    EXPECT_STREQ(a.m_strLoopLCMethod, e.m_strLoopLCMethod);
    EXPECT_STREQ(a.m_strColumnLCMethod, e.m_strColumnLCMethod);
    ExpectSameSpecies(a.m_Losses, e.m_Losses);
    EXPECT_EQ(a.m_bUseMuxMode, e.m_bUseMuxMode);
    EXPECT_EQ(a.m_bUseInterlacedInjections, e.m_bUseInterlacedInjections);
    EXPECT_EQ(a.m_nMuxSprays, e.m_nMuxSprays);
}
} // namespace testkit
