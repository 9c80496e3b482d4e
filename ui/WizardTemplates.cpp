// The run wizard's page templates as data. The controls are listed in tab order; a window-system
// backend lays them out in that order, so each label comes just before the control it names and
// each path box just before its Browse button. Icons are static controls labelled with the name
// of the image they show.
#include "platform/DialogTemplate.h"
#include "ui/RunOptsPages.h"

#include <mutex>

namespace ui
{
namespace
{
using platform::ControlKind;
using platform::DialogControl;
using platform::DialogTemplate;

// Every page is 264 x 129 dialog units on the platform; templates here carry no geometry.
DialogTemplate page1Template()
{
    using namespace page1;
    return {"WIZARDPAGE1",
            0,
            "Tessaly Wizard:- Import File Selection",
            {
                {0, ControlKind::kStaticText, "Tessaly &Method:"},
                {kMethodName, ControlKind::kReadOnlyEdit, ""},
                {kMethodBrowse, ControlKind::kPushButton, "Browse..."},
                {kCompoundLabel, ControlKind::kStaticText, "&Compound List:"},
                {kCompoundName, ControlKind::kReadOnlyEdit, ""},
                {kCompoundBrowse, ControlKind::kPushButton, "Browse..."},
                {kAnalysisLabel, ControlKind::kStaticText, "Analysis List:"},
                {kAnalysisName, ControlKind::kReadOnlyEdit, ""},
                {kAnalysisBrowse, ControlKind::kPushButton, "Browse..."},
                {kCompoundOptimisation, ControlKind::kCheckBox, "Compound Optimisation"},
                {kAnalysisAndQuantitation, ControlKind::kCheckBox, "Analysis and Quantitation", 0, true},
                {kRunUnattended, ControlKind::kCheckBox, "Run Unattended", 0, true},
                {kBaseQuanLabel, ControlKind::kStaticText, "Base Quan Method:"},
                {kBaseQuanName, ControlKind::kReadOnlyEdit, ""},
                {kBaseQuanBrowse, ControlKind::kPushButton, "Browse..."},
            }};
}

DialogTemplate page2Template()
{
    using namespace page2;
    return {"WIZARDPAGE2",
            0,
            "Tessaly Wizard:- Run Options",
            {
                {kAcquireIcon, ControlKind::kStaticText, "ACQUIREICON"},
                {kAcquireSampleData, ControlKind::kCheckBox, "&Acquire Sample Data"},
                {kProcessIcon, ControlKind::kStaticText, "PROCESSICON"},
                {kAutoProcessSamples, ControlKind::kCheckBox, "Auto &Process Samples"},
                {kQuantifyIcon, ControlKind::kStaticText, "QUANTIFYICON"},
                {kAutoQuantifySamples, ControlKind::kCheckBox, "Auto &Quantify Samples"},
                {kProcessGroup, ControlKind::kGroupBox, "Process"},
                {kPreRun, ControlKind::kCheckBox, "P&re-Run", kProcessGroup},
                {kPreRunProcess, ControlKind::kEdit, "", kProcessGroup},
                {kPostRun, ControlKind::kCheckBox, "P&ost-Run", kProcessGroup},
                {kPostRunProcess, ControlKind::kEdit, "", kProcessGroup},
            }};
}

DialogTemplate page3Template()
{
    using namespace page3;
    return {"WIZARDPAGE3",
            0,
            "Tessaly Wizard:- Quantify Options",
            {
                {kOptionsGroup, ControlKind::kGroupBox, "Options"},
                {kIntegrateIcon, ControlKind::kStaticText, "INTEGRATEICON", kOptionsGroup},
                {kIntegrateSamples, ControlKind::kCheckBox, "&Integrate Samples", kOptionsGroup},
                {kCalibrateIcon, ControlKind::kStaticText, "CALIBRATEICON", kOptionsGroup},
                {kCalibrateStandards, ControlKind::kCheckBox, "&Calibrate Standards", kOptionsGroup},
                {kQuantifyIcon, ControlKind::kStaticText, "QUANTIFYICON", kOptionsGroup},
                {kQuantifySamples, ControlKind::kCheckBox, "&Quantify Samples", kOptionsGroup},
                {kReportIcon, ControlKind::kStaticText, "REPORTICON", kOptionsGroup},
                {kPrintQuantifyReports, ControlKind::kCheckBox, "&Print Quantify Reports", kOptionsGroup},
                {kDumpIcon, ControlKind::kStaticText, "DUMPICON", kOptionsGroup},
                {kExportResultsToLims, ControlKind::kCheckBox, "&Export Results to LIMS", kOptionsGroup},
                // A sunken static: it shows the export file's name once the page fills it.
                {kLimsExportName, ControlKind::kStaticText, "Static", kLimsGroup},
                {kLimsExportBrowse, ControlKind::kPushButton, "Br&owse", kLimsGroup},
                {kConcatenateGroup, ControlKind::kCheckBox, "Conca&tenate Group", kLimsGroup},
                {kLimsGroup, ControlKind::kGroupBox, "LIMS Export Parameters"},
                {0, ControlKind::kStaticText, "Name:", kLimsGroup},
                {0, ControlKind::kStaticText, "Export Files", kLimsGroup},
            }};
}
} // namespace

bool registerWizardTemplates()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::registerStringResource(kPage1Caption, "Tessaly Wizard:- Import File Selection");
        platform::registerStringResource(kPage2Caption, "Tessaly Wizard:- Run Options");
        platform::registerStringResource(kPage3Caption, "Tessaly Wizard:- Quantify Options");
        platform::registerDialogTemplate(page1Template());
        platform::registerDialogTemplate(page2Template());
        platform::registerDialogTemplate(page3Template());
    });
    return platform::findDialogTemplate("WIZARDPAGE1") && platform::findDialogTemplate("WIZARDPAGE2") &&
           platform::findDialogTemplate("WIZARDPAGE3");
}
} // namespace ui
