#include "methodgen/MasterMethod.h"

BRENMO_API int CreateMasterMethod(const CBrenmoOptions& options, const CSampleListMem* samples, tag_SCAN_PARAMS* params,
                                  CStringArray& methods)
{
    if (options.IsMuxInterlaced())
        return CreateMasterMethodMux(options, samples, params, methods);
    return CreateMasterMethodNormal(options, samples, params, methods);
}

BRENMO_API int CreateMasterMethodMux(const CBrenmoOptions&, const CSampleListMem*, tag_SCAN_PARAMS*, CStringArray&)
{
    return 1;
}

BRENMO_API int CreateMasterMethodNormal(const CBrenmoOptions&, const CSampleListMem*, tag_SCAN_PARAMS*, CStringArray&)
{
    return 1;
}

BRENMO_API int CreateLoopMSFile(CString&, const CBrenmoOptions&)
{
    return 1;
}

BRENMO_API int CreateStage1ParentMSFile(CString&, const CBrenmoOptions&, const tag_SCAN_PARAMS&)
{
    return 1;
}

BRENMO_API int CreateStage1DaughterMSFile(CString&, const CBrenmoOptions&, const tag_SCAN_PARAMS&)
{
    return 1;
}

BRENMO_API int CreateStage1MSFile(const CString&, const CBrenmoOptions&, const tag_SCAN_PARAMS&)
{
    return 1;
}

BRENMO_API int CreateStage1MSMSFile(const CString&, const CBrenmoOptions&, const tag_SCAN_PARAMS&)
{
    return 1;
}
