#include "toolkit/widgets/CWidgetEffectShadow.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/imaging/SubtractRect.h"
#include "toolkit/widgets/RowBlends.h"
#include "toolkit/widgets/ShadowAlphaPaint.h"

namespace {

// The margin for a radius: the single-precision 2.2, truncated toward zero.
int32_t MarginFor(float radius)
{
    return int32_t(radius * 2.2f);
}

tCRect Grown(const tCRect& rect, int32_t by)
{
    return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

// One Gaussian falloff of N entries: flat 1.0 in the middle, falling over n = min(N/2 rounded
// up, round(3.5 r)) entries towards each end.
void FillFalloff(float* table, int32_t count, float radius)
{
    const float spread = 3.5f * radius;
    const float step = spread >= 0.5f ? 3.5f / spread : 7.0f;
    const int32_t n = std::min((count + 1) / 2, int32_t(std::nearbyint(spread)));
    std::fill(table, table + count, 1.0f);
    for (int32_t i = 0; i < n; ++i) {
        const float t = float(i) * step;
        const float value = std::exp(-(t * t) * 0.5f);
        table[n - 1 - i] = value;
        table[count - n + i] = value;
    }
}

// The owner's shape spread to 16 bits in the low half of each pixel, m pixels in from the edges.
tResult FillWorkImage(CImage* work, CImage8* shape, int32_t margin)
{
    CImNav8 in(shape);
    CImNav out(work, tCRect{margin, margin, margin + shape->GetWidth(), margin + shape->GetHeight()});
    if (!in.IsLocked() || !out.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < in.GetHeight(); ++y) {
        const uint8_t* from = in.Bytes(y);
        CPixel* to = out.Pixels(y);
        for (int32_t x = 0; x < in.GetWidth(); ++x)
            to[x] = uint32_t(from[x]) * 257;
    }
    return kResOk;
}

// Takes away the blurred shadow that the widget will cover once the offset moves it: work pixel
// (m + x - ox, m + y - oy) keeps (256 - alpha(x, y)) / 256 of itself. Positions the offset moves
// off the work image are skipped.
tResult KnockOutUnderWidget(CImage* work, CImage8* shape, tCPoint at)
{
    const tCRect covered = shape->GetBounds().Offset(at).Intersect(work->GetBounds());
    if (covered.IsEmpty())
        return kResOk;
    CImNav out(work, covered);
    CImNav8 in(shape, covered.Offset({-at.x, -at.y}));
    if (!in.IsLocked() || !out.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < out.GetHeight(); ++y) {
        const uint8_t* alpha = in.Bytes(y);
        CPixel* pixel = out.Pixels(y);
        for (int32_t x = 0; x < out.GetWidth(); ++x)
            pixel[x] = ((pixel[x] & 0xFFFF) * (256 - alpha[x])) >> 8;
    }
    return kResOk;
}

}  // namespace

CWidgetEffectShadow::CWidgetEffectShadow() : CWidgetEffectShadow(7.0f, 0xFF000000, {8, 8}, 200) {}

CWidgetEffectShadow::CWidgetEffectShadow(float radius, uint32_t colour, tCPoint offset, uint32_t opacity)
    : m_colour(colour), m_radius(radius), m_offset(offset)
{
    m_opacity = opacity;
}

CWidgetEffectShadow::~CWidgetEffectShadow()
{
    delete m_mask;
}

int32_t CWidgetEffectShadow::GetMargin() const
{
    return MarginFor(m_radius);
}

tCRect CWidgetEffectShadow::PlacedRect(const tCRect& area) const
{
    const tCRect placed = Grown(area, GetMargin()).Offset(m_offset);
    return m_clipToWidget ? placed.Intersect(area) : placed;
}

tResult CWidgetEffectShadow::Update()
{
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    const tCRect grown = Grown(area, GetMargin());
    TK_TRY(BuildFalloffTables(grown.Width(), grown.Height()));
    delete m_mask;
    m_mask = nullptr;
    m_rect = PlacedRect(area);
    return kResOk;
}

tResult CWidgetEffectShadow::BuildFalloffTables(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return kResOk;
    TK_TRY(m_horizontal.Resize(width));
    TK_TRY(m_vertical.Resize(height));
    FillFalloff(m_horizontal.GetData(), width, m_radius);
    FillFalloff(m_vertical.GetData(), height, m_radius);
    return kResOk;
}

tResult CWidgetEffectShadow::UpdateFromImage(CImage* image)
{
    if (TakesOwnerAsRectangle(image))
        return Update();
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    const int32_t margin = GetMargin();
    CImage8 shape;
    TK_TRY(ShapeOfImage(image, area.Width(), area.Height(), &shape));
    if (!IsPictureAreaAllowed(area.Width() + 2 * margin, area.Height() + 2 * margin))
        return kResNoMemory;
    CImage work(area.Width() + 2 * margin, area.Height() + 2 * margin);
    if (!work.IsValid())
        return kResNoMemory;
    TK_TRY(FillWorkImage(&work, &shape, margin));
    if (!BlurImage(work, m_radius, 0))
        return kResNoMemory;
    if (m_hideUnderWidget)
        TK_TRY(KnockOutUnderWidget(&work, &shape, {margin - m_offset.x, margin - m_offset.y}));
    auto mask = std::unique_ptr<CRLE8>(new (std::nothrow) CRLE8);
    if (!mask)
        return kResNoMemory;
    // The high byte of each blurred 16-bit value.
    TK_TRY(mask->BuildFromImage32(&work, 0));
    delete m_mask;
    m_mask = mask.release();
    m_rect = PlacedRect(area);
    return kResOk;
}

tResult CWidgetEffectShadow::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0 || GetSourceCount() > 0)
        return kResOk;
    return DrawShadow(rect, target, opacity);
}

tResult CWidgetEffectShadow::DrawShadow(const tCRect* rect, CImage* target, uint32_t opacity)
{
    const CPixel colour = m_colour;
    if (m_mask)
        return PaintShadowAlpha<uint8_t>(rect, target, false, 0.0f, opacity,
                                         [colour](CPixel* pixels, const uint8_t* alphas, int32_t count) {
                                             BlendColourRow(pixels, alphas, count, colour);
                                         });
    return PaintShadowAlpha<uint8_t>(rect, target, m_hideUnderWidget != 0, float(opacity), 0,
                                     [colour](CPixel* pixels, const uint8_t* alphas, int32_t count) {
                                         BlendRgbRow(pixels, alphas, count, colour);
                                     });
}

tResult CWidgetEffectShadow::AddSourceId(int32_t id, uint32_t update)
{
    TK_TRY(m_sourceIds.Add(id));
    return InvalidateThroughOwner(update);
}

tResult CWidgetEffectShadow::RemoveSourceId(int32_t id, uint32_t update)
{
    for (int32_t i = m_sourceIds.GetCount() - 1; i >= 0; --i)
        if (m_sourceIds[i] == id)
            TK_TRY(m_sourceIds.RemoveAt(i));
    return InvalidateThroughOwner(update);
}

int32_t CWidgetEffectShadow::GetSourceId(int32_t index) const
{
    return m_sourceIds.GetAt(index);
}

tResult CWidgetEffectShadow::SetColour(uint32_t colour, uint32_t update)
{
    m_colour = WithRgbOf(m_colour, colour);
    return InvalidateThroughOwner(update);
}

tResult CWidgetEffectShadow::SetRadius(float radius, uint32_t update)
{
    m_radius = RadiusInRange(radius);
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectShadow::SetOffset(tCPoint offset, uint32_t update)
{
    const tCPoint taken = OffsetInRange(offset);
    const tCRect moved = m_rect.Offset(taken.Minus(m_offset));
    m_offset = taken;
    // A shadow clipped to its widget is placed anew: moving the clipped rect would carry it
    // past the widget.
    m_rect = m_clipToWidget && !m_rect.IsEmpty() ? PlacedRect(OwnerArea()) : moved;
    return InvalidateThroughOwner(update);
}

tResult CWidgetEffectShadow::SetClipToWidget(uint32_t clip, uint32_t update)
{
    m_clipToWidget = clip;
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectShadow::SetHideUnderWidget(uint32_t hide, uint32_t update)
{
    m_hideUnderWidget = hide;
    return RefreshThroughOwner(update);
}
