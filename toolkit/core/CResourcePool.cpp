#include "toolkit/core/CResourcePool.h"

#include <cassert>

#include "toolkit/core/tCResourceObject.h"

tResult CResourcePool::Add(tCResourceObject* object)
{
    assert(object && !object->IsPoolOwned());
    TK_TRY(m_members.Add(object));
    object->MarkPoolOwned();
    return kResOk;
}

tCResourceObject* CResourcePool::FindByName(const tCString& name) const
{
    if (name.IsNull())
        return nullptr;
    for (tCResourceObject* member : m_members)
        if (!member->GetName().IsNull() && member->GetName() == name)
            return member;
    return nullptr;
}

tCResourceObject* CResourcePool::FindById(uint32_t id) const
{
    for (tCResourceObject* member : m_members)
        if (member->GetId() == id)
            return member;
    return nullptr;
}

void CResourcePool::DeleteAll()
{
    for (tCResourceObject* member : m_members)
        delete member;
    m_members.RemoveAll();
}
