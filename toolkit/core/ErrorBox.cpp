#include "toolkit/core/ErrorBox.h"

#include <cstdio>

namespace {

IErrorBoxHost* gErrorBoxHost = nullptr;

}  // namespace

IErrorBoxHost* GetErrorBoxHost()
{
    return gErrorBoxHost;
}

void SetErrorBoxHost(IErrorBoxHost* host)
{
    gErrorBoxHost = host;
}

CPauseAppGuard::CPauseAppGuard()
{
    if (IErrorBoxHost* host = GetErrorBoxHost()) {
        m_wasActive = host->IsActive();
        host->Deactivate();
    }
}

CPauseAppGuard::~CPauseAppGuard()
{
    IErrorBoxHost* host = GetErrorBoxHost();
    if (host && m_wasActive)
        host->Activate();
}

CSystemCursorGuard::CSystemCursorGuard()
{
    if (IErrorBoxHost* host = GetErrorBoxHost()) {
        m_wasShown = host->IsSystemCursorShown();
        host->ShowSystemCursor();
    }
}

CSystemCursorGuard::~CSystemCursorGuard()
{
    IErrorBoxHost* host = GetErrorBoxHost();
    if (host && !m_wasShown)
        host->HideSystemCursor();
}

CCursorHideGuard::CCursorHideGuard()
{
    if (IErrorBoxHost* host = GetErrorBoxHost()) {
        m_systemWasShown = host->IsSystemCursorShown();
        m_backdropWasShown = host->IsBackdropCursorShown();
        host->HideCursors();
    }
}

CCursorHideGuard::~CCursorHideGuard()
{
    IErrorBoxHost* host = GetErrorBoxHost();
    if (!host)
        return;
    if (m_systemWasShown)
        host->ShowSystemCursor();
    else if (m_backdropWasShown)
        host->ShowBackdropCursor();
}

void ReportResult(tResult code, const char* extra)
{
    CCursorHideGuard hideCursors;
    CSystemCursorGuard systemCursor;
    CPauseAppGuard pause;

    tCString text = tCString::FromAnsi(ResultText(code));
    if (extra)
        text = text.Concat(u"\n").Concat(tCString::FromAnsi(extra));

    IErrorBoxHost* host = GetErrorBoxHost();
    if (!host) {
        std::fprintf(stderr, "Error.\n%s\n", text.ToAnsi().c_str());
        return;
    }
    host->KillMainWindowTimers();
    host->ShowMessageBox(text, u"Error.");
}
