#pragma once

#include "toolkit/net/CHTTPSession.h"

class CKSUTransferManager;

// One transfer of the update manager: an HTTP session that knows the manager it works for. A
// session whose owner is cleared is dropped: whatever it still reports, at its close or when it
// is deleted, reaches nobody.
class CKSUHTTPSession : public CHTTPSession {
public:
    CKSUTransferManager* GetOwner() const { return m_owner; }
    void SetOwner(CKSUTransferManager* owner) { m_owner = owner; }

private:
    CKSUTransferManager* m_owner = nullptr;
};
