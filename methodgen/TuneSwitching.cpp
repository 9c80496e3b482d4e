#include "methodgen/TuneSwitching.h"

#include "methodgen/MethodRecord.h"
#include "platform/Ascii.h"

namespace methodgen::detail
{
SavedTune& savedTune()
{
    static SavedTune saved;
    return saved;
}

namespace
{
constexpr const char* kTuneDb = "TUNE_DB";
// Plain paths of the host, as ConvertHxFileToPath writes them.
constexpr int kPathLimit = 260;

int switchTo(const CBrenmoOptions& options, const CString& tuneFile)
{
    if (!options.m_pInstrument)
        return 0;
    setSystemListValue(kTuneDb, hostForm(tuneFile));
    return options.m_pInstrument->LoadTune(0, tuneFile, 0);
}
} // namespace
} // namespace methodgen::detail

BRENMO_API int SetTuneInitial(const CBrenmoOptions& options)
{
    using namespace methodgen::detail;
    if (!options.m_pInstrument)
        return 0;
    SavedTune& saved = savedTune();
    saved.state = options.m_pInstrument->GetTuneState();
    saved.tuneDb.clear();
    if (saved.state != 0)
    {
        options.m_pInstrument->CommitTune();
        if (!GetSystemListValue("SystemList", kTuneDb, 0, &saved.tuneDb))
            saved.tuneDb.clear();
    }
    return 1;
}

BRENMO_API int SetTuneParent(const CBrenmoOptions& options)
{
    return methodgen::detail::switchTo(options, options.m_strParentTuneFile);
}

BRENMO_API int SetTuneDaughter(const CBrenmoOptions& options)
{
    return methodgen::detail::switchTo(options, options.m_strDaughterTuneFile);
}

BRENMO_API int SetTuneAcquisition(const CBrenmoOptions& options)
{
    return methodgen::detail::switchTo(options, options.m_strAcquisitionTuneFile);
}

BRENMO_API int SetTuneOriginal(const CBrenmoOptions& options)
{
    using namespace methodgen::detail;
    if (!options.m_pInstrument)
        return 0;
    const SavedTune& saved = savedTune();
    tag_HXFILE current;
    if (!GetSystemListValue("SystemList", kTuneDb, 0, &current))
        current.clear();
    // Written also when empty, so no stage's tune stays named after the run.
    setSystemListValue(kTuneDb, saved.tuneDb);
    if (saved.state == 0)
        return options.m_pInstrument->CloseTune();

    char savedPath[kPathLimit] = {};
    char currentPath[kPathLimit] = {};
    ConvertHxFileToPath(savedPath, kPathLimit, &saved.tuneDb);
    ConvertHxFileToPath(currentPath, kPathLimit, &current);
    // Host paths name the same file whatever the case of their ASCII letters.
    if (platform::detail::equalsNoCase(savedPath, currentPath))
        return 1;
    return options.m_pInstrument->LoadTune(0, savedPath, 1);
}
