#include "paint/engine/CanvasInputGuards.h"

#include "paint/engine/CCanvas.h"

namespace {

int32_t gPenServiceHolders = 0;

}  // namespace

CUndoStepGuard::CUndoStepGuard(CCanvas& canvas) : m_canvas(&canvas), m_opened(canvas.BeginUndoStep()), m_open(true) {}

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
