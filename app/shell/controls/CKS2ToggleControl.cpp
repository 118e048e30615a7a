#include "app/shell/controls/CKS2ToggleControl.h"

#include <algorithm>
#include <new>

#include "app/shell/controls/CKS2FreeButton.h"
#include "toolkit/core/CTextList.h"
#include "toolkit/text/CTxWidget.h"

CKS2ToggleControl::~CKS2ToggleControl()
{
    delete m_inner;
}

tResult CKS2ToggleControl::Init(tMsgArg initArg)
{
    CWidget* title = m_widget->FindWidgetById(kPartTitle);
    if (!title)
        return kResResourceNotFound;
    if (initArg)
        SetLabelFromTable(title, *FromMsgArg<uint32_t>(initArg));
    const int32_t width = std::max(title->GetWidth() + kTitleMargin, kMinWidth);
    if (width > m_widget->GetWidth())
        m_widget->SetWidth(width, 0);
    CWidget* toggle = m_widget->FindWidgetById(kPartSwitch);
    if (!toggle)
        return kResResourceNotFound;
    toggle->SetWidth(width - kTitleMargin, 0);
    delete m_inner;
    m_inner = new (std::nothrow) CKS2FreeButton;
    if (!m_inner || m_inner->Attach(toggle, this, 0, int32_t(toggle->GetId())) != kResOk) {
        delete m_inner;
        m_inner = nullptr;
        return kResCreateFailed;
    }
    CTextList* texts = CTextList::NewFromResourceId(kStateTexts, nullptr, nullptr);
    if (!texts) {
        delete m_inner;
        m_inner = nullptr;
        return kResCreateFailed;
    }
    CTxWidget* label = StateLabel();
    if (!label) {
        delete texts;
        return kResOk;
    }
    label->SetTextList(texts);
    // Drawing the text may fail (no font); the state is held all the same.
    label->SetTextListIndex(0, 1, 0);
    return kResOk;
}

CTxWidget* CKS2ToggleControl::StateLabel() const
{
    return m_inner ? m_inner->GetLabel() : nullptr;
}

tResult CKS2ToggleControl::Relayout(uint32_t redraw)
{
    CWidget* toggle = m_widget ? m_widget->FindWidgetById(kPartSwitch) : nullptr;
    if (!toggle)
        return kResOk;
    toggle->SetWidth(m_widget->GetWidth() - kTitleMargin, 0);
    if (m_inner)
        TK_TRY(m_inner->BuildLook(0));
    return redraw ? m_widget->Invalidate(1) : kResOk;
}

uint32_t CKS2ToggleControl::IsEnabled()
{
    return m_widget ? m_widget->IsActive() : 0;
}

tResult CKS2ToggleControl::SetEnabled(uint32_t enable, uint32_t, uint32_t)
{
    if (m_widget)
        m_widget->SetActive(enable);
    return kResOk;
}

tResult CKS2ToggleControl::HandleMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t apply)
{
    CTxWidget* label = StateLabel();
    if (!label)
        return kResOk;
    if (message == kMsgControlClicked) {
        float value = label->GetTextListIndex() == 0 ? 1.0f : 0.0f;
        OnMessage(kMsgControlValue, ToMsgArg(this), ToMsgArg(&value), 0, kMsgApply);
        Report(kMsgControlValueChanged, ToMsgArg(&value));
        return m_widget ? m_widget->Invalidate(1) : kResOk;
    }
    if (message == kMsgControlValue && b) {
        float* value = FromMsgArg<float>(b);
        if (apply) {
            label->SetTextListIndex(*value == 0.0f ? 0 : 1, 1, 0);
            return kResOk;
        }
        *value = float(label->GetTextListIndex());
    }
    return kResOk;
}
