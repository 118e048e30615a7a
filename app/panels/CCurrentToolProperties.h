#pragma once

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCArray.h"

class CToolProperty;
class tCCmdTarget;

// The property list of the controller's current tool, asked for on behalf of a pane and
// deleted with this object.
class CCurrentToolProperties {
public:
    CCurrentToolProperties() = default;
    ~CCurrentToolProperties();
    CCurrentToolProperties(const CCurrentToolProperties&) = delete;
    CCurrentToolProperties& operator=(const CCurrentToolProperties&) = delete;

    // The controller's answer; the list keeps whatever arrived.
    tResult Query(tCCmdTarget* sender);
    const tCArray<CToolProperty*>& GetList() const { return m_list; }

private:
    tCArray<CToolProperty*> m_list{tCArray<CToolProperty*>::kAutoGrowth};
};
