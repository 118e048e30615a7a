#include "paint/engine/CanvasInputGuards.h"

#include "paint/engine/CanvasMessages.h"
#include "paint/engine/ICanvasHost.h"

namespace {

int32_t gPenServiceHolders = 0;

}  // namespace

CUndoStepGuard::CUndoStepGuard(CCanvas& canvas) : m_canvas(&canvas), m_opened(canvas.BeginUndoStep()), m_open(true) {}

CUndoStepGuard::CUndoStepGuard(CCanvas& canvas, int32_t layer)
    : m_canvas(&canvas),
      m_opened(canvas.GetHost() ? canvas.GetHost()->BeginUndoStep(0, uint32_t(layer)) : kResOk),
      m_open(true)
{
}

tResult CUndoStepGuard::Release()
{
    if (!m_open)
        return kResOk;
    m_open = false;
    const tResult ended = m_canvas->EndUndoStep();
    if (ended != kResOk && m_opened == kResOk && m_canvas->GetHost())
        m_canvas->GetHost()->UndoStepLost(ended);
    return ended;
}

void CUndoStepGuard::Keep()
{
    // A lost step is told by Release; the controller's answer to the change changes nothing of it.
    (void)Release();
    (void)TellPaintingModified(*m_canvas);
}

CPenServiceGuard::CPenServiceGuard()
{
    ++gPenServiceHolders;
    m_active = true;
}

void CPenServiceGuard::Release()
{
    if (!m_active)
        return;
    m_active = false;
    --gPenServiceHolders;
}

int32_t CPenServiceGuard::GetHolderCount() { return gPenServiceHolders; }
