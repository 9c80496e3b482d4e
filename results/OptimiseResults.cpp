#include "results/OptimiseResults.h"

#include "host/host.h"
#include "method/IonMode.h"
#include "platform/SafeText.h"

#include <ios>
#include <string>

namespace results::detail
{
// The text form's buffer: one for the whole library, so the reference the text form returns
// stays valid after the log that made it is gone, until the next call rebuilds it.
CString& logText()
{
    static CString text;
    return text;
}
} // namespace results::detail

namespace
{
using CStatusArray = CArray<COptimiseStatus, COptimiseStatus&>;
} // namespace

// ---- COptimiseStatus ----------------------------------------------------------------------------

COptimiseStatus::COptimiseStatus(tagOPT_RESULT code, int started) : m_eResult(code), m_bStarted(started)
{
}

COptimiseStatus::COptimiseStatus(const COptimiseStatus& other) = default;

COptimiseStatus& COptimiseStatus::operator=(const COptimiseStatus& other) = default;

// ---- COptimiseResults ---------------------------------------------------------------------------

const CString COptimiseResults::m_strFilename = "c:\\temp\\Tessaly Current Optimisation Results.txt";

COptimiseResults::COptimiseResults() = default;

COptimiseResults::~COptimiseResults()
{
    RemoveAll();
}

int COptimiseResults::Append(tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params)
{
    CString line;
    if (!MakeString(line, code, name, params))
        return 0;
    CStringArray::Add(line);
    COptimiseStatus status(code, 0);
    CStatusArray::Add(status);
    return 1;
}

int COptimiseResults::Update(int index, tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params)
{
    // An index that no Append made is the caller's fault; refusing it keeps the two arrays in step
    // instead of reading or writing past them.
    if (index < 0 || index >= CStringArray::GetSize())
        return 0;
    CString line;
    if (!MakeString(line, code, name, params))
        return 0;
    COptimiseStatus& status = CStatusArray::ElementAt(index);
    if (code >= OPTRESULT_NO_INFORMATION && code <= OPTRESULT_ALREADY_PRESENT)
    {
        if (status.m_bStarted)
            return 1;
    }
    else if (code >= OPTRESULT_OPTIMISING_CV && code <= OPTRESULT_USING_TRANSITION)
        status.m_bStarted = 1;
    CStringArray::SetAt(index, line);
    return 1;
}

int COptimiseResults::MakeString(CString& line, tagOPT_RESULT code, const CString& name, const tag_SCAN_PARAMS& params)
{
    // The name starts the line a person watches and a spreadsheet may open: no control character
    // to drive a terminal, and no formula leader to run.
    const std::string shown = platform::neutralisedCell(platform::printableText(name.GetString()));
    const char* compound = shown.c_str();
    const char* mode = IONMODE2String(params.IonMode);
    const char* polarity = IONMODEOPT2String(params.IonModeOpt);
    switch (code)
    {
    case OPTRESULT_NO_INFORMATION:
        line.Format("%-10s No Information Yet (Base mass %.2f)", compound, params.dParentMass);
        return 1;
    case OPTRESULT_NOT_REQUIRED:
        line.Format("%-10s Not Required In This Analysis", compound);
        return 1;
    case OPTRESULT_ALREADY_PRESENT:
        line.Format("%-10s Optimisation Already Present", compound);
        return 1;
    case OPTRESULT_OPTIMISING_CV:
        line.Format("%-10s In Progress: Optimising CV", compound);
        return 1;
    case OPTRESULT_SKIPPING_CV:
        line.Format("%-10s In Progress: Skipping CV", compound);
        return 1;
    case OPTRESULT_CV_FAILED:
        line.Format("%-10s Cone Voltage Optimisation Failed", compound);
        return 1;
    case OPTRESULT_OPTIMISING_CE:
        line.Format("%-10s In Progress: Optimising CE (Parent %.2f, CV %d)", compound, params.dParentMass,
                    params.nConeVoltage);
        return 1;
    case OPTRESULT_SKIPPING_CE:
        line.Format("%-10s In Progress: Skipping CE", compound);
        return 1;
    case OPTRESULT_CE_FAILED:
        line.Format("%-10s Collision Energy Optimisation Failed", compound);
        return 1;
    case OPTRESULT_USING_PARENT:
        line.Format("%-10s Using Mass %.2f \t%s%s\tCV %d", compound, params.dParentMass, mode, polarity,
                    params.nConeVoltage);
        return 1;
    case OPTRESULT_USING_TRANSITION:
        line.Format("%-10s Using\t%.2f > %.2f\t%s%s\t%d\t%d", compound, params.dParentMass, params.dDaughterMass, mode,
                    polarity, params.nConeVoltage, params.nCollisionEnergy);
        return 1;
    case OPTRESULT_HEADER:
        // Sixteen spaces stand over the name column (ten characters and the words after it).
        line = "                \tTransition\tMode\tCV\tCE";
        return 1;
    }
    return 0;
}

COptimiseResults::operator const CString&() const
{
    CString& text = results::detail::logText();
    tag_SCAN_PARAMS unused{};
    MakeString(text, OPTRESULT_HEADER, CString(), unused);
    text += '\n';
    for (int i = 0; i < CStringArray::GetSize(); ++i)
    {
        text += CStringArray::ElementAt(i);
        text += '\n';
    }
    return text;
}

int COptimiseResults::Dump() const
{
    ofstreamS out(GetFilename(), std::ios_base::out);
    if (out.fail())
        return 0;
    out << static_cast<const CString&>(*this);
    // The host replaces the file when the stream closes; a write or that replacement can still
    // fail, and a log reported as written must be on disk.
    out.close();
    return out.fail() ? 0 : 1;
}

void COptimiseResults::RemoveAll()
{
    CStringArray::RemoveAll();
    CStatusArray::RemoveAll();
}

const CString& COptimiseResults::GetFilename()
{
    return m_strFilename;
}
