#include "run/OptimiseStep.h"

#include "analysis/MassStrings.h"
#include "analysis/Optimise.h"
#include "fileutil/FileUtil.h"
#include "instrument/RawData.h"
#include "kelvane/KelvaneHost.h"
#include "method/IonMode.h"
#include "method/TessalyOptionsSheet.h"
#include "platform/WinPath.h"
#include "run/Inputs.h"
#include "run/MethodChecks.h"
#include "run/WorkFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace tessaly
{
tag_SCAN_PARAMS optimiseStep(const OptimiseStep& o, std::ostream& err)
{
    requireDirectory(o.raw);
    requireReadableFile(o.method);
    const std::string rawHost = asHostPath(o.raw);
    const std::string methodHost = asHostPath(o.method);
    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(methodHost.c_str());
    requireUsableMethod(methodHost, options, o.method);
    options.m_pInstrument = &standIn().instrument();
    options.m_bRunUnattended = 1;
    // The stage-1 method looks for the compound anywhere in the injection: from 0 to its last scan.
    instrument::RawData data;
    std::string error;
    // The reason names the directory or the file in it already.
    if (!instrument::readRawData(o.raw, data, error))
        throw BadInput(error);
    double lastScan = 0.0;
    for (const instrument::RawFunction& function : data.functions)
        for (const instrument::RawScan& scan : function.scans)
            lastScan = std::max(lastScan, scan.time);
    if (!(lastScan > 0.0))
        throw BadInput(o.raw + ": the injection has no scans after its start");
    options.m_fStage1QuanValue = static_cast<float>(lastScan);

    tag_SCAN_PARAMS params{};
    params.IonMode = String2IONMODE(o.mode.empty() ? options.m_strIonMode.GetString() : o.mode.c_str());
    params.IonModeOpt = o.polarity.empty() ? options.m_eIonModeOpt : String2IONMODEOPT(o.polarity.c_str());
    params.nLine = 1;
    const double base = ConvertStringToMass(o.mass.c_str());
    if (!(base > 0.0))
        throw BadInput("--mass: \"" + o.mass + "\" gives no mass");
    params.dParentMass = base;
    if (o.daughter)
    {
        // The daughter step takes the parent step's outcome from the record.
        params.dParentMass = o.parent;
        params.nConeVoltage = o.coneVoltage;
        params.nMaxFunction = 0;
    }

    // The step names its temporary method in the host's system list and makes temporaries, as a
    // run does: it takes the data directory as a run does and keeps them in a private folder.
    const std::string dataDirectory = platform::dataDirectory();
    const DataDirectoryLock lock(dataDirectory, false, nullptr);
    instrument::SimulatedInstrument& instrument = standIn().instrument();
    const WorkFolder work(dataDirectory,
                          [&](const std::string& saved) { restoreSavedTune(instrument, saved, err); });
    // The host writes the step's peak database in a "PeakDB" folder beside the raw data's folder:
    // the injection is measured through a link in the private folder, so that folder is the one
    // beside the private folder's, not one beside wherever the user keeps the raw data.
    std::string name = rawHost;
    while (!name.empty() && name.back() == '\\')
        name.pop_back();
    const std::string linked = work.path() + "/tmp/" + name.substr(name.rfind('\\') + 1);
    std::error_code linking;
    std::filesystem::create_directory_symlink(platform::toPosixPath(name), linked, linking);
    if (linking)
        throw Failure(linked + ": the injection cannot be linked into the private folder: " + linking.message());
    const std::string measured = platform::toHostPath(linked);
    const OneRowList list(measured);
    const std::string listHost = list.hostPath();
    const int done = o.daughter ? GetMaxScanDaughter(measured.c_str(), params, options, listHost.c_str(), 1)
                                : GetMaxScanParent(measured.c_str(), params, options, listHost.c_str(), 1);
    // The temporary quan methods of the step go with it, as at the end of a run.
    DeleteTempFiles();
    if (!done)
    {
        const std::string& reason = kelvane::lastMeasureError();
        throw Failure(o.raw + ": the injection could not be measured: " +
                      (reason.empty() ? std::string("the host gave no reason") : reason));
    }
    return params;
}
} // namespace tessaly
