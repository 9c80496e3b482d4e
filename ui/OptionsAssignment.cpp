// The options record's assignment from the method editor: the method as the pages hold it.
#include "method/BrenmoOptions.h"

#include "method/TessalyOptionsSheet.h"
#include "ui/OptionsPages.h"

namespace
{
int sprayCount(tagMUXSPRAYINDEX index)
{
    switch (index)
    {
    case MUXSPRAY_2:
        return 2;
    case MUXSPRAY_4:
        return 4;
    default:
        return 1;
    }
}
} // namespace

CBrenmoOptions& CBrenmoOptions::operator=(const CTessalyOptionsSheet& sheet)
{
    if (const CTessalyOptionsPage1* optimisation = sheet.m_pOptimisationPage)
    {
        m_dConeVoltageMin = optimisation->m_dConeVoltageMin;
        m_dConeVoltageMax = optimisation->m_dConeVoltageMax;
        m_dConeVoltageStep = optimisation->m_dConeVoltageStep;
        m_dCollisionEnergyMin = optimisation->m_dCollisionEnergyMin;
        m_dCollisionEnergyMax = optimisation->m_dCollisionEnergyMax;
        m_dCollisionEnergyStep = optimisation->m_dCollisionEnergyStep;
        m_strIonMode = IONMODE2String(optimisation->m_eIonMode);
        m_eIonModeOpt = optimisation->m_eIonModeOpt;
        m_bMSMS = optimisation->m_nMSMode == 1 ? 1 : 0;
        m_eWhenToOptimise = optimisation->m_eWhenToOptimise;
        m_strQuanMethodParent = optimisation->m_strQuanMethodParent;
        m_strQuanMethodDaughter = optimisation->m_strQuanMethodDaughter;
        m_nFragmentMinSize = optimisation->m_nFragmentMinSize;
    }
    if (const CTessalyOptionsPage2* acquisition = sheet.m_pAcquisitionPage)
    {
        m_dTotalCycleTime = acquisition->m_fTotalCycleTime;
        m_dMaxDwellTime = acquisition->m_fMaxDwellTime;
        m_dInterModeTime = acquisition->m_fInterModeTime;
    }
    if (const CTessalyOptionsPage3* tune = sheet.m_pTunePage)
    {
        m_strParentTuneFile = tune->m_strParentTuneFile;
        m_strDaughterTuneFile = tune->m_strDaughterTuneFile;
        m_strAcquisitionTuneFile = tune->m_strAcquisitionTuneFile;
    }
    if (const CTessalyOptionsPage4* adducts = sheet.m_pAdductsPage)
        m_Adducts = adducts->m_Adducts;
    if (const CTessalyOptionsPage5* inlets = sheet.m_pInletsPage)
    {
        m_strStage1LCMethod = inlets->m_strStage1LCMethod;
        m_dStage1InjectionVolume = inlets->m_fStage1InjectionVolume;
        m_strStage2LCMethod = inlets->m_strStage2LCMethod;
        m_dStage2InjectionVolume = inlets->m_fStage2InjectionVolume;
        m_strLoopLCMethod = inlets->m_strLoopLCMethod;
        m_strColumnLCMethod = inlets->m_strColumnLCMethod;
    }
    if (const CTessalyOptionsPage6* losses = sheet.m_pLossesPage)
        m_Losses = losses->m_Losses;
    if (const CTessalyOptionsPage7* mux = sheet.m_pMuxPage)
    {
        m_bUseMuxMode = mux->m_bUseMuxMode;
        m_bUseInterlacedInjections = mux->m_bUseInterlacedInjections;
        m_nMuxSprays = sprayCount(mux->m_eMuxSprays);
    }
    return *this;
}
