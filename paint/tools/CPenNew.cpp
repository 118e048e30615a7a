#include "paint/tools/CPenNew.h"

#include <algorithm>
#include <cmath>

#include "paint/engine/SafeConvert.h"
#include "paint/engine/StrokeContext.h"
#include "paint/tools/CToolProperty.h"
#include "paint/tools/ToolMessages.h"
#include "paint/tools/ToolPropertyList.h"
#include "toolkit/core/tCStream.h"

namespace {

constexpr float kPerByte = 0.0039215689f;
// Narrower than this the nib is drawn this wide, its ink lighter.
constexpr float kNewPenNarrowestInk = 2.5f;

// One channel of the colour of hue `h` (turns) between the levels m1 and m2.
float HueChannel(float m1, float m2, float h)
{
    if (h < 0.0f)
        h += 1.0f;
    else if (h > 1.0f)
        h -= 1.0f;
    if (h < 1.0f / 6.0f)
        return m1 + (m2 - m1) * h * 6.0f;
    if (h < 0.5f)
        return m2;
    if (h < 2.0f / 3.0f)
        return m1 + (m2 - m1) * (2.0f / 3.0f - h) * 6.0f;
    return m1;
}

uint32_t ChannelByte(float value) { return uint32_t(std::clamp(RoundEvenToInt32(value * 255.0f + 0.4f), 0, 255)); }

}  // namespace

CPenNew::CPenNew() { m_id = kToolPen; }

void CPenNew::Reset()
{
    m_inkFlow = m_nibSoftness = 0.5f;
    CToolBase::Reset();
}

void CPenNew::ApplySettings()
{
    const float g = 0.2f * m_inkFlow + 0.6f;
    for (int32_t i = 0; i < kNibEntries; ++i) {
        const float x = (float(i) - 59.5f) / 59.5f;
        const float y = 1.0f - x * x;
        m_nibTable[1][i] = 1.0f - 0.95f * y / (1.0f - 0.75000002f * (1.0f - y));
        m_nibTable[0][i] = y / (1.0f + (1.0f / g - 2.0f) * (1.0f - y));
    }
}

float CPenNew::GetNibWidth(float pressure) const
{
    const float p = ClampUnit(pressure);
    const float s = std::sqrt(1.0f - p * p);
    const float f = 1.0f - s * m_nibSoftness;
    const float w = GetMinNibWidth() + (GetMaxNibWidth() - GetMinNibWidth()) * (m_size + 0.01f) * f;
    m_lastNibWidth = w;
    return std::max(w, kNewPenNarrowestInk);
}

uint32_t CPenNew::InkFromColour(uint32_t colour)
{
    const float r = float((colour >> 16) & 255) * kPerByte;
    const float g = float((colour >> 8) & 255) * kPerByte;
    const float b = float(colour & 255) * kPerByte;
    const float most = std::max({r, g, b}), least = std::min({r, g, b});
    const float lightness = (most + least) / 2.0f;
    if (!(lightness > 0.5f))
        return colour;
    const float d = 2.0f - 2.0f * lightness;
    const uint32_t alpha = uint32_t(
        std::clamp(RoundEvenToInt32(double(colour >> 24) * d / (1.0f + (1.0f - d) * 1.3333332f)), 0, 255));
    if (most == least)
        return alpha << 24 | 0x808080u;
    const float spread = most - least;
    const float saturation = spread / (2.0f - most - least);
    float hue = 0.0f;
    if (most == r)
        hue = (g - b) / spread;
    else if (most == g)
        hue = (b - r) / spread + 2.0f;
    else
        hue = (r - g) / spread + 4.0f;
    hue /= 6.0f;
    if (hue < 0.0f)
        hue += 1.0f;
    const float m2 = (saturation + 1.0f) / 2.0f, m1 = 1.0f - m2;
    return alpha << 24 | ChannelByte(HueChannel(m1, m2, hue + 1.0f / 3.0f)) << 16 |
           ChannelByte(HueChannel(m1, m2, hue)) << 8 | ChannelByte(HueChannel(m1, m2, hue - 1.0f / 3.0f));
}

void CPenNew::LoadNib()
{
    m_inkColour = InkFromColour(GetPaintColour());
    std::fill(std::begin(m_loadedNib.entries), std::end(m_loadedNib.entries), Cell{m_inkColour, 0, 0, 0, 0});
}

tResult CPenNew::GetPropertyList(tCArray<CToolProperty*>* list)
{
    return AppendToolProperties(list, {{kPropertyPressure, kPropertySlider},
                                       {kPropertySoftness, kPropertySlider},
                                       {kPropertyInkFlow, kPropertySlider},
                                       {kPropertyReset, kPropertyAction}});
}

tResult CPenNew::SetProperty(uint32_t textId, float value)
{
    if (textId == kPropertyPressure)
        SetCommonProperty(value);
    ApplySettings();
    return kResOk;
}

float CPenNew::GetProperty(uint32_t textId) const
{
    switch (textId) {
    case kPropertyPressure:
        return GetCommonProperty();
    case kPropertySoftness:
        return m_nibSoftness;
    case kPropertyInkFlow:
        return m_inkFlow;
    default:
        return 0.0f;
    }
}

tResult CPenNew::WriteExtraSettings(tCStream* stream)
{
    TK_TRY(stream->WriteFloat(m_nibSoftness));
    return stream->WriteFloat(m_inkFlow);
}

tResult CPenNew::ReadExtraSettings(tCStream* stream)
{
    float nibSoftness = 0.0f, inkFlow = 0.0f;
    TK_TRY(stream->ReadFloat(&nibSoftness));
    TK_TRY(stream->ReadFloat(&inkFlow));
    ApplySettings();
    return kResOk;
}
