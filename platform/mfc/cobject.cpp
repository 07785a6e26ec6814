#include "platform/mfc/cobject.h"

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), nullptr};

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass)
    {
        if (c == base)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &classCObject;
}

BOOL CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return runtimeClass != nullptr && GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}
