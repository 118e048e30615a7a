#include "toolkit/core/CWindowBase.h"

#include <cassert>

#include "toolkit/core/CAppBase.h"
#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/IRootWidget.h"

namespace {

bool gRolloverActive = false;

}  // namespace

CWindowBase::CWindowBase()
{
    CAppBase::RegisterWindow(this, 1);
}

CWindowBase::~CWindowBase()
{
    CAppBase::RegisterWindow(this, 0);
    CWindowBase::OnDestroyed();
}

void CWindowBase::SetRolloverActive(bool active)
{
    gRolloverActive = active;
}

bool CWindowBase::IsRolloverActive()
{
    return gRolloverActive;
}

void CWindowBase::ReportDispatchResult(tResult result)
{
    if (!IsSuccess(result))
        ReportResult(result, nullptr);
}

void CWindowBase::SetRootWidget(IRootWidget* widget)
{
    assert(widget);
    if (m_rootWidget) {
        const int32_t width = m_rootWidget->GetWidth();
        const int32_t height = m_rootWidget->GetHeight();
        delete m_rootWidget;
        m_rootWidget = widget;
        widget->SetSize(width, height, 1);
    } else {
        m_rootWidget = widget;
    }
    widget->SetWindow(this);
}

tResult CWindowBase::SetTitle(tCString)
{
    return kResOk;
}

tCString CWindowBase::GetTitle()
{
    return tCString(u"");
}

tResult CWindowBase::MoveRelative(float x, float y)
{
    return SetRelativePosition(x, y, 1);
}

tResult CWindowBase::Move(int32_t x, int32_t y)
{
    return SetPosition(x, y, 1);
}

tResult CWindowBase::Centre()
{
    return CentreOnWorkArea(1);
}

tResult CWindowBase::ResizeRelative(float width, float height, int32_t redraw)
{
    return SetRelativeSize(width, height, redraw);
}

tResult CWindowBase::Resize(int32_t width, int32_t height, int32_t redraw)
{
    return SetSize(width, height, redraw);
}

int32_t CWindowBase::SetCoverMonitor(int32_t flag, int32_t argument)
{
    if (flag == m_monitorFlag)
        return flag;
    m_monitorFlag = flag;
    const int32_t answer = OnCoverMonitorChanged(flag, argument);
    if (m_fullScreen)
        return int32_t(Relayout(kPlaceFullScreen, tCFPoint{-1, -1}, tCFPoint{-1, -1}, 1));
    return answer;
}

tResult CWindowBase::Heartbeat()
{
    if (!m_rootWidget)
        return kResOk;
    if (IsRolloverActive() || IsUnderCursor())
        m_rootWidget->UpdateRolloverWidget();
    else
        m_rootWidget->ClearRolloverWidget();
    return m_rootWidget->DispatchHeartbeat();
}

bool CWindowBase::WidgetsTakeKeyDown(int32_t key)
{
    if (!m_rootWidget)
        return false;
    CWidget* takenBy = nullptr;
    ReportDispatchResult(m_rootWidget->DispatchKeyDown(&takenBy, key));
    return takenBy != nullptr;
}

void CWindowBase::OnKeyDown(int32_t key)
{
    if (WidgetsTakeKeyDown(key))
        return;
    CAppBase* app = GetApplication();
    switch (key) {
    case kKeyF7:
        SetSize(5000, 5000, 1);
        break;
    case kKeyF8:
        SetRelativeSize(0.8f, 0.8f, 1);
        break;
    case kKeyF11:
        if (app && app->IsActive())
            app->Deactivate();
        else if (app)
            app->Activate();
        break;
    default:
        break;
    }
}

void CWindowBase::OnKeyUp(int32_t key)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchKeyUp(&takenBy, key));
}

void CWindowBase::OnTimer(uint32_t timerId)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchTimer(&takenBy, timerId));
}

void CWindowBase::OnLeftButtonDown(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (!m_rootWidget)
        return;
    m_rootWidget->UpdateRolloverWidget();
    ReportDispatchResult(m_rootWidget->DispatchLButtonDown(&takenBy, &point));
}

void CWindowBase::OnLeftButtonUp(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchLButtonUp(&takenBy, &point));
}

void CWindowBase::OnMiddleButtonDown(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (!m_rootWidget)
        return;
    m_rootWidget->UpdateRolloverWidget();
    ReportDispatchResult(m_rootWidget->DispatchMButtonDown(&takenBy, &point));
}

void CWindowBase::OnMiddleButtonUp(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchMButtonUp(&takenBy, &point));
}

void CWindowBase::OnMouseWheel(tCPoint delta, tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchMouseWheel(&takenBy, delta, &point));
}

void CWindowBase::OnMouseMove(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchMouseMove(&takenBy, &point));
}

void CWindowBase::OnRightButtonDown(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (!m_rootWidget)
        return;
    m_rootWidget->UpdateRolloverWidget();
    ReportDispatchResult(m_rootWidget->DispatchRButtonDown(&takenBy, &point));
}

void CWindowBase::OnRightButtonUp(tCPoint point)
{
    CWidget* takenBy = nullptr;
    if (m_rootWidget)
        ReportDispatchResult(m_rootWidget->DispatchRButtonUp(&takenBy, &point));
}

void CWindowBase::OnSize(int32_t width, int32_t height)
{
    if (!m_rootWidget || width <= 7)
        return;
    if (m_rootWidget->GetWidth() == width && m_rootWidget->GetHeight() == height)
        return;
    const tResult result = m_rootWidget->SetSize(width, height, 1);
    if (result == kResOk)
        return;
    ReportResult(result, "Window SetSize failed. Offscreen buffer error.");
    if (CAppBase* app = GetApplication())
        app->Quit();
}

void CWindowBase::SetSysKeysAsKeys(int32_t)
{
}

int32_t CWindowBase::GetSysKeysAsKeys()
{
    return 0;
}

void CWindowBase::OnDestroyed()
{
    m_created = false;
    if (m_rootWidget) {
        m_rootWidget->OnWindowDestroyed();
        if (tCCmdTarget::GetBackdropTarget() == dynamic_cast<tCCmdTarget*>(m_rootWidget))
            tCCmdTarget::SetBackdropTarget(nullptr);
        delete m_rootWidget;
        m_rootWidget = nullptr;
    }
    CAppBase::ForgetMainWindow(this);
}
