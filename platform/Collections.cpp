#include "platform/Collections.h"

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    static const CRuntimeClass runtimeClass{"CObject"};
    return &runtimeClass;
}

void CObject::Serialize(CArchive&)
{
}

void CObject::AssertValid() const
{
}

void CObject::Dump(CDumpContext&) const
{
}
