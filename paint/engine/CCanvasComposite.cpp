#include <algorithm>
#include <cmath>

#include "paint/engine/CCanvas.h"
#include "paint/engine/CViewCompositor.h"
#include "paint/engine/IViewBackground.h"
#include "paint/engine/SafeConvert.h"
#include "toolkit/widgets/CWidget.h"

// Drawing the painting into the view, unrotated and rotated.

namespace {

constexpr double kOne = 65536.0;

// The view's pixels that a redraw writes: `clip` (the view's coordinates) as far as the target
// holds it, in the view's coordinates.
tCRect LockedArea(const CImNav& out, const CImage& target)
{
    const tCPoint origin = target.GetOrigin();
    return out.GetClip().Offset({-origin.x, -origin.y});
}

}  // namespace

void CCanvas::GetCompositeSettings(ViewCompositeSettings* settings)
{
    settings->composite = m_composite;
    settings->step = std::max<int64_t>(std::llround(kOne / double(m_zoom)), 1);
    settings->boxAverage = m_zoom <= kBoxAverageZoom;
    settings->dragging = m_dragging;
    settings->flipHorizontal = m_flipHorizontal != 0;
    settings->flipVertical = m_flipVertical != 0;
    if (m_viewBackground) {
        settings->texture = m_viewBackground->GetBackgroundTexture();
        settings->tint = m_viewBackground->GetBackgroundTint();
    }
    settings->shadowColumns = m_shadowColumns.GetData();
    settings->shadowColumnCount = m_shadowColumns.GetCount();
    settings->shadowRows = m_shadowRows.GetData();
    settings->shadowRowCount = m_shadowRows.GetCount();
    settings->shadowColour = m_shadowColour;
    // An image without area has no placement and gets no veil.
    if (m_tracingImage && m_tracingVisible &&
        MakeTracingPlacement(m_tracingImage->GetWidth(), m_tracingImage->GetHeight(), m_width, m_height, m_tracingMode,
                             m_tracingScale, m_tracingOffset, &settings->placement)) {
        settings->tracing = m_tracingImage;
        settings->veilStrength = uint32_t(std::clamp(RoundToInt32(double(m_tracingOpacity) * 220.0), 0, 255));
    }
}

tResult CCanvas::CompositeView(const tCRect& clip, CImage* target)
{
    if (!m_composite)
        return kResOk;
    if (!target)
        return kResBadParam;
    ViewCompositeSettings settings;
    GetCompositeSettings(&settings);
    const CViewCompositor compositor(settings);
    CImNav out(target, clip);
    if (!compositor.IsReady() || !out.IsLocked() || out.GetBytesPerPixel() != 4)
        return kResNoMemory;
    const tCPoint viewOrigin = m_view ? m_view->GetRect().GetTopLeft() : tCPoint{};
    const tCRect painting = m_paintingRect.Offset({-viewOrigin.x, -viewOrigin.y});
    const tCRect shadow = m_shadowRect.Offset({-viewOrigin.x, -viewOrigin.y});
    const tCRect area = LockedArea(out, *target);
    for (int32_t y = area.top; y < area.bottom; ++y) {
        ViewRowWalk walk;
        walk.viewX = area.left;
        walk.viewY = y;
        walk.count = area.Width();
        walk.paintX = int64_t(area.left - painting.left) * settings.step;
        walk.paintY = int64_t(y - painting.top) * settings.step;
        walk.paintStepX = settings.step;
        walk.shadowX = int64_t(area.left - shadow.left) << 16;
        walk.shadowY = int64_t(y - shadow.top) << 16;
        walk.shadowStepX = 0x10000;
        compositor.ComposeRowFast(walk, out.Pixels(y - area.top));
    }
    return kResOk;
}

tResult CCanvas::CompositeRotatedView(const tCRect& clip, CImage* target)
{
    if (!m_composite)
        return kResOk;
    if (!target)
        return kResBadParam;
    ViewCompositeSettings settings;
    GetCompositeSettings(&settings);
    const CViewCompositor compositor(settings);
    CImNav out(target, clip);
    if (!compositor.IsReady() || !out.IsLocked() || out.GetBytesPerPixel() != 4)
        return kResNoMemory;
    double cosine = 1.0, sine = 0.0;
    ViewTurn(&cosine, &sine);
    const tCPoint viewOrigin = m_view ? m_view->GetRect().GetTopLeft() : tCPoint{};
    const tCRect painting = m_paintingRect.Offset({-viewOrigin.x, -viewOrigin.y});
    // The shadow's tables lie along the turned painting: in the painting's own frame its rect is
    // the painting's moved by the unturned offset.
    const double ox = m_shadowOffset.x, oy = m_shadowOffset.y;
    const tCPoint turnedOffset{RoundToInt32(ox * cosine - oy * sine), RoundToInt32(ox * sine + oy * cosine)};
    const double shadowLeft = m_shadowRect.left - viewOrigin.x - turnedOffset.x + m_shadowOffset.x;
    const double shadowTop = m_shadowRect.top - viewOrigin.y - turnedOffset.y + m_shadowOffset.y;

    // Positions turn by minus the view's angle about the painting's middle cell.
    const double step = double(settings.step);
    const double cx = (m_width - 1) * kOne / 2.0, cy = (m_height - 1) * kOne / 2.0;
    const tCRect area = LockedArea(out, *target);
    // Tiles keep the cells that neighbouring pixels read close together in time: about 128 x
    // 128 cells a tile.
    const int32_t tileSide = std::clamp(int32_t(128.0f * m_zoom), 32, 256);
    for (int32_t top = area.top; top < area.bottom; top += tileSide) {
        for (int32_t left = area.left; left < area.right; left += tileSide) {
            const int32_t right = std::min(left + tileSide, area.right);
            for (int32_t y = top; y < std::min(top + tileSide, area.bottom); ++y) {
                const double dx = (left - painting.left) * step - cx, dy = (y - painting.top) * step - cy;
                const double px = cx + dx * cosine + dy * sine, py = cy - dx * sine + dy * cosine;
                ViewRowWalk walk;
                walk.viewX = left;
                walk.viewY = y;
                walk.count = right - left;
                walk.paintX = std::llround(px);
                walk.paintY = std::llround(py);
                walk.paintStepX = std::llround(step * cosine);
                walk.paintStepY = std::llround(-step * sine);
                // The same point in view pixels of the painting's frame, from the shadow's corner.
                walk.shadowX = std::llround((painting.left - shadowLeft) * kOne + px * kOne / step);
                walk.shadowY = std::llround((painting.top - shadowTop) * kOne + py * kOne / step);
                walk.shadowStepX = std::llround(kOne * cosine);
                walk.shadowStepY = std::llround(-kOne * sine);
                compositor.ComposeRowFast(walk, out.Pixels(y - area.top) + (left - area.left));
            }
        }
    }
    return kResOk;
}
