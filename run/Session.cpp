#include "run/Session.h"

#include "analysis/MassStrings.h"
#include "analysis/Optimise.h"
#include "fileutil/FileUtil.h"
#include "groups/Group.h"
#include "groups/QuanState.h"
#include "instrument/InstrumentModel.h"
#include "instrument/RawData.h"
#include "kelvane/KelvaneHost.h"
#include "method/IonMode.h"
#include "method/TessalyOptionsSheet.h"
#include "methodgen/FinalQuanMethods.h"
#include "methodgen/MethodNames.h"
#include "methodgen/TuneSwitching.h"
#include "platform/Ascii.h"
#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/SafeText.h"
#include "platform/WinPath.h"
#include "results/OptimiseResults.h"
#include "run/Inputs.h"
#include "run/MethodChecks.h"
#include "run/ResultsTable.h"
#include "run/RunReport.h"
#include "run/WorkFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace tessaly
{
namespace
{
// The run's end, also when it fails: the tune in force before the run, and no temporary files
// or acquisition directories left behind.
class RunEnd
{
  public:
    RunEnd(const CBrenmoOptions& options, const WorkFolder& work) : options_(options), work_(work)
    {
    }
    ~RunEnd()
    {
        if (SetTuneOriginal(options_))
            work_.forgetTune();
        DeleteTempFiles();
        DeleteTempDirs();
    }
    RunEnd(const RunEnd&) = delete;
    RunEnd& operator=(const RunEnd&) = delete;

  private:
    const CBrenmoOptions& options_;
    const WorkFolder& work_;
};

// The values of a ramp's steps as the injection acquires them: start, start + step, ... never
// beyond end, at most eight. A ramp without a step is its start alone.
std::vector<double> rampValues(double start, double step, double end)
{
    const int steps = step == 0.0 ? 1 : std::clamp(CalcNSteps(start, end, step), 1, 8);
    std::vector<double> values;
    for (int k = 0; k < steps; ++k)
        values.push_back(std::min(start + k * step, std::max(start, end)));
    return values;
}

// Positions in the method's adduct set: 0-2 negative-mode adducts, the rest positive-mode ones.
constexpr int kFirstPositiveAdduct = 3;

// The greatest summed intensity within 0.5 of mz in any scan of each function, in function order.
std::vector<double> responseAcross(const instrument::RawData& data, double mz)
{
    std::vector<double> responses;
    for (const instrument::RawFunction& function : data.functions)
    {
        double best = 0.0;
        for (const instrument::RawScan& scan : function.scans)
        {
            double sum = 0.0;
            for (std::size_t i = 0; i < scan.mz.size() && i < scan.intensity.size(); ++i)
                if (std::fabs(scan.mz[i] - mz) <= 0.5)
                    sum += scan.intensity[i];
            best = std::max(best, sum);
        }
        responses.push_back(best);
    }
    return responses;
}

std::string hostReason()
{
    const std::string& reason = kelvane::lastMeasureError();
    return reason.empty() ? "the host gave no reason" : reason;
}

std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Time spent acquiring: simulating injections and writing their raw data, the part of a run that
// a real instrument would spend on its own. The rest is the engine's and the host's processing.
class AcquisitionClock
{
  public:
    class Running
    {
      public:
        explicit Running(AcquisitionClock& clock) : clock_(clock), start_(std::chrono::steady_clock::now())
        {
        }
        ~Running()
        {
            clock_.seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
            ++clock_.injections_;
        }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

      private:
        AcquisitionClock& clock_;
        std::chrono::steady_clock::time_point start_;
    };
    double seconds() const
    {
        return seconds_;
    }
    int injections() const
    {
        return injections_;
    }

  private:
    double seconds_ = 0.0;
    int injections_ = 0;
};

// One compound of the run, with everything the report shows.
struct Compound
{
    std::string name;
    std::string massText;
    int row = 0; // from 0
    double baseMass = 0.0;
    tag_SCAN_PARAMS params{};
    bool usable = false;   // a mass in range, so it is injected
    bool finished = false; // its optimisation has ended, with a result or without
    CompoundRun report;
};

instrument::SourceSettings sourceOf(const tag_SCAN_PARAMS& p)
{
    return instrument::SourceSettings{p.IonMode == IONMODE_APCI, p.IonModeOpt == IONMODEOPT_NEGATIVE};
}

// The run's text for people, line by line to the observer: warnings, the engine's findings, where
// the report went. The run writes it as to any stream.
class LineBuffer : public std::stringbuf
{
  public:
    explicit LineBuffer(RunObserver& observer) : observer_(observer)
    {
    }

  protected:
    int sync() override
    {
        std::string text = str();
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            observer_.message(text.substr(start, end + 1 - start));
        str(text.substr(start));
        return 0;
    }
    int_type overflow(int_type c) override
    {
        const int_type put = std::stringbuf::overflow(c);
        if (c == '\n')
            sync();
        return put;
    }

  private:
    RunObserver& observer_;
};

// What the run has done of how much, for the observer.
class Progress
{
  public:
    Progress(RunObserver& observer, std::size_t total) : observer_(observer), total_(total)
    {
    }
    void show(std::size_t done, const std::string& what)
    {
        observer_.progress(done, total_, what);
    }

  private:
    RunObserver& observer_;
    std::size_t total_;
};

class Run
{
  public:
    Run(const RunSettings& a, RunObserver& observer, std::function<int()> stop)
        : a_(a), observer_(observer), stop_(std::move(stop)), lines_(observer), err_(&lines_)
    {
    }
    ~Run()
    {
        err_.flush();
    }
    void go();

  private:
    void readCompounds();
    void checkAnalysisList();
    void checkReport() const;
    void optimiseParents(Progress& progress, std::size_t& done);
    void optimiseDaughters(Progress& progress, std::size_t& done);
    void analyse(Progress& progress, std::size_t& done);
    std::string nextAcquisition();
    void measured(const std::string& raw);
    std::vector<FinalMethodRecord> readMethod(const CString& hostPath, std::vector<instrument::Transition>* transitions);
    void finishTable(bool complete);
    void settle(Compound& c) const;
    void finished(Compound& c);
    void stopIfAsked() const;

    const RunSettings& a_;
    RunObserver& observer_;
    std::function<int()> stop_;
    LineBuffer lines_;
    std::ostream err_;
    CBrenmoOptions options_;
    std::string project_; // host path ending in a backslash
    std::unique_ptr<instrument::InstrumentModel> model_;
    std::unique_ptr<CSampleListMem> compoundList_;
    std::vector<Compound> compounds_;
    COptimiseResults log_;
    RunReport report_;
    std::size_t groups_ = 0; // the analysis list's sample groups
    int loop_ = 0; // the last loop number given to an acquisition, 1 to 999
    AcquisitionClock acquisition_;
};

void Run::readCompounds()
{
    compoundList_ = openSampleList(a_.run.compounds);
    const CSampleListMem& list = *compoundList_;
    const int nameField = CSampleList::GetFieldIndex("FILE_TEXT");
    const int massField = CSampleList::GetFieldIndex("MASS");
    const int modeField = CSampleList::GetFieldIndex("ION_MODE");
    const int polarityField = CSampleList::GetFieldIndex("POLARITY");
    for (int row = 0; row < list.GetSize(); ++row)
    {
        Compound c;
        c.row = row;
        c.name = list[row][nameField].GetString().str();
        c.massText = list[row][massField].GetString().str();
        const std::string where = a_.run.compounds + ": row " + std::to_string(row + 1);
        if (c.name.empty())
            throw BadInput(where + ": no compound name in FILE_TEXT");
        // Tables, logs and the final methods find a compound by its name: one that would be shown
        // otherwise than it is written (a control character made a space) could be taken for another.
        if (platform::printableText(c.name) != c.name)
            throw BadInput(where + ": the compound name \"" + platform::printableText(c.name) +
                           "\" holds a control character");
        const std::string mode = list[row][modeField].GetString().str();
        const std::string polarity = list[row][polarityField].GetString().str();
        c.params.IonMode = String2IONMODE(mode.empty() ? options_.m_strIonMode.GetString() : mode.c_str());
        c.params.IonModeOpt = polarity.empty() ? options_.m_eIonModeOpt
                              : polarity == "+/-" ? IONMODEOPT_BOTH
                                                  : String2IONMODEOPT(polarity.c_str());
        if (c.params.IonMode != IONMODE_ESP && c.params.IonMode != IONMODE_APCI)
            throw BadInput(where + ": ion mode \"" + mode + "\" is not ESP or APcI");
        if (c.params.IonModeOpt == IONMODEOPT_UNKNOWN)
            throw BadInput(where + ": polarity \"" + polarity + "\" is not +, - or +/-");
        // Both polarities are tried in the parent step; until then the compound counts as positive.
        c.params.nLine = row + 1;
        c.baseMass = ConvertStringToMass(c.massText.c_str());
        c.params.dParentMass = c.baseMass;
        c.params.nMaxFunction = -1;
        std::string error;
        c.usable = c.baseMass > 0.0 && CheckScanMasses(options_, c.params) && model_->knows(c.name, c.massText, error);
        if (!error.empty())
            err_ << "warning: " << where << ": " << error << '\n';
        else if (!c.usable)
            err_ << "warning: " << where << ": " << platform::printableText(c.name) << ": "
                 << (c.massText.empty()  ? std::string("no mass in MASS")
                     : c.baseMass > 0.0  ? "the mass \"" + platform::printableText(c.massText) +
                                              "\" is outside the method's mass range"
                                         : "the mass \"" + platform::printableText(c.massText) +
                                              "\" is not a mass or formula")
                 << "; the compound is not optimised\n";
        c.finished = !c.usable;
        c.report.result.compound = c.name;
        log_.Append(c.usable ? OPTRESULT_NO_INFORMATION : OPTRESULT_NOT_REQUIRED, c.name.c_str(), c.params);
        compounds_.push_back(std::move(c));
        if (compounds_.back().finished)
            finished(compounds_.back());
    }
    if (compounds_.empty())
        throw BadInput(a_.run.compounds + ": no compounds");
}

// The analysis list's samples are acquired into the project's Data folder, where the host looks for
// a list's raw data only when the list lies in a folder of that project; each FILE_NAME is a
// plain name there, never a path that would reach another folder.
void Run::checkAnalysisList()
{
    const std::string list = asHostPath(a_.run.analysis);
    const std::size_t cut = list.find_last_of('\\');
    const std::string folder = cut == std::string::npos ? std::string() : list.substr(0, cut);
    const std::size_t parent = folder.find_last_of('\\');
    if (parent == std::string::npos || !platform::detail::equalsNoCase(folder.substr(0, parent + 1), project_))
        throw BadInput(a_.run.analysis + ": the analysis list is not in a folder of the project " +
                       platform::toPosixPath(project_.substr(0, project_.size() - 1)) +
                       " (such as its SampleDB), so its samples' raw data would not be found in the project's Data");
    const std::unique_ptr<CSampleListMem> analysis = openSampleList(a_.run.analysis);
    // Each group is a step of the run's progress.
    CGroupArray groups;
    GetGroups(groups, analysis.get());
    groups_ = static_cast<std::size_t>(groups.GetSize());
    const int fileNameField = CSampleList::GetFieldIndex("FILE_NAME");
    // The raw data's host path, project\Data\NAME.RAW, must fit the host's path buffers.
    const long room = MAX_PATH - 1 - static_cast<long>(project_.size() + std::strlen("Data\\") + std::strlen(".RAW"));
    for (int row = 0; row < analysis->GetSize(); ++row)
    {
        const std::string name = (*analysis)[row][fileNameField].GetString().str();
        const std::string where = a_.run.analysis + ": row " + std::to_string(row + 1) + ": FILE_NAME \"" +
                                  platform::printableText(name.size() > 60 ? name.substr(0, 60) + "..." : name) + "\"";
        const bool control = std::any_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        });
        // The host also takes * and ? as wildcards (it deletes by pattern) and < > | " are not in
        // its names.
        if (control || name.find_first_of("\\/:*?<>|\"") != std::string::npos || name.find("..") != std::string::npos)
            throw BadInput(where + " is not a plain file name (it holds \\, /, :, *, ?, <, >, |, \", .. or a control "
                                   "character)");
        if (static_cast<long>(name.size()) > room)
            throw BadInput(where + " is " + std::to_string(name.size()) + " bytes long; the host takes at most " +
                           std::to_string(room) + " in this project");
    }
}

// The report goes to a folder that exists, and never over a file the run reads or writes itself.
void Run::checkReport() const
{
    const std::string folder = std::filesystem::path(a_.report).parent_path().string();
    requireDirectory(folder.empty() ? "." : folder);
    std::vector<std::string> files = {a_.method, a_.run.compounds, a_.run.analysis, platform::dataDirectory() + "/tessaly.lock",
                                      platform::toPosixPath(project_ + "Data\\truth.tsv"),
                                      // the results log, at the host's fixed path
                                      platform::toPosixPath("C:\\temp\\Tessaly Current Optimisation Results.txt")};
    for (const CString* path : {&options_.m_strQuanMethodParent, &options_.m_strQuanMethodDaughter,
                                &options_.m_strParentTuneFile, &options_.m_strDaughterTuneFile,
                                &options_.m_strAcquisitionTuneFile, &options_.m_strStage1LCMethod,
                                &options_.m_strStage2LCMethod, &options_.m_strBaseQuanMethod})
        if (!path->IsEmpty())
            files.push_back(platform::toPosixPath(path->str()));
    refuseOutputOverInput(a_.report, "the report", files);
}

// Loop numbers go from 1 to 999 and round again: each acquisition is removed once measured
// (measured), so its number is free by the time it comes round.
std::string Run::nextAcquisition()
{
    loop_ = loop_ % 999 + 1;
    const CString name = CreateLoopAcqFileName(loop_);
    if (name.IsEmpty())
        throw Failure("no free name for the acquisition of optimisation loop " + std::to_string(loop_) + " in " +
                      platform::toPosixPath(platform::hostTemporaryDirectory()));
    return name.GetString();
}

// An optimisation injection is done with once measured: its raw data, its peak database and the
// temporary quan method go, so a long run never piles them up.
void Run::measured(const std::string& raw)
{
    DeleteTempFiles();
    DeleteTempDirs();
    std::error_code error;
    std::filesystem::remove_all(platform::toPosixPath(raw), error);
    const std::filesystem::path posix = platform::toPosixPath(raw);
    std::filesystem::remove(posix.parent_path().parent_path() / "PeakDB" / posix.filename().replace_extension(".pdb"),
                            error);
}

void Run::optimiseParents(Progress& progress, std::size_t& done)
{
    const std::vector<double> cvs =
        rampValues(options_.m_dConeVoltageMin, options_.m_dConeVoltageStep, options_.m_dConeVoltageMax);
    SetTuneParent(options_);
    for (std::size_t i = 0; i < compounds_.size(); ++i)
    {
        Compound& c = compounds_[i];
        progress.show(done++, platform::printableText(c.name) + ": cone voltage");
        if (!c.usable)
            continue;
        stopIfAsked();
        log_.Update(static_cast<int>(i), options_.NoCVOptimisation() ? OPTRESULT_SKIPPING_CV : OPTRESULT_OPTIMISING_CV,
                    c.name.c_str(), c.params);
        log_.Dump();
        const std::vector<tag_IONMODEOPT> polarities =
            c.params.IonModeOpt == IONMODEOPT_BOTH ? std::vector{IONMODEOPT_POSITIVE, IONMODEOPT_NEGATIVE}
                                                   : std::vector{c.params.IonModeOpt};
        tag_SCAN_PARAMS best{};
        best.nMaxFunction = -1;
        for (const tag_IONMODEOPT polarity : polarities)
        {
            tag_SCAN_PARAMS p = c.params;
            p.IonModeOpt = polarity;
            if (options_.NoCVOptimisation())
            {
                MimicGetMaxScanParent(p, options_);
                p.dParentMass = c.baseMass + (polarity == IONMODEOPT_NEGATIVE ? -1.007276 : 1.007276);
            }
            else
            {
                const std::string raw = nextAcquisition();
                std::string error;
                instrument::RawData data;
                {
                    const AcquisitionClock::Running acquiring(acquisition_);
                    data = model_->parentInjection(c.name, c.massText, sourceOf(p), cvs);
                    if (!instrument::writeRawData(platform::toPosixPath(raw), data, error))
                        throw Failure(error);
                }
                {
                    const OneRowList list(raw);
                    // 0 is the host's failure to measure, not a compound without a signal.
                    if (!GetMaxScanParent(raw.c_str(), p, options_, list.hostPath().c_str(), 1))
                        throw Failure(platform::printableText(c.name) + ": its cone-voltage injection could not be measured: " +
                                      hostReason());
                }
                measured(raw);
                // The report's curves: each ion the engine searched for, the method's allowed
                // adducts of the polarity, across the steps.
                const bool negative = polarity == IONMODEOPT_NEGATIVE;
                const CAdducts& adducts = options_.m_Adducts;
                for (int a = negative ? 0 : kFirstPositiveAdduct;
                     a < (negative ? kFirstPositiveAdduct : adducts.m_nAdducts) && a < adducts.m_nAdducts; ++a)
                    if (adducts.m_ppAdducts[a]->Allowed())
                    {
                        const double mz = c.baseMass + adducts.m_ppAdducts[a]->Mass();
                        const std::string label = "[" + adducts.m_ppAdducts[a]->m_strName.str() + "]" +
                                                  (negative ? "-" : "+");
                        c.report.parentCurves.push_back({label + " " + fixed(mz, 3), mz, responseAcross(data, mz)});
                    }
            }
            if (p.nMaxFunction >= 0 && (best.nMaxFunction < 0 || p.fResponse > best.fResponse))
                best = p;
        }
        c.report.coneVoltages = cvs;
        if (best.nMaxFunction < 0)
        {
            c.params.nMaxFunction = -1;
            log_.Update(static_cast<int>(i), OPTRESULT_CV_FAILED, c.name.c_str(), c.params);
            finished(c);
            continue;
        }
        c.params = best;
        c.report.chosenConeStep = std::max(best.nMaxFunction - 1, 0);
        double nearest = 1.0;
        for (std::size_t k = 0; k < c.report.parentCurves.size(); ++k)
            if (std::fabs(c.report.parentCurves[k].mz - best.dParentMass) < nearest)
            {
                nearest = std::fabs(c.report.parentCurves[k].mz - best.dParentMass);
                c.report.chosenParent = static_cast<int>(k);
                c.report.adduct = c.report.parentCurves[k].label.substr(0, c.report.parentCurves[k].label.find(' '));
            }
        log_.Update(static_cast<int>(i), OPTRESULT_USING_PARENT, c.name.c_str(), c.params);
        if (!options_.m_bMSMS)
            finished(c);
    }
    log_.Dump();
}

void Run::optimiseDaughters(Progress& progress, std::size_t& done)
{
    const std::vector<double> ces = rampValues(options_.m_dCollisionEnergyMin, options_.m_dCollisionEnergyStep,
                                               options_.m_dCollisionEnergyMax);
    SetTuneDaughter(options_);
    for (std::size_t i = 0; i < compounds_.size(); ++i)
    {
        Compound& c = compounds_[i];
        progress.show(done++, platform::printableText(c.name) + ": collision energy");
        if (!c.usable || c.params.nMaxFunction < 0)
            continue;
        stopIfAsked();
        log_.Update(static_cast<int>(i), options_.NoCEOptimisation() ? OPTRESULT_SKIPPING_CE : OPTRESULT_OPTIMISING_CE,
                    c.name.c_str(), c.params);
        log_.Dump();
        if (options_.NoCEOptimisation())
        {
            // Without a collision-energy ramp the transition is the parent ion itself (parent >
            // parent): the simulated step takes a neutral mass and adds a proton, which applied to
            // the parent m/z found would name a daughter heavier than its parent.
            MimicGetMaxScanDaughter(c.params, options_);
            c.params.dDaughterMass = c.params.dParentMass;
        }
        else
        {
            const std::string raw = nextAcquisition();
            std::string error;
            instrument::RawData data;
            {
                const AcquisitionClock::Running acquiring(acquisition_);
                data = model_->daughterInjection(c.name, c.massText, sourceOf(c.params), c.params.dParentMass,
                                                 c.params.nConeVoltage, ces);
                if (!instrument::writeRawData(platform::toPosixPath(raw), data, error))
                    throw Failure(error);
            }
            {
                const OneRowList list(raw);
                if (!GetMaxScanDaughter(raw.c_str(), c.params, options_, list.hostPath().c_str(), 1))
                    throw Failure(platform::printableText(c.name) + ": its collision-energy injection could not be measured: " +
                                  hostReason());
            }
            measured(raw);
            if (c.params.nMaxFunction >= 0)
                c.report.productCurve = {"product " + fixed(c.params.dDaughterMass, 3), c.params.dDaughterMass,
                                         responseAcross(data, c.params.dDaughterMass)};
        }
        c.report.collisionEnergies = ces;
        if (c.params.nMaxFunction < 0)
        {
            log_.Update(static_cast<int>(i), OPTRESULT_CE_FAILED, c.name.c_str(), c.params);
            finished(c);
            continue;
        }
        c.report.chosenEnergyStep = std::max(c.params.nMaxFunction - 1, 0);
        log_.Update(static_cast<int>(i), OPTRESULT_USING_TRANSITION, c.name.c_str(), c.params);
        finished(c);
    }
    log_.Dump();
}

std::vector<FinalMethodRecord> Run::readMethod(const CString& hostPath,
                                               std::vector<instrument::Transition>* transitions)
{
    std::vector<FinalMethodRecord> records;
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, hostPath))
        return records;
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(name);
    if (DmDB3Open(&descriptor, DMDB3_MODE_READ) != 0)
        return records;
    for (int i = 1; i <= descriptor.RecordCount(); ++i)
    {
        tag_METHOD_RECORD r;
        if (!MethodGetRecord(&name, i, &r))
            break;
        records.push_back({r.CompoundName().str(), r.FunctionNumber(), r.MassText().str(), r.ExpectedTime(),
                           r.TimeWindow(), r.RangeStart(), r.RangeEnd(),
                           r.UseReference() != 0 && r.ReferenceRecord() == 0});
        double precursor = 0.0, product = 0.0;
        if (transitions && std::sscanf(r.MassText().GetString(), "%lf > %lf", &precursor, &product) >= 1)
            transitions->push_back({r.FunctionNumber(), precursor, product});
    }
    DmDB3Close(&descriptor);
    return records;
}

void Run::analyse(Progress& progress, std::size_t& done)
{
    const std::unique_ptr<CSampleListMem> analysis = openSampleList(a_.run.analysis);
    CGroupArray& samples = options_.m_GroupArrays[3];
    GetGroups(samples, analysis.get());
    // Each analysis group's compounds: the compound-list rows of the same label, in list order.
    const int groupField = CSampleList::GetFieldIndex("SAMPLE_GROUP");
    CGroupArray& compoundGroups = options_.m_GroupArrays[0];
    compoundGroups.RemoveAll();
    for (int g = 0; g < samples.GetSize(); ++g)
    {
        CGroup group(samples[g].m_Items);
        for (const Compound& c : compounds_)
            if (CGroupItemList((*compoundList_)[c.row][groupField].GetString()) == samples[g].m_Items)
                group.Add(c.row);
        compoundGroups.Add(group);
    }
    options_.m_nGroupOffset = 0;

    std::vector<tag_SCAN_PARAMS> params;
    for (const Compound& c : compounds_)
        params.push_back(c.params);
    const double runTime = lcRunTime(options_.m_strStage2LCMethod);

    const std::string data = project_ + "Data";
    std::filesystem::create_directories(platform::toPosixPath(data));
    const int fileNameField = CSampleList::GetFieldIndex("FILE_NAME");
    const int typeField = CSampleList::GetFieldIndex("TYPE");
    CStringArray methods;
    for (int g = 0; g < samples.GetSize(); ++g)
    {
        stopIfAsked();
        const CGroup& group = samples[g];
        const std::string label = static_cast<const CString>(group.m_Items).GetString();
        progress.show(done++, "group " + std::to_string(g + 1) + ": final quan method");
        GroupMethod report{label, "", {}};
        if (!CreateFinalQuanMethods(g, options_, compoundList_.get(), params.data(), runTime, methods))
        {
            err_ << "\nwarning: group " << g + 1 << ": the final quan method could not be written\n";
            methods.Add("");
            report_.groups.push_back(report);
            continue;
        }
        std::vector<instrument::Transition> transitions;
        readMethod(methods[g], &transitions);

        // The group's samples through the column, each its compounds at the amount its type says.
        SetTuneAcquisition(options_);
        std::vector<instrument::SampleCompound> present;
        std::vector<tag_SCAN_PARAMS> perRecord;
        for (POSITION pos = compoundGroups[g].m_Samples.GetHeadPosition(); pos;)
        {
            const Compound& c = compounds_[static_cast<std::size_t>(compoundGroups[g].m_Samples.GetNext(pos))];
            if (c.params.nMaxFunction < 0)
                continue;
            present.push_back({c.name, c.massText, 1.0});
            perRecord.push_back(c.params);
        }
        POSITION pos = group.m_Samples.GetHeadPosition();
        const int first = pos ? group.m_Samples.GetNext(pos) : 0;
        const int last = pos ? group.m_Samples.GetNext(pos) : first;
        for (int row = first; row <= last; ++row)
        {
            stopIfAsked();
            std::string file = (*analysis)[row][fileNameField].GetString().str();
            if (file.empty())
                continue;
            if (file.size() < 4 || !platform::detail::equalsNoCase(file.substr(file.size() - 4), ".RAW"))
                file += ".RAW";
            const bool blank = platform::detail::equalsNoCase((*analysis)[row][typeField].GetString().str(), "Blank");
            std::vector<instrument::SampleCompound> injected = present;
            for (instrument::SampleCompound& s : injected)
                s.amount = blank ? 0.0 : 1.0;
            const instrument::SourceSettings source =
                perRecord.empty() ? instrument::SourceSettings{} : sourceOf(perRecord.front());
            std::string error;
            const AcquisitionClock::Running acquiring(acquisition_);
            const instrument::RawData acquired = model_->analysisInjection(injected, transitions, source, runTime);
            if (!instrument::writeRawData(platform::toPosixPath(data + "\\" + file), acquired, error))
                throw Failure(error);
        }
        if (!perRecord.empty() && !ModifyFinalQuanMethods(g, options_, nullptr, analysis.get(), perRecord.data(), methods))
            err_ << "\nwarning: group " << g + 1 << ": the final quan method could not be narrowed\n";
        report.methodPath = platform::toPosixPath(methods[g].GetString());
        report.records = readMethod(methods[g], nullptr);
        report_.groups.push_back(report);
    }

    // The quantify step: the list opened as the host's quantify does, each group given its method;
    // an editor of the list waits until it is written.
    platform::FileLock editing;
    editing.lockFolderOf(a_.run.analysis);
    if (QuanOpenSampleList(asHostPath(a_.run.analysis).c_str()))
    {
        for (int g = 0; g < nQuanGroups && g < methods.GetSize(); ++g)
            if (QuanChangeGroup(0, g, nullptr) && !methods[g].IsEmpty() && !QuanSetCurrentMethod(methods[g]))
                err_ << "warning: group " << g + 1 << ": its method could not be recorded in the analysis list\n";
        QuanCloseSampleList();
    }
}

// A compound's line of the final table and its flags, from what its optimisation found.
void Run::settle(Compound& c) const
{
    ResultRow& r = c.report.result;
    const tag_SCAN_PARAMS& p = c.params;
    r.ok = c.usable && p.nMaxFunction >= 0;
    if (r.ok)
    {
        r.parentMz = std::round(p.dParentMass * 1000.0) / 1000.0;
        r.daughterMz = options_.m_bMSMS ? std::round(p.dDaughterMass * 1000.0) / 1000.0 : 0.0;
        r.coneVoltage = p.nConeVoltage;
        r.collisionEnergy = options_.m_bMSMS ? p.nCollisionEnergy : 0;
        r.response = p.fResponse;
        r.ionMode = p.IonMode;
        r.polarity = p.IonModeOpt == IONMODEOPT_NEGATIVE ? IONMODEOPT_NEGATIVE : IONMODEOPT_POSITIVE;
        const auto edge = [](int step, std::size_t steps) {
            return steps > 1 && step >= 0 && (step == 0 || step + 1 == static_cast<int>(steps));
        };
        std::string flags;
        if (edge(c.report.chosenConeStep, c.report.coneVoltages.size()))
            flags = "cv";
        if (options_.m_bMSMS && edge(c.report.chosenEnergyStep, c.report.collisionEnergies.size()))
            flags += flags.empty() ? "ce" : ",ce";
        c.report.atEdge = flags;
    }
}

// A compound whose optimisation has ended, for the observer.
void Run::finished(Compound& c)
{
    c.finished = true;
    settle(c);
    observer_.compoundFinished(c.report);
}

// Between steps: a stop asked for ends the run here, cleaning up as any end does.
void Run::stopIfAsked() const
{
    if (const int code = stop_ ? stop_() : 0)
        throw Interrupted(std::string("stopped by ") + (code == SIGPIPE ? "a closed pipe" : strsignal(code)) +
                              "; the tune was put back and the temporary files removed",
                          code);
}

// The final table, the truth and the report; when the run did not complete, only the compounds
// whose optimisation ended, so that what was found is never lost with the run.
void Run::finishTable(bool complete)
{
    std::vector<ResultRow> rows;
    std::vector<std::string> atEdge;
    std::vector<instrument::CompoundTruth> truths;
    report_.compounds.clear();
    for (Compound& c : compounds_)
    {
        if (!complete && !c.finished)
            continue;
        settle(c);
        const ResultRow& r = c.report.result;
        const tag_SCAN_PARAMS& p = c.params;
        rows.push_back(r);
        atEdge.push_back(c.report.atEdge);
        report_.compounds.push_back(c.report);
        // The truth in the polarity the compound ended in; one tried in both and failed in both is
        // told in the positive one.
        if (c.usable)
        {
            tag_SCAN_PARAMS q = p;
            if (q.IonModeOpt != IONMODEOPT_NEGATIVE)
                q.IonModeOpt = IONMODEOPT_POSITIVE;
            truths.push_back(model_->truth(c.name, c.massText, sourceOf(q)));
        }
    }
    std::string error;
    const std::string truthFile = platform::toPosixPath(project_ + "Data\\truth.tsv");
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(truthFile).parent_path(), made);
    if (!instrument::writeTruth(truthFile, truths, error))
        err_ << "warning: " << error << '\n';
    err_.flush();
    observer_.table(rows, atEdge);
    if (!a_.report.empty())
    {
        if (!platform::writeFileAtomically(a_.report, writeReportHtml(report_)))
            throw Failure(a_.report + ": the report cannot be written: " + std::strerror(errno));
        err_ << "report: " << a_.report << '\n';
    }
}

void Run::go()
{
    requireFile(a_.method);
    requireFile(a_.run.compounds);
    if (!a_.run.noAnalysis && a_.run.analysis.empty())
        throw BadInput("give --analysis LIST, or --no-analysis to optimise the compounds only");
    if (!a_.run.noAnalysis)
        requireFile(a_.run.analysis);
    if (!a_.spectra.empty())
        requireDirectory(a_.spectra);
    const std::string method = asHostPath(a_.method);
    project_ = projectOfMethod(method);
    if (project_.empty())
        throw BadInput(a_.method + ": the method is not in a project (a folder named *.PRO)");
    if (!a_.run.noAnalysis)
        checkAnalysisList();
    options_ = CTessalyOptionsSheet::OpenFile(method.c_str());
    applyRunOptions(a_.run, method, project_.substr(0, project_.size() - 1), options_);
    options_.m_pInstrument = &standIn().instrument();
    // Final methods go beside the project's other quan methods unless the run names a base.
    if (options_.m_strBaseQuanMethod.IsEmpty() && !a_.run.noAnalysis)
        options_.m_strBaseQuanMethod =
            (project_ + "MethDB\\" + std::filesystem::path(a_.run.analysis).stem().string() + ".mdb").c_str();
    // The stage-1 methods look for the compound over the whole loop injection.
    const double loopTime = lcRunTime(options_.m_strStage1LCMethod);
    options_.m_fStage1QuanValue = static_cast<float>(loopTime > 0.0 ? loopTime : 1.0);
    if (a_.run.noAnalysis)
        options_.m_strAnalysisList = "";
    if (!a_.run.noAnalysis && !(lcRunTime(options_.m_strStage2LCMethod) > 0.0))
    {
        // Moved into the project, the path may hold a doubled separator; people read it without.
        std::string shown = options_.m_strStage2LCMethod.str();
        CTessalyOptionsSheet::RemoveDoubleSlashes(shown.data());
        shown.resize(std::strlen(shown.c_str()));
        throw BadInput(a_.method + ": its stage-2 LC method \"" + shown +
                       "\" gives no \"Run Time min\" above 0 in [Inlet Method], so the analysis has no time span");
    }
    CString messages;
    if (!CTessalyOptionsSheet::Validate(messages, options_))
    {
        err_ << messages.GetString();
        throw Failure(a_.method + ": the method and run options are not valid for this run (see above)");
    }
    // After the engine's own findings: values no run can use, and a file that is no method.
    requireUsableMethod(method, options_, a_.method);
    if (!a_.report.empty())
        checkReport();

    report_.method = a_.method;
    report_.compoundList = a_.run.compounds;
    report_.analysisList = a_.run.analysis;
    report_.seed = a_.seed;
    model_ = std::make_unique<instrument::InstrumentModel>(a_.seed, a_.spectra);
    // Bad compounds are refused before anything is written; the method's warnings follow once the
    // run has the data directory.
    readCompounds();

    // From here on the run changes the data directory's state: one run at a time, its
    // temporaries in a private folder, and every signal that ends it cleans up.
    const std::string dataDirectory = platform::dataDirectory();
    const DataDirectoryLock lock(dataDirectory, a_.wait, [this] { return stop_ && stop_() != 0; });
    instrument::SimulatedInstrument& instrument = standIn().instrument();
    const WorkFolder work(dataDirectory, [&](const std::string& saved) { restoreSavedTune(instrument, saved, err_); });

    err_ << messages.GetString();
    log_.Dump();

    const auto started = std::chrono::steady_clock::now();
    recordTuneInForce(instrument);
    work.saveTune(savedTuneText(instrument));
    const RunEnd end(options_, work);
    SetTuneInitial(options_);
    std::size_t done = 0;
    Progress progress(observer_, compounds_.size() * (options_.m_bMSMS ? 2 : 1) + groups_);
    try
    {
        optimiseParents(progress, done);
        if (options_.m_bMSMS)
            optimiseDaughters(progress, done);
        if (!a_.run.noAnalysis)
            analyse(progress, done);
    }
    catch (...)
    {
        // What was optimised before the failure is printed and reported all the same.
        observer_.progressEnded(true);
        try
        {
            finishTable(false);
        }
        catch (const std::exception& e)
        {
            err_ << "warning: " << e.what() << '\n';
        }
        throw;
    }
    progress.show(done, "done");
    observer_.progressEnded(false);
    finishTable(true);
    stopIfAsked();
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char timing[256];
    std::snprintf(timing, sizeof timing, "time: %.2f s, of which %.2f s simulated acquisition (%d injections) and %.2f s "
                  "processing (%.1f ms per compound)\n", total, acquisition_.seconds(), acquisition_.injections(),
                  total - acquisition_.seconds(), 1000.0 * (total - acquisition_.seconds()) / compounds_.size());
    err_ << timing << std::flush;
}
} // namespace

void RunObserver::compoundFinished(const CompoundRun&)
{
}

RunSession::RunSession(const RunSettings& settings, RunObserver& observer) : settings_(settings), observer_(observer)
{
}

void RunSession::stop(int code)
{
    stopCode_ = code;
}

void RunSession::run(const std::function<int()>& alsoStopWhen)
{
    Run(settings_, observer_, [this, alsoStopWhen] {
        const int code = stopCode_;
        return code != 0 ? code : alsoStopWhen ? alsoStopWhen() : 0;
    }).go();
}

} // namespace tessaly
