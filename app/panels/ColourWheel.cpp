#include "app/panels/ColourWheel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/imaging/CImNav.h"
#include "toolkit/imaging/CImage.h"

namespace {

constexpr int32_t kRing = CColourModel::kRingStart;

int32_t RoundToEvenInt(float value) { return int32_t(std::lrint(value)); }

}  // namespace

float WheelAngle(int32_t dx, int32_t dy) { return std::atan2(float(dy), float(dx)) * 2.0f / std::numbers::pi_v<float>; }

tResult PaintWheel(CImage* wheel, CImage* mask, const CColourModel& model)
{
    const int32_t w = wheel->GetWidth();
    const int32_t h = wheel->GetHeight();
    if (!mask->IsValid() || mask->GetWidth() != w || mask->GetHeight() != h)
        return kResCreateFailed;
    CImNav view(wheel);
    CImNav alpha(mask);
    if (!view.HoldsArgb() || !alpha.HoldsArgb())
        return kResNoMemory;
    const float outer = float(w) * float(w);
    // A wheel no wider than its ring's start has no ring to spread the radius over.
    const float span = float(w - kRing);
    for (int32_t y = 0; y < h; ++y) {
        CPixel* row = view.Pixels(y);
        const CPixel* maskRow = alpha.Pixels(y);
        const int32_t dy = h - 1 - y;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dx = w - 1 - x;
            const float r2 = float(dx * dx + dy * dy);
            if (r2 > outer)
                continue;
            const float rho = span > 0.0f ? std::max((std::sqrt(r2) - float(kRing)) / span, 0.0f) : 0.0f;
            const uint32_t colour = model.WheelColour(WheelAngle(dx, dy), rho);
            row[x] = (colour & 0x00FFFFFFu) | (maskRow[x] & 0xFF000000u);
        }
    }
    return kResOk;
}

tResult PaintStrip(CImage* strip, const CColourModel& model)
{
    CImNav view(strip);
    if (!view.HoldsArgb())
        return kResNoMemory;
    const int32_t h = strip->GetHeight();
    for (int32_t y = 0; y < view.GetHeight(); ++y) {
        const float t = 1.0f - float(y) / float(h);
        const uint32_t colour = model.StripColour(t) & 0x00FFFFFFu;
        CPixel* row = view.Pixels(y);
        for (int32_t x = 0; x < view.GetWidth(); ++x)
            row[x] = (row[x] & 0xFF000000u) | colour;
    }
    return kResOk;
}

tCPoint WheelMarkerPlace(const CColourModel& model, int32_t wheelWidth, tCPoint markerSize)
{
    const CColourModel::tQuantities q = model.Quantities();
    const float radius = float(kRing) + float(wheelWidth - kRing - 1) * q.radius;
    const float angle = q.angle * std::numbers::pi_v<float> / 2.0f;
    const float far = float(wheelWidth - 1);
    const float px = far - radius * std::cos(angle);
    const float py = far - radius * std::sin(angle);
    return {RoundToEvenInt(px - float(markerSize.x) * 0.5f), RoundToEvenInt(py - float(markerSize.y) * 0.5f)};
}

int32_t StripMarkerY(const CColourModel& model, int32_t stripHeight, int32_t markerHeight)
{
    const float v = model.Quantities().strip;
    return RoundToEvenInt((1.0f - v) * float(stripHeight) - float(markerHeight) * 0.5f);
}

void ApplyWheelPoint(CColourModel* model, tCPoint point, tCPoint size)
{
    const int32_t dx = size.x - point.x - 1;
    const int32_t dy = size.y - point.y - 1;
    const float a = std::atan2(float(dy), float(dx)) / std::numbers::pi_v<float> * 2.0f;
    // The drag spreads the radius over one pixel less than the image does.
    const int32_t span = size.x - kRing - 1;
    const float length = std::sqrt(float(dx * dx + dy * dy));
    const float rho = span > 0 ? std::clamp((length - float(kRing)) / float(span), 0.0f, 1.0f) : 0.0f;
    model->ApplyWheel(a, rho);
}

tCPoint ClampToSize(tCPoint point, tCPoint size)
{
    return {std::clamp(point.x, 0, std::max(size.x - 1, 0)), std::clamp(point.y, 0, std::max(size.y - 1, 0))};
}
