#include "toolkit/widgets/CShadWidget.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/ErrorBox.h"
#include "toolkit/core/tCStream.h"
#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/PixelBlend.h"

namespace {

float Falloff(float x)
{
    return std::exp(-x * x * 0.5f);
}

// One axis of N entries fading towards its first side, its far side, or both.
void FillAxis(tCArray<float>& table, bool first, bool far, float falloff)
{
    const int64_t n = table.GetCount();
    std::fill(table.begin(), table.end(), 1.0f);
    if ((!first && !far) || n < 2)
        return;
    if (!(falloff >= 0)) {
        const float s = 3.5f / float(n - 1);
        for (int64_t i = 0; i < n; ++i) {
            if (first && far)
                table[int32_t(i)] = Falloff(2.0f * float(i) * s - 3.5f);
            else if (far)
                table[int32_t(i)] = Falloff(float(i) * s);
            else
                table[int32_t(n - 1 - i)] = Falloff(float(i) * s);
        }
        return;
    }
    // The length is cut to the axis before it becomes an integer, so that no falloff overflows.
    const int64_t most = first && far ? (n + 1) / 2 : n;
    const int64_t length = std::llround(std::min(3.5 * double(falloff), double(most)));
    const float s = 3.5f / std::max(1.0f, 3.5f * falloff);
    for (int64_t i = 0; i < length; ++i) {
        const float g = Falloff(float(i) * s);
        if (first)
            table[int32_t(length - 1 - i)] = g;
        if (far)
            table[int32_t(n - length + i)] = g;
    }
}

}  // namespace

CShadWidget::CShadWidget() : CCoWidget(kType)
{
    (void)SetColour(0xFF000000, 0);
}

tResult CShadWidget::BuildFalloffTables()
{
    TK_TRY(m_columns.SetCount(std::max(GetWidth(), 0)));
    TK_TRY(m_rows.SetCount(std::max(GetHeight(), 0)));
    FillAxis(m_columns, m_sides & kLeft, m_sides & kRight, m_falloff);
    FillAxis(m_rows, m_sides & kTop, m_sides & kBottom, m_falloff);
    m_tablesDirty = 0;
    return kResOk;
}

tResult CShadWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    if (m_tablesDirty)
        TK_TRY(BuildFalloffTables());
    const tCRect area = clip->Intersect({0, 0, m_columns.GetCount(), m_rows.GetCount()});
    if (area.IsEmpty())
        return kResOk;
    CImNav view(target, area);
    if (!view.IsLocked())
        return kResNoMemory;
    const tCRect local = view.GetClip().Offset({-target->GetOrigin().x, -target->GetOrigin().y});
    uint32_t colour = 0;
    const CPixel rgb = *GetColour(&colour) & 0x00FFFFFF;
    const float strength = float(std::min(opacity, 255u));
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        const float row = m_rows[int32_t(local.top + y)] * strength;
        CPixel* out = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x) {
            const uint32_t a = uint32_t(std::lround(m_columns[int32_t(local.left + x)] * row));
            PixelBlendHook(&out[x], rgb | a << 24);
        }
    }
    return kResOk;
}

tResult CShadWidget::OnSizeChanged()
{
    m_tablesDirty = 1;
    return kResOk;
}

tResult CShadWidget::Changed(uint32_t present)
{
    m_tablesDirty = 1;
    return Invalidate(present);
}

tResult CShadWidget::SetSides(uint32_t mask, uint32_t present)
{
    m_sides = mask;
    return Changed(present);
}

tResult CShadWidget::AddSides(uint32_t bits, uint32_t present)
{
    m_sides |= bits;
    return Changed(present);
}

tResult CShadWidget::RemoveSides(uint32_t bits, uint32_t present)
{
    m_sides &= ~bits;
    return Changed(present);
}

tResult CShadWidget::SetFalloff(float falloff, uint32_t present)
{
    m_falloff = falloff;
    return Changed(present);
}

tResult CShadWidget::ReadDataBlock(tCStream* stream)
{
    CWidgetDataHolder holder;
    return ReadBlockWith(stream, &holder, kWidgetBlockTexts,
                         [](CWidget* widget, uint32_t tag, tCStream* block, CWidgetDataHolder* h) {
                             return static_cast<CShadWidget*>(widget)->ParseDataChunk(tag, block, h);
                         });
}

tResult CShadWidget::ParseDataChunk(uint32_t tag, tCStream* block, CWidgetDataHolder* holder)
{
    static constexpr struct {
        uint32_t tag;
        uint32_t side;
    } kSideChunks[] = {{MakeFourCC("swst"), kTop},
                       {MakeFourCC("swsb"), kBottom},
                       {MakeFourCC("swsl"), kLeft},
                       {MakeFourCC("swsr"), kRight}};
    uint32_t side = 0;
    for (const auto& chunk : kSideChunks)
        if (chunk.tag == tag)
            side = chunk.side;
    if (!side && tag != MakeFourCC("swrd"))
        return CCoWidget::ParseDataChunk(tag, block, holder);
    float falloff = 0;
    uint32_t value = 0;
    const tResult result = side ? block->ReadU32(&value) : block->ReadFloat(&falloff);
    if (result != kResOk) {
        ReportResult(kResResourceRead, ("ShadWidget " + FourCCText(tag) + ".").c_str());
        return result;
    }
    if (!side)
        return SetFalloff(falloff, 1);
    return value == 1 ? AddSides(side, 0) : RemoveSides(side, 0);
}
