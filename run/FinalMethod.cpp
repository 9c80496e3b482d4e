#include "run/FinalMethod.h"

#include "analysis/MaxScan.h"
#include "groups/Group.h"
#include "host/host.h"
#include "method/ScanParams.h"
#include "method/TessalyOptionsSheet.h"
#include "methodgen/FinalQuanMethods.h"
#include "platform/Ascii.h"
#include "platform/Profile.h"
#include "platform/SafeText.h"
#include "platform/WinPath.h"
#include "run/Inputs.h"
#include "run/ResultsTable.h"
#include "run/WorkFolder.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unordered_map>

namespace tessaly
{
namespace
{
std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The 1-based ramp step at which the optimisation reports value: the first of the steps an
// injection acquires whose ramp value, truncated and never beyond the end as the optimisation
// computes it, equals value; 0 when none does. Compared as doubles, so a ramp beyond the int range
// matches nothing instead of overflowing.
int rampStep(int value, double start, double step, double end)
{
    for (int k = 1; k <= analysis::detail::kMaxFunctions; ++k)
    {
        const double at = (k - 1) * step + start;
        if (std::trunc(at > end ? end : at) == static_cast<double>(value))
            return k;
    }
    return 0;
}

} // namespace

FinalMethodWritten writeFinalMethod(const FinalMethodRequest& a)
{
    requireFile(a.method);
    requireFile(a.analysis);
    requireFile(a.compounds);
    ResultsTable results;
    if (std::string error; !readResultsTableFile(a.compounds, results, error))
        throw BadInput(error);

    const std::string methodHost = asHostPath(a.method);
    CBrenmoOptions options;
    options = CTessalyOptionsSheet::OpenFile(methodHost.c_str());
    options.m_strMethodFile = methodHost.c_str();
    options.m_strAnalysisList = asHostPath(a.analysis).c_str();
    // A run that analyses never overwrites a final method: the engine then picks a free name.
    options.m_bAnalysisAndQuantitation = 1;
    options.m_bRunUnattended = 1;
    const std::string project = projectOfMethod(methodHost);
    options.m_strProject = project.c_str();

    const std::unique_ptr<CSampleListMem> list = openSampleList(a.analysis);
    const CSampleListMem& rows = *list;
    CGroupArray& groups = options.m_GroupArrays[0];
    GetGroups(groups, list.get());
    options.m_nGroupOffset = 0;
    if (a.group < 1 || a.group > groups.GetSize())
        throw BadInput(a.analysis + ": no group " + std::to_string(a.group) + "; the list has " +
                       (groups.GetSize() == 0   ? "no groups"
                        : groups.GetSize() == 1 ? "1 group"
                                                : std::to_string(groups.GetSize()) + " groups (numbered from 1)"));

    const double width = a.span > 0.0 ? a.span : lcRunTime(options.m_strStage2LCMethod);
    if (!(width > 0.0))
        throw BadInput(a.method + ": its stage-2 LC method \"" + options.m_strStage2LCMethod.str() +
                       "\" gives no \"Run Time min\" above 0 in [Inlet Method]; give --span MINUTES");

    std::string base = asHostPath(a.baseQuanMethod);
    if (base.empty())
    {
        if (project.empty())
            throw BadInput(a.method + ": not in a project (.PRO), so there is no default; give "
                                      "--base-quan-method FILE.mdb");
        base = project + "MethDB\\" + std::filesystem::path(a.analysis).stem().string() + ".mdb";
    }
    // The engine would fail to make the database in a missing folder only after choosing its name.
    requireDirectory(std::filesystem::path(platform::toPosixPath(base)).parent_path().string());
    options.m_strBaseQuanMethod = base.c_str();

    // The first ok result of each compound.
    std::unordered_map<std::string_view, std::size_t> firstOk;
    for (std::size_t i = 0; i < results.rows.size(); ++i)
        if (results.rows[i].ok)
            firstOk.try_emplace(results.rows[i].compound, i);

    // One record per list row: the row's compound's result, or none (-1).
    const int fileText = CSampleList::GetFieldIndex("FILE_TEXT");
    std::vector<tag_SCAN_PARAMS> params(static_cast<std::size_t>(rows.GetSize()), tag_SCAN_PARAMS{});
    std::vector<std::size_t> resultOf(params.size(), results.rows.size());
    for (int r = 0; r < rows.GetSize(); ++r)
    {
        tag_SCAN_PARAMS& p = params[static_cast<std::size_t>(r)];
        p.nLine = r + 1;
        p.nMaxFunction = -1;
        const auto found = firstOk.find(trimmed(rows[r][fileText].GetString().str()));
        if (found == firstOk.end())
            continue;
        resultOf[static_cast<std::size_t>(r)] = found->second;
        const ResultRow& result = results.rows[found->second];
        p.dParentMass = result.parentMz;
        p.dDaughterMass = result.daughterMz;
        p.nConeVoltage = result.coneVoltage;
        p.nCollisionEnergy = result.collisionEnergy;
        p.fResponse = static_cast<float>(result.response);
        p.IonMode = result.ionMode;
        p.IonModeOpt = result.polarity;
        // The final method's function is the ramp step of the optimised value: collision energy
        // when the daughter was searched, cone voltage otherwise.
        p.nMaxFunction = options.m_bMSMS ? rampStep(result.collisionEnergy, options.m_dCollisionEnergyMin,
                                                    options.m_dCollisionEnergyStep, options.m_dCollisionEnergyMax)
                                         : rampStep(result.coneVoltage, options.m_dConeVoltageMin,
                                                    options.m_dConeVoltageStep, options.m_dConeVoltageMax);
    }

    // GetGroups keeps a group's first and last row; the group is every row between.
    const CGroup& group = groups[a.group - 1];
    POSITION pos = group.m_Samples.GetHeadPosition();
    const int first = pos ? group.m_Samples.GetNext(pos) : 0;
    const int last = pos ? group.m_Samples.GetNext(pos) : first;
    std::string unmatched;
    bool anyMatched = false;
    for (int r = first; r <= last; ++r)
    {
        const std::size_t result = resultOf[static_cast<std::size_t>(r)];
        // Names come from the list: no control character reaches the terminal.
        const std::string name = platform::printableText(trimmed(rows[r][fileText].GetString().str()));
        if (result == results.rows.size())
            unmatched += "row " + std::to_string(r + 1) + " (" + name + "): no ok result in " + a.compounds + "\n";
        else if (options.m_bMSMS && !(results.rows[result].daughterMz > 0.0))
            throw BadInput(a.compounds + ":" + std::to_string(results.lines[result]) + ": \"daughter_mz\" of \"" +
                           name + "\" is empty, but " + a.method + " optimises daughter ions");
        else
            anyMatched = true;
    }
    // A method without a record quantifies nothing: none is written, and the run is a failure.
    if (!anyMatched)
    {
        const std::string label = platform::printableText(static_cast<const CString>(group).str());
        throw Failure(a.analysis + ": no compound of group " + std::to_string(a.group) + " (" +
                      (label.empty() ? std::string("unlabelled") : label) + ") has an ok result in " + a.compounds +
                      "; no final quan method written");
    }

    // Making the method names it in the host's system list, which a run in the same data
    // directory relies on: one at a time.
    const DataDirectoryLock lock(platform::dataDirectory(), false, nullptr);
    CStringArray methods;
    if (!CreateFinalQuanMethods(a.group - 1, options, list.get(), params.data(), width, methods) ||
        methods.GetSize() == 0)
        throw Failure("the final quan method of group " + std::to_string(a.group) + " could not be written beside " +
                      platform::toPosixPath(base));
    return {platform::toPosixPath(methods[methods.GetSize() - 1].str()), unmatched};
}
} // namespace tessaly
