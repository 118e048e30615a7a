#include "paint/tools/CToolBase.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/IShellServices.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"

CToolBase::CToolBase() = default;

CToolBase::~CToolBase() = default;

tResult CToolBase::OnMessage(uint32_t message, tMsgArg, tMsgArg b, tMsgArg, uint32_t apply)
{
    switch (message) {
    case kMsgToolSize:
        if (apply)
            SetSize(*FromMsgArg<float>(b));
        else
            *FromMsgArg<float>(b) = m_size;
        return kResOk;
    case kMsgColourChanged:
        m_changed = 1;
        return kResOk;
    case kMsgToolMinNibWidth:
        *FromMsgArg<float>(b) = GetMinNibWidth();
        return kResOk;
    case kMsgToolMaxNibWidth:
        *FromMsgArg<float>(b) = GetMaxNibWidth();
        return kResOk;
    case kMsgToolPropertyList:
        return GetPropertyList(FromMsgArg<tCArray<CToolProperty*>>(b));
    case kMsgToolPropertyValue: {
        ToolPropertyValue* record = FromMsgArg<ToolPropertyValue>(b);
        if (apply)
            return SetProperty(record->textId, record->value);
        record->value = GetProperty(record->textId);
        return kResOk;
    }
    case kMsgToolReset:
        Reset();
        return kResOk;
    default:
        return kResOk;
    }
}

void CToolBase::Reset()
{
    m_commonProperty = 0.5f;
    ApplySettings();
}

void CToolBase::Invalidate()
{
    m_changed = 1;
    ApplySettings();
}

void CToolBase::SetSize(float size)
{
    if (!std::isfinite(size))
        return;
    m_size = std::clamp(size, 0.01f, 10.0f);
    Invalidate();
}

float CToolBase::GetNibWidth(float) const
{
    return (GetMaxNibWidth() - GetMinNibWidth()) * m_size + GetMinNibWidth();
}

void CToolBase::SetCommonProperty(float value)
{
    if (std::isfinite(value))
        m_commonProperty = std::clamp(value, 0.0f, 1.0f);
}

uint32_t CToolBase::SetCleanBrush(uint32_t clean)
{
    m_cleanBrush = clean;
    if (clean)
        m_changed = 1;
    return clean;
}

void CToolBase::ColourChanged() { (void)OnMessage(kMsgColourChanged, 0, 0, 0, kMsgApply); }

uint32_t CToolBase::SetStrokeCount(uint32_t count)
{
    m_strokeCount = count;
    return 0;
}

int32_t CToolBase::SetStrokePosition(int32_t position)
{
    m_strokePosition = uint32_t(position);
    return position;
}

tResult CToolBase::GetPropertyList(tCArray<CToolProperty*>*) { return kResOk; }

tResult CToolBase::SetProperty(uint32_t, float) { return kResOk; }

float CToolBase::GetProperty(uint32_t) const { return 0.0f; }

tResult CToolBase::WriteExtraSettings(tCStream*) { return kResOk; }

tResult CToolBase::ReadExtraSettings(tCStream*) { return kResOk; }

void CToolBase::LoadNib()
{
    const Cell paint{GetPaintColour(), 5, 0, 0, 0};
    std::fill(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), paint);
}

uint32_t CToolBase::GetPaintColour() const { return m_services ? m_services->GetPaintColour() : 0xFF000000u; }

float CToolBase::GetPaintValue() const { return m_services ? m_services->GetPaintValue() : 0.0f; }

void CToolBase::PickUpSample(const Cell*, Cell*, int32_t) {}

CToolBase* FindToolById(CToolBase* const* tools, int32_t count, uint32_t id)
{
    for (int32_t i = 0; i < count; ++i)
        if (tools[i] && tools[i]->GetToolId() == id)
            return tools[i];
    return nullptr;
}
