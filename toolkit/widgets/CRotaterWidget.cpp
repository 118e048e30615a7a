#include "toolkit/widgets/CRotaterWidget.h"

#include <algorithm>
#include <cmath>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/LendingSampler.h"

namespace {

int64_t Fixed(double value)
{
    return std::llrint(value * 65536.0);
}

int32_t RoundEdge(double value, int32_t limit)
{
    return int32_t(std::lrint(std::clamp(value, 0.0, double(limit))));
}

// Narrows [*first, *last) to the steps x at which start + x step lies within [low, high), with a
// pixel to spare on each side: the sampler still tests every position it is given.
void KeepWithin(int64_t start, int64_t step, int64_t low, int64_t high, int32_t* first, int32_t* last)
{
    if (step == 0) {
        if (start < low || start >= high)
            *last = *first;
        return;
    }
    double enter = double(low - start) / double(step), leave = double(high - start) / double(step);
    if (step < 0)
        std::swap(enter, leave);
    *first = int32_t(std::clamp(std::floor(enter) - 1, double(*first), double(*last)));
    *last = int32_t(std::clamp(std::ceil(leave) + 1, double(*first), double(*last)));
}

// Narrows [*first, *last) to the steps x at which start + x step lies within [0, high) for
// certain, a pixel short on each side, so that the neighbours of every position are inside.
void KeepInside(int64_t start, int64_t step, int64_t high, int32_t* first, int32_t* last)
{
    if (step == 0) {
        if (start < 0 || start >= high)
            *last = *first;
        return;
    }
    double enter = double(-start) / double(step), leave = double(high - start) / double(step);
    if (step < 0)
        std::swap(enter, leave);
    *first = int32_t(std::clamp(std::ceil(enter) + 1, double(*first), double(*last)));
    *last = int32_t(std::clamp(std::floor(leave) - 1, double(*first), double(*last)));
}

}  // namespace

CRotaterWidget::~CRotaterWidget()
{
    DropSource();
}

void CRotaterWidget::DropSource()
{
    if (m_source && !m_source->IsPoolOwned())
        delete m_source;
    m_source = nullptr;
}

tResult CRotaterWidget::SetImage(CImage* source, uint32_t update)
{
    if (source == m_source)
        return kResOk;
    DropSource();
    m_source = source;
    if (m_source && m_source->IsCompressed())
        TK_TRY(m_source->Decompress());
    TK_TRY(m_pyramid.Build(m_source));
    m_dirty = 1;
    return Invalidate(update);
}

void CRotaterWidget::SetAngle(float angle)
{
    m_angle = angle;
    m_dirty = 1;
}

void CRotaterWidget::SetScale(float scale)
{
    m_scale = scale;
    m_dirty = 1;
}

tResult CRotaterWidget::Draw(const tCRect* clip, CImage* target, uint32_t opacity)
{
    if (m_dirty)
        TK_TRY(RenderImage());
    return CImWidget::Draw(clip, target, opacity);
}

tResult CRotaterWidget::RenderImage()
{
    CImage* target = GetImage();
    if (!target || !target->IsValid() || !m_source || !m_source->IsValid() || target->GetWidth() < 1 ||
        m_source->GetWidth() < 1 || m_source->GetHeight() < 1)
        return kResOk;
    TK_TRY(DecompressImage());
    target->Clear();
    const int32_t dw = target->GetWidth(), dh = target->GetHeight();
    const int32_t sw = m_source->GetWidth(), sh = m_source->GetHeight();
    const float k = float(dw) / float(sw) * m_scale;
    if (!(k > 0) || !std::isfinite(1.0f / k)) {
        m_dirty = 0;
        return kResOk;
    }
    const CImage* sampled = m_source;
    if (k <= 0.5f) {
        sampled = m_pyramid.GetLevelForScale(k);
        if (!sampled) {
            m_dirty = 0;
            return kResOk;
        }
    }

    const double hx = double(k) * sw / 2, hy = double(k) * sh / 2;
    const double s = std::sin(-double(m_angle)), c = std::cos(-double(m_angle));
    const double ex = std::max(std::fabs(hx * c - hy * s), std::fabs(hx * c + hy * s));
    const double ey = std::max(std::fabs(hx * s + hy * c), std::fabs(hx * s - hy * c));
    const double cx = dw / 2.0, cy = dh / 2.0;
    const tCRect box{RoundEdge(cx - ex - 2, dw), RoundEdge(cy - ey - 2, dh), RoundEdge(cx + ex + 2, dw),
                     RoundEdge(cy + ey + 2, dh)};
    if (!std::isfinite(ex) || !std::isfinite(ey) || box.IsEmpty()) {
        m_dirty = 0;
        return kResOk;
    }

    CImNav to(target, box);
    CImNav from(const_cast<CImage*>(sampled));
    if (!to.IsLocked() || !from.IsLocked())
        return kResNoMemory;
    const double ix = 1.0 / k * (double(sampled->GetWidth()) / sw);
    const double iy = 1.0 / k * (double(sampled->GetHeight()) / sh);
    const double sa = std::sin(double(m_angle)), ca = std::cos(double(m_angle));
    const double dx = box.left - cx, dy = box.top - cy;
    int64_t rowU = Fixed((sampled->GetWidth() / 2.0 - 0.5) + ix * (ca * dx + sa * dy));
    int64_t rowV = Fixed((sampled->GetHeight() / 2.0 - 0.5) + iy * (-sa * dx + ca * dy));
    const int64_t stepU = Fixed(ix * ca), stepV = Fixed(-iy * sa);
    const int64_t rowStepU = Fixed(ix * sa), rowStepV = Fixed(iy * ca);
    // The picture was cleared: only the part of each row that maps into the source is sampled,
    // and within it the part whose four neighbours all lie inside the source without bounds tests.
    const int64_t sourceWidth = int64_t(from.GetWidth()) << 16, sourceHeight = int64_t(from.GetHeight()) << 16;
    const CPixel* pixels = from.Pixels(0);
    const ptrdiff_t rowPixels = from.GetRowBytes() / ptrdiff_t(sizeof(CPixel));
    for (int32_t y = 0; y < to.GetHeight(); ++y, rowU += rowStepU, rowV += rowStepV) {
        CPixel* out = to.Pixels(y);
        int32_t first = 0, last = to.GetWidth();
        KeepWithin(rowU, stepU, -65536, sourceWidth, &first, &last);
        KeepWithin(rowV, stepV, -65536, sourceHeight, &first, &last);
        int32_t inFirst = first, inLast = last;
        KeepInside(rowU, stepU, sourceWidth - 65536, &inFirst, &inLast);
        KeepInside(rowV, stepV, sourceHeight - 65536, &inFirst, &inLast);
        int64_t u = rowU + first * stepU, v = rowV + first * stepV;
        for (int32_t x = first; x < last; ++x, u += stepU, v += stepV)
            out[x] = x >= inFirst && x < inLast ? SampleInteriorLending(pixels, rowPixels, u, v)
                                                : SampleBilinearLending(from, u, v);
    }
    to.Detach();
    from.Detach();
    m_dirty = 0;
    return RefreshEffects(0);
}
