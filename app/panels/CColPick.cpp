#include "app/panels/CColPick.h"

#include <new>

#include "app/panels/ColourNotice.h"
#include "app/panels/ColourWheel.h"
#include "app/panels/PresentWhenActive.h"
#include "app/shell/BackboneMessages.h"
#include "app/shell/controls/CKS2Button.h"
#include "app/shell/controls/CKS2Checkbox.h"
#include "app/shell/panes/CKS2PopupManager.h"
#include "app/shell/panes/CKS2PopupMenu.h"
#include "app/shell/panes/IPaneHost.h"
#include "toolkit/core/CAppBase.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"
#include "toolkit/widgets/CCoWidget.h"
#include "toolkit/widgets/CImWidget.h"

namespace {

constexpr uint32_t kMsgFloatingColour = 0xFF001032;

template <typename Widget>
Widget* FindAs(CWidget* parent, uint32_t id)
{
    return parent ? dynamic_cast<Widget*>(parent->FindWidgetById(id)) : nullptr;
}

uint32_t QueryWord(uint32_t message, tCCmdTarget* sender)
{
    uint32_t value = 0;
    if (tCCmdTarget::QueryBackbone(message, ToMsgArg(sender), ToMsgArg(&value), 0) != kResOk)
        return 0;
    return value;
}

bool BackboneHasTracingImage(tCCmdTarget* sender)
{
    CImage* image = nullptr;
    return tCCmdTarget::QueryBackbone(kMsgGetTracingImage, ToMsgArg(sender), ToMsgArg(&image), 0) == kResOk &&
           image != nullptr;
}

}  // namespace

CColPick::CColPick()
{
    m_rootId = int32_t(kRoot);
    m_handleId = int32_t(kHandle);
    m_rootKind = kRootImage;
    m_side0Pos = {-3.0f, -3.0f};
    m_side1Pos = {-133.0f, -133.0f};
}

CColPick::~CColPick()
{
    delete m_shine;
    delete m_modeButton;
    for (int32_t i = 0; i < m_controls.GetCount(); ++i)
        delete m_controls[i];
    m_controls.RemoveAll();
}

tResult CColPick::FindWidgets()
{
    m_strip = FindAs<CImWidget>(m_root, kStrip);
    m_wheel = FindAs<CImWidget>(m_root, kWheel);
    m_swatch1 = FindAs<CCoWidget>(m_root, kSwatch1);
    m_swatch2 = FindAs<CCoWidget>(m_root, kSwatch2);
    if (!m_strip || !m_wheel || !m_swatch1 || !m_swatch2)
        return kResResourceNotFound;
    m_swatch1->SetOpaqueThreshold(kSwatchThreshold);
    m_strip->SetLButtonDownProc(StripPressProc, ToMsgArg(this));
    m_wheel->SetLButtonDownProc(WheelPressProc, ToMsgArg(this));
    m_stripMarker = m_strip->FindWidgetById(kStripMarker);
    m_wheelMarker = m_wheel->FindWidgetById(kWheelMarker);
    return m_stripMarker && m_wheelMarker ? kResOk : kResResourceNotFound;
}

tResult CColPick::AttachControls()
{
    m_shine = new (std::nothrow) CKS2Checkbox;
    if (!m_shine)
        return kResCreateFailed;
    TK_TRY(m_shine->Attach(m_root->FindWidgetById(kShine), this, 0, -1));
    m_modeButton = new (std::nothrow) CKS2Button;
    if (!m_modeButton)
        return kResCreateFailed;
    return m_modeButton->Attach(m_root->FindWidgetById(kModeButton), this, 0, -1);
}

tResult CColPick::Build()
{
    TK_TRY(FindWidgets());
    TK_TRY(AttachControls());
    uint32_t colour = m_model.GetColour();
    if (QueryBackbone(kMsgPaintColour, ToMsgArg(this), ToMsgArg(&colour), 0) == kResOk)
        m_model.SetColour(colour);
    m_notice = m_root->FindWidgetById(kNotice);
    if (m_notice) {
        auto* button = new (std::nothrow) CKS2Button;
        if (!button)
            return kResCreateFailed;
        if (const tResult added = m_controls.Add(button); added != kResOk) {
            delete button;
            return added;
        }
        TK_TRY(button->Attach(m_notice, this, 0, int32_t(m_notice->GetId())));
        BuildColourNotice(m_notice);
    }
    ClearWheel();
    TK_TRY(RenderWheel());
    TK_TRY(RenderStrip());
    TK_TRY(RedrawSwatches());
    return PlaceMarkers();
}

void CColPick::ClearWheel()
{
    // The corners beyond the ring keep what the picture holds: nothing, so that the panel
    // shows there and presses pass by.
    if (CImage* image = m_wheel->GetImage(); image && image->IsValid() && !image->IsCompressed()) {
        CImNav view(image);
        view.Fill(0);
    }
}

tResult CColPick::RedrawSwatches()
{
    const uint32_t opaque = m_model.GetColour() | 0xFF000000u;
    TK_TRY(m_swatch1->SetColour(opaque, 0));
    return m_swatch2->SetColour(opaque, 0);
}

tResult CColPick::RedrawColour()
{
    const int32_t mode = m_model.GetMode();
    const tShown now{mode, m_model.GetColour(), m_model.GetHls()};
    if (m_shown == now)
        return kResOk;
    m_shown.reset();
    if (mode == CColourModel::kHueLightness || mode == CColourModel::kHueSaturation)
        TK_TRY(RenderStrip());
    else if (mode == CColourModel::kLightnessSaturation)
        TK_TRY(RenderWheel());
    TK_TRY(RedrawSwatches());
    TK_TRY(PlaceMarkers());
    m_shown = now;
    return kResOk;
}

tResult CColPick::SetMode(int32_t mode)
{
    m_model.SetMode(mode);
    m_shown.reset();
    if (m_wheelMarker)
        m_wheelMarker->SetVisible(1, 0);
    TK_TRY(RenderWheel());
    TK_TRY(RenderStrip());
    return PlaceMarkers();
}

tResult CColPick::RenderWheel()
{
    if (!m_wheel)
        return kResBadParam;
    CImage* image = m_wheel->GetImage();
    if (!image || !image->IsValid() || image->IsCompressed())
        return kResNoMemory;
    CImage mask;
    if (mask.GetFromRes(kWheelMask, nullptr, nullptr) != kResOk)
        return kResResourceNotFound;
    TK_TRY(PaintWheel(image, &mask, m_model));
    TK_TRY(m_wheel->RefreshEffects(0));
    return m_wheel->Invalidate(0);
}

tResult CColPick::RenderStrip()
{
    if (!m_strip)
        return kResBadParam;
    CImage* image = m_strip->GetImage();
    if (!image || !image->IsValid() || image->IsCompressed())
        return kResNoMemory;
    TK_TRY(PaintStrip(image, m_model));
    return m_strip->Invalidate(0);
}

tResult CColPick::PlaceMarkers()
{
    if (!m_strip || !m_wheel || !m_wheelMarker || !m_stripMarker)
        return kResBadParam;
    const tCPoint markerSize{m_wheelMarker->GetWidth(), m_wheelMarker->GetHeight()};
    const tCPoint at = WheelMarkerPlace(m_model, m_wheel->GetWidth(), markerSize);
    TK_TRY(m_wheelMarker->SetPosition(at.x, at.y, 0));
    TK_TRY(m_stripMarker->SetYPosition(StripMarkerY(m_model, m_strip->GetHeight(), m_stripMarker->GetHeight()), 0));
    return PresentWhenActive(m_wheel);
}

void CColPick::ApplyTracingState(uint32_t value, uint32_t present)
{
    if (!BackboneHasTracingImage(this))
        value = 0;
    CWidget* mark = m_root ? m_root->FindWidgetById(kNoticeMark) : nullptr;
    if (!m_notice || !mark || !m_wheel)
        return;
    const uint32_t shown = value == 0;
    m_wheel->SetVisible(shown && GetSide() == 0, 0);
    if (m_strip)
        m_strip->SetVisible(shown, 0);
    if (m_swatch2)
        m_swatch2->SetVisible(shown && GetSide() != 0, 0);
    m_notice->SetVisible(!shown, 0);
    mark->SetVisible(!shown, 0);
    if (present)
        PresentWhenActive(m_root);
}

tResult CColPick::OnSideChanging(uint32_t side)
{
    if (side == 0 && m_notice && !m_notice->IsVisible()) {
        if (m_swatch2)
            m_swatch2->SetVisible(0, 0);
        if (m_wheel)
            m_wheel->SetVisible(1, 0);
    }
    return kResOk;
}

tResult CColPick::OnSideReached()
{
    if (GetSide() != 0 && m_notice && !m_notice->IsVisible()) {
        if (m_swatch2)
            m_swatch2->SetVisible(1, 0);
        if (m_wheel)
            m_wheel->SetVisible(0, 0);
    }
    return kResOk;
}

tResult CColPick::OpenModePopup()
{
    CKS2PopupManager* popups = GetHostPopupManager();
    CWidget* button = m_modeButton ? m_modeButton->GetWidget() : nullptr;
    if (!popups || !button)
        return kResOk;
    const uint32_t tracingItem = kStrMenuTracingColours;
    const tPopupIdList disabled{&tracingItem, BackboneHasTracingImage(this) ? 0 : 1};
    uint32_t checkedIds[2];
    int32_t checkedCount = 0;
    if (QueryWord(kMsgTraceColourPick, this) != 0)
        checkedIds[checkedCount++] = tracingItem;
    checkedIds[checkedCount++] = kStrColourModeFirst + uint32_t(m_model.GetMode());
    const tPopupIdList checked{checkedIds, checkedCount};
    tCPoint anchor{button->GetRect().right, button->GetRect().top};
    if (CWidget* parent = button->GetParent())
        parent->LocalToRootPoint(&anchor);
    return popups->ShowPopup(this, kModeMenu, 0, anchor, kPopupDirection, &disabled, &checked);
}

tResult CColPick::AnswerPopup(tMsgArg menu, tMsgArg item)
{
    const auto* popup = dynamic_cast<const CKS2PopupMenu*>(FromMsgArg<tCCmdTarget>(menu));
    if (!popup)
        return kResBadParam;
    const auto id = int32_t(intptr_t(item));
    tCString name;
    if (CAppBase* app = GetApplication())
        app->GetString(name, kModeMenu, 0);
    if (id == -1 || !(popup->GetName() == name))
        return kResHandled;
    const auto chosen = uint32_t(id);
    if (chosen >= kStrColourModeFirst && chosen < kStrColourModeFirst + kStrColourModeCount)
        SetMode(int32_t(chosen - kStrColourModeFirst));
    else if (chosen == kStrMenuTracingColours) {
        uint32_t value = QueryWord(kMsgTraceColourPick, this) ? 0 : 1;
        TK_TRY(SendToBackbone(kMsgTraceColourPick, ToMsgArg(this), ToMsgArg(&value), 0));
    }
    return kResHandled;
}

tResult CColPick::SendColour()
{
    return SendToBackbone(kMsgColourChanged, ToMsgArg(this), m_model.GetColour(), 0);
}

tResult CColPick::HandleMessage(uint32_t message, tMsgArg a, tMsgArg b, tMsgArg c, uint32_t apply)
{
    switch (message) {
    case kMsgColourChanged:
        if (!apply)
            return kResOk;
        if (a != ToMsgArg(this) && uint32_t(b) != m_model.GetColour())
            m_model.SetColour(uint32_t(b));
        return RedrawColour();
    case kMsgLoadTracingImage:
    case kMsgTracingImage:
        ApplyTracingState(QueryWord(kMsgTraceColourPick, this), 1);
        return kResOk;
    case kMsgTraceColourPick: {
        const auto* value = FromMsgArg<uint32_t>(b);
        ApplyTracingState(value ? *value : 0, 1);
        return kResOk;
    }
    case kMsgRemoveTracingImage:
        ApplyTracingState(0, 1);
        return kResOk;
    case kMsgCheckboxToggled:
        if (m_shine && a == ToMsgArg(m_shine)) {
            float shine = b != 0 ? 1.0f : 0.0f;
            return SendToBackbone(kMsgColourChannel, ToMsgArg(this), ToMsgArg(&shine), 0);
        }
        return kResOk;
    case kMsgControlPressed:
        if (m_modeButton && a == ToMsgArg(m_modeButton)) {
            OpenModePopup();
            return kResHandled;
        }
        return kResOk;
    case kMsgControlClicked:
        for (int32_t i = 0; i < m_controls.GetCount(); ++i) {
            if (a == ToMsgArg(m_controls[i]) && m_controls[i]->GetControlId() == int32_t(kNotice)) {
                uint32_t off = 0;
                return SendToBackbone(kMsgTraceColourPick, ToMsgArg(this), ToMsgArg(&off), 0);
            }
        }
        return kResOk;
    case kMsgPopupChoice:
        return a ? AnswerPopup(a, b) : kResOk;
    case kMsgFloatingColour:
        return SendToBackbone(kMsgColourChanged, ToMsgArg(GetMainBackdropWidget()), b, c);
    case kMsgColourChannel: {
        const auto* shine = FromMsgArg<float>(b);
        return m_shine && shine ? m_shine->SetChecked(*shine != 0.0f, 1) : kResOk;
    }
    default: return kResOk;
    }
}
