#pragma once

#include <cstdint>

#include "toolkit/core/ResultCodes.h"
#include "toolkit/core/tCCmdTarget.h"
#include "toolkit/core/tCPoint.h"

class CImage;
class CTimeStep;
class CWidget;

// What a confirm bar's owner hears: a release over one of the bar's halves.
class IConfirmBarOwner {
public:
    virtual tResult OnConfirmBar(bool apply) = 0;

protected:
    ~IConfirmBarOwner() = default;
};

// The bar at the foot of the full-window paper panes: one framed image whose left half cancels
// and whose right half applies. Each half has its own light, a front gradient effect of the bar
// (effect 1 lights the right half, effect 2 the left) that rises to 80 while the pointer is over
// its half. The bar's two time steps are its user objects 0 (right light) and 1 (left light).
class CConfirmBar {
public:
    static constexpr uint32_t kWidgetId = 100510;
    static constexpr int32_t kRightLight = 1;
    static constexpr int32_t kLeftLight = 2;
    static constexpr float kLit = 80.0f;
    static constexpr float kStepTime = 2.0f;

    // Frames the bar, clips its lights to their halves and hooks its heartbeat and press; 22
    // without the bar or one of its lights, 24 when a time step cannot be made.
    tResult Attach(CWidget* root, CImage* frame, IConfirmBarOwner* owner);
    // Both lights dark and at rest, without presenting.
    void Reset();
    // Which half a point of the bar lies in: true for the right (apply) half.
    bool IsApplyHalf(tCPoint local) const;

    CWidget* GetWidget() const { return m_bar; }
    // The light's opacity as last drawn.
    uint32_t GetLight(int32_t effect) const;

    static tResult OnHeartbeat(tMsgArg context, CWidget* widget);
    static tResult OnPressed(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint* point);

private:
    CTimeStep* Step(int32_t slot) const;
    tResult Hover();
    tResult TakePress();

    CWidget* m_bar = nullptr;
    IConfirmBarOwner* m_owner = nullptr;
};
