#pragma once

#include "toolkit/net/CHTTPSession.h"

class CKSUTransferManager;

// One transfer of the update manager: an HTTP session that knows the manager it works for. A
// session whose owner is cleared is dropped: whatever it still reports, at its close or when it
// is deleted, reaches nobody.
class CKSUHTTPSession : public CHTTPSession {
public:
    CKSUHTTPSession() = default;
    // The base's destructor closes the session, and what the close reports must not reach the
    // callbacks, which take the session for one of this class.
    ~CKSUHTTPSession() override;

    CKSUTransferManager* GetOwner() const { return m_owner; }
    void SetOwner(CKSUTransferManager* owner) { m_owner = owner; }

private:
    CKSUTransferManager* m_owner = nullptr;
};
