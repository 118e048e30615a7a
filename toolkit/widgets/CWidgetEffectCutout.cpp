#include "toolkit/widgets/CWidgetEffectCutout.h"

#include <algorithm>
#include <memory>
#include <new>

#include "toolkit/imaging/Blur.h"
#include "toolkit/imaging/CImage8.h"
#include "toolkit/widgets/EffectPixelLoops.h"
#include "toolkit/widgets/RowBlends.h"

namespace {

std::unique_ptr<CRLE8> NewRunLength()
{
    return std::unique_ptr<CRLE8>(new (std::nothrow) CRLE8);
}

// The shape, spread to 16 bits in the low half of the work image m pixels in from its edges, and
// as it is into `darkening`.
tResult SpreadShape(CRLE8& shape, int32_t margin, CImage* work, CImage8* darkening)
{
    CImNav out(work, tCRect{margin, margin, margin + shape.GetWidth(), margin + shape.GetHeight()});
    CImNav8 kept(darkening);
    if (!out.IsLocked() || !kept.IsLocked())
        return kResNoMemory;
    for (int32_t y = 0; y < shape.GetHeight(); ++y) {
        tRunCursor<uint8_t> cursor = shape.CursorAt(0, y);
        CPixel* spread = out.Pixels(y);
        uint8_t* same = kept.Bytes(y);
        for (int32_t x = 0; x < shape.GetWidth(); ++x) {
            const uint8_t s = shape.ReadFrom(cursor);
            spread[x] = uint32_t(s) * 257;
            same[x] = s;
        }
    }
    return kResOk;
}

// Each shape byte keeps the part that the blurred shape, moved by the offset, leaves uncovered;
// positions the offset moves off the work image are fully uncovered.
tResult KnockOutBlurredShape(CImage* work, CImage8* darkening, tCPoint shift)
{
    CImNav blurred(work);
    CImNav8 mask(darkening);
    if (!blurred.IsLocked() || !mask.IsLocked())
        return kResNoMemory;
    const tCRect inside = work->GetBounds();
    for (int32_t y = 0; y < mask.GetHeight(); ++y) {
        uint8_t* byte = mask.Bytes(y);
        for (int32_t x = 0; x < mask.GetWidth(); ++x) {
            const tCPoint at{x + shift.x, y + shift.y};
            if (!inside.Contains(at)) {
                byte[x] = 255;
                continue;
            }
            const uint32_t cover = blurred.Pixels(at.y)[at.x] & 0xFFFF;
            byte[x] = uint8_t(((byte[x] + 1u) * (65535u - cover)) >> 16);
        }
    }
    return kResOk;
}

}  // namespace

CWidgetEffectCutout::~CWidgetEffectCutout()
{
    delete m_mask;
    delete m_shape;
}

tResult CWidgetEffectCutout::Update()
{
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    if (!IsPictureAreaAllowed(area.Width(), area.Height()))
        return kResNoMemory;
    CImage8 block(area.Width(), area.Height());
    CImNav8 all(&block);
    if (!all.IsLocked())
        return kResNoMemory;
    all.Fill(255);
    auto shape = NewRunLength();
    if (!shape)
        return kResNoMemory;
    TK_TRY(shape->BuildFromNav8(&all));
    return TakeShape(shape.release(), area);
}

tResult CWidgetEffectCutout::UpdateFromImage(CImage* image)
{
    if (TakesOwnerAsRectangle(image))
        return Update();
    const tCRect area = OwnerArea();
    if (area.IsEmpty())
        return kResOk;
    CImage8 alpha;
    TK_TRY(ShapeOfImage(image, area.Width(), area.Height(), &alpha));
    auto shape = NewRunLength();
    if (!shape)
        return kResNoMemory;
    TK_TRY(shape->BuildFromImage8(&alpha));
    return TakeShape(shape.release(), area);
}

tResult CWidgetEffectCutout::TakeShape(CRLE8* shape, const tCRect& area)
{
    delete m_shape;
    m_shape = shape;
    TK_TRY(RebuildMask());
    m_rect = area;
    return kResOk;
}

tResult CWidgetEffectCutout::RebuildMask()
{
    if (!m_shape)
        return kResOk;
    if (!m_mask && !(m_mask = new (std::nothrow) CRLE8))
        return kResNoMemory;
    const int32_t margin = int32_t(m_radius * 2.2f);
    if (!IsPictureAreaAllowed(m_shape->GetWidth() + 2 * margin, m_shape->GetHeight() + 2 * margin))
        return kResNoMemory;
    CImage work(m_shape->GetWidth() + 2 * margin, m_shape->GetHeight() + 2 * margin);
    CImage8 darkening(m_shape->GetWidth(), m_shape->GetHeight());
    if (!work.IsValid() || !darkening.IsValid())
        return kResNoMemory;
    TK_TRY(SpreadShape(*m_shape, margin, &work, &darkening));
    if (!BlurImage(work, m_radius, 0))
        return kResNoMemory;
    TK_TRY(KnockOutBlurredShape(&work, &darkening, {margin - m_offset.x, margin - m_offset.y}));
    return m_mask->BuildFromImage8(&darkening);
}

tResult CWidgetEffectCutout::Draw(const tCRect* rect, CImage* target, uint32_t opacity)
{
    if (opacity == 0 || !m_mask)
        return kResOk;
    const tCRect clip = rect->Intersect(m_rect).Intersect({0, 0, m_mask->GetWidth(), m_mask->GetHeight()});
    if (clip.IsEmpty())
        return kResOk;
    const CPixel colour = m_colour;
    return ForEachMaskedRow(target, clip, *m_mask, {0, 0}, [&](CPixel* pixels, uint8_t* bytes, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
            bytes[i] = uint8_t((bytes[i] * (opacity + 1)) >> 8);
        BlendColourRow(pixels, bytes, count, colour);
    });
}

tResult CWidgetEffectCutout::SetColour(uint32_t colour, uint32_t update)
{
    m_colour = WithRgbOf(m_colour, colour);
    return InvalidateThroughOwner(update);
}

tResult CWidgetEffectCutout::SetRadius(float radius, uint32_t update)
{
    m_radius = RadiusInRange(radius);
    return RefreshThroughOwner(update);
}

tResult CWidgetEffectCutout::SetOffset(tCPoint offset, uint32_t update)
{
    m_offset = OffsetInRange(offset);
    TK_TRY(RebuildMask());
    return InvalidateThroughOwner(update);
}
