#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"
#include "toolkit/core/tCBaseObject.h"
#include "toolkit/core/tCString.h"

class tCResourceObject;

// Shared resource objects, kept in order of addition and owned by the pool.
class CResourcePool : public tCBaseObject {
public:
    CResourcePool() = default;
    CResourcePool(const CResourcePool&) = delete;
    CResourcePool& operator=(const CResourcePool&) = delete;
    ~CResourcePool() override { DeleteAll(); }

    // Takes the object and marks it pool-owned; 5 when it cannot be held (it is then neither
    // added nor marked).
    tResult Add(tCResourceObject* object);
    // The first member with that exact name or that id, or null.
    tCResourceObject* FindByName(const tCString& name) const;
    tCResourceObject* FindById(uint32_t id) const;
    void DeleteAll();

    int32_t GetCount() const { return m_members.GetCount(); }

private:
    tCArray<tCResourceObject*> m_members;
};
