#include "app/shell/controls/CKS2RadialControl.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "app/shell/ShellResources.h"
#include "app/shell/controls/CKS2PieWidget.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/core/CButtonPress.h"
#include "toolkit/core/CTimeStep.h"
#include "toolkit/text/CTxWidget.h"
#include "toolkit/widgets/CBackdrop.h"
#include "toolkit/widgets/CWidgetEffectCutout.h"

namespace {

// Whole percent, halves to the even neighbour.
int32_t Percent(float value)
{
    return int32_t(std::lrint(value * 100.0f));
}

tCString PercentText(float value)
{
    return tCString::FromAnsi(std::to_string(Percent(value)));
}

}  // namespace

float CDialDrag::Next(float value)
{
    int32_t quarter = int32_t(value * kQuarters);
    if (!m_first) {
        if (quarter == 3 && m_stamps[2] < m_stamps[0]) {
            value = 0.0f;
            quarter = 0;
        } else if (quarter == 0 && m_stamps[1] < m_stamps[3]) {
            value = 1.0f;
            quarter = 3;
        }
    }
    m_stamps[quarter] = m_counter++;
    m_first = false;
    return value;
}

bool ReadTypedPercent(const tCString& text, float* value)
{
    if (!text.IsInteger())
        return false;
    *value = float(std::clamp(text.ToSaturatedInteger(), 0, 100)) / 100.0f;
    return true;
}

tResult CKS2RadialControl::Init(tMsgArg initArg)
{
    m_pie = new (std::nothrow) CKS2PieWidget;
    if (!m_pie)
        return kResCreateFailed;
    m_pie->SetSize(kPieSize, kPieSize, 0);
    m_pie->GetLayout()->xCentred = 1;
    m_pie->SetVisible(1, 0);
    if (const tResult added = m_widget->AddChild(m_pie, 0); added != kResOk) {
        delete m_pie;
        m_pie = nullptr;
        return added;
    }
    m_pie->GetLayout()->y = kPieTop;
    m_pie->LayoutFromParent(0);
    m_pie->SendToBack(0);
    m_pie->SetLButtonDownProc(DialPressProc, ToMsgArg(this));
    m_pie->SetHeartbeatProc(DialHoverHeartbeatProc, ToMsgArg(this));
    if (auto* hover = new (std::nothrow) CTimeStep(0.0f, 0.0f, 1.0f, 1.0f, false))
        m_pie->SetUserObject(0, hover);
    auto* cutout = new (std::nothrow) CWidgetEffectCutout;
    if (!cutout)
        return kResCreateFailed;
    cutout->SetColour(0xFF000000, 0);
    cutout->SetOffset({1, 1}, 0);
    cutout->SetRadius(2.0f, 0);
    cutout->SetOpacity(128, 0);
    if (m_pie->SetFrontEffect(cutout, 0, 0) != kResOk) {
        delete cutout;
        return kResCreateFailed;
    }
    if (CWidget* box = m_widget->FindWidgetById(kPartValueBox))
        box->SetLButtonDownProc(ValueBoxPressProc, ToMsgArg(this));
    CWidget* label = m_widget->FindWidgetById(kPartLabel);
    if (initArg && *FromMsgArg<uint32_t>(initArg) != 0) {
        m_labelTextId = *FromMsgArg<uint32_t>(initArg);
        SetLabelFromTable(label, m_labelTextId);
    }
    FitWidth(label);
    return kResOk;
}

void CKS2RadialControl::FitWidth(CWidget* label)
{
    m_widget->SetWidth(std::max(label ? label->GetWidth() : 0, kMinWidth), 0);
}

tResult CKS2RadialControl::SetLabel(const tCString& text, uint32_t redraw)
{
    auto* label = dynamic_cast<CTxWidget*>(m_widget ? m_widget->FindWidgetById(kPartLabel) : nullptr);
    if (!label)
        return kResOk;
    label->SetText(text, 1, 0);
    FitWidth(label);
    return redraw ? m_widget->Invalidate(1) : kResOk;
}

tResult CKS2RadialControl::ShowValueText(float value, uint32_t redraw)
{
    auto* text = dynamic_cast<CTxWidget*>(m_widget ? m_widget->FindWidgetById(kPartValueText) : nullptr);
    if (!text)
        return kResOk;
    tCString shown = PercentText(value);
    if (CAppBase* app = GetApplication()) {
        tCString unit;
        app->GetString(unit, kStrPercentUnit, 0);
        shown = shown.Concat(unit.Left(1));
    }
    return text->SetText(shown, 1, redraw);
}

uint32_t CKS2RadialControl::IsEnabled()
{
    return m_widget ? m_widget->IsActive() : 0;
}

tResult CKS2RadialControl::SetEnabled(uint32_t enable, uint32_t, uint32_t redraw)
{
    if (!m_widget)
        return kResOk;
    m_widget->SetActive(enable);
    return redraw ? m_widget->Invalidate(1) : kResOk;
}

void CKS2RadialControl::ApplyValue(float value, bool report)
{
    m_pie->SetValue(value, 0);
    ShowValueText(value, 1);
    if (report)
        Report(kMsgControlValueChanged, ToMsgArg(&value));
}

tResult CKS2RadialControl::HandleMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t apply)
{
    if (message == kMsgControlValue) {
        if (!m_pie)
            return kResHandled;
        if (!b)
            return kResBadParam;
        float* value = FromMsgArg<float>(b);
        if (apply) {
            m_pie->SetValue(*value, 0);
            ShowValueText(*value, 0);
        } else {
            *value = m_pie->GetValue();
        }
        return kResOk;
    }
    if (message == kMsgTextEntered && b && m_pie)
        return TakeTypedEntry(*FromMsgArg<tCString>(b));
    return kResOk;
}

tResult CKS2RadialControl::TakeTypedEntry(const tCString& text)
{
    float value = 0.0f;
    if (ReadTypedPercent(text, &value))
        ApplyValue(value, m_pane != nullptr);
    return kResOk;
}

tResult CKS2RadialControl::DialHoverHeartbeatProc(tMsgArg context, CWidget*)
{
    return FromMsgArg<CKS2RadialControl>(context)->OnHoverTick();
}

tResult CKS2RadialControl::OnHoverTick()
{
    auto* hover = m_pie ? dynamic_cast<CTimeStep*>(m_pie->GetUserObject(0)) : nullptr;
    if (!hover)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    const float target = backdrop && backdrop->GetRolloverWidget() == m_pie ? 255.0f : 0.0f;
    if (hover->GetTarget() != target)
        hover->SetTarget(target);
    const uint32_t amount = uint32_t(std::lround(hover->GetValue()));
    const uint32_t colour = BlendPackedColour(kHoverFrom, kHoverTo, amount);
    if (colour != m_pie->GetFillColour())
        return m_pie->SetFillColour(colour, 1);
    return kResOk;
}

tResult CKS2RadialControl::DialPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CKS2RadialControl>(context)->OnDialPress();
}

tResult CKS2RadialControl::OnDialPress()
{
    CBackdrop* backdrop = GetMainBackdrop();
    if (backdrop)
        backdrop->PushModal(m_pie);
    tCPoint previous{-100, -100};
    CDialDrag drag;
    float value = m_pie->GetValue();
    // The pump may take in the release and moves after it: the drag ends where the button came
    // up, not where the pointer went after.
    CButtonPress press;
    tCPoint point;
    while (press.NextRound(&point)) {
        m_pie->ScreenToLocalPoint(&point);
        if (point == previous)
            continue;
        value = drag.Next(m_pie->ValueFromPoint(&point));
        ApplyValue(value, m_pane && m_liveReport == 1);
        previous = point;
    }
    if (backdrop)
        backdrop->PopModal();
    if (m_pane && m_liveReport == 0)
        Report(kMsgControlValueChanged, ToMsgArg(&value));
    return kResOk;
}

tResult CKS2RadialControl::ValueBoxPressProc(tMsgArg context, CWidget* widget, CWidget** takenBy, tCPoint*)
{
    *takenBy = widget;
    return FromMsgArg<CKS2RadialControl>(context)->OnValueBoxPress(widget);
}

tResult CKS2RadialControl::OnValueBoxPress(CWidget* box)
{
    if (!m_pie)
        return kResOk;
    CBackdrop* backdrop = GetMainBackdrop();
    const float start = m_pie->GetValue();
    if (backdrop)
        backdrop->PushModalSharedHeartbeat(box);
    // As the dial's drag: the last round reads where the button came up.
    CButtonPress press;
    const tCPoint first = press.Start();
    tCPoint last = first;
    bool dragging = false;
    int32_t anchor = 0;
    tCPoint point;
    while (press.NextRound(&point)) {
        if (point == last)
            continue;
        if (!dragging) {
            if (point.y < first.y - kDragSlack || point.y > first.y + kDragSlack) {
                dragging = true;
                anchor = point.y;
            }
            continue;
        }
        const float value = std::clamp(start + float(anchor - point.y) * kDragPerPixel, 0.0f, 1.0f);
        ApplyValue(value, m_pane != nullptr);
        last = point;
    }
    if (backdrop)
        backdrop->PopModal();
    return dragging ? kResOk : OpenTypedEntry(box, start);
}

tResult CKS2RadialControl::OpenTypedEntry(CWidget* box, float start)
{
    const tCRect rect = box->GetRect();
    tCPoint point{(rect.left + rect.right) >> 1, (rect.top + rect.bottom) >> 1};
    if (CWidget* parent = box->GetParent())
        parent->LocalToRootPoint(&point);
    tCString title;
    if (CAppBase* app = GetApplication()) {
        tCString unit;
        app->GetString(title, m_labelTextId, 0);
        // A dial without a label of the table asks without one.
        if (title.GetLength() >= 2 && title.GetAt(0) == u'%' && title.GetAt(1) == u'%')
            title = tCString();
        app->GetString(unit, kStrPercentUnit, 0);
        title = title.Concat(u" ").Concat(unit);
    }
    ShowHostNumberPrompt(this, point, PercentText(start), title);
    return kResOk;
}
