#include "toolkit/widgets/CWidgetEffectBorder.h"

#include "toolkit/imaging/PixelBlend.h"
#include "toolkit/widgets/EffectPixelLoops.h"

namespace {

// The masks in the order of each array.
constexpr uint32_t kColourOrder[4] = {CWidgetEffectBorder::kTop, CWidgetEffectBorder::kLeft,
                                      CWidgetEffectBorder::kBottom, CWidgetEffectBorder::kRight};
constexpr uint32_t kPatternOrder[4] = {CWidgetEffectBorder::kTop, CWidgetEffectBorder::kLeft,
                                       CWidgetEffectBorder::kRight, CWidgetEffectBorder::kBottom};

template <typename Visit>
void ForEachEdge(const uint32_t (&order)[4], uint32_t edges, Visit visit)
{
    for (int32_t i = 0; i < 4; ++i)
        if (edges & order[i])
            visit(i);
}

uint32_t IndexOf(const uint32_t (&order)[4], uint32_t edge)
{
    for (uint32_t i = 0; i < 4; ++i)
        if (order[i] == edge)
            return i;
    return 0;
}

}  // namespace

tResult CWidgetEffectBorder::Update()
{
    const tCRect area = OwnerArea();
    if (!area.IsEmpty())
        m_rect = area;
    return kResOk;
}

tResult CWidgetEffectBorder::UpdateFromImage(CImage*)
{
    return Update();
}

tResult CWidgetEffectBorder::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0)
        return kResOk;
    const tCRect clip = rect->Intersect(m_rect);
    if (clip.IsEmpty())
        return kResOk;
    // Each edge of the effect rect that the clip reaches, in the order left, top, right, bottom:
    // the column or row of the clip along it. Corners are painted twice.
    const struct {
        bool touches;
        tCRect line;
        uint32_t colour;
    } edges[4] = {
        {clip.left == 0, {clip.left, clip.top, clip.left + 1, clip.bottom}, GetEdgeColour(kLeft)},
        {clip.top == 0, {clip.left, clip.top, clip.right, clip.top + 1}, GetEdgeColour(kTop)},
        {clip.right == m_rect.right, {clip.right - 1, clip.top, clip.right, clip.bottom}, GetEdgeColour(kRight)},
        {clip.bottom == m_rect.bottom, {clip.left, clip.bottom - 1, clip.right, clip.bottom}, GetEdgeColour(kBottom)},
    };
    for (const auto& edge : edges) {
        if (!edge.touches)
            continue;
        const CPixel colour = (edge.colour & 0x00FFFFFF) | ScaledAlpha(edge.colour, opacity) << 24;
        TK_TRY(ForEachTargetPixel(target, edge.line,
                                  [colour](CPixel* pixel, int32_t, int32_t) { PixelBlendHook(pixel, colour); }));
    }
    return kResOk;
}

tResult CWidgetEffectBorder::SetWidth(float width, uint32_t update)
{
    m_width = width;
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectBorder::SetEdgePattern(uint32_t edges, uint32_t pattern, uint32_t update)
{
    ForEachEdge(kPatternOrder, edges, [&](int32_t i) { m_patterns[i] = pattern; });
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectBorder::SetEdgeColour(uint32_t edges, uint32_t colour, uint32_t update)
{
    ForEachEdge(kColourOrder, edges, [&](int32_t i) { m_colours[i] = colour; });
    return RefreshThroughOwner(update);
}

uint32_t CWidgetEffectBorder::GetEdgeColour(uint32_t edge) const
{
    return m_colours[IndexOf(kColourOrder, edge)];
}

uint32_t CWidgetEffectBorder::GetEdgePattern(uint32_t edge) const
{
    return m_patterns[IndexOf(kPatternOrder, edge)];
}
