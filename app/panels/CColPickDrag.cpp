#include "app/panels/CColPick.h"
#include "app/panels/ColourWheel.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

// The pointer (screen coordinates) in `widget`'s coordinates, clamped into it.
tCPoint PointerInWidget(tCPoint point, CWidget* widget)
{
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
    // The last round takes the colour where the button came up, not where the pointer went after.
    CButtonPress press;
    // Every round takes the colour, and a press with none the place where the button came up.
    tCPoint pointer;
    bool round = press.NextRound(&pointer);
    do {
        const tCPoint point = PointerInWidget(pointer, m_wheel);
        if (point != last) {
            last = point;
            ApplyWheelPoint(&m_model, point, {m_wheel->GetWidth(), m_wheel->GetHeight()});
        }
        TK_TRY(SendColour());
    } while (round && (round = press.NextRound(&pointer)));
    return kResOk;
}

tResult CColPick::StripDrag()
{
    CAppBase* app = GetApplication();
    if (!app || !m_strip)
        return kResOk;
    tCPoint last{-1, -1};
    CButtonPress press;
    // Every round takes the colour, and a press with none the place where the button came up.
    tCPoint pointer;
    bool round = press.NextRound(&pointer);
    do {
        const tCPoint point = PointerInWidget(pointer, m_strip);
        if (point != last) {
            last = point;
            m_model.ApplyStrip(point.y, m_strip->GetHeight());
            app->RunHeartbeat();
        }
        TK_TRY(SendColour());
    } while (round && (round = press.NextRound(&pointer)));
    return kResOk;
}
