#pragma once

#include "toolkit/core/IErrorBoxHost.h"
#include "toolkit/core/ResultCodes.h"

// Shows the message of a result code, with an optional extra line, in a modal box titled
// "Error.", with both cursors prepared and the application paused around it.
void ReportResult(tResult code, const char* extra);

// The three scope guards run around every modal box and system dialog; each restores on
// destruction what it changed on construction. Construct them in the order
// CCursorHideGuard, CSystemCursorGuard, CPauseAppGuard.
class CPauseAppGuard {
public:
    CPauseAppGuard();
    ~CPauseAppGuard();
    CPauseAppGuard(const CPauseAppGuard&) = delete;
    CPauseAppGuard& operator=(const CPauseAppGuard&) = delete;

private:
    bool m_wasActive = false;
};

class CSystemCursorGuard {
public:
    CSystemCursorGuard();
    ~CSystemCursorGuard();
    CSystemCursorGuard(const CSystemCursorGuard&) = delete;
    CSystemCursorGuard& operator=(const CSystemCursorGuard&) = delete;

private:
    bool m_wasShown = true;
};

class CCursorHideGuard {
public:
    CCursorHideGuard();
    ~CCursorHideGuard();
    CCursorHideGuard(const CCursorHideGuard&) = delete;
    CCursorHideGuard& operator=(const CCursorHideGuard&) = delete;

private:
    bool m_systemWasShown = false;
    bool m_backdropWasShown = false;
};
