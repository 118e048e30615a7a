#pragma once

#include <cstdint>

#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "paint/tools/ToolPropertyList.h"
#include "toolkit/core/tCStream.h"

// What the crayon and the eraser share on top of their own bases: a softness (0..1, default 0.5)
// that shapes the nib, its property list (the common property, the softness, reset), the
// properties' values, their reset and the extra settings that hold the softness. The softness is
// listed, reported and written but not set, neither by SetProperty nor from a record: it keeps
// 0.5, with which both tools behave as designed.
template <typename Base>
class CSoftNibTool : public Base {
public:
    void Reset() override
    {
        m_softness = 0.5f;
        Base::Reset();
    }

    tResult GetPropertyList(tCArray<CToolProperty*>* list) override
    {
        return AppendToolProperties(list, {{kPropertyPressure, kPropertySlider},
                                           {kPropertySoftness, kPropertySlider},
                                           {kPropertyReset, kPropertyAction}});
    }
    // Sets only the common property.
    tResult SetProperty(uint32_t textId, float value) override
    {
        if (textId == kPropertyPressure)
            this->SetCommonProperty(value);
        return kResOk;
    }
    float GetProperty(uint32_t textId) const override
    {
        if (textId == kPropertyPressure)
            return this->GetCommonProperty();
        return textId == kPropertySoftness ? m_softness : 0.0f;
    }

    float GetSoftness() const { return m_softness; }

protected:
    tResult WriteExtraSettings(tCStream* stream) override { return stream->WriteFloat(m_softness); }

    float m_softness = 0.5f;
};
