#include "app/panels/CColPick.h"
#include "app/panels/ColourWheel.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// The pointer in `widget`'s coordinates, clamped into it.
tCPoint PointerInWidget(CAppBase* app, CWidget* widget)
{
    tCPoint point = app->GetCursorPosition();
    widget->ScreenToLocalPoint(&point);
    return ClampToSize(point, {widget->GetWidth(), widget->GetHeight()});
}

}  // namespace

tResult CColPick::WheelPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CColPick>(context)->WheelDrag();
}

tResult CColPick::StripPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    const tResult answer = FromMsgArg<CColPick>(context)->StripDrag();
    *takenBy = widget;
    return answer;
}

tResult CColPick::WheelDrag()
{
    CAppBase* app = GetApplication();
    if (!app || !m_wheel)
        return kResOk;
    tCPoint last{-1, -1};
    do {
        app->RunHeartbeat();
        const tCPoint point = PointerInWidget(app, m_wheel);
        if (point != last) {
            last = point;
            ApplyWheelPoint(&m_model, point, {m_wheel->GetWidth(), m_wheel->GetHeight()});
        }
        TK_TRY(SendColour());
    } while (app->IsPrimaryButtonHeld());
    return kResOk;
}

tResult CColPick::StripDrag()
{
    CAppBase* app = GetApplication();
    if (!app || !m_strip)
        return kResOk;
    tCPoint last{-1, -1};
    do {
        app->RunHeartbeat();
        const tCPoint point = PointerInWidget(app, m_strip);
        if (point != last) {
            last = point;
            m_model.ApplyStrip(point.y, m_strip->GetHeight());
            app->RunHeartbeat();
        }
        TK_TRY(SendColour());
    } while (app->IsPrimaryButtonHeld());
    return kResOk;
}
