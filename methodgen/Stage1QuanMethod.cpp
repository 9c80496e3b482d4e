#include "methodgen/Stage1QuanMethod.h"

#include "methodgen/MethodRecord.h"

#include <algorithm>

BRENMO_API int CreateStage1QuanMethod(const CString& database, const CString& massText, int keepFlag,
                                      const CBrenmoOptions& options, const CString& templatePath, int functions)
{
    using namespace methodgen::detail;
    // Written as a negated comparison so that a NaN span is refused too.
    const float span = options.m_fStage1QuanValue;
    if (!(span > 0.0f))
        return 0;

    tag_METHOD_DB_DESCRIPTOR descriptor = descriptorFor(database, 0, 0);
    const tag_HXFILE name = descriptor.Name();

    tag_METHOD_RECORD record;
    GetTemplateMethRec(templatePath.IsEmpty() ? 0 : 1, templatePath, &record);
    record.SetCompoundName("TEMP");
    record.SetMassText(massText);
    record.set<float>(tag_METHOD_RECORD::kFloat448, 1.0f);
    const bool keep = keepFlag != 0 && record.get<std::int32_t>(tag_METHOD_RECORD::kInt460) != 0;
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt460, keep ? 1 : 0);
    // The compound may elute anywhere in the span: centred window, half the span either side.
    record.SetExpectedTime(span * 0.5f);
    record.SetTimeWindow(span * 0.5f);
    record.SetRangeEnd(span);
    record.set<std::int32_t>(tag_METHOD_RECORD::kInt592, 1);
    record.SetRangeStart(0.0f);

    setSystemListValue("METHOD_DB", name);
    // Creating fails harmlessly when the database exists; opening for writing decides.
    DmDB3Open(&descriptor, DMDB3_MODE_CREATE);
    if (DmDB3Open(&descriptor, DMDB3_MODE_APPEND) != 0)
        return 0;

    const int count = std::clamp(functions, 1, kStage1MaxFunctions);
    for (int function = 1; function <= count; ++function)
    {
        record.SetFunctionNumber(function);
        if (MethodWriteRecord(&name, -1, &record, 0, 0) < 0)
        {
            DmDB3Close(&descriptor);
            return 0;
        }
    }
    // The host is told the largest function count, whatever was written: that is what stored
    // stage-1 methods have always carried. The host reads no record beyond those present.
    descriptor.SetRecordCount(kStage1MaxFunctions);
    DmDB3Close(&descriptor);
    return 1;
}
