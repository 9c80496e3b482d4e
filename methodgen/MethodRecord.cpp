#include "methodgen/MethodRecord.h"

namespace methodgen::detail
{
tag_HXFILE hostForm(const char* path)
{
    tag_HXFILE name;
    if (!ConvertPathToHxFile(&name, path ? path : ""))
        name.clear();
    return name;
}

tag_METHOD_DB_DESCRIPTOR descriptorFor(const char* path, int templateFlag, int recordCount)
{
    tag_METHOD_DB_DESCRIPTOR descriptor;
    descriptor.SetType(tag_METHOD_DB_DESCRIPTOR::kTypeMethod);
    descriptor.SetName(hostForm(path));
    // The two fields share their bytes with the name record's last two fields, so they are set
    // after the name is copied in.
    descriptor.SetTemplate(templateFlag);
    descriptor.SetRecordCount(recordCount);
    return descriptor;
}

void setSystemListValue(const char* key, const tag_HXFILE& value)
{
    // The host's success is not checked: a database it cannot select fails at the next call.
    SetSystemListValue("SystemList", key, &value, 1);
}
} // namespace methodgen::detail

BRENMO_API int GetTemplateMethRec(int useTemplate, const char* path, tag_METHOD_RECORD* record)
{
    using namespace methodgen::detail;
    if (!record)
        return 0;
    if (useTemplate)
    {
        tag_METHOD_DB_DESCRIPTOR descriptor = descriptorFor(path, 1, 1);
        const tag_HXFILE name = descriptor.Name();
        setSystemListValue("METHOD_DB", name);
        int read = 0;
        if (DmDB3Open(&descriptor, DMDB3_MODE_READ) == 0)
            read = MethodGetRecord(&name, 1, record);
        // Closed whether or not the open succeeded: the host may hold the name either way.
        DmDB3Close(&descriptor);
        if (read)
            return useTemplate;
    }

    GetDefaultMethod(record);
    // The engine's own settings on top of the host's default record.
    const std::int32_t words684[] = {1, 0, 1, 1, 0};
    for (std::size_t i = 0; i < std::size(words684); ++i)
        record->set<std::int32_t>(tag_METHOD_RECORD::kInts684 + 4 * i, words684[i]);
    record->set<std::int32_t>(tag_METHOD_RECORD::kInt632, 1);
    record->set<std::int32_t>(tag_METHOD_RECORD::kInt636, 0);
    record->set<std::uint8_t>(tag_METHOD_RECORD::kByte219, 0);
    return 0;
}
