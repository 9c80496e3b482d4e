// The out-of-line parts of the framework's object root and the string collections.
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

template class CArray<CString, const CString&>;
template class CList<CString, const CString&>;
